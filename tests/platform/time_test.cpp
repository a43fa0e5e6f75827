#include "platform/time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "platform/time_detail.h"

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

// Natively the public conversions are the portable ones; in the Windows build they call Win32,
// and these hold the portable twins to the same answers.
std::uint64_t Ticks(const SYSTEMTIME& st) {
  FILETIME ft{}, twin{};
  EXPECT_TRUE(SystemTimeToFileTime(st, ft)) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
  EXPECT_TRUE(detail::SystemTimeToFileTime(st, twin) && twin == ft) << st.wYear;
  return FileTimeToU64(ft);
}

bool ToSystemTime(std::uint64_t ticks, SYSTEMTIME& st) {
  SYSTEMTIME twin = st;
  const bool ok = FileTimeToSystemTime(U64ToFileTime(ticks), st);
  EXPECT_EQ(detail::FileTimeToSystemTime(U64ToFileTime(ticks), twin), ok) << ticks;
  EXPECT_EQ(twin, st) << ticks;
  return ok;
}

TEST(FileTime, KnownValuesBothWaysUpToTheSignedLimit) {
  // wDayOfWeek as FileTimeToSystemTime fills it
  const std::pair<SYSTEMTIME, std::uint64_t> known[] = {
      {Time(1601, 1, 1, 0, 0, 0, 0, 1), 0},
      {Time(2024, 3, 10, 12, 34, 56, 789, 0), 133'545'476'967'890'000},
      {Time(30827, 12, 31, 23, 59, 59, 999, 5), 9'223'149'887'999'990'000},
  };
  SYSTEMTIME st{};
  for (const auto& [time, ticks] : known) {
    EXPECT_EQ(Ticks(time), ticks);
    EXPECT_TRUE(ToSystemTime(ticks, st));
    EXPECT_EQ(st, time) << ticks;
  }
  EXPECT_TRUE(ToSystemTime(kFirstInvalidTicks - 1, st));
  EXPECT_EQ(st, Time(30828, 9, 14, 2, 48, 5, 477, 4));
  for (const std::uint64_t ticks : {kFirstInvalidTicks, ~std::uint64_t{0}}) {
    EXPECT_FALSE(ToSystemTime(ticks, st)) << ticks;
    EXPECT_EQ(st.wYear, 30828) << "left untouched";
  }
}

// Each field's largest valid value is among the known values above, and the day of the week is
// ignored.
TEST(SystemTimeToFileTime, RefusesEachFieldBeyondItsBounds) {
  for (const SYSTEMTIME& time :
       {Time(1600, 12, 31, 23, 59, 59, 999), Time(30828, 1, 1), Time(2023, 0, 1), Time(2023, 13, 1),
        Time(2023, 1, 0), Time(2023, 4, 31), Time(1900, 2, 29), Time(2024, 2, 30),
        Time(2023, 6, 15, 24), Time(2023, 6, 15, 0, 60), Time(2023, 6, 15, 0, 0, 60),
        Time(2023, 6, 15, 0, 0, 0, 1000)}) {
    FILETIME ft{0xDEAD, 0xBEEF}, twin = ft;
    EXPECT_FALSE(SystemTimeToFileTime(time, ft) || detail::SystemTimeToFileTime(time, twin))
        << time.wYear << "-" << time.wMonth;
    EXPECT_TRUE(ft == (FILETIME{0xDEAD, 0xBEEF}) && twin == ft) << "left untouched";
  }
  EXPECT_EQ(Ticks(Time(2000, 2, 29, 0, 0, 0, 0, 0xFFFF)), Ticks(Time(2000, 2, 29)));
}

TEST(FileTimeToSystemTime, RoundTripsAcrossTheWholeRange) {
  // A prime stride visits every weekday, month and leap position; the odd offset within the
  // day exercises every time field, and sub-millisecond ticks must be dropped.
  const std::uint64_t lastDay = Ticks(Time(30827, 12, 31)) / kTicksPerDay;
  for (std::uint64_t day = 0; day <= lastDay; day += 97) {
    const std::uint64_t ticks = day * kTicksPerDay + (day * 7'919'113) % kTicksPerDay;
    SYSTEMTIME st{};
    ASSERT_TRUE(ToSystemTime(ticks, st)) << ticks;
    ASSERT_EQ(st.wDayOfWeek, (day + 1) % 7) << ticks;
    ASSERT_EQ(Ticks(st), ticks - ticks % kTicksPerMs) << ticks;
  }
}

TEST(ScopedTestClock, UtcIsLocalMinusTheBiasAndAdvanceMovesBoth) {
  {
    const ScopedTestClock clock(Time(2024, 2, 28, 23, 0, 0, 0, 3), -330);
    EXPECT_EQ(GetSystemTime(), Time(2024, 2, 29, 4, 30, 0, 0, 4));
    EXPECT_EQ(FileTimeToU64(GetSystemTimeAsFileTime()), Ticks(Time(2024, 2, 29, 4, 30)));
  }
  EXPECT_GT(FileTimeToU64(GetSystemTimeAsFileTime()), Ticks(Time(2025, 1, 1))) << "the real clock";
  ScopedTestClock clock(Time(2024, 1, 1, 0, 0, 0, 0, 1), 60);
  clock.Advance(-static_cast<std::int64_t>(kTicksPerMs));
  EXPECT_EQ(GetLocalTime(), Time(2023, 12, 31, 23, 59, 59, 999, 0));
  EXPECT_EQ(GetSystemTime(), Time(2023, 12, 31, 22, 59, 59, 999, 0));
  clock.Advance(2 * kTicksPerDay + kTicksPerMs);
  EXPECT_EQ(GetLocalTime(), Time(2024, 1, 3, 0, 0, 0, 0, 3));
}

}  // namespace
}  // namespace qv
