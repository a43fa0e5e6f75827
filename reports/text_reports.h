#pragma once
// The HTML and text reports of one list window: UTF-16 little-endian files.

#include <string>

#include "model/list_window.h"
#include "platform/files.h"
#include "reports/report_format.h"

namespace qv {

// Write the list's report to folder + '\' + title + ".html" / ".txt", replacing an existing
// file, and open it unless told not to. The program passes the user data folder; the folder
// is a parameter so that quorvane-cli and the tests can write elsewhere.
//
// Results: 0 written (and opened); kErrorNotEnoughMemory when the report cannot be built;
// kErrorInvalidHandle when the file cannot be created (also for a folder too long for a path);
// the write error when the file was created but not completely written, in which case it is
// not opened either. writtenPath, when given, receives the path on success.
Win32Error ExportHtml(const CGenWindow& list, const std::u16string& folder,
                      AfterExport after = AfterExport::OpenReport,
                      std::u16string* writtenPath = nullptr);
Win32Error ExportText(const CGenWindow& list, const std::u16string& folder,
                      AfterExport after = AfterExport::OpenReport,
                      std::u16string* writtenPath = nullptr);

// & < > " and ' as character references, so that names and remarks stay text in the page.
std::u16string EscapeHtml(std::u16string_view text);

}  // namespace qv
