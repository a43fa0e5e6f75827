#pragma once
// Shared set-up for model tests: a fixed local clock and a headless workspace.

#include <gtest/gtest.h>

#include <string>

#include "model/headless.h"
#include "model/workspace_model.h"
#include "platform/time.h"

namespace qv::test {

inline SYSTEMTIME Local(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                        std::uint16_t hour = 0, std::uint16_t minute = 0) {
  return SYSTEMTIME{year, month, 0, day, hour, minute, 0, 0};
}

// "Now" in every model test: Wednesday 10 March 2027, 12:00:00.000 local time, with its day of
// the week as the clock reports it.
inline const SYSTEMTIME kNow{2027, 3, 3, 10, 12, 0, 0, 0};
inline constexpr std::int64_t kHourMs = 3'600'000;

// kNow moved by a signed number of milliseconds.
inline SYSTEMTIME NowPlusMs(std::int64_t ms) {
  FILETIME ft{};
  SystemTimeToFileTime(kNow, ft);
  SYSTEMTIME st{};
  FileTimeToSystemTime(U64ToFileTime(FileTimeToU64(ft) + ms * 10'000), st);
  st.wDayOfWeek = 0;
  return st;
}

inline TaskInfo Task(const char16_t* name, std::uint32_t priority = 0, SYSTEMTIME deadline = {}) {
  TaskInfo info;
  info.name = name;
  info.priority = priority;
  info.deadline = deadline;
  return info;
}

class ModelTest : public ::testing::Test {
 protected:
  std::vector<std::u16string> Names(const CGenWindow& list) const {
    std::vector<std::u16string> names;
    for (const auto& item : list.tasks) names.push_back(item->task.name.value_or(u"(none)"));
    return names;
  }

  CGenWindow& List(const char16_t* title) { return *FindListWindowByTitle(ws, title); }

  ScopedTestClock clock{kNow};
  HeadlessHost host;
  Workspace ws{host};
};

}  // namespace qv::test
