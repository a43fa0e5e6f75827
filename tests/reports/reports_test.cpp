// The HTML and text reports byte for byte, and the PDF report read back with a real PDF reader
// (poppler's pdftotext) where the build runs natively; under Wine the PDF file itself is checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <tuple>

#include "model/headless.h"
#include "model/workspace_model.h"
#include "platform/text.h"
#include "reports/pdf_report.h"
#include "reports/text_reports.h"
#include "tests/workspace/workspace_test_support.h"

namespace qv::test {
namespace {

// A task with the times the expected reports below show.
TaskInfo Task(NullableText name, NullableText remarks, TaskState state) {
  TaskInfo task = TaskInfo::Zero();
  task.name = std::move(name);
  task.remarks = std::move(remarks);
  task.state = static_cast<std::uint32_t>(state);
  task.priority = 10;
  task.difficulty = 20;
  task.startTime = Time(2012, 3, 5, 14, 7, 9);
  task.deadline = Time(2012, 12, 31, 8, 0, 0);
  if (state != TaskState::InProgress) task.closedTime = Time(2013, 1, 2, 23, 59, 5);
  return task;
}

// A headless log window holding tasks.
struct ReportList {
  explicit ReportList(const std::u16string& title, const std::vector<TaskInfo>& tasks = {})
      : ws(host) {
    list = AddListWindow(ws, static_cast<std::uint32_t>(ListType::Log), title)->window.get();
    for (const TaskInfo& task : tasks) AppendTaskCopy(*list, task);
  }
  HeadlessHost host;
  Workspace ws;
  CGenWindow* list;
};

TEST(ReportPath, ForbiddenCharactersAndLength) {
  const std::u16string x251(251, u'x');
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"tab\there\r\n\x7F", u"F\\tab_here___.html"},
      // 259 in all: the extension survives, the title is cut.
      {std::u16string(300, u'x'), u"F\\" + x251 + u"x.html"},
      // A surrogate pair straddling the cut goes as a whole.
      {x251 + u"\U0001F600", u"F\\" + x251 + u".html"},
  };
  std::u16string path;
  for (const auto& [title, expected] : cases) {
    ASSERT_TRUE(BuildReportPath(u"F", title, u".html", path));
    EXPECT_EQ(path, expected) << Utf16ToUtf8(title);
  }
  EXPECT_FALSE(BuildReportPath(std::u16string(255, u'f'), u"t", u".html", path));
}

constexpr char16_t kHtmlFrame[] = u"<html>\r\n<head>\r\n</head>\r\n<body>\r\n\t<h1><center>";
constexpr char16_t kHtmlAfterTitle[] = u"\r\n</center></h1><br>\r\n<br>\r\n\t<h3>Content:</h3>\r\n";
constexpr char16_t kHtmlEnd[] = u"</body>\r\n</html>\r\n";
constexpr char16_t kHtmlTimes[] =
    u"Priority: 10\r\n<br>Difficult: 20\r\n<br>Started: 2012 5.3 14:07:09\r\n<br>"
    u"End: 2012 31.12 08:00:00\r\n<br>";
constexpr char16_t kTextTimes[] =
    u"Priority: 10\r\nDifficult: 20\r\nStarted: 2012 5.3 14:07:09\r\nEnd: 2012 31.12 08:00:00\r\n";
constexpr char16_t kSolved[] = u"Solved: 2013 2.1 23:59:05";
constexpr char16_t kOpen[] = u"Status: in progress";

std::u16string HtmlLink(char16_t number, const std::u16string& name) {
  return number + (u". <a href=\"#" + name + u"\">\r\n" + name + u"</a>\r\n<br>\r\n");
}
std::u16string HtmlEntry(const std::u16string& name, const std::u16string& status) {
  return u"<center><h3><a name=\"" + name + u"\"></a>Task name: " + name + u"</h3>\r\n" +
         kHtmlTimes + status + u"\r\n<br></center>\r\n";
}
std::u16string TextEntry(const std::u16string& name, const std::u16string& status) {
  return std::u16string(103, u'_') + u"\r\nTask name: " + name + u"\r\n" + kTextTimes + status +
         u"\r\n\r\n";
}

// Every state, an unknown one read as in progress, remarks missing, empty, of several lines and
// ending with CR LF, texts needing escapes, and a title no file can be named.
TEST(TextReports, HtmlAndTextByteForByte) {
  const std::u16string title = u"Log <a/b> & 'c' \"d\"", bad = u"<b>\"x\"&'y'";
  const std::u16string esc = u"&lt;b&gt;&quot;x&quot;&amp;&#39;y&#39;";
  const std::u16string indent = u"&nbsp;&nbsp;&nbsp;&nbsp;", gone = u"Cancelled: 2013 2.1 23:59:05";
  std::vector<TaskInfo> tasks = {
      Task(u"Open", {}, TaskState::InProgress), Task(u"Done", u"one\r\ntwo", TaskState::Solved),
      Task(u"Gone", u"", TaskState::Cancelled), Task(bad, u"<i>\r\n", TaskState::Solved)};
  tasks.front().state = 7;
  const std::u16string html =
      std::u16string(kHtmlFrame) + u"Log &lt;a/b&gt; &amp; &#39;c&#39; &quot;d&quot;" +
      kHtmlAfterTitle + HtmlLink(u'1', u"Open") + HtmlLink(u'2', u"Done") +
      HtmlLink(u'3', u"Gone") + HtmlLink(u'4', esc) + HtmlEntry(u"Open", kOpen) + u"\r\n<hr>" +
      HtmlEntry(u"Done", kSolved) + indent + u"one\r\n<br>" + indent + u"two\r\n<br>\r\n<hr>" +
      HtmlEntry(u"Gone", gone) + indent + u"\r\n<br>\r\n<hr>" + HtmlEntry(esc, kSolved) + indent +
      u"&lt;i&gt;\r\n<br>" + indent + u"\r\n<br>\r\n<hr>" + kHtmlEnd;
  const std::u16string text = u"\t" + title + u"\r\n" + TextEntry(u"Open", kOpen) +
                              TextEntry(u"Done", kSolved) + u"one\r\ntwo\r\n\r\n" +
                              TextEntry(u"Gone", gone) + u"\r\n\r\n" + TextEntry(bad, kSolved) +
                              u"<i>\r\n\r\n\r\n";
  const ScratchFolder folder;
  const ReportList list(title, tasks);
  std::u16string htmlPath, textPath;
  EXPECT_EQ(ExportHtml(*list.list, folder.path, AfterExport::LeaveClosed, &htmlPath), 0u);
  EXPECT_EQ(ExportText(*list.list, folder.path, AfterExport::LeaveClosed, &textPath), 0u);
  EXPECT_EQ(htmlPath, folder / u"Log _a_b_ & 'c' _d_.html");
  EXPECT_EQ(textPath, folder / u"Log _a_b_ & 'c' _d_.txt");
  EXPECT_EQ(FileBytes(htmlPath), Utf16LeBytes(html, true));
  EXPECT_EQ(FileBytes(textPath), Utf16LeBytes(text, true));
  // A report cut short is reported and not opened; a whole one is opened.
  for (auto exporter : {ExportHtml, ExportText}) {
    const ScopedWriteFailure failure(10);
    EXPECT_EQ(exporter(*list.list, folder.path, AfterExport::OpenReport, nullptr), kErrorDiskFull);
  }
#ifndef _WIN32
  EXPECT_TRUE(TakeOpenRequests().empty());
  ASSERT_EQ(ExportHtml(*list.list, folder.path), 0u);
  EXPECT_EQ(TakeOpenRequests(), std::vector{htmlPath});
#endif
}

TEST(PdfText, WinAnsiConversion) {
  EXPECT_EQ(ToWinAnsi(u"Crème ß ÿ"), "Cr\xE8me \xDF \xFF");
  EXPECT_EQ(ToWinAnsi(u"€ „q“ – Š œ Ÿ"), "\x80 \x84q\x93 \x96 \x8A \x9C \x9F");
  EXPECT_EQ(ToWinAnsi(u"Ω 漢 \U0001F600 \xD800!"), "? ? ? ?!");
  EXPECT_EQ(ToWinAnsi(std::u16string(u"a\tb\nc\rd\0e\x7F", 10)), "a\tb c d e ");
}

// The result, the path written and what the export printed on standard output.
std::tuple<std::int32_t, std::u16string, std::string> Export(const ReportList& list,
                                                             const std::u16string& folder) {
  std::u16string path;
  testing::internal::CaptureStdout();
  const std::int32_t result = ExportPdf(*list.list, folder, AfterExport::LeaveClosed, &path);
  return {result, path, testing::internal::GetCapturedStdout()};
}

// Out of memory at each stage of the export, from the first allocation on: no crash and no leak
// under AddressSanitizer, result 1 and no file; and result 1 where the file cannot be written.
TEST(PdfReport, FailuresLeaveNoFile) {
  const ScratchFolder folder;
  const ReportList list(u"Log",
                        std::vector(40, Task(u"Name", u"one\r\ntwo", TaskState::Cancelled)));
  int failures = 0;
  for (std::size_t budget = 0; budget < 400000; budget = budget * 5 / 4 + 256, ++failures) {
    const ScopedPdfMemoryLimit limit(budget);
    const std::int32_t result = std::get<0>(Export(list, folder.path));
    if (result == 0) break;
    EXPECT_EQ(result, 1) << budget;
    EXPECT_TRUE(FileBytes(folder / u"Log.pdf").empty()) << budget;
  }
  EXPECT_GT(failures, 5);
  EXPECT_EQ(std::get<0>(Export(list, folder / u"missing")), 1) << "nowhere to write";
}

#ifndef _WIN32
// In drawing order, one line per piece drawn, each page ended by a form feed.
std::string Text(const std::u16string& path) {
  std::string out;
  if (FILE* pipe = popen(("pdftotext -q -raw '" + PathForDisplay(path) + "' -").c_str(), "r")) {
    for (int c; (c = fgetc(pipe)) != EOF;) out += static_cast<char>(c);
    pclose(pipe);
  }
  return out;
}
#endif

// A compressed document named after the title, which also proves that the libharu each build
// links, zlib included, writes a whole document. Natively pdftotext reads it back: in drawing
// order, accents intact, a wide name broken into lines, long lists and remarks continued on
// numbered pages.
TEST(PdfReport, DrawsTheListInOrderOnNumberedPages) {
  const ScratchFolder folder;
  std::u16string wide = u"Ω", remarks;
  for (int i = 0; i < 20; ++i) wide += u"Wrapé" + FormatInt(i);
  std::vector<TaskInfo> tasks = {
      Task(u"Crème brûlée €5", u"première ligne\r\nzweite Zeile ß", TaskState::Solved),
      Task(u"Second", {}, TaskState::Cancelled), Task(wide, u"", TaskState::InProgress)};
  std::vector<std::string> names;  // lines without a colon after the wide name
  for (int i = 1; i <= 30; ++i) {
    tasks.push_back(Task(u"Task " + FormatInt(i), {}, TaskState::Solved));
    names.push_back("Task " + std::to_string(i));
  }
  names.push_back("Remarkable");
  for (int i = 1; i <= 150; ++i) {
    remarks += u"Remark line " + FormatInt(i) + u"\r\n";
    names.push_back("Remark line " + std::to_string(i));
  }
  tasks.push_back(Task(u"Remarkable", remarks, TaskState::Solved));
  const std::u16string path = folder / u"Café_Überblick.pdf";
  ASSERT_EQ(Export(ReportList(u"Café/Überblick", tasks), folder.path),
            std::tuple(0, path, std::string()));
  const std::vector<std::uint8_t> file = FileBytes(path);
  const std::string bytes(file.begin(), file.end());
  EXPECT_TRUE(bytes.starts_with("%PDF-") && bytes.ends_with("%%EOF\n")) << bytes.size();
  EXPECT_NE(bytes.find("/FlateDecode"), std::string::npos);
#ifndef _WIN32
  const std::string text = Text(path);
  const std::string details =
      "Priority: 10\nDifficult: 20\nStarted: 2012 5.3 14:07:09\nDeadline: 2012 31.12 08:00:00\n";
  const std::size_t at = text.find("?Wrap");
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ(text.substr(0, at),
            "Café/Überblick\n" + details +
                "Solved: 2013 2.1 23:59:05\nCrème brûlée €5\npremière ligne\nzweite Zeile ß\n" +
                details + "Cancelled: 2013 2.1 23:59:05\nSecond\n" + details);
  std::string rest = text.substr(at, text.find("Priority", at) - at);
  EXPECT_GE(std::erase(rest, '\n'), 2u) << "the wide name is broken into lines";
  EXPECT_EQ(rest, "?" + Utf16ToUtf8(wide.substr(1))) << "nothing lost at the breaks";
  std::istringstream pages(text.substr(at));
  std::vector<std::string> lines;
  int page = 0;
  for (std::string block; std::getline(pages, block, '\f') && !block.empty();) {
    std::istringstream blockLines(block);
    for (std::string line; std::getline(blockLines, line);) lines.push_back(line);
    EXPECT_EQ(lines.back(), std::to_string(++page)) << "every page ends with its number";
    lines.pop_back();
  }
  EXPECT_GE(page, 3);
  std::erase_if(lines, [](const std::string& line) { return line.find(':') != std::string::npos; });
  EXPECT_EQ(std::vector(lines.end() - std::min(lines.size(), names.size()), lines.end()), names);
#endif
}

}  // namespace
}  // namespace qv::test
