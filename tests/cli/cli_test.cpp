#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunCli(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = qv::cli::Run(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(Cli, HelpAndVersionSucceedOnStandardOutput) {
  for (const char* flag : {"--help", "-h", "help"}) {
    Outcome r = RunCli({flag});
    EXPECT_EQ(r.status, qv::cli::kExitOk) << flag;
    EXPECT_NE(r.out.find("Usage: quorvane-cli"), std::string::npos) << flag;
    EXPECT_NE(r.out.find("1 input refused, 2 usage error"), std::string::npos) << flag;
    EXPECT_EQ(r.err, "") << flag;
  }
  Outcome v = RunCli({"--version"});
  EXPECT_EQ(v.status, qv::cli::kExitOk);
  EXPECT_EQ(v.out, "quorvane-cli " QUORVANE_VERSION "\n");
}

TEST(Cli, UsageErrorsExitTwoAndWriteOnlyToStandardError) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"no-such-command"}, {"--Version"}, {""}}) {
    Outcome r = RunCli(args);
    EXPECT_EQ(r.status, qv::cli::kExitUsage);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("try --help"), std::string::npos);
  }
}

}  // namespace
