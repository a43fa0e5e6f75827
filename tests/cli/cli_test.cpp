#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"

namespace qv::test {
namespace {

TEST(Cli, HelpAndVersionSucceedOnStandardOutput) {
  for (const char* flag : {"--help", "-h", "help"}) {
    const Outcome r = RunCli({flag});
    EXPECT_EQ(r.status, cli::kExitOk) << flag;
    EXPECT_NE(r.out.find("Usage: quorvane-cli"), std::string::npos) << flag;
    EXPECT_NE(r.out.find("1 input refused, 2 usage error"), std::string::npos) << flag;
    EXPECT_EQ(r.err, "") << flag;
  }
  EXPECT_EQ(RunCli({"--version"}), (Outcome{0, "quorvane-cli " QUORVANE_VERSION "\n", ""}));
}

// Every command's wrong command lines: exit 2, nothing on standard output, and a hint.
TEST(Cli, UsageErrorsExitTwoAndWriteOnlyToStandardError) {
  using Args = std::vector<std::string>;
  const std::pair<Args, std::string> cases[] = {
      {{}, "try --help"},
      {{"no-such-command"}, "try --help"},
      {{"--Version"}, "try --help"},
      {{""}, "try --help"},
      {{"xml-dump"}, "usage: xml-dump"},
      {{"xml-dump", "a", "b", "c"}, "usage: xml-dump"},
      {{"xml-rewrite", "a"}, "usage: xml-rewrite"},
      {{"xml-rewrite", "a", "b", "c"}, "usage: xml-rewrite"},
      {{"png-decode", "a"}, "usage: png-decode"},
      {{"inflate", "a", "b", "c"}, "usage: inflate"},
      {{"workspace-check"}, "usage: workspace-check"},
      {{"workspace-rewrite", "a"}, "usage: workspace-rewrite"},
      {{"export", "rtf", "ws", "title", "dir"}, "usage: export"},
      {{"export", "html", "ws", "title"}, "usage: export"},
  };
  for (const auto& [args, hint] : cases) {
    const Outcome r = RunCli(args);
    EXPECT_EQ(r.status, cli::kExitUsage) << hint;
    EXPECT_EQ(r.out, "") << hint;
    EXPECT_NE(r.err.find(hint), std::string::npos) << r.err;
  }
}

// Whatever code the system gives for it, a folder where a file belongs is called a folder.
TEST(Cli, EveryCommandSaysWhenAFileIsAFolder) {
  const ScratchFolder folder;
  const std::string dir = Arg(folder.path), ws = Arg(folder / u"ws.xml"),
                    raw = Arg(folder / u"raw"), out = Arg(folder / u"out");
  WriteUtf16File(folder / u"ws.xml", u"<Root><TaskList TaskListName='L'/></Root>");
  ASSERT_EQ(WriteWholeFile(folder / u"raw", std::vector<std::uint8_t>{1, 1, 0, 0xFE, 0xFF, 'a'}),
            kErrorSuccess);
  const std::vector<std::string> commands[] = {
      {"xml-dump", dir},
      {"xml-rewrite", dir, out},
      {"xml-rewrite", ws, dir},
      {"png-decode", dir, out},
      {"inflate", dir, out},
      {"inflate", raw, dir},
      {"workspace-check", dir},
      {"workspace-rewrite", dir, out},
      {"workspace-rewrite", ws, dir},
      {"export", "html", dir, "L", dir},
  };
  for (const auto& args : commands) {
    const Outcome o = RunCli(args);
    EXPECT_EQ(o.status, cli::kExitRefused) << o;
    EXPECT_EQ(o.err, "quorvane-cli: " + args[0] + ": " + dir + ": is a folder, not a file\n");
  }
}

}  // namespace
}  // namespace qv::test
