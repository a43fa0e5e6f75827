#include "model/task.h"

#include <gtest/gtest.h>

#include "tests/model/model_test_support.h"

namespace qv {
namespace {

using test::kHourMs;
using test::NowPlusMs;

struct CountdownCase {
  const char* name;
  SYSTEMTIME deadline;
  Countdown expected;
};

TEST(DeadlineCountdown, SplitsWholeSecondsOnEitherSideOfTheDeadline) {
  const ScopedTestClock clock(test::kNow);
  const std::int64_t ahead = ((24 + 2) * 60 + 3) * 60'000 + 4'900;
  const CountdownCase cases[] = {
      {"exactly now", test::kNow, {false, 0, 0, 0, 0}},
      {"fraction of a second dropped", NowPlusMs(ahead), {false, 1, 2, 3, 4}},
      {"90 s past", NowPlusMs(-90'000), {true, 0, 0, 1, 30}},
      {"half a second past", NowPlusMs(-500), {true, 0, 0, 0, 0}},
      {"a day past", NowPlusMs(-24 * kHourMs), {true, 1, 0, 0, 0}},
  };
  for (const CountdownCase& c : cases) {
    TaskInfo task;
    task.deadline = c.deadline;
    const Countdown got = DeadlineCountdown(task);
    EXPECT_EQ(got.afterDeadline, c.expected.afterDeadline) << c.name;
    EXPECT_EQ(got.days, c.expected.days) << c.name;
    EXPECT_EQ(got.hours, c.expected.hours) << c.name;
    EXPECT_EQ(got.minutes, c.expected.minutes) << c.name;
    EXPECT_EQ(got.seconds, c.expected.seconds) << c.name;
  }
}

TEST(TimeUntil, AnUnsetOrInvalidTimeIsTheEarliestTime) {
  const ScopedTestClock clock(test::kNow);
  FILETIME now{};
  ASSERT_TRUE(SystemTimeToFileTime(test::kNow, now));
  const double sinceEpoch = static_cast<double>(FileTimeToU64(now));
  EXPECT_EQ(TimeUntil(SYSTEMTIME{}), -sinceEpoch);
  EXPECT_EQ(TimeUntil(test::Local(2027, 2, 30)), -sinceEpoch);
  EXPECT_EQ(TimeUntil(NowPlusMs(1500)), 15'000'000.0);

  TaskInfo unset;
  EXPECT_TRUE(DeadlineCountdown(unset).afterDeadline);
  OverduePulse = 95;
  EXPECT_EQ(deadlineLevel(unset, 0.0), 95);
  OverduePulse = kPulseStart;
}

TEST(DeadlineLevel, ScalesTheTimeLeftByTheListsSpan) {
  const ScopedTestClock clock(test::kNow);
  constexpr double kTicksPerMs = 10'000;
  const double tenHours = 10 * kHourMs * kTicksPerMs;
  TaskInfo task;
  task.deadline = NowPlusMs(5 * kHourMs);
  EXPECT_EQ(deadlineLevel(task, tenHours), 255);
  EXPECT_EQ(deadlineLevel(task, 5 * kHourMs * kTicksPerMs), 510);  // the task that sets the span
  EXPECT_EQ(deadlineLevel(task, 0.0), 510);
  task.deadline = NowPlusMs(1);
  EXPECT_EQ(deadlineLevel(task, 1020 * kTicksPerMs), 1);  // 0.5 rounds away from zero
  task.deadline = test::kNow;
  EXPECT_EQ(deadlineLevel(task, tenHours), 0);
}

TEST(CopyTaskData, KeepsAMissingTextApartFromAnEmptyOne) {
  TaskInfo source = test::Task(u"Report", 40);
  source.remarks = u"";
  source.difficulty = 250;  // beyond the sliders' range, kept as it is
  TaskInfo copy;
  CopyTaskData(copy, source);
  source.name->append(u" changed");
  EXPECT_EQ(copy.name, u"Report");
  EXPECT_EQ(copy.remarks, u"");
  EXPECT_EQ(copy.difficulty, 250u);
  CopyTaskData(copy, TaskInfo{});
  EXPECT_FALSE(copy.name.has_value());
  EXPECT_FALSE(copy.remarks.has_value());
}

}  // namespace
}  // namespace qv
