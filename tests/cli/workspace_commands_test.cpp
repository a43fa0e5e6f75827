#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "tests/workspace/workspace_test_support.h"

namespace qv {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunCli(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = cli::Run(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(WorkspaceCommands, CheckListsEachWindowAndRewriteKeepsThem) {
  test::ScratchFolder folder;
  const std::u16string in = folder / u"in.xml", out = folder / u"out.xml";
  test::WriteUtf16File(
      in,
      u"<Root><TaskList TaskListName='Hot \"Tasks\"' TaskListType='2' "
      u"TaskListVisible='1'><TaskList><Task/><Task/></TaskList><LogLinks>"
      u"<LogLink LogListLinkName='Log'/></LogLinks></TaskList>"
      u"<LogList TaskListType='4'/><TaskList TaskListType='3' TaskListName='x'/></Root>");
  const Outcome check = RunCli({"workspace-check", Utf16ToUtf8(in)});
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.out,
            "result 0 No error\n"
            "list 2 1 2 1 \"Hot \\\"Tasks\\\"\"\n"
            "list 4 0 0 0 \"Log list 1\"\n");

  ASSERT_EQ(RunCli({"workspace-rewrite", Utf16ToUtf8(in), Utf16ToUtf8(out)}).status, 0);
  EXPECT_EQ(RunCli({"workspace-check", Utf16ToUtf8(out)}).out, check.out);
}

TEST(WorkspaceCommands, RefusedFilesAndBadUsage) {
  test::ScratchFolder folder;
  const std::string warned = Utf16ToUtf8(folder / u"warned.xml");
  const std::string out = Utf16ToUtf8(folder / u"never.xml");
  test::WriteUtf16File(folder / u"warned.xml", u"<Root><TaskList></Root>");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
  };
  const Case cases[] = {
      {{"workspace-check", warned}, 1, "result 1 Warning: Unmatched end tag\n"},
      {{"workspace-rewrite", warned, out}, 1, ""},
      {{"workspace-check"}, 2, ""},
      {{"workspace-rewrite", warned}, 2, ""},
  };
  for (const Case& c : cases) {
    const Outcome o = RunCli(c.args);
    EXPECT_EQ(o.status, c.status) << c.args[0];
    EXPECT_EQ(o.out, c.out) << c.args[0];
    EXPECT_FALSE(o.err.empty()) << c.args[0];
  }
  EXPECT_FALSE(std::filesystem::exists(test::NativePath(folder / u"never.xml")));
}

}  // namespace
}  // namespace qv
