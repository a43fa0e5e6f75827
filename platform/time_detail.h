#pragma once
// The portable civil-date arithmetic behind SystemTimeToFileTime and FileTimeToSystemTime, and
// the operating system's clocks that the public clock functions fall back on when no
// ScopedTestClock is active.

#include <cstdint>

#include "platform/time.h"

namespace qv::detail {

// Seconds from 1601-01-01 to the Unix epoch 1970-01-01.
inline constexpr std::uint64_t kUnixEpochSeconds = 11'644'473'600;

// The field checks SystemTimeToFileTime makes, without converting.
bool IsValidSystemTime(const SYSTEMTIME& st);
bool SystemTimeToFileTime(const SYSTEMTIME& st, FILETIME& ft);
bool FileTimeToSystemTime(const FILETIME& ft, SYSTEMTIME& st);

// The real clocks (time_win.cpp / time_posix.cpp).
SYSTEMTIME SystemLocalTime();
SYSTEMTIME SystemUtcTime();
FILETIME SystemUtcFileTime();

}  // namespace qv::detail
