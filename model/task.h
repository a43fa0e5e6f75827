#pragma once
// One task's data and the time arithmetic around its deadline.

#include <atomic>
#include <cstdint>

#include "platform/text.h"
#include "platform/time.h"

namespace qv {

// Stored as a plain number: a file may hold any value, and any other value reads as open.
enum class TaskState : std::uint32_t { InProgress = 0, Solved = 1, Cancelled = 2 };

struct EditorRect {
  std::int32_t x;
  std::int32_t y;
  std::int32_t width;
  std::int32_t height;

  friend bool operator==(const EditorRect&, const EditorRect&) = default;
};

struct TaskInfo {
  NullableText name;
  NullableText remarks;
  SYSTEMTIME startTime{};
  SYSTEMTIME deadline{};
  SYSTEMTIME closedTime{};  // all zero while the task is open
  std::uint32_t difficulty = 0;
  std::uint32_t priority = 0;
  std::uint32_t state = static_cast<std::uint32_t>(TaskState::InProgress);
  // Where the task editor was last closed; a task made before data arrives opens it here.
  EditorRect editorRect{20, 50, 300, 400};

  // The all-zero record a new task starts from (editor rectangle included).
  static TaskInfo Zero() {
    TaskInfo info;
    info.editorRect = {};
    return info;
  }
};

// Gives a fresh destination the source's data; texts are copied, a missing text stays missing.
void CopyTaskData(TaskInfo& destination, const TaskInfo& source);

// A local time in 100 ns units; one that is not a valid date counts as 0, the earliest.
std::uint64_t TimeTicks(const SYSTEMTIME& time);
// The local now in 100 ns units. A pass over many tasks reads it once: the clock costs more
// than the arithmetic.
std::uint64_t LocalNowTicks();
// Signed time from now (in the units above) to a local time, in 100 ns units; positive in the
// future. A time that is not a valid date (the all-zero unset time above all) counts as the
// earliest possible time.
double TimeUntil(const SYSTEMTIME& time, std::uint64_t now);
double TimeUntil(const SYSTEMTIME& time);

struct Countdown {
  bool afterDeadline;  // the deadline has passed (exactly now is not after it)
  std::uint32_t days;
  std::uint32_t hours;
  std::uint32_t minutes;
  std::uint32_t seconds;
};
// The time to or after a task's deadline in whole seconds (fractions dropped). The seconds are
// counted in 32 bits, so spans of 2^32 seconds or more wrap.
Countdown DeadlineCountdown(const TaskInfo& task);

// The pulse level of overdue tasks, 15..255. One worker thread writes it; painters read it
// without a lock, so one relaxed 32-bit read is all a reader needs.
inline constexpr std::int32_t kPulseStart = 255;
extern std::atomic<std::int32_t> OverduePulse;

inline constexpr std::int32_t kLevelMostTimeLeft = 510;
// What tints a task's check mark: 0 (due now) to 510 (the most time left in its list),
// scaled by the list's colour span; OverduePulse once the deadline has passed.
std::int32_t deadlineLevel(const TaskInfo& task, double colourSpan, std::uint64_t now);

}  // namespace qv
