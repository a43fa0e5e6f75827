#include "cli/report_commands.h"

#include "cli/cli.h"
#include "model/headless.h"
#include "platform/files.h"
#include "platform/text.h"
#include "reports/pdf_report.h"
#include "reports/text_reports.h"
#include "workspace/workspace_file.h"

namespace qv::cli {

int ExportReport(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args[0] != "html" && args[0] != "text" && args[0] != "pdf") return UsageError(err, "export");
  const std::string& format = args[0];
  HeadlessHost host;
  Workspace ws(host);
  if (!LoadWorkspace(ws, Utf8ToUtf16(args[1]))) {
    FileError(err, "export", args[1], "cannot load the workspace");
    return kExitRefused;
  }
  const CGenWindow* list = FindListWindowByTitle(ws, Utf8ToUtf16(args[2]));
  if (list == nullptr) {
    err << "quorvane-cli: export: no list window titled '" << args[2] << "'\n";
    return kExitRefused;
  }
  const std::u16string folder = Utf8ToUtf16(args[3]);
  std::u16string path;
  std::uint32_t result = 0;
  if (format == "html") {
    result = ExportHtml(*list, folder, AfterExport::LeaveClosed, &path);
  } else if (format == "text") {
    result = ExportText(*list, folder, AfterExport::LeaveClosed, &path);
  } else {
    // The report's diagnostics go to standard output; keep them apart from the path.
    out.flush();
    result = static_cast<std::uint32_t>(ExportPdf(*list, folder, AfterExport::LeaveClosed, &path));
  }
  if (result != 0 || path.empty()) {
    err << "quorvane-cli: export: " << args[3] << ": cannot write the report (result " << result
        << ")\n";
    return kExitRefused;
  }
  out << PathForDisplay(path) << '\n';
  return kExitOk;
}

}  // namespace qv::cli
