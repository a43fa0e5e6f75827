#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"

namespace qv::test {
namespace {

TEST(ReportCommands, ExportsEachFormatWithoutOpeningAndRefusesWhatItCannot) {
  const ScratchFolder folder;
  WriteUtf16File(folder / u"ws.xml",
                 u"<Root><TaskList TaskListName='Hot Tasks' TaskListType='1'/>"
                 u"<LogList TaskListName='My logger' TaskListType='4'><TaskList>"
                 u"<Task TaskDescr='Crème &lt;b&gt;' TaskState='1' TaskListPriority='5'/>"
                 u"</TaskList></LogList></Root>");
  const std::string ws = Arg(folder / u"ws.xml"), dir = Arg(folder.path);
  const struct {
    const char* format;
    std::u16string file;
    std::string start;  // the file's first bytes
  } cases[] = {{"html", u"My logger.html", std::string("\xFF\xFE<\0h\0", 6)},
               {"text", u"My logger.txt", std::string("\xFF\xFE\t\0M\0", 6)},
               {"pdf", u"My logger.pdf", "%PDF-"}};
  for (const auto& [format, file, start] : cases) {
    const Outcome o = RunCli({"export", format, ws, "My logger", dir});
    EXPECT_EQ(o, (Outcome{0, PathForDisplay(folder / file) + "\n", ""}));
    const std::vector<std::uint8_t> bytes = FileBytes(folder / file);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).rfind(start, 0), 0u) << format;
  }
#ifndef _WIN32
  EXPECT_TRUE(TakeOpenRequests().empty());
#endif

  const std::vector<std::string> refusals[] = {
      {"export", "html", Arg(folder / u"none.xml"), "My logger", dir},
      {"export", "html", ws, "my logger", dir},  // titles match exactly
      {"export", "text", ws, "My logger", dir + "/no-such-folder"},
      {"export", "pdf", ws, "My logger", dir + "/no-such-folder"},
  };
  for (const auto& args : refusals) {
    const Outcome o = RunCli(args);
    EXPECT_EQ(o.status, cli::kExitRefused) << o;
    EXPECT_TRUE(o.out.empty() && !o.err.empty()) << o;
  }
}

}  // namespace
}  // namespace qv::test
