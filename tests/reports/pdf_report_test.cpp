// The PDF report, read back with a real PDF reader (poppler's pdfinfo and pdftotext) where
// the build runs natively; under Wine the file itself is checked.
#include "reports/pdf_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>

#include "platform/text.h"
#include "tests/reports/report_test_support.h"

namespace {

using qv::TaskState;
using qv::test::Task;

TEST(PdfText, WinAnsiConversion) {
  EXPECT_EQ(qv::ToWinAnsi(u"Crème ß ÿ"), "Cr\xE8me \xDF \xFF");
  EXPECT_EQ(qv::ToWinAnsi(u"€ „q“ – Š œ Ÿ"), "\x80 \x84q\x93 \x96 \x8A \x9C \x9F");
  EXPECT_EQ(qv::ToWinAnsi(u"Ω 漢 \U0001F600 \xD800!"), "? ? ? ?!");
  EXPECT_EQ(qv::ToWinAnsi(std::u16string(u"a\tb\nc\rd\0e", 9)), "a\tb c d e");
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

// Also proves the libharu each build links, zlib included, writes a whole document.
TEST(PdfReport, WritesACompressedDocumentNamedAfterTheTitle) {
  const qv::test::ScratchFolder folder;
  const qv::test::ReportList list(u"Café/Überblick", {Task(u"Crème", u"r", TaskState::Solved)});
  const Exported e = Export(list, folder.path);
  ASSERT_EQ(e.result, 0);
  EXPECT_EQ(e.output, "");
  EXPECT_EQ(e.path, folder / u"Café_Überblick.pdf");
  const std::vector<std::uint8_t> file = qv::test::FileBytes(e.path);
  const std::string bytes(file.begin(), file.end());
  EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
  for (const char* part : {"/FlateDecode", "/WinAnsiEncoding", "%%EOF"}) {
    EXPECT_NE(bytes.find(part), std::string::npos) << part;
  }

  const qv::test::ReportList untitled(u"", {Task(u"T", {}, TaskState::InProgress)});
  // Into a folder that does not exist, so that any attempt to write fails.
  const Exported nothing = Export(untitled, folder / u"sub");
  EXPECT_EQ(nothing.result, 0) << "an empty title builds the document but writes nothing";
  EXPECT_TRUE(nothing.path.empty());
}

TEST(PdfReport, FailuresFreeTheDocumentAndPrintTheDiagnostic) {
  const qv::test::ScratchFolder folder;
  const std::vector<qv::TaskInfo> tasks(40, Task(u"Name", u"one\r\ntwo", TaskState::Cancelled));
  const qv::test::ReportList list(u"Log", tasks);
  const std::regex diagnostic("ERROR: error_no=[0-9A-F]{4}, detail_no=[0-9]+\n");
  const std::string noDocument = "error: cannot create PdfDoc object\n";
  {
    const qv::ScopedPdfMemoryLimit none(0);
    const Exported e = Export(list, folder.path);
    EXPECT_EQ(e.result, 1);
    EXPECT_EQ(e.output, noDocument);
  }
  // Out of memory at each stage of the export: no crash, no leak (AddressSanitizer), result
  // 1 with libharu's diagnostic, and no file.
  int failures = 0;
  for (std::size_t budget = 1024; budget < 400000; budget = budget * 5 / 4) {
    const qv::ScopedPdfMemoryLimit limit(budget);
    const Exported e = Export(list, folder.path);
    if (e.result == 0) break;
    EXPECT_EQ(e.result, 1) << budget;
    EXPECT_TRUE(qv::test::FileBytes(folder / u"Log.pdf").empty()) << budget;
    if (e.output == noDocument) continue;
    ++failures;
    EXPECT_TRUE(std::regex_match(e.output, diagnostic)) << e.output;
  }
  EXPECT_GT(failures, 5);

  const Exported unwritable = Export(list, folder / u"missing");
  EXPECT_EQ(unwritable.result, 1);
  EXPECT_TRUE(std::regex_match(unwritable.output, diagnostic)) << unwritable.output;
  EXPECT_EQ(unwritable.output.rfind("ERROR: error_no=1016, ", 0), 0u);
}

#ifndef _WIN32
std::string Run(const std::string& tool, const std::u16string& path, const char* after = "") {
  std::string native = qv::Utf16ToUtf8(path), out;
  std::replace(native.begin(), native.end(), '\\', '/');
  if (FILE* pipe = popen((tool + " '" + native + "'" + after).c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

int Pages(const std::u16string& path) {
  const std::string info = Run("pdfinfo", path);
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// In drawing order, one line per piece drawn, each page ended by a form feed.
std::string Text(const std::u16string& path) {
  return Run("pdftotext -q -raw", path, " -");
}

std::string Details(int priority, int difficulty, const std::string& closed) {
  return "Priority: " + std::to_string(priority) + "\nDifficult: " + std::to_string(difficulty) +
         "\nStarted: 2012 5.3 14:07:09\nDeadline: 2012 31.12 08:00:00\n" + closed;
}

TEST(PdfReader, OnePageInDrawingOrderWithAccentsIntact) {
  const qv::test::ScratchFolder folder;
  std::u16string wide = u"Ω";
  for (int i = 0; i < 20; ++i) wide += u"Wrapé" + qv::FormatInt(i);
  const qv::test::ReportList list(
      u"Café Überblick",
      {Task(u"Crème brûlée €5", u"première ligne\r\nzweite Zeile ß", TaskState::Solved, 7, 3),
       Task(u"Second", {}, TaskState::Cancelled), Task(wide, u"", TaskState::InProgress)});
  const Exported e = Export(list, folder.path);
  ASSERT_EQ(e.result, 0);
  EXPECT_EQ(Pages(e.path), 1);
  const std::string text = Text(e.path);
  const std::size_t at = text.find("?Wrap");
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ(text.substr(0, at), "Café Überblick\n" + Details(7, 3, "Solved: 2013 2.1 23:59:05\n") +
                                    "Crème brûlée €5\npremière ligne\nzweite Zeile ß\n" +
                                    Details(10, 20, "Cancelled: 2013 2.1 23:59:05\n") + "Second\n" +
                                    Details(10, 20, ""));
  std::string rest = text.substr(at);
  EXPECT_GE(std::erase(rest, '\n'), 3u) << "the wide name is broken into lines";
  EXPECT_EQ(rest, "?" + qv::Utf16ToUtf8(wide.substr(1)) + "1\f") << "nothing lost at the breaks";
}

TEST(PdfReader, LongListsAndRemarksContinueOnNumberedPages) {
  const qv::test::ScratchFolder folder;
  std::u16string remarks;
  for (int i = 1; i <= 150; ++i) remarks += u"Remark line " + qv::FormatInt(i) + u"\r\n";
  std::vector<qv::TaskInfo> tasks;
  for (int i = 1; i <= 30; ++i)
    tasks.push_back(Task(u"Task " + qv::FormatInt(i), {}, TaskState::Solved));
  tasks.push_back(Task(u"Remarkable", remarks, TaskState::Solved));
  const Exported e = Export(qv::test::ReportList(u"Pages", tasks), folder.path);
  ASSERT_EQ(e.result, 0);
  const int pages = Pages(e.path);
  ASSERT_GE(pages, 3);
  std::istringstream text(Text(e.path));
  std::vector<std::string> names, expected = {"Pages"};
  int page = 0;
  for (std::string block; std::getline(text, block, '\f') && !block.empty();) {
    std::istringstream lines(block);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);) all.push_back(line);
    EXPECT_EQ(all.back(), std::to_string(++page)) << "every page ends with its number";
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
      if (all[i].find(':') == std::string::npos) names.push_back(all[i]);
    }
  }
  EXPECT_EQ(page, pages);
  for (int i = 1; i <= 30; ++i) expected.push_back("Task " + std::to_string(i));
  expected.push_back("Remarkable");
  for (int i = 1; i <= 150; ++i) expected.push_back("Remark line " + std::to_string(i));
  EXPECT_EQ(names, expected);
}
#endif

}  // namespace
