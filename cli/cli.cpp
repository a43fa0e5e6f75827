#include "cli/cli.h"

#include <algorithm>
#include <span>

#include "cli/image_commands.h"
#include "cli/report_commands.h"
#include "cli/workspace_commands.h"
#include "cli/xml_commands.h"

namespace qv::cli {
namespace {

struct Command {
  const char* name;
  const char* synopsis;  // arguments, as shown by --help
  const char* summary;
  int (*run)(std::span<const std::string> args, std::ostream& out, std::ostream& err);
};

// Subcommands in the order --help lists them.
const std::vector<Command> kCommands = {
    {"xml-dump", "FILE [TAG]", "List the element tree an XML file parses to", XmlDump},
    {"xml-rewrite", "IN OUT", "Parse an XML file and write it with the writer", XmlRewrite},
    {"png-decode", "FILE OUT", "Decode a toolbar PNG and write its samples", PngDecode},
    {"inflate", "IN OUT", "Decode raw DEFLATE data", Inflate},
    {"workspace-check", "FILE", "Load a workspace and list its list windows", WorkspaceCheck},
    {"workspace-rewrite", "IN OUT", "Load a workspace and save it again", WorkspaceRewrite},
    {"export", "FORMAT WORKSPACE TITLE OUTDIR", "Write a list window's report (html, text, pdf)",
     ExportReport},
};

void PrintHelp(std::ostream& out) {
  out << "Usage: quorvane-cli COMMAND [ARGUMENTS]\n"
         "       quorvane-cli --help | --version\n";
  if (!kCommands.empty()) out << "\nCommands:\n";
  for (const Command& c : kCommands) {
    std::string line = std::string(c.name) + (*c.synopsis ? " " : "") + c.synopsis;
    out << "  " << line << std::string(line.size() < 30 ? 30 - line.size() : 1, ' ') << c.summary
        << '\n';
  }
  out << "\nExit status: 0 success, 1 input refused, 2 usage error.\n";
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "quorvane-cli: no command given; try --help\n";
    return kExitUsage;
  }
  const std::string& name = args.front();
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(out);
    return kExitOk;
  }
  if (name == "--version") {
    out << "quorvane-cli " << QUORVANE_VERSION << '\n';
    return kExitOk;
  }
  const auto command = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const Command& c) { return name == c.name; });
  if (command == kCommands.end()) {
    err << "quorvane-cli: unknown command '" << name << "'; try --help\n";
    return kExitUsage;
  }
  return command->run(std::span(args).subspan(1), out, err);
}

}  // namespace qv::cli
