#include "cli/workspace_commands.h"

#include "cli/cli.h"
#include "cli/json.h"
#include "model/headless.h"
#include "platform/text.h"
#include "workspace/workspace_file.h"

namespace qv::cli {
namespace {

std::string Message(XmlError code) {
  return Utf16ToUtf8(XmlErrorText(code));
}

}  // namespace

int WorkspaceCheck(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  HeadlessHost host;
  Workspace ws(host);
  XmlParseResult result;
  const bool loaded = LoadWorkspace(ws, Utf8ToUtf16(args[0]), &result);
  out << "result " << static_cast<int>(result.error) << ' ' << Message(result.error) << '\n';
  if (!loaded) {
    FileError(err, "workspace-check", args[0], Message(result.error));
    return kExitRefused;
  }
  for (const auto& entry : ws.ListWindows) {
    const CGenWindow* list = entry->window.get();
    if (list == nullptr) continue;
    out << "list " << list->type << ' ' << list->visible << ' ' << list->tasks.size() << ' '
        << list->logLinks.size() << ' ' << JsonString(list->Title()) << '\n';
  }
  return kExitOk;
}

int WorkspaceRewrite(std::span<const std::string> args, std::ostream&, std::ostream& err) {
  HeadlessHost host;
  Workspace ws(host);
  XmlParseResult result;
  if (!LoadWorkspace(ws, Utf8ToUtf16(args[0]), &result)) {
    FileError(err, "workspace-rewrite", args[0], Message(result.error));
    return kExitRefused;
  }
  const XmlError written = SaveWorkspace(ws, Utf8ToUtf16(args[1]));
  if (written == XmlError::NoError) return kExitOk;
  FileError(err, "workspace-rewrite", args[1], Message(written));
  return kExitRefused;
}

}  // namespace qv::cli
