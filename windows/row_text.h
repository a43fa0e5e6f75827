#pragma once
// The texts of a task row's two tooltips.

#include <cstddef>
#include <string>

#include "model/task.h"

namespace qv {

// All tooltip texts are handed out from one buffer of this many characters, so a text is cut
// to one less (a NUL ends it); the task keeps its whole name.
inline constexpr std::size_t kTooltipBufferChars = 1024;

// The main button's: name, priority, difficulty, start and deadline, and the closed time once
// there is one (year not 0), each line ending in a line feed.
std::u16string TaskTooltipText(const TaskInfo& task);
// The check button's: the time to or after the deadline in days, hours, minutes and seconds.
std::u16string DeadlineTooltipText(const TaskInfo& task);

}  // namespace qv
