// The PDF report, read back with a real PDF reader (poppler's pdfinfo and pdftotext) where
// the build runs natively; under Wine the file itself is checked.
#include "reports/pdf_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/text.h"
#include "tests/reports/report_test_support.h"

namespace {

using qv::TaskState;
using qv::test::Task;

std::string Latin1(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += static_cast<char>(c);
  return out;
}

TEST(PdfText, WinAnsiConversion) {
  struct Case {
    std::u16string text;
    std::string expected;
  } cases[] = {
      {u"Plain ASCII ~", "Plain ASCII ~"},
      {u"Crème brûlée ÿ ß", Latin1(u"Crème brûlée ÿ ß")},
      {u"€ „quoted“ – Š œ Ÿ", "\x80 \x84quoted\x93 \x96 \x8A \x9C \x9F"},
      {u"Ω 漢 \U0001F600!", "? ? ?!"},
      {u"a\tb\nc\rd", "a\tb c d"},
      {std::u16string(u"x\0y", 3), "x y"},
      {u"\xD800 lone", "? lone"},
  };
  for (const Case& c : cases) EXPECT_EQ(qv::ToWinAnsi(c.text), c.expected);
}

struct Exported {
  std::int32_t result;
  std::string output;  // standard output during the export
  std::u16string path;
};

Exported Export(const qv::test::ReportList& list, const std::u16string& folder) {
  Exported e;
  testing::internal::CaptureStdout();
  e.result = qv::ExportPdf(*list.list, folder, qv::AfterExport::LeaveClosed, &e.path);
  e.output = testing::internal::GetCapturedStdout();
  return e;
}

std::string ReadBytes(const std::u16string& path) {
  std::vector<std::uint8_t> bytes;
  qv::ReadWholeFile(path, bytes);
  return std::string(bytes.begin(), bytes.end());
}

TEST(PdfReport, WritesADocumentNamedAfterTheTitle) {
  const qv::test::ScratchFolder folder(u"quorvane-pdf-written");
  const qv::test::ReportList list(u"Café/Überblick", {Task(u"Crème", u"r", TaskState::Solved)});
  const Exported e = Export(list, folder.path);
  ASSERT_EQ(e.result, 0);
  EXPECT_EQ(e.output, "");
  EXPECT_EQ(e.path, folder.path + u"\\Café_Überblick.pdf");
  const std::string bytes = ReadBytes(e.path);
  EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
  EXPECT_NE(bytes.find("%%EOF"), std::string::npos);
  EXPECT_NE(bytes.find("/WinAnsiEncoding"), std::string::npos);
}

TEST(PdfReport, EmptyTitleBuildsButWritesNothing) {
  const qv::test::ScratchFolder folder(u"quorvane-pdf-untitled");
  const qv::test::ReportList list(u"", {Task(u"T", {}, TaskState::InProgress)});
  const Exported e = Export(list, folder.path);
  EXPECT_EQ(e.result, 0);
  EXPECT_TRUE(e.path.empty());
  std::vector<qv::FolderEntry> entries;
  qv::ListFolder(folder.path, entries);
  EXPECT_TRUE(entries.empty());
}

// "ERROR: error_no=%04X, detail_no=%u\n", nothing more.
bool IsLibraryDiagnostic(const std::string& output) {
  const std::string head = "ERROR: error_no=", middle = ", detail_no=";
  if (output.rfind(head, 0) != 0 || output.size() < head.size() + 4 + middle.size() + 2) {
    return false;
  }
  const std::string code = output.substr(head.size(), 4);
  const std::string detail = output.substr(head.size() + 4 + middle.size());
  return code.find_first_not_of("0123456789ABCDEF") == std::string::npos &&
         output.compare(head.size() + 4, middle.size(), middle) == 0 && detail.back() == '\n' &&
         detail.find_first_not_of("0123456789") == detail.size() - 1;
}

TEST(PdfReport, FailuresFreeTheDocumentAndPrintTheDiagnostic) {
  const qv::test::ScratchFolder folder(u"quorvane-pdf-failures");
  std::vector<qv::TaskInfo> tasks(40, Task(u"Name", u"one\r\ntwo", TaskState::Cancelled));
  const qv::test::ReportList list(u"Log", tasks);
  {
    const qv::ScopedPdfMemoryLimit none(0);
    const Exported e = Export(list, folder.path);
    EXPECT_EQ(e.result, 1);
    EXPECT_EQ(e.output, "error: cannot create PdfDoc object\n");
  }
  // Running out of memory at each stage of the export: no crash, no leak (AddressSanitizer),
  // result 1 with libharu's diagnostic, and no file.
  int failures = 0;
  for (std::size_t budget = 1024; budget < 400000; budget = budget * 5 / 4) {
    const qv::ScopedPdfMemoryLimit limit(budget);
    const Exported e = Export(list, folder.path);
    if (e.result == 0) break;
    EXPECT_EQ(e.result, 1) << budget;
    if (e.output == "error: cannot create PdfDoc object\n") continue;
    ++failures;
    EXPECT_TRUE(IsLibraryDiagnostic(e.output)) << e.output;
    EXPECT_TRUE(folder.Read(u"Log.pdf").empty()) << budget;
  }
  EXPECT_GT(failures, 5);

  const Exported unwritable = Export(list, folder.path + u"\\missing");
  EXPECT_EQ(unwritable.result, 1);
  EXPECT_EQ(unwritable.output.rfind("ERROR: error_no=1016, detail_no=", 0), 0u);
  EXPECT_TRUE(IsLibraryDiagnostic(unwritable.output)) << unwritable.output;
}

#ifndef _WIN32
std::string Run(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

std::string Quoted(const std::u16string& path) {
  std::string native = qv::Utf16ToUtf8(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return "'" + native + "'";
}

int Pages(const std::u16string& path) {
  const std::string info = Run("pdfinfo " + Quoted(path));
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// W - 100 on an A4 page, less a margin for the reader's rounding.
constexpr double kRightColumnX = 490;

struct Line {
  double y;  // top of the line, from the top of the page
  double x;
  std::string text;
};

// The lines of one page top down, left to right, from pdftotext's bounding boxes: the
// columns come out in the order they are drawn on the page rather than the reader's guess.
std::vector<Line> Lines(const std::u16string& path, int page = 1) {
  const std::string n = std::to_string(page);
  const std::string html =
      Run("pdftotext -q -bbox-layout -f " + n + " -l " + n + " " + Quoted(path) + " -");
  std::vector<Line> lines;
  for (std::size_t at = 0; (at = html.find("<line ", at)) != std::string::npos;) {
    const double y = std::stod(html.substr(html.find("yMin=\"", at) + 6));
    const std::size_t end = html.find("</line>", at);
    // The reader may join a name's line with the right column's; split them again.
    Line parts[2] = {{y, 0, ""}, {y, 0, ""}};
    for (std::size_t w = html.find("<word", at); w < end; w = html.find("<word", w + 1)) {
      const double x = std::stod(html.substr(html.find("xMin=\"", w) + 6));
      Line& part = parts[x >= kRightColumnX];
      const std::size_t from = html.find('>', w) + 1;
      if (part.text.empty()) part.x = x;
      part.text += (part.text.empty() ? "" : " ") + html.substr(from, html.find('<', from) - from);
    }
    for (const Line& part : parts) {
      if (!part.text.empty()) lines.push_back(part);
    }
    at = end;
  }
  std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
    return a.y + 0.5 < b.y || (a.y < b.y + 0.5 && a.x < b.x);
  });
  return lines;
}

// Texts of the lines left or right of the right column (x = W - 100).
std::vector<std::string> Column(const std::vector<Line>& lines, bool right) {
  std::vector<std::string> texts;
  for (const Line& line : lines) {
    if ((line.x >= kRightColumnX) == right) texts.push_back(line.text);
  }
  return texts;
}

double LineY(const std::vector<Line>& lines, const std::string& text) {
  for (const Line& line : lines) {
    if (line.text == text) return line.y;
  }
  ADD_FAILURE() << "no line \"" << text << "\"";
  return 0;
}

using Texts = std::vector<std::string>;

TEST(PdfReader, OnePageWithTitleTasksInOrderAndAccentsIntact) {
  const qv::test::ScratchFolder folder(u"quorvane-pdf-reader");
  const qv::test::ReportList list(
      u"Café Überblick",
      {Task(u"Crème brûlée €5", u"première ligne\r\nzweite Zeile ß", TaskState::Solved, 7, 3),
       Task(u"Second", {}, TaskState::Cancelled), Task(u"Third Ω", u"", TaskState::InProgress)});
  const Exported e = Export(list, folder.path);
  ASSERT_EQ(e.result, 0);
  EXPECT_EQ(Pages(e.path), 1);
  const std::vector<Line> lines = Lines(e.path);
  EXPECT_EQ(Column(lines, false), (Texts{"Café Überblick", "Crème brûlée €5", "première ligne",
                                         "zweite Zeile ß", "Second", "Third ?", "1"}));
  const Texts times = {"Started: 2012 5.3 14:07:09", "Deadline: 2012 31.12 08:00:00"};
  Texts right = {
      "Priority: 7",  "Difficult: 3",  times[0], times[1], "Solved: 2013 2.1 23:59:05",
      "Priority: 10", "Difficult: 20", times[0], times[1], "Cancelled: 2013 2.1 23:59:05",
      "Priority: 10", "Difficult: 20", times[0], times[1]};
  EXPECT_EQ(Column(lines, true), right);
}

TEST(PdfReader, EntryHeightsAndWrappedNames) {
  const qv::test::ScratchFolder folder(u"quorvane-pdf-layout");
  std::u16string wide;
  for (int i = 0; i < 20; ++i) wide += u"Wrapping" + qv::FormatInt(i) + u"Wide";
  const qv::test::ReportList list(
      u"Layout",
      {Task(u"Alpha", {}, TaskState::InProgress), Task(u"Beta", {}, TaskState::InProgress),
       Task(wide, {}, TaskState::InProgress), Task(u"Gamma", {}, TaskState::InProgress)});
  const Exported e = Export(list, folder.path);
  ASSERT_EQ(e.result, 0);
  const std::vector<Line> lines = Lines(e.path);
  // A one-line entry takes 40 points and the rule 15 more.
  EXPECT_NEAR(LineY(lines, "Beta") - LineY(lines, "Alpha"), 55, 0.5);
  std::vector<double> wrapped;
  std::string joined;
  for (const Line& line : lines) {
    if (line.x < 21 && line.y > LineY(lines, "Beta") && line.y < LineY(lines, "Gamma")) {
      wrapped.push_back(line.y);
      joined += line.text;
    }
  }
  ASSERT_GE(wrapped.size(), 4u) << "the wide name is broken into lines";
  for (std::size_t i = 1; i < wrapped.size(); ++i) {
    EXPECT_NEAR(wrapped[i] - wrapped[i - 1], 12, 0.5);
  }
  EXPECT_EQ(joined, qv::Utf16ToUtf8(wide)) << "nothing lost or doubled at the breaks";
  // Taller than the minimum: the rule follows the name's last line by 14.
  EXPECT_NEAR(LineY(lines, "Gamma") - wrapped.back(), 14 + 15, 0.5);
}

TEST(PdfReader, LongListsAndRemarksContinueOnNumberedPages) {
  const qv::test::ScratchFolder folder(u"quorvane-pdf-pages");
  std::u16string remarks;
  for (int i = 1; i <= 150; ++i) remarks += u"Remark line " + qv::FormatInt(i) + u"\r\n";
  std::vector<qv::TaskInfo> tasks;
  for (int i = 1; i <= 30; ++i) {
    tasks.push_back(Task(u"Task " + qv::FormatInt(i), {}, TaskState::Solved));
  }
  tasks.push_back(Task(u"Remarkable", remarks, TaskState::Solved));
  const qv::test::ReportList list(u"Pages", tasks);
  const Exported e = Export(list, folder.path);
  ASSERT_EQ(e.result, 0);
  const int pages = Pages(e.path);
  ASSERT_GE(pages, 3);
  Texts left;
  for (int page = 1; page <= pages; ++page) {
    const std::vector<Line> lines = Lines(e.path, page);
    ASSERT_FALSE(lines.empty());
    bool numbered = false;
    for (const Line& line : lines) {
      numbered |= line.text == std::to_string(page) && line.y > 800 && line.x > 280;
    }
    EXPECT_TRUE(numbered) << "page " << page;
    for (const std::string& text : Column(lines, false)) {
      if (text != std::to_string(page) && text != "Pages") left.push_back(text);
    }
  }
  Texts expected;
  for (int i = 1; i <= 30; ++i) expected.push_back("Task " + std::to_string(i));
  expected.push_back("Remarkable");
  for (int i = 1; i <= 150; ++i) expected.push_back("Remark line " + std::to_string(i));
  EXPECT_EQ(left, expected);
}
#endif

}  // namespace
