// The HTML and text reports, byte for byte, and the task lines they share with the PDF.
#include "reports/text_reports.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/reports/report_test_support.h"

namespace {

using qv::TaskState;
using qv::test::Task;
using qv::test::Time;

std::u16string FromUtf16LeWithMark(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE || bytes.size() % 2 != 0) {
    return u"<no UTF-16 LE byte-order mark>";
  }
  std::u16string text;
  for (std::size_t i = 2; i < bytes.size(); i += 2) text += char16_t(bytes[i] | bytes[i + 1] << 8);
  return text;
}

TEST(ReportLines, TimeStatusAndHeader) {
  EXPECT_EQ(qv::FormatReportTime(Time(2012, 3, 5, 14, 7, 9)), u"2012 5.3 14:07:09");
  EXPECT_EQ(qv::FormatReportTime(Time(2024, 11, 28, 0, 0, 0)), u"2024 28.11 00:00:00");
  EXPECT_EQ(qv::FormatReportTime(qv::SYSTEMTIME{}), u"0 0.0 00:00:00");

  struct Case {
    std::uint32_t state;
    std::u16string expected;
  } cases[] = {{0, u"Status: in progress"},
               {1, u"Solved: 2013 2.1 23:59:05"},
               {2, u"Cancelled: 2013 2.1 23:59:05"},
               {7, u"Status: in progress"}};
  for (const Case& c : cases) {
    qv::TaskInfo task = Task(u"x", {}, TaskState::Solved);
    task.state = c.state;
    std::u16string status = u"old";
    EXPECT_EQ(qv::FormatTaskStatus(task, status), 0u);
    EXPECT_EQ(status, c.expected) << c.state;
  }

  std::u16string header = u"old";
  const std::u16string longest(244, u'n');
  EXPECT_EQ(qv::FormatTaskHeader(Task(longest, {}, TaskState::InProgress), header), 0u);
  EXPECT_EQ(header, u"Task name: " + longest);
  EXPECT_EQ(qv::FormatTaskHeader(Task(longest + u"n", {}, TaskState::InProgress), header), 122u);
  EXPECT_EQ(header, u"Task name: " + longest) << "a refused header leaves the output alone";
  EXPECT_EQ(qv::FormatTaskHeader(Task({}, {}, TaskState::InProgress), header), 0u);
  EXPECT_EQ(header, u"Task name: ");
}

TEST(ReportPath, FileNameCharactersAndLength) {
  struct Case {
    std::u16string title;
    std::u16string expected;
  } cases[] = {
      {u"My logger", u"F\\My logger.html"},
      {u"a\\b/c:d*e?f\"g<h>i|j", u"F\\a_b_c_d_e_f_g_h_i_j.html"},
      {u"tab\there\r\n\x7F", u"F\\tab_here___.html"},
      {u"Café ü €", u"F\\Café ü €.html"},
      {u"", u"F\\.html"},
      // 259 in all: "F\" + 252 + ".html"; the extension survives, the title is cut.
      {std::u16string(300, u'x'), u"F\\" + std::u16string(252, u'x') + u".html"},
      // A surrogate pair straddling the cut goes as a whole.
      {std::u16string(251, u'x') + u"\U0001F600", u"F\\" + std::u16string(251, u'x') + u".html"},
  };
  for (const Case& c : cases) {
    std::u16string path;
    ASSERT_TRUE(qv::BuildReportPath(u"F", c.title, u".html", path));
    EXPECT_EQ(path, c.expected) << qv::Utf16ToUtf8(c.title);
  }
  std::u16string path = u"untouched";
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
const std::u16string kRule = std::u16string(103, u'_') + u"\r\n";

struct ReportCase {
  const char* what;
  std::u16string title;
  std::vector<qv::TaskInfo> tasks;
  std::u16string html;
  std::u16string text;
};

std::vector<ReportCase> ReportCases() {
  const std::u16string solvedLine = u"Solved: 2013 2.1 23:59:05\r\n";
  return {
      {"no tasks",
       u"My logger",
       {},
       std::u16string(kHtmlFrame) + u"My logger" + kHtmlAfterTitle + kHtmlEnd,
       u"\tMy logger\r\n"},
      {"one task of each state, remarks of several lines, empty and missing remarks",
       u"Log",
       {Task(u"Open", {}, TaskState::InProgress), Task(u"Done", u"one\r\ntwo", TaskState::Solved),
        Task(u"Gone", u"", TaskState::Cancelled)},
       std::u16string(kHtmlFrame) + u"Log" + kHtmlAfterTitle +
           u"1. <a href=\"#Open\">\r\nOpen</a>\r\n<br>\r\n"
           u"2. <a href=\"#Done\">\r\nDone</a>\r\n<br>\r\n"
           u"3. <a href=\"#Gone\">\r\nGone</a>\r\n<br>\r\n"
           u"<center><h3><a name=\"Open\"></a>Task name: Open</h3>\r\n" +
           kHtmlTimes +
           u"Status: in progress\r\n<br></center>\r\n\r\n<hr>"
           u"<center><h3><a name=\"Done\"></a>Task name: Done</h3>\r\n" +
           kHtmlTimes +
           u"Solved: 2013 2.1 23:59:05\r\n<br></center>\r\n"
           u"&nbsp;&nbsp;&nbsp;&nbsp;one\r\n<br>&nbsp;&nbsp;&nbsp;&nbsp;two\r\n<br>\r\n<hr>"
           u"<center><h3><a name=\"Gone\"></a>Task name: Gone</h3>\r\n" +
           kHtmlTimes +
           u"Cancelled: 2013 2.1 23:59:05\r\n<br></center>\r\n"
           u"&nbsp;&nbsp;&nbsp;&nbsp;\r\n<br>\r\n<hr>" +
           kHtmlEnd,
       u"\tLog\r\n" + kRule + u"Task name: Open\r\n" + kTextTimes + u"Status: in progress\r\n\r\n" +
           kRule + u"Task name: Done\r\n" + kTextTimes + solvedLine + u"\r\none\r\ntwo\r\n\r\n" +
           kRule + u"Task name: Gone\r\n" + kTextTimes + u"Cancelled: 2013 2.1 23:59:05\r\n\r\n" +
           u"\r\n\r\n"},
      {"remarks ending with CR LF",
       u"L",
       {Task(u"T", u"last\r\n", TaskState::Solved)},
       std::u16string(kHtmlFrame) + u"L" + kHtmlAfterTitle +
           u"1. <a href=\"#T\">\r\nT</a>\r\n<br>\r\n"
           u"<center><h3><a name=\"T\"></a>Task name: T</h3>\r\n" +
           kHtmlTimes +
           u"Solved: 2013 2.1 23:59:05\r\n<br></center>\r\n"
           u"&nbsp;&nbsp;&nbsp;&nbsp;last\r\n<br>&nbsp;&nbsp;&nbsp;&nbsp;\r\n<br>\r\n<hr>" +
           kHtmlEnd,
       u"\tL\r\n" + kRule + u"Task name: T\r\n" + kTextTimes + solvedLine +
           u"\r\nlast\r\n\r\n\r\n"},
      {"texts needing escapes: title, name (link, anchor, header) and remarks",
       u"A&B 'q'",
       {Task(u"<b>\"x\"&'y'", u"<script>alert(1)</script>", TaskState::Solved)},
       std::u16string(kHtmlFrame) + u"A&amp;B &#39;q&#39;" + kHtmlAfterTitle +
           u"1. <a href=\"#&lt;b&gt;&quot;x&quot;&amp;&#39;y&#39;\">\r\n"
           u"&lt;b&gt;&quot;x&quot;&amp;&#39;y&#39;</a>\r\n<br>\r\n"
           u"<center><h3><a name=\"&lt;b&gt;&quot;x&quot;&amp;&#39;y&#39;\"></a>"
           u"Task name: &lt;b&gt;&quot;x&quot;&amp;&#39;y&#39;</h3>\r\n" +
           kHtmlTimes +
           u"Solved: 2013 2.1 23:59:05\r\n<br></center>\r\n"
           u"&nbsp;&nbsp;&nbsp;&nbsp;&lt;script&gt;alert(1)&lt;/script&gt;\r\n<br>\r\n<hr>" +
           kHtmlEnd,
       u"\tA&B 'q'\r\n" + kRule + u"Task name: <b>\"x\"&'y'\r\n" + kTextTimes + solvedLine +
           u"\r\n<script>alert(1)</script>\r\n\r\n"},
  };
}

TEST(TextReports, HtmlAndTextByteForByte) {
  const qv::test::ScratchFolder folder(u"quorvane-report-bytes");
  for (const ReportCase& c : ReportCases()) {
    const qv::test::ReportList list(c.title, c.tasks);
    std::u16string htmlPath, textPath;
    EXPECT_EQ(qv::ExportHtml(*list.list, folder.path, qv::AfterExport::LeaveClosed, &htmlPath), 0u);
    EXPECT_EQ(qv::ExportText(*list.list, folder.path, qv::AfterExport::LeaveClosed, &textPath), 0u);
    EXPECT_EQ(htmlPath, folder.path + u"\\" + c.title + u".html") << c.what;
    EXPECT_EQ(textPath, folder.path + u"\\" + c.title + u".txt") << c.what;
    EXPECT_EQ(FromUtf16LeWithMark(folder.Read(c.title + u".html")), c.html) << c.what;
    EXPECT_EQ(FromUtf16LeWithMark(folder.Read(c.title + u".txt")), c.text) << c.what;
  }
}

TEST(TextReports, NameTooLongForTheHeaderIsWrittenInFull) {
  const qv::test::ScratchFolder folder(u"quorvane-report-long");
  const std::u16string name(300, u'N');
  const qv::test::ReportList list(u"Long", {Task(name, {}, TaskState::InProgress)});
  ASSERT_EQ(qv::ExportText(*list.list, folder.path, qv::AfterExport::LeaveClosed), 0u);
  ASSERT_EQ(qv::ExportHtml(*list.list, folder.path, qv::AfterExport::LeaveClosed), 0u);
  const std::u16string header = u"Task name: " + name + u"\r\n";
  EXPECT_NE(FromUtf16LeWithMark(folder.Read(u"Long.txt")).find(kRule + header),
            std::u16string::npos);
  EXPECT_NE(
      FromUtf16LeWithMark(folder.Read(u"Long.html")).find(u"</a>Task name: " + name + u"</h3>"),
      std::u16string::npos);
}

TEST(TextReports, FileNameFromTitleKeepsTheTitleInside) {
  const qv::test::ScratchFolder folder(u"quorvane-report-names");
  const qv::test::ReportList list(u"a/b:c*?<>|\"\\d\t");
  ASSERT_EQ(qv::ExportText(*list.list, folder.path, qv::AfterExport::LeaveClosed), 0u);
  ASSERT_EQ(qv::ExportHtml(*list.list, folder.path, qv::AfterExport::LeaveClosed), 0u);
  EXPECT_EQ(FromUtf16LeWithMark(folder.Read(u"a_b_c_______d_.txt")), u"\ta/b:c*?<>|\"\\d\t\r\n");
  EXPECT_NE(FromUtf16LeWithMark(folder.Read(u"a_b_c_______d_.html"))
                .find(u"<center>a/b:c*?&lt;&gt;|&quot;\\d\t\r\n"),
            std::u16string::npos);
}

TEST(TextReports, FailuresAreReportedAndNothingIsOpened) {
  const qv::test::ScratchFolder folder(u"quorvane-report-fail");
  const qv::test::ReportList list(u"Log", {Task(u"T", u"r", TaskState::Solved)});
  for (auto exporter : {qv::ExportHtml, qv::ExportText}) {
    EXPECT_EQ(
        exporter(*list.list, folder.path + u"\\missing", qv::AfterExport::OpenReport, nullptr), 6u);
    EXPECT_EQ(exporter(*list.list, std::u16string(300, u'f'), qv::AfterExport::OpenReport, nullptr),
              6u);
    {
      const qv::ScopedWriteFailure failure(10);
      EXPECT_EQ(exporter(*list.list, folder.path, qv::AfterExport::OpenReport, nullptr),
                qv::kErrorDiskFull);
    }
  }
#ifndef _WIN32
  EXPECT_TRUE(qv::TakeOpenRequests().empty());
  ASSERT_EQ(qv::ExportHtml(*list.list, folder.path), 0u);
  EXPECT_EQ(qv::TakeOpenRequests(), std::vector<std::u16string>{folder.path + u"\\Log.html"});
#endif
}

}  // namespace
