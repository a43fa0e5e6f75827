// The HTML and text reports, byte for byte, and the pieces they share with the PDF.
#include "reports/text_reports.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/reports/report_test_support.h"

namespace {

using qv::TaskState;
using qv::test::Task;

std::u16string FromUtf16LeWithMark(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE || bytes.size() % 2 != 0) {
    return u"<no UTF-16 LE byte-order mark>";
  }
  std::u16string text;
  for (std::size_t i = 2; i < bytes.size(); i += 2) text += char16_t(bytes[i] | bytes[i + 1] << 8);
  return text;
}

TEST(ReportLines, HeaderLimitAndUnknownState) {
  std::u16string header = u"old";
  const std::u16string longest(244, u'n');
  EXPECT_EQ(qv::FormatTaskHeader(Task(longest, {}, TaskState::InProgress), header), 0u);
  EXPECT_EQ(header, u"Task name: " + longest);
  EXPECT_EQ(qv::FormatTaskHeader(Task(longest + u"n", {}, TaskState::InProgress), header), 122u);
  EXPECT_EQ(header, u"Task name: " + longest) << "a refused header leaves the output alone";

  qv::TaskInfo odd = Task(u"x", {}, TaskState::Solved);
  odd.state = 7;
  std::u16string status;
  EXPECT_EQ(qv::FormatTaskStatus(odd, status), 0u);
  EXPECT_EQ(status, u"Status: in progress");
}

TEST(ReportPath, ForbiddenCharactersAndLength) {
  const std::u16string x251(251, u'x');
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"a\\b/c:d*e?f\"g<h>i|j", u"F\\a_b_c_d_e_f_g_h_i_j.html"},
      {u"tab\there\r\n\x7F", u"F\\tab_here___.html"},
      // 259 in all: the extension survives, the title is cut.
      {std::u16string(300, u'x'), u"F\\" + x251 + u"x.html"},
      // A surrogate pair straddling the cut goes as a whole.
      {x251 + u"\U0001F600", u"F\\" + x251 + u".html"},
  };
  for (const auto& [title, expected] : cases) {
    std::u16string path;
    ASSERT_TRUE(qv::BuildReportPath(u"F", title, u".html", path));
    EXPECT_EQ(path, expected) << qv::Utf16ToUtf8(title);
  }
  std::u16string path;
  EXPECT_FALSE(qv::BuildReportPath(std::u16string(255, u'f'), u"t", u".html", path));
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

// Every state, remarks missing, empty, of several lines and ending with CR LF, texts needing
// escapes, a name too long for the header (written in full), and a title no file can be named.
TEST(TextReports, HtmlAndTextByteForByte) {
  const std::u16string title = u"Log <a/b> & 'c' \"d\"", bad = u"<b>\"x\"&'y'";
  const std::u16string esc = u"&lt;b&gt;&quot;x&quot;&amp;&#39;y&#39;", longName(300, u'N');
  const std::u16string indent = u"&nbsp;&nbsp;&nbsp;&nbsp;", gone = u"Cancelled: 2013 2.1 23:59:05";
  const struct {
    std::u16string title, file;
    std::vector<qv::TaskInfo> tasks;
    std::u16string html, text;
  } cases[] = {
      {u"Empty",
       u"Empty",
       {},
       std::u16string(kHtmlFrame) + u"Empty" + kHtmlAfterTitle + kHtmlEnd,
       u"\tEmpty\r\n"},
      {title,
       u"Log _a_b_ & 'c' _d_",
       {Task(u"Open", {}, TaskState::InProgress), Task(u"Done", u"one\r\ntwo", TaskState::Solved),
        Task(u"Gone", u"", TaskState::Cancelled), Task(bad, u"<i>\r\n", TaskState::Solved),
        Task(longName, {}, TaskState::InProgress)},
       std::u16string(kHtmlFrame) + u"Log &lt;a/b&gt; &amp; &#39;c&#39; &quot;d&quot;" +
           kHtmlAfterTitle + HtmlLink(u'1', u"Open") + HtmlLink(u'2', u"Done") +
           HtmlLink(u'3', u"Gone") + HtmlLink(u'4', esc) + HtmlLink(u'5', longName) +
           HtmlEntry(u"Open", kOpen) + u"\r\n<hr>" + HtmlEntry(u"Done", kSolved) + indent +
           u"one\r\n<br>" + indent + u"two\r\n<br>\r\n<hr>" + HtmlEntry(u"Gone", gone) + indent +
           u"\r\n<br>\r\n<hr>" + HtmlEntry(esc, kSolved) + indent + u"&lt;i&gt;\r\n<br>" + indent +
           u"\r\n<br>\r\n<hr>" + HtmlEntry(longName, kOpen) + u"\r\n<hr>" + kHtmlEnd,
       u"\t" + title + u"\r\n" + TextEntry(u"Open", kOpen) + TextEntry(u"Done", kSolved) +
           u"one\r\ntwo\r\n\r\n" + TextEntry(u"Gone", gone) + u"\r\n\r\n" +
           TextEntry(bad, kSolved) + u"<i>\r\n\r\n\r\n" + TextEntry(longName, kOpen)},
  };
  const qv::test::ScratchFolder folder;
  for (const auto& c : cases) {
    const qv::test::ReportList list(c.title, c.tasks);
    std::u16string htmlPath, textPath;
    EXPECT_EQ(qv::ExportHtml(*list.list, folder.path, qv::AfterExport::LeaveClosed, &htmlPath), 0u);
    EXPECT_EQ(qv::ExportText(*list.list, folder.path, qv::AfterExport::LeaveClosed, &textPath), 0u);
    EXPECT_EQ(htmlPath, folder / (c.file + u".html"));
    EXPECT_EQ(textPath, folder / (c.file + u".txt"));
    EXPECT_EQ(FromUtf16LeWithMark(qv::test::FileBytes(htmlPath)), c.html);
    EXPECT_EQ(FromUtf16LeWithMark(qv::test::FileBytes(textPath)), c.text);
  }
}

TEST(TextReports, FailuresAreReportedAndNothingIsOpened) {
  const qv::test::ScratchFolder folder;
  const qv::test::ReportList list(u"Log", {Task(u"T", u"r", TaskState::Solved)});
  for (auto exporter : {qv::ExportHtml, qv::ExportText}) {
    const auto open = qv::AfterExport::OpenReport;
    EXPECT_EQ(exporter(*list.list, folder / u"missing", open, nullptr), 6u);
    EXPECT_EQ(exporter(*list.list, std::u16string(300, u'f'), open, nullptr), 6u);
    const qv::ScopedWriteFailure failure(10);
    EXPECT_EQ(exporter(*list.list, folder.path, open, nullptr), qv::kErrorDiskFull);
  }
#ifndef _WIN32
  EXPECT_TRUE(qv::TakeOpenRequests().empty());
  ASSERT_EQ(qv::ExportHtml(*list.list, folder.path), 0u);
  EXPECT_EQ(qv::TakeOpenRequests(), std::vector<std::u16string>{folder / u"Log.html"});
#endif
}

}  // namespace
