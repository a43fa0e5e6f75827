#pragma once
// The workspace file's subcommands, run on the headless window seam exactly as the program
// loads and saves.

#include <ostream>
#include <span>
#include <string>

namespace qv::cli {

// workspace-check FILE: "result CODE TEXT" (the parse result and its message), then for each
// list window in collection order "list TYPE VISIBLE TASKS LINKS TITLE", TITLE a JSON string
// literal. Exit status 1 when the file is refused.
int WorkspaceCheck(std::span<const std::string> args, std::ostream& out, std::ostream& err);

// workspace-rewrite IN OUT: IN loaded into an empty workspace and saved to OUT. Nothing is
// written when IN is refused. Without "MainAppData" in IN, OUT places the frame where the
// headless frame starts: (0, 0) to (800, 600), keep-size 0.
int WorkspaceRewrite(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace qv::cli
