#include <time.h>

#include "platform/time.h"
#include "platform/time_detail.h"

namespace qv {

bool SystemTimeToFileTime(const SYSTEMTIME& st, FILETIME& ft) {
  return detail::SystemTimeToFileTime(st, ft);
}

bool FileTimeToSystemTime(const FILETIME& ft, SYSTEMTIME& st) {
  return detail::FileTimeToSystemTime(ft, st);
}

namespace detail {
namespace {

constexpr long kNanosecondsPerTick = 100;
constexpr long kNanosecondsPerMillisecond = 1'000'000;
constexpr int kTmYearBase = 1900;

timespec Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

}  // namespace

SYSTEMTIME SystemLocalTime() {
  const timespec now = Now();
  tm local{};
  localtime_r(&now.tv_sec, &local);
  SYSTEMTIME st{};
  st.wYear = static_cast<std::uint16_t>(local.tm_year + kTmYearBase);
  st.wMonth = static_cast<std::uint16_t>(local.tm_mon + 1);
  st.wDayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
  st.wDay = static_cast<std::uint16_t>(local.tm_mday);
  st.wHour = static_cast<std::uint16_t>(local.tm_hour);
  st.wMinute = static_cast<std::uint16_t>(local.tm_min);
  // A leap second (tm_sec 60) is no valid SYSTEMTIME second.
  st.wSecond = static_cast<std::uint16_t>(local.tm_sec < 60 ? local.tm_sec : 59);
  st.wMilliseconds = static_cast<std::uint16_t>(now.tv_nsec / kNanosecondsPerMillisecond);
  return st;
}

SYSTEMTIME SystemUtcTime() {
  SYSTEMTIME st{};
  detail::FileTimeToSystemTime(SystemUtcFileTime(), st);
  return st;
}

FILETIME SystemUtcFileTime() {
  const timespec now = Now();
  const std::uint64_t seconds = static_cast<std::uint64_t>(now.tv_sec) + kUnixEpochSeconds;
  return U64ToFileTime(seconds * kTicksPerSecond +
                       static_cast<std::uint64_t>(now.tv_nsec / kNanosecondsPerTick));
}

}  // namespace detail
}  // namespace qv
