#pragma once
// Pieces shared by the three reports: the task lines and the report's file name.

#include <cstddef>
#include <string>
#include <string_view>

#include "model/list_window.h"
#include "model/task.h"
#include "platform/files.h"

namespace qv {

inline constexpr Win32Error kErrorInvalidHandle = 6;
inline constexpr Win32Error kErrorInsufficientBuffer = 122;

// The header formatter works in a buffer of 256 characters: "Task name: " and the name must
// fit with room to spare.
inline constexpr std::size_t kMaxHeaderNameChars = 244;
// Titles longer than this are read as empty, as the window text is read into a buffer of
// this size.
inline constexpr std::size_t kReportTitleLimit = 260;
// Paths are built in MAX_PATH buffers, the terminator included.
inline constexpr std::size_t kMaxReportPathChars = 259;

// "%d %d.%d %02d:%02d:%02d" of year, day, month, hour, minute, second: 2012 5.3 14:07:09.
std::u16string FormatReportTime(const SYSTEMTIME& time);

// "Task name: " and the name; kErrorInsufficientBuffer, header untouched, for a name longer
// than kMaxHeaderNameChars.
Win32Error FormatTaskHeader(const TaskInfo& task, std::u16string& header);
// "Solved: TIME", "Cancelled: TIME" (closed time) or "Status: in progress". Always 0.
Win32Error FormatTaskStatus(const TaskInfo& task, std::u16string& status);

// The header line the reports write. A name too long for FormatTaskHeader is still written in
// full: a report that drops or cuts a task's name would lose the one thing that identifies it.
std::u16string ReportHeaderLine(const TaskInfo& task);

// The list's title as the reports read it: empty when longer than kReportTitleLimit.
std::u16string ReportTitle(const CGenWindow& list);

// folder + '\' + the title with every character a file name cannot hold (\ / : * ? " < > |
// and control characters) replaced by '_', + extension. When the whole does not fit in
// kMaxReportPathChars the title is shortened, never the extension, and never between the two
// halves of a surrogate pair. False when not even the folder and the extension fit.
bool BuildReportPath(std::u16string_view folder, std::u16string_view title,
                     std::u16string_view extension, std::u16string& path);

// How an export ends once the file is written.
enum class AfterExport {
  OpenReport,  // the program: show it with the user's default program
  LeaveClosed  // scripts and tests: only write it
};

}  // namespace qv
