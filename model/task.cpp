#include "model/task.h"

namespace qv {

std::atomic<std::int32_t> OverduePulse{kPulseStart};

void CopyTaskData(TaskInfo& destination, const TaskInfo& source) {
  destination = source;
}

namespace {

constexpr std::uint32_t kSecondsPerDay = 86'400;

}  // namespace

std::uint64_t TimeTicks(const SYSTEMTIME& time) {
  FILETIME ft{};
  SystemTimeToFileTime(time, ft);
  return FileTimeToU64(ft);
}

std::uint64_t LocalNowTicks() {
  return TimeTicks(GetLocalTime());
}

double TimeUntil(const SYSTEMTIME& time, std::uint64_t now) {
  return static_cast<double>(TimeTicks(time)) - static_cast<double>(now);
}

double TimeUntil(const SYSTEMTIME& time) {
  return TimeUntil(time, LocalNowTicks());
}

Countdown DeadlineCountdown(const TaskInfo& task) {
  double d = TimeUntil(task.deadline);
  Countdown c{};
  if (d < 0) {
    c.afterDeadline = true;
    d = -d;
  }
  const auto seconds = static_cast<std::uint32_t>(static_cast<std::uint64_t>(
      static_cast<std::int64_t>(d / static_cast<double>(kTicksPerSecond))));
  c.days = seconds / kSecondsPerDay;
  c.hours = seconds / 3600 % 24;
  c.minutes = seconds / 60 % 60;
  c.seconds = seconds % 60;
  return c;
}

std::int32_t deadlineLevel(const TaskInfo& task, double colourSpan, std::uint64_t now) {
  const double d = TimeUntil(task.deadline, now);
  if (d < 0) return OverduePulse.load(std::memory_order_relaxed);
  if (colourSpan == 0 || d >= colourSpan) return kLevelMostTimeLeft;
  return static_cast<std::int32_t>(d / colourSpan * kLevelMostTimeLeft + 0.5);
}

}  // namespace qv
