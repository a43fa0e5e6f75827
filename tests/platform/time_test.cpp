#include "platform/time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace qv {
namespace {

constexpr std::uint64_t kTicksPerMs = 10'000;
constexpr std::uint64_t kTicksPerDay = 86'400 * kTicksPerSecond;
constexpr std::uint64_t kFirstInvalidTicks = std::uint64_t{1} << 63;

SYSTEMTIME Time(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour = 0,
                std::uint16_t minute = 0, std::uint16_t second = 0, std::uint16_t ms = 0,
                std::uint16_t dayOfWeek = 0) {
  return SYSTEMTIME{year, month, dayOfWeek, day, hour, minute, second, ms};
}

std::uint64_t Ticks(const SYSTEMTIME& st) {
  FILETIME ft{};
  EXPECT_TRUE(SystemTimeToFileTime(st, ft)) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
  return FileTimeToU64(ft);
}

struct KnownTime {
  SYSTEMTIME time;  // wDayOfWeek as FileTimeToSystemTime fills it
  std::uint64_t ticks;
};

const KnownTime kKnownTimes[] = {
    {Time(1601, 1, 1, 0, 0, 0, 0, 1), 0},
    {Time(1900, 3, 1, 0, 0, 0, 0, 4), 94'405'824'000'000'000},
    {Time(1970, 1, 1, 0, 0, 0, 0, 4), 116'444'736'000'000'000},
    {Time(2000, 1, 1, 0, 0, 0, 0, 6), 125'911'584'000'000'000},
    {Time(2024, 2, 29, 0, 0, 0, 0, 4), 133'536'384'000'000'000},
    {Time(2024, 3, 10, 12, 34, 56, 789, 0), 133'545'476'967'890'000},
    {Time(30827, 12, 31, 23, 59, 59, 999, 5), 9'223'149'887'999'990'000},
};

TEST(SystemTimeToFileTime, KnownValues) {
  for (const KnownTime& known : kKnownTimes) EXPECT_EQ(Ticks(known.time), known.ticks);
}

TEST(FileTimeToSystemTime, KnownValuesWithDayOfWeekAndTheSignedLimit) {
  for (const KnownTime& known : kKnownTimes) {
    SYSTEMTIME st{};
    EXPECT_TRUE(FileTimeToSystemTime(U64ToFileTime(known.ticks), st));
    EXPECT_EQ(st, known.time) << known.ticks;
  }
  SYSTEMTIME st{};
  EXPECT_TRUE(FileTimeToSystemTime(U64ToFileTime(kFirstInvalidTicks - 1), st));
  EXPECT_EQ(st, Time(30828, 9, 14, 2, 48, 5, 477, 4));
  for (const std::uint64_t ticks : {kFirstInvalidTicks, ~std::uint64_t{0}}) {
    EXPECT_FALSE(FileTimeToSystemTime(U64ToFileTime(ticks), st)) << ticks;
    EXPECT_EQ(st.wYear, 30828) << "left untouched";
  }
}

struct FieldCase {
  const char* name;
  SYSTEMTIME time;
  bool valid;
};

TEST(SystemTimeToFileTime, ChecksEachFieldAtItsBounds) {
  const FieldCase cases[] = {
      {"year 1600", Time(1600, 12, 31, 23, 59, 59, 999), false},
      {"year 1601", Time(1601, 1, 1), true},
      {"year 30827", Time(30827, 12, 31), true},
      {"year 30828", Time(30828, 1, 1), false},
      {"month 0", Time(2023, 0, 1), false},
      {"month 12", Time(2023, 12, 31), true},
      {"month 13", Time(2023, 13, 1), false},
      {"day 0", Time(2023, 1, 0), false},
      {"31 January", Time(2023, 1, 31), true},
      {"30 April", Time(2023, 4, 30), true},
      {"31 April", Time(2023, 4, 31), false},
      {"29 February 1900", Time(1900, 2, 29), false},
      {"29 February 2000", Time(2000, 2, 29), true},
      {"29 February 2023", Time(2023, 2, 29), false},
      {"29 February 2024", Time(2024, 2, 29), true},
      {"30 February 2024", Time(2024, 2, 30), false},
      {"29 February 2100", Time(2100, 2, 29), false},
      {"hour 23", Time(2023, 6, 15, 23), true},
      {"hour 24", Time(2023, 6, 15, 24), false},
      {"minute 59", Time(2023, 6, 15, 0, 59), true},
      {"minute 60", Time(2023, 6, 15, 0, 60), false},
      {"second 59", Time(2023, 6, 15, 0, 0, 59), true},
      {"second 60", Time(2023, 6, 15, 0, 0, 60), false},
      {"millisecond 999", Time(2023, 6, 15, 0, 0, 0, 999), true},
      {"millisecond 1000", Time(2023, 6, 15, 0, 0, 0, 1000), false},
      {"day of week ignored", Time(2023, 6, 15, 0, 0, 0, 0, 0xFFFF), true},
  };
  for (const FieldCase& c : cases) {
    FILETIME ft{0xDEAD, 0xBEEF};
    EXPECT_EQ(SystemTimeToFileTime(c.time, ft), c.valid) << c.name;
    if (!c.valid) {
      EXPECT_EQ(ft, (FILETIME{0xDEAD, 0xBEEF})) << c.name;
    }
  }
}

TEST(FileTimeToSystemTime, RoundTripsAcrossTheWholeRange) {
  // A prime stride visits every weekday, month and leap position; the odd offset within the
  // day exercises every time field, and sub-millisecond ticks must be dropped.
  constexpr std::uint64_t kStrideDays = 97;
  const std::uint64_t lastDay = Ticks(Time(30827, 12, 31)) / kTicksPerDay;
  for (std::uint64_t day = 0; day <= lastDay; day += kStrideDays) {
    const std::uint64_t ticks = day * kTicksPerDay + (day * 7'919'113) % kTicksPerDay;
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(U64ToFileTime(ticks), st)) << ticks;
    ASSERT_EQ(st.wDayOfWeek, (day + 1) % 7) << ticks;
    ASSERT_EQ(Ticks(st), ticks - ticks % kTicksPerMs) << ticks;
  }
}

TEST(ScopedTestClock, UtcIsLocalMinusTheBias) {
  const struct {
    SYSTEMTIME local;
    std::int32_t localMinusUtcMinutes;
    SYSTEMTIME utc;
  } cases[] = {
      {Time(2024, 3, 10, 12, 34, 56, 789, 0), 0, Time(2024, 3, 10, 12, 34, 56, 789, 0)},
      {Time(2024, 1, 1, 0, 30, 0, 0, 1), 60, Time(2023, 12, 31, 23, 30, 0, 0, 0)},
      {Time(2024, 2, 28, 23, 0, 0, 0, 3), -330, Time(2024, 2, 29, 4, 30, 0, 0, 4)},
  };
  for (const auto& c : cases) {
    const ScopedTestClock clock(c.local, c.localMinusUtcMinutes);
    EXPECT_EQ(GetLocalTime(), c.local);
    EXPECT_EQ(GetSystemTime(), c.utc);
    EXPECT_EQ(FileTimeToU64(GetSystemTimeAsFileTime()), Ticks(c.utc));
  }
}

TEST(ScopedTestClock, AdvanceMovesBothClocks) {
  ScopedTestClock clock(Time(2024, 2, 28, 23, 59, 59, 999), 120);
  clock.Advance(kTicksPerMs);
  EXPECT_EQ(GetLocalTime(), Time(2024, 2, 29, 0, 0, 0, 0, 4));
  EXPECT_EQ(GetSystemTime(), Time(2024, 2, 28, 22, 0, 0, 0, 3));
  clock.Advance(-static_cast<std::int64_t>(2 * kTicksPerDay));
  EXPECT_EQ(GetLocalTime(), Time(2024, 2, 27, 0, 0, 0, 0, 2));
}

TEST(Clock, RealClocksAgreeAfterTheTestClockEnds) {
  const SYSTEMTIME fixed = Time(2001, 2, 3, 4, 5, 6, 7);
  { const ScopedTestClock clock(fixed); }
  const std::uint64_t before = FileTimeToU64(GetSystemTimeAsFileTime());
  const SYSTEMTIME utc = GetSystemTime();
  const SYSTEMTIME local = GetLocalTime();
  const std::uint64_t after = FileTimeToU64(GetSystemTimeAsFileTime());

  EXPECT_GE(utc.wYear, 2024);
  // GetSystemTime has millisecond resolution, so it may read up to 1 ms before "before".
  EXPECT_GE(Ticks(utc) + kTicksPerMs, before);
  EXPECT_LE(Ticks(utc), after);
  // Time zones are whole quarter hours within 14 hours of UTC.
  constexpr std::int64_t kTicksPerMinute = 60 * kTicksPerSecond;
  const auto bias = static_cast<std::int64_t>(Ticks(local) - Ticks(utc));
  const std::int64_t biasMinutes =
      (bias + (bias >= 0 ? 1 : -1) * kTicksPerMinute / 2) / kTicksPerMinute;
  EXPECT_LE(std::llabs(biasMinutes), 14 * 60);
  EXPECT_EQ(biasMinutes % 15, 0);
}

}  // namespace
}  // namespace qv
