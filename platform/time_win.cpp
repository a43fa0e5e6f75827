#include <windows.h>

#include <bit>

#include "platform/time.h"
#include "platform/time_detail.h"

static_assert(sizeof(qv::SYSTEMTIME) == sizeof(::SYSTEMTIME));
static_assert(sizeof(qv::FILETIME) == sizeof(::FILETIME));

namespace qv {

bool SystemTimeToFileTime(const SYSTEMTIME& st, FILETIME& ft) {
  // Wine accepts 29 February in every year and years up to 32767, where Windows refuses
  // both; checking the fields first gives the Windows answer under either.
  if (!detail::IsValidSystemTime(st)) return false;
  const auto in = std::bit_cast<::SYSTEMTIME>(st);
  ::FILETIME out{};
  if (!::SystemTimeToFileTime(&in, &out)) return false;
  ft = std::bit_cast<FILETIME>(out);
  return true;
}

bool FileTimeToSystemTime(const FILETIME& ft, SYSTEMTIME& st) {
  const auto in = std::bit_cast<::FILETIME>(ft);
  ::SYSTEMTIME out{};
  if (!::FileTimeToSystemTime(&in, &out)) return false;
  st = std::bit_cast<SYSTEMTIME>(out);
  return true;
}

namespace detail {

SYSTEMTIME SystemLocalTime() {
  ::SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return std::bit_cast<SYSTEMTIME>(st);
}

SYSTEMTIME SystemUtcTime() {
  ::SYSTEMTIME st{};
  ::GetSystemTime(&st);
  return std::bit_cast<SYSTEMTIME>(st);
}

FILETIME SystemUtcFileTime() {
  ::FILETIME ft{};
  ::GetSystemTimeAsFileTime(&ft);
  return std::bit_cast<FILETIME>(ft);
}

}  // namespace detail
}  // namespace qv
