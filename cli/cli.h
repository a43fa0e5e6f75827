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

// Prints "quorvane-cli: COMMAND: PATH: REASON" for a file that could not be read or written,
// except that a path naming a folder is said to be one, whatever went wrong with it.
void FileError(std::ostream& err, std::string_view command, const std::string& path,
               std::string_view reason);

// Runs one command line (without the program name); arguments and output are UTF-8.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace qv::cli
