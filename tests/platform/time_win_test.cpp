// The portable date arithmetic held against SystemTimeToFileTime and FileTimeToSystemTime.

#include <gtest/gtest.h>
#include <windows.h>

#include <bit>
#include <cstdint>
#include <random>

#include "platform/time.h"
#include "platform/time_detail.h"
#include "tests/platform/wine.h"

namespace qv {
namespace {

constexpr std::uint32_t kSeed = 20240229;  // a fixed seed keeps every run identical
constexpr int kRandomTicks = 200'000;

// Wine's own checks, which Windows' are stricter than: 29 February passes in every year, and
// years run up to 32767 rather than 30827.
bool WineAccepts(const SYSTEMTIME& st) {
  static constexpr std::uint16_t kLongestMonths[12] = {31, 29, 31, 30, 31, 30,
                                                       31, 31, 30, 31, 30, 31};
  return st.wYear >= 1601 && st.wYear <= 32767 && st.wMonth >= 1 && st.wMonth <= 12 &&
         st.wDay >= 1 && st.wDay <= kLongestMonths[st.wMonth - 1] && st.wHour < 24 &&
         st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

::testing::AssertionResult SameFileTime(const SYSTEMTIME& st, bool underWine) {
  ::FILETIME win32{};
  const auto win32Input = std::bit_cast<::SYSTEMTIME>(st);
  const bool win32Ok = ::SystemTimeToFileTime(&win32Input, &win32) != FALSE;
  FILETIME portable{};
  const bool portableOk = detail::SystemTimeToFileTime(st, portable);
  const bool expectedWin32Ok = underWine ? WineAccepts(st) : portableOk;
  if (win32Ok == expectedWin32Ok &&
      (!win32Ok || !portableOk || std::bit_cast<FILETIME>(win32) == portable)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << st.wYear << "-" << st.wMonth << "-" << st.wDay << " " << st.wHour << ":" << st.wMinute
         << ":" << st.wSecond << "." << st.wMilliseconds << ": Win32 " << win32Ok << " "
         << FileTimeToU64(std::bit_cast<FILETIME>(win32)) << ", portable " << portableOk << " "
         << FileTimeToU64(portable);
}

::testing::AssertionResult SameSystemTime(std::uint64_t ticks) {
  const auto input = std::bit_cast<::FILETIME>(U64ToFileTime(ticks));
  ::SYSTEMTIME win32{};
  const bool win32Ok = ::FileTimeToSystemTime(&input, &win32) != FALSE;
  SYSTEMTIME portable{};
  const bool portableOk = detail::FileTimeToSystemTime(U64ToFileTime(ticks), portable);
  if (win32Ok == portableOk && (!win32Ok || std::bit_cast<SYSTEMTIME>(win32) == portable)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << ticks << ": Win32 " << win32Ok << " " << win32.wYear << "-" << win32.wMonth << "-"
         << win32.wDay << " dow " << win32.wDayOfWeek << ", portable " << portableOk << " "
         << portable.wYear << "-" << portable.wMonth << "-" << portable.wDay << " dow "
         << portable.wDayOfWeek;
}

TEST(SystemTimeToFileTimeWin32, AgreesAcrossFieldBounds) {
  const bool underWine = test::RunningUnderWine();
  const std::uint16_t years[] = {0,    1600,  1601,  1602,  1700,  1899,  1900,  1901,
                                 1970, 1999,  2000,  2001,  2023,  2024,  2100,  2400,
                                 9999, 10000, 30826, 30827, 30828, 32767, 32768, 65535};
  const SYSTEMTIME times[] = {
      {0, 0, 0, 0, 0, 0, 0, 0},      {0, 0, 0, 0, 23, 59, 59, 999}, {0, 0, 0, 0, 24, 0, 0, 0},
      {0, 0, 0, 0, 0, 60, 0, 0},     {0, 0, 0, 0, 0, 0, 60, 0},     {0, 0, 0, 0, 0, 0, 0, 1000},
      {0, 0, 0, 0, 12, 34, 56, 789},
  };
  std::uint16_t dayOfWeek = 0;  // ignored, so it wanders through odd values
  for (const std::uint16_t year : years) {
    for (std::uint16_t month = 0; month <= 13; ++month) {
      for (std::uint16_t day = 0; day <= 32; ++day) {
        for (SYSTEMTIME st : times) {
          st.wYear = year;
          st.wMonth = month;
          st.wDay = day;
          st.wDayOfWeek = dayOfWeek++ % 9;
          ASSERT_TRUE(SameFileTime(st, underWine));
        }
      }
    }
  }
}

TEST(FileTimeToSystemTimeWin32, AgreesOnBoundsAndPseudoRandomCounts) {
  for (const std::uint64_t ticks :
       {std::uint64_t{0}, std::uint64_t{9'999}, (std::uint64_t{1} << 63) - 1,
        std::uint64_t{1} << 63, ~std::uint64_t{0}}) {
    ASSERT_TRUE(SameSystemTime(ticks));
  }
  std::mt19937_64 random(kSeed);
  const bool underWine = test::RunningUnderWine();
  for (int i = 0; i < kRandomTicks; ++i) {
    // Spread over every magnitude, not only the far future where most counts lie.
    const std::uint64_t ticks = random() >> (random() % 64);
    ASSERT_TRUE(SameSystemTime(ticks));
    SYSTEMTIME st{};
    if (detail::FileTimeToSystemTime(U64ToFileTime(ticks), st)) {
      ASSERT_TRUE(SameFileTime(st, underWine));
    }
  }
}

}  // namespace
}  // namespace qv
