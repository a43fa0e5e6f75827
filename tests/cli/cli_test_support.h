#pragma once
// Shared by the command tests: one command line run in process, and a scratch folder per test.

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "tests/workspace/workspace_test_support.h"

namespace qv::test {

struct Outcome {
  int status;
  std::string out;
  std::string err;
  bool operator==(const Outcome&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const Outcome& o) {
    return os << "status " << o.status << ", out \"" << o.out << "\", err \"" << o.err << '"';
  }
};

inline Outcome RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = cli::Run(args, out, err);
  return {status, out.str(), err.str()};
}

// A path as a command-line argument.
inline std::string Arg(const std::u16string& path) {
  return Utf16ToUtf8(path);
}

}  // namespace qv::test
