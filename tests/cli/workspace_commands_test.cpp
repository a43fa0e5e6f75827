#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"

namespace qv::test {
namespace {

TEST(WorkspaceCommands, CheckRewriteAndRefusedFiles) {
  const ScratchFolder folder;
  const std::u16string in = folder / u"in.xml", out = folder / u"out.xml";
  WriteUtf16File(
      in,
      u"<Root><TaskList TaskListName='Hot \"Tasks\"' TaskListType='2' "
      u"TaskListVisible='1'><TaskList><Task/><Task/></TaskList><LogLinks>"
      u"<LogLink LogListLinkName='Log'/></LogLinks></TaskList>"
      u"<LogList TaskListType='4'/><TaskList TaskListType='3' TaskListName='x'/></Root>");
  const Outcome check = RunCli({"workspace-check", Arg(in)});
  EXPECT_EQ(check, (Outcome{0,
                            "result 0 No error\n"
                            "list 2 1 2 1 \"Hot \\\"Tasks\\\"\"\n"
                            "list 4 0 0 0 \"Log list 1\"\n",
                            ""}));
  ASSERT_EQ(RunCli({"workspace-rewrite", Arg(in), Arg(out)}).status, 0);
  EXPECT_EQ(RunCli({"workspace-check", Arg(out)}), check);

  WriteUtf16File(in, u"<Root><TaskList></Root>");
  const Outcome warned = RunCli({"workspace-check", Arg(in)});
  EXPECT_EQ(warned.status, 1);
  EXPECT_EQ(warned.out, "result 1 Warning: Unmatched end tag\n");
  const Outcome refused = RunCli({"workspace-rewrite", Arg(in), Arg(folder / u"never.xml")});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_FALSE(warned.err.empty() || refused.err.empty());
  EXPECT_FALSE(std::filesystem::exists(NativePath(folder / u"never.xml")));
}

}  // namespace
}  // namespace qv::test
