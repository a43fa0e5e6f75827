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

}  // namespace
}  // namespace qv::test
