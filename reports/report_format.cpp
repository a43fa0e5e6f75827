#include "reports/report_format.h"

#include <algorithm>

namespace qv {
namespace {

void AppendTwoDigits(std::u16string& out, std::uint16_t value) {
  if (value < 10) out += u'0';
  out += FormatInt(value);
}

bool ForbiddenInFileName(char16_t c) {
  return c < 0x20 || c == 0x7F ||
         std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos;
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

std::u16string FormatReportTime(const SYSTEMTIME& time) {
  std::u16string out = FormatInt(time.wYear);
  out += u' ';
  out += FormatInt(time.wDay);
  out += u'.';
  out += FormatInt(time.wMonth);
  out += u' ';
  AppendTwoDigits(out, time.wHour);
  out += u':';
  AppendTwoDigits(out, time.wMinute);
  out += u':';
  AppendTwoDigits(out, time.wSecond);
  return out;
}

Win32Error FormatTaskHeader(const TaskInfo& task, std::u16string& header) {
  const std::u16string_view name = task.name ? std::u16string_view(*task.name) : u"";
  if (name.size() > kMaxHeaderNameChars) return kErrorInsufficientBuffer;
  header = u"Task name: ";
  header += name;
  return kErrorSuccess;
}

Win32Error FormatTaskStatus(const TaskInfo& task, std::u16string& status) {
  switch (static_cast<TaskState>(task.state)) {
    case TaskState::Solved: status = u"Solved: " + FormatReportTime(task.closedTime); break;
    case TaskState::Cancelled: status = u"Cancelled: " + FormatReportTime(task.closedTime); break;
    default: status = u"Status: in progress"; break;
  }
  return kErrorSuccess;
}

std::u16string ReportHeaderLine(const TaskInfo& task) {
  std::u16string header;
  if (FormatTaskHeader(task, header) == kErrorInsufficientBuffer)
    header = u"Task name: " + *task.name;
  return header;
}

std::u16string ReportTitle(const CGenWindow& list) {
  std::u16string title = list.Title();
  if (title.size() > kReportTitleLimit) title.clear();
  return title;
}

bool BuildReportPath(std::u16string_view folder, std::u16string_view title,
                     std::u16string_view extension, std::u16string& path) {
  const std::size_t fixed = folder.size() + 1 + extension.size();
  if (fixed > kMaxReportPathChars) return false;
  std::size_t keep = std::min(title.size(), kMaxReportPathChars - fixed);
  if (keep < title.size() && keep > 0 && IsHighSurrogate(title[keep - 1])) --keep;
  path.assign(folder);
  path += u'\\';
  for (char16_t c : title.substr(0, keep)) path += ForbiddenInFileName(c) ? u'_' : c;
  path += extension;
  return true;
}

}  // namespace qv
