#pragma once
// The reports subsystem's subcommand.

#include <ostream>
#include <span>
#include <string>

namespace qv::cli {

// export FORMAT WORKSPACE TITLE OUTDIR: FORMAT is html, text or pdf. Loads WORKSPACE headless
// and writes the report of the list window titled exactly TITLE into OUTDIR without opening
// it; prints the written path. Exit 1 when the workspace cannot be loaded, no window has that
// title or the report cannot be written.
int ExportReport(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace qv::cli
