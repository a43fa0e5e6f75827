#include "reports/text_reports.h"

#include <cstdint>
#include <new>
#include <vector>

namespace qv {
namespace {

constexpr std::u16string_view kCrLf = u"\r\n";
constexpr std::size_t kRuleLength = 103;

// Without a byte-order mark browsers and editors take UTF-16 for an 8-bit encoding.
std::vector<std::uint8_t> Utf16LeWithMark(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(2 + 2 * text.size());
  bytes.push_back(0xFF);
  bytes.push_back(0xFE);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

template <typename Visit>
void ForEachTask(const CGenWindow& list, Visit visit) {
  for (const auto& item : list.tasks) {
    if (item) visit(item->task);
  }
}

std::u16string_view TextOf(const NullableText& text) {
  return text ? std::u16string_view(*text) : std::u16string_view();
}

std::u16string BuildHtml(std::u16string_view title, const CGenWindow& list) {
  std::u16string out = u"<html>\r\n<head>\r\n</head>\r\n<body>\r\n";
  out += u"\t<h1><center>";
  out += EscapeHtml(title);
  out += u"\r\n</center></h1><br>\r\n<br>\r\n\t<h3>Content:</h3>\r\n";

  std::int32_t number = 0;
  ForEachTask(list, [&](const TaskInfo& task) {
    const std::u16string name = EscapeHtml(TextOf(task.name));
    out += FormatInt(++number);
    out += u". <a href=\"#";
    out += name;
    out += u"\">\r\n";
    out += name;
    out += u"</a>\r\n<br>\r\n";
  });

  ForEachTask(list, [&](const TaskInfo& task) {
    std::u16string status;
    FormatTaskStatus(task, status);
    out += u"<center><h3><a name=\"";
    out += EscapeHtml(TextOf(task.name));
    out += u"\"></a>";
    out += EscapeHtml(ReportHeaderLine(task));
    out += u"</h3>\r\n";
    out += u"Priority: " + FormatUInt(task.priority) + u"\r\n<br>";
    out += u"Difficult: " + FormatUInt(task.difficulty) + u"\r\n<br>";
    out += u"Started: " + FormatReportTime(task.startTime) + u"\r\n<br>";
    out += u"End: " + FormatReportTime(task.deadline) + u"\r\n<br>";
    out += EscapeHtml(status) + u"\r\n<br>";
    out += u"</center>\r\n";
    if (task.remarks) {
      std::u16string_view rest = *task.remarks;
      for (;;) {
        const std::size_t end = rest.find(kCrLf);
        out += u"&nbsp;&nbsp;&nbsp;&nbsp;";
        out += EscapeHtml(rest.substr(0, end));
        out += u"\r\n<br>";
        if (end == std::u16string_view::npos) break;
        rest.remove_prefix(end + kCrLf.size());
      }
    }
    out += u"\r\n<hr>";
  });

  out += u"</body>\r\n</html>\r\n";
  return out;
}

std::u16string BuildText(std::u16string_view title, const CGenWindow& list) {
  std::u16string out = u"\t";
  out += title;
  out += kCrLf;
  ForEachTask(list, [&](const TaskInfo& task) {
    std::u16string status;
    FormatTaskStatus(task, status);
    out.append(kRuleLength, u'_');
    out += kCrLf;
    out += ReportHeaderLine(task) + u"\r\n";
    out += u"Priority: " + FormatUInt(task.priority) + u"\r\n";
    out += u"Difficult: " + FormatUInt(task.difficulty) + u"\r\n";
    out += u"Started: " + FormatReportTime(task.startTime) + u"\r\n";
    out += u"End: " + FormatReportTime(task.deadline) + u"\r\n";
    out += status + u"\r\n\r\n";
    if (task.remarks) out += *task.remarks + u"\r\n\r\n";
  });
  return out;
}

using Builder = std::u16string (*)(std::u16string_view title, const CGenWindow& list);

Win32Error Export(const CGenWindow& list, const std::u16string& folder, std::u16string_view ext,
                  Builder build, AfterExport after, std::u16string* writtenPath) {
  try {
    const std::u16string title = ReportTitle(list);
    std::u16string path;
    if (!BuildReportPath(folder, title, ext, path)) return kErrorInvalidHandle;
    const std::vector<std::uint8_t> bytes = Utf16LeWithMark(build(title, list));
    bool opened = false;
    const Win32Error written = WriteWholeFile(path, bytes, &opened);
    if (!opened) return kErrorInvalidHandle;
    // A half-written report is not shown as if it were the whole list.
    if (written != kErrorSuccess) return written;
    if (after == AfterExport::OpenReport) OpenWithDefaultProgram(path);
    if (writtenPath != nullptr) *writtenPath = std::move(path);
    return kErrorSuccess;
  } catch (const std::bad_alloc&) {
    return kErrorNotEnoughMemory;
  }
}

}  // namespace

std::u16string EscapeHtml(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    switch (c) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'"': out += u"&quot;"; break;
      case u'\'': out += u"&#39;"; break;
      default: out += c; break;
    }
  }
  return out;
}

Win32Error ExportHtml(const CGenWindow& list, const std::u16string& folder, AfterExport after,
                      std::u16string* writtenPath) {
  return Export(list, folder, u".html", BuildHtml, after, writtenPath);
}

Win32Error ExportText(const CGenWindow& list, const std::u16string& folder, AfterExport after,
                      std::u16string* writtenPath) {
  return Export(list, folder, u".txt", BuildText, after, writtenPath);
}

}  // namespace qv
