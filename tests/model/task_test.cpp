#include "model/task.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/model/model_test_support.h"

namespace qv::test {
namespace {

TEST(DeadlineCountdown, SplitsWholeSecondsOnEitherSideOfTheDeadline) {
  const ScopedTestClock clock(kNow);
  const auto fields = [](const Countdown& c) {
    return std::tuple(c.afterDeadline, c.days, c.hours, c.minutes, c.seconds);
  };
  const std::int64_t ahead = ((24 + 2) * 60 + 3) * 60'000 + 4'900;
  const std::tuple<const char*, SYSTEMTIME, Countdown> cases[] = {
      {"exactly now", kNow, {false, 0, 0, 0, 0}},
      {"fraction of a second dropped", NowPlusMs(ahead), {false, 1, 2, 3, 4}},
      {"90 s past", NowPlusMs(-90'000), {true, 0, 0, 1, 30}},
      {"half a second past", NowPlusMs(-500), {true, 0, 0, 0, 0}},
      {"a day past", NowPlusMs(-24 * kHourMs), {true, 1, 0, 0, 0}},
  };
  for (const auto& [name, deadline, expected] : cases) {
    EXPECT_EQ(fields(DeadlineCountdown(Task(u"t", 0, deadline))), fields(expected)) << name;
  }
}

TEST(DeadlineLevel, ScalesTheTimeLeftByTheListsSpanAndAnUnsetTimeIsOverdue) {
  const ScopedTestClock clock(kNow);
  constexpr double kTicksPerMs = 10'000;
  const double tenHours = 10 * kHourMs * kTicksPerMs;
  const std::uint64_t now = LocalNowTicks();
  TaskInfo task;
  task.deadline = NowPlusMs(5 * kHourMs);
  EXPECT_EQ(deadlineLevel(task, tenHours, now), 255);
  EXPECT_EQ(deadlineLevel(task, 5 * kHourMs * kTicksPerMs, now),
            510);  // the task that sets the span
  EXPECT_EQ(deadlineLevel(task, 0.0, now), 510);
  task.deadline = NowPlusMs(1);
  EXPECT_EQ(deadlineLevel(task, 1020 * kTicksPerMs, now), 1);  // 0.5 rounds away from zero
  task.deadline = kNow;
  EXPECT_EQ(deadlineLevel(task, tenHours, now), 0);

  // An unset or invalid time is the earliest time there is.
  EXPECT_EQ(TimeUntil(Local(2027, 2, 30)), -static_cast<double>(now));
  EXPECT_EQ(TimeUntil(NowPlusMs(1500)), 15'000'000.0);
  OverduePulse = 95;
  EXPECT_EQ(deadlineLevel(TaskInfo{}, 0.0, now), 95);
  OverduePulse = kPulseStart;
}

}  // namespace
}  // namespace qv::test
