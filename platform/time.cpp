#include "platform/time.h"

#include <cassert>

#include "platform/time_detail.h"

namespace qv {
namespace detail {
namespace {

constexpr unsigned kFirstYear = 1601;  // FILETIME's epoch
constexpr unsigned kLastYear = 30827;  // the last whole year below 2^63 ticks
constexpr std::uint64_t kFirstInvalidTicks = std::uint64_t{1} << 63;  // FILETIME is signed
constexpr std::uint64_t kTicksPerMillisecond = 10'000;
constexpr std::uint64_t kMillisecondsPerDay = 86'400'000;
constexpr std::int64_t kDaysFrom1601To1970 = kUnixEpochSeconds / 86'400;
constexpr std::int64_t kMondayIn1601 = 1;      // 1601-01-01 was a Monday
constexpr std::int64_t kDaysPerEra = 146'097;  // the Gregorian calendar repeats every 400 years

bool IsLeapYear(unsigned year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

unsigned DaysInMonth(unsigned year, unsigned month) {
  static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 on the proleptic Gregorian calendar, counting years from March so
// that the leap day falls at the end of the year.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * kDaysPerEra + dayOfEra - 719'468;
}

struct CivilDate {
  std::int64_t year;
  unsigned month;
  unsigned day;
};

CivilDate CivilFromDays(std::int64_t days) {
  days += 719'468;
  const std::int64_t era = (days >= 0 ? days : days - (kDaysPerEra - 1)) / kDaysPerEra;
  const auto dayOfEra = static_cast<unsigned>(days - era * kDaysPerEra);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned monthFromMarch = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  const unsigned month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2), month, day};
}

}  // namespace

bool IsValidSystemTime(const SYSTEMTIME& st) {
  return st.wYear >= kFirstYear && st.wYear <= kLastYear && st.wMonth >= 1 && st.wMonth <= 12 &&
         st.wDay >= 1 && st.wDay <= DaysInMonth(st.wYear, st.wMonth) && st.wHour < 24 &&
         st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

bool SystemTimeToFileTime(const SYSTEMTIME& st, FILETIME& ft) {
  if (!IsValidSystemTime(st)) return false;
  const auto days =
      static_cast<std::uint64_t>(DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kDaysFrom1601To1970);
  const std::uint64_t milliseconds =
      days * kMillisecondsPerDay +
      ((st.wHour * std::uint64_t{60} + st.wMinute) * 60 + st.wSecond) * 1000 + st.wMilliseconds;
  ft = U64ToFileTime(milliseconds * kTicksPerMillisecond);
  return true;
}

bool FileTimeToSystemTime(const FILETIME& ft, SYSTEMTIME& st) {
  const std::uint64_t ticks = FileTimeToU64(ft);
  if (ticks >= kFirstInvalidTicks) return false;
  const std::uint64_t totalMs = ticks / kTicksPerMillisecond;
  const auto days = static_cast<std::int64_t>(totalMs / kMillisecondsPerDay);
  std::uint64_t msOfDay = totalMs % kMillisecondsPerDay;
  const CivilDate date = CivilFromDays(days - kDaysFrom1601To1970);
  SYSTEMTIME out{};
  out.wYear = static_cast<std::uint16_t>(date.year);
  out.wMonth = static_cast<std::uint16_t>(date.month);
  out.wDay = static_cast<std::uint16_t>(date.day);
  out.wDayOfWeek = static_cast<std::uint16_t>((days + kMondayIn1601) % 7);
  out.wMilliseconds = static_cast<std::uint16_t>(msOfDay % 1000);
  msOfDay /= 1000;
  out.wSecond = static_cast<std::uint16_t>(msOfDay % 60);
  msOfDay /= 60;
  out.wMinute = static_cast<std::uint16_t>(msOfDay % 60);
  out.wHour = static_cast<std::uint16_t>(msOfDay / 60);
  st = out;
  return true;
}

}  // namespace detail

namespace {

constexpr std::int64_t kTicksPerMinute = 60 * static_cast<std::int64_t>(kTicksPerSecond);

// ScopedTestClock keeps no members so that time.h stays free of the clock's representation;
// its state lives here. Arithmetic is modulo 2^64, as FILETIME sums are.
struct TestClock {
  bool active = false;
  std::uint64_t utcTicks = 0;
  std::uint64_t localMinusUtcTicks = 0;
};
TestClock g_testClock;

SYSTEMTIME TicksToSystemTime(std::uint64_t ticks) {
  SYSTEMTIME st{};
  detail::FileTimeToSystemTime(U64ToFileTime(ticks), st);
  return st;
}

}  // namespace

ScopedTestClock::ScopedTestClock(const SYSTEMTIME& local, std::int32_t localMinusUtcMinutes) {
  assert(!g_testClock.active && "only one ScopedTestClock at a time");
  FILETIME localTicks{};
  [[maybe_unused]] const bool valid = detail::SystemTimeToFileTime(local, localTicks);
  assert(valid && "a test clock needs a valid local time");
  const auto bias = static_cast<std::uint64_t>(localMinusUtcMinutes * kTicksPerMinute);
  g_testClock = {true, FileTimeToU64(localTicks) - bias, bias};
}

ScopedTestClock::~ScopedTestClock() {
  g_testClock = {};
}

void ScopedTestClock::Advance(std::int64_t ticks) {
  g_testClock.utcTicks += static_cast<std::uint64_t>(ticks);
}

SYSTEMTIME GetLocalTime() {
  if (!g_testClock.active) return detail::SystemLocalTime();
  return TicksToSystemTime(g_testClock.utcTicks + g_testClock.localMinusUtcTicks);
}

SYSTEMTIME GetSystemTime() {
  if (!g_testClock.active) return detail::SystemUtcTime();
  return TicksToSystemTime(g_testClock.utcTicks);
}

FILETIME GetSystemTimeAsFileTime() {
  if (!g_testClock.active) return detail::SystemUtcFileTime();
  return U64ToFileTime(g_testClock.utcTicks);
}

}  // namespace qv
