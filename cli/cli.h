#pragma once
// quorvane-cli: the program's core for scripts, tests and benchmarks.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace qv::cli {

// Exit statuses shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  // the input was read and refused
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

// Prints the command's usage line to err and returns kExitUsage, for arguments that are
// wrong in more than their number.
int UsageError(std::ostream& err, std::string_view command);

// Runs one command line (without the program name); arguments and output are UTF-8.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace qv::cli
