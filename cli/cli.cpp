#include "cli/cli.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "cli/image_commands.h"
#include "cli/report_commands.h"
#include "cli/workspace_commands.h"
#include "cli/xml_commands.h"
#include "platform/files.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

struct Command {
  const char* name;
  const char* synopsis;  // arguments, as shown by --help and in usage errors
  const char* summary;
  // The number of arguments the command takes; Run refuses any other count.
  std::size_t minArgs;
  std::size_t maxArgs;
  int (*run)(std::span<const std::string> args, std::ostream& out, std::ostream& err);
};

// Subcommands in the order --help lists them.
const std::vector<Command> kCommands = {
    {"xml-dump", "FILE [TAG]", "List the element tree an XML file parses to", 1, 2, XmlDump},
    {"xml-rewrite", "IN OUT", "Parse an XML file and write it with the writer", 2, 2, XmlRewrite},
    {"png-decode", "FILE OUT", "Decode a toolbar PNG and write its samples", 2, 2, PngDecode},
    {"inflate", "IN OUT", "Decode raw DEFLATE data", 2, 2, Inflate},
    {"workspace-check", "FILE", "Load a workspace and list its list windows", 1, 1, WorkspaceCheck},
    {"workspace-rewrite", "IN OUT", "Load a workspace and save it again", 2, 2, WorkspaceRewrite},
    {"export", "html|text|pdf WORKSPACE TITLE OUTDIR", "Write a list window's report", 4, 4,
     ExportReport},
};

const Command* FindCommand(std::string_view name) {
  const auto command = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const Command& c) { return name == c.name; });
  return command == kCommands.end() ? nullptr : &*command;
}

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

int UsageError(std::ostream& err, std::string_view command) {
  const Command* c = FindCommand(command);
  err << "quorvane-cli: usage: " << command << ' ' << (c ? c->synopsis : "") << '\n';
  return kExitUsage;
}

void FileError(std::ostream& err, std::string_view command, const std::string& path,
               std::string_view reason) {
  err << "quorvane-cli: " << command << ": " << path << ": "
      << (IsFolder(Utf8ToUtf16(path)) ? "is a folder, not a file" : reason) << '\n';
}

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
  const Command* command = FindCommand(name);
  if (command == nullptr) {
    err << "quorvane-cli: unknown command '" << name << "'; try --help\n";
    return kExitUsage;
  }
  const std::span<const std::string> rest = std::span(args).subspan(1);
  if (rest.size() < command->minArgs || rest.size() > command->maxArgs) {
    return UsageError(err, name);
  }
  return command->run(rest, out, err);
}

}  // namespace qv::cli
