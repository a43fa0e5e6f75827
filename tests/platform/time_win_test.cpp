// The portable date arithmetic held against SystemTimeToFileTime and FileTimeToSystemTime.

#include <windows.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

#include "platform/time.h"
#include "platform/time_detail.h"
#include "tests/platform/wine.h"

namespace qv {
namespace {

using ::testing::PrintToString;

// Wine's checks are looser than Windows': 29 February passes in every year, and years run up
// to 32767 rather than 30827. The other fields it checks as Windows does, so in a leap year
// inside both ranges our check must give its answer.
bool WineAccepts(SYSTEMTIME st) {
  if (st.wYear < 1601 || st.wYear > 32767) return false;
  st.wYear = 2000;
  return detail::IsValidSystemTime(st);
}

::testing::AssertionResult SameFileTime(const SYSTEMTIME& st) {
  static const bool underWine = test::RunningUnderWine();
  const auto input = std::bit_cast<::SYSTEMTIME>(st);
  ::FILETIME win32{};
  FILETIME portable{};
  const bool win32Ok = ::SystemTimeToFileTime(&input, &win32) != FALSE;
  const bool portableOk = detail::SystemTimeToFileTime(st, portable);
  if (win32Ok == (portableOk || (underWine && WineAccepts(st))) &&
      (!portableOk || std::bit_cast<FILETIME>(win32) == portable)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << PrintToString(st) << ": Win32 " << win32Ok << " " << PrintToString(win32)
         << ", portable " << portableOk << " " << PrintToString(portable);
}

::testing::AssertionResult SameSystemTime(std::uint64_t ticks) {
  const auto input = std::bit_cast<::FILETIME>(U64ToFileTime(ticks));
  ::SYSTEMTIME win32{};
  SYSTEMTIME portable{};
  const bool win32Ok = ::FileTimeToSystemTime(&input, &win32) != FALSE;
  const bool portableOk = detail::FileTimeToSystemTime(U64ToFileTime(ticks), portable);
  if (win32Ok == portableOk && (!win32Ok || std::bit_cast<SYSTEMTIME>(win32) == portable)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << ticks << ": Win32 " << win32Ok << " " << PrintToString(win32) << ", portable "
         << portableOk << " " << PrintToString(portable);
}

TEST(SystemTimeToFileTimeWin32, AgreesAcrossFieldBounds) {
  const std::uint16_t years[] = {0,    1600,  1601,  1602,  1700,  1899,  1900,  1901,
                                 1970, 1999,  2000,  2001,  2023,  2024,  2100,  2400,
                                 9999, 10000, 30826, 30827, 30828, 32767, 32768, 65535};
  // Hour, minute, second and millisecond at and past their bounds.
  const std::uint16_t times[][4] = {{0, 0, 0, 0},     {23, 59, 59, 999}, {24, 0, 0, 0},
                                    {0, 60, 0, 0},    {0, 0, 60, 0},     {0, 0, 0, 1000},
                                    {12, 34, 56, 789}};
  std::uint16_t dayOfWeek = 0;  // ignored, so it wanders through odd values
  for (const std::uint16_t year : years) {
    for (std::uint16_t month = 0; month <= 13; ++month) {
      for (std::uint16_t day = 0; day <= 32; ++day) {
        for (const auto& [h, m, s, ms] : times) {
          dayOfWeek = (dayOfWeek + 1) % 9;
          ASSERT_TRUE(SameFileTime({year, month, dayOfWeek, day, h, m, s, ms}));
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
  std::mt19937_64 random(20240229);  // a fixed seed keeps every run identical
  for (int i = 0; i < 200'000; ++i) {
    // Spread over every magnitude, not only the far future where most counts lie.
    const std::uint64_t ticks = random() >> (random() % 64);
    ASSERT_TRUE(SameSystemTime(ticks));
    SYSTEMTIME st{};
    if (detail::FileTimeToSystemTime(U64ToFileTime(ticks), st)) {
      ASSERT_TRUE(SameFileTime(st));
    }
  }
}

}  // namespace
}  // namespace qv
