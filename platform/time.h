#pragma once
// The Win32 time records and the clock. Task times are local wall-clock SYSTEMTIMEs,
// compared as FILETIME counts of 100 ns since 1601-01-01.

#include <cstdint>

namespace qv {

// Same fields, order and sizes as the Win32 record.
struct SYSTEMTIME {
  std::uint16_t wYear;
  std::uint16_t wMonth;
  std::uint16_t wDayOfWeek;
  std::uint16_t wDay;
  std::uint16_t wHour;
  std::uint16_t wMinute;
  std::uint16_t wSecond;
  std::uint16_t wMilliseconds;

  friend bool operator==(const SYSTEMTIME&, const SYSTEMTIME&) = default;
};

struct FILETIME {
  std::uint32_t dwLowDateTime;
  std::uint32_t dwHighDateTime;

  friend bool operator==(const FILETIME&, const FILETIME&) = default;
};

inline constexpr std::uint64_t kTicksPerSecond = 10'000'000;

constexpr std::uint64_t FileTimeToU64(FILETIME ft) {
  return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}
constexpr FILETIME U64ToFileTime(std::uint64_t ticks) {
  return FILETIME{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

// Fails (false, ft untouched) unless: year 1601..30827, month 1..12, day valid for the
// month (leap years included), hour < 24, minute and second < 60, milliseconds < 1000.
// wDayOfWeek is ignored.
bool SystemTimeToFileTime(const SYSTEMTIME& st, FILETIME& ft);

// Fails (false, st untouched) for counts of 2^63 and above; fills wDayOfWeek (0 = Sunday).
bool FileTimeToSystemTime(const FILETIME& ft, SYSTEMTIME& st);

// The clocks. A ScopedTestClock replaces all three for its lifetime.
SYSTEMTIME GetLocalTime();
SYSTEMTIME GetSystemTime();
FILETIME GetSystemTimeAsFileTime();

// Fixes "now" for tests: local time as given, UTC = local - localMinusUtcMinutes.
// Advance moves both clocks. Only one may exist at a time; not thread-safe.
class ScopedTestClock {
 public:
  explicit ScopedTestClock(const SYSTEMTIME& local, std::int32_t localMinusUtcMinutes = 0);
  ~ScopedTestClock();
  ScopedTestClock(const ScopedTestClock&) = delete;
  ScopedTestClock& operator=(const ScopedTestClock&) = delete;

  void Advance(std::int64_t ticks);
};

}  // namespace qv
