#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tests/xml/xml_test_support.h"

namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunCli(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = qv::cli::Run(args, out, err);
  return {status, out.str(), err.str()};
}

constexpr std::u16string_view kWorkspace =
    u"<Root><TaskList TaskListName='Hot Tasks' TaskListType='1'/>"
    u"<LogList TaskListName='My logger' TaskListType='4'><TaskList>"
    u"<Task TaskDescr='Crème &lt;b&gt;' TaskState='1' TaskListPriority='5'/>"
    u"</TaskList></LogList></Root>";

TEST(ReportCommands, ExportsEachFormatWithoutOpening) {
  const std::u16string workspace = qv::test::TempPath(u"report-cli-ws.xml");
  qv::WriteWholeFile(workspace, qv::test::Utf16LeBytes(kWorkspace, true));
  const std::u16string folder = qv::TempFolder();
  struct Case {
    const char* format;
    std::u16string file;
    std::string start;  // the file's first bytes
  } cases[] = {{"html", u"My logger.html", std::string("\xFF\xFE<\0h\0", 6)},
               {"text", u"My logger.txt", std::string("\xFF\xFE\t\0M\0", 6)},
               {"pdf", u"My logger.pdf", "%PDF-"}};
  for (const Case& c : cases) {
    const std::u16string path = folder + u"\\" + c.file;
    qv::DeleteFileW(path);
    const Outcome o = RunCli(
        {"export", c.format, qv::Utf16ToUtf8(workspace), "My logger", qv::Utf16ToUtf8(folder)});
    EXPECT_EQ(o.status, 0) << c.format << o.err;
    EXPECT_EQ(o.out, qv::PathForDisplay(path) + "\n");
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(qv::ReadWholeFile(path, bytes), 0u) << c.format;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).rfind(c.start, 0), 0u) << c.format;
    qv::DeleteFileW(path);
  }
#ifndef _WIN32
  EXPECT_TRUE(qv::TakeOpenRequests().empty());
#endif
  qv::DeleteFileW(workspace);
}

TEST(ReportCommands, RefusalsAndUsage) {
  const std::u16string workspace = qv::test::TempPath(u"report-cli-refusals.xml");
  qv::WriteWholeFile(workspace, qv::test::Utf16LeBytes(kWorkspace, true));
  const std::string ws = qv::Utf16ToUtf8(workspace);
  const std::string dir = qv::Utf16ToUtf8(qv::TempFolder());
  const std::string missingWs = qv::Utf16ToUtf8(qv::test::TempPath(u"report-cli-none.xml"));
  struct Case {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"export", "html", missingWs, "My logger", dir}, 1},
      {{"export", "html", ws, "my logger", dir}, 1},  // titles match exactly
      {{"export", "text", ws, "My logger", dir + "/no-such-folder"}, 1},
      {{"export", "pdf", ws, "My logger", dir + "/no-such-folder"}, 1},
      {{"export", "rtf", ws, "My logger", dir}, 2},
      {{"export", "html", ws, "My logger"}, 2},
  };
  for (const Case& c : cases) {
    const Outcome o = RunCli(c.args);
    EXPECT_EQ(o.status, c.status) << c.args[1] << ' ' << c.args[3];
    EXPECT_FALSE(o.err.empty());
  }
  qv::DeleteFileW(workspace);
}

}  // namespace
