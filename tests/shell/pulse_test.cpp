// The pulse wave, and the real thread that drives OverduePulse with it.
#include "shell/pulse.h"

#include <windows.h>
#include <gtest/gtest.h>
// Tool Help builds on the types windows.h declares.
#include <tlhelp32.h>

#include <cstdint>
#include <vector>

#include "model/task.h"

namespace {

TEST(PulsePass, FromTheTopRunsOneTriangleOf24PassesBetween15And255) {
  const std::vector<std::int32_t> expected{235, 215, 195, 175, 155, 135, 115, 95,  75,
                                           55,  35,  15,  35,  55,  75,  95,  115, 135,
                                           155, 175, 195, 215, 235, 255, 235};
  std::int32_t level = qv::kPulseStart;
  std::int32_t step = 20;
  std::vector<std::int32_t> seen;
  while (seen.size() < expected.size()) {
    qv::PulsePass(level, step);
    seen.push_back(level);
  }
  EXPECT_EQ(seen, expected);
}

// Threads of this process, as the system lists them: the one way to see a thread end without
// holding its handle.
int ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

// Polls rather than sleeps a fixed time, so a slow machine only makes the test slower.
template <typename Condition>
bool Within5s(Condition condition) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(1)) {
    if (condition()) return true;
  }
  return condition();
}

TEST(PulseThread, RunsUntilStoppedStartsAgainRisingAndNeverRunsTwice) {
  qv::OverduePulse.store(qv::kPulseStart);
  const int threadsBefore = ThreadsOfThisProcess();
  ASSERT_GT(threadsBefore, 0);
  {
    qv::PulseWorker worker;
    worker.Stop();
    worker.Start();
    worker.Start();
    EXPECT_TRUE(worker.Running());
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore + 1) << "a second start made a second thread";
    EXPECT_TRUE(Within5s([] { return qv::OverduePulse.load() < 200; }))
        << "the level stayed at " << qv::OverduePulse.load();
    worker.Stop();
    EXPECT_FALSE(worker.Running());
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore) << "Stop returned before the thread ended";

    // A new thread starts rising, wherever the last one left the level.
    qv::OverduePulse.store(115);
    worker.Start();
    std::int32_t level = 115;
    ASSERT_TRUE(Within5s([&] { return (level = qv::OverduePulse.load()) != 115; }))
        << "the second thread did not run";
    EXPECT_GT(level, 115) << "the new thread went on falling";
  }
  EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore) << "the destructor left the thread running";
}

}  // namespace
