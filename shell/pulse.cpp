#include "shell/pulse.h"

#include <atomic>
#include <mutex>

#include "model/task.h"

namespace qv {
namespace {

constexpr std::int32_t kTop = 255;
constexpr std::int32_t kStep = 20;
// A level below this has no room left for another step down.
constexpr std::int32_t kTurnBelow = 20;
constexpr DWORD kPassMs = 30;
// A pass sleeps outside the lock, so a thread that misses this has hung.
constexpr DWORD kStopWaitMs = 2000;

// Lockable, so std::lock_guard leaves it on every path out.
class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void lock() { EnterCriticalSection(&section_); }
  void unlock() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

// Made on first use, which every PulseWorker's constructor is, so the lock outlives every
// worker and therefore every thread, whatever order statics are destroyed in.
CriticalSection& PulseLock() {
  static CriticalSection lock;
  return lock;
}

// Written only by the UI thread; the worker reads it afresh on every pass.
std::atomic<std::int32_t> PulseRunning{0};

DWORD WINAPI PulseThread(LPVOID) {
  if (PulseRunning.load() == 0) return 0;
  std::int32_t step = kStep;
  do {
    {
      std::lock_guard<CriticalSection> hold(PulseLock());
      std::int32_t level = OverduePulse.load(std::memory_order_relaxed);
      PulsePass(level, step);
      OverduePulse.store(level, std::memory_order_relaxed);
    }
    Sleep(kPassMs);
  } while (PulseRunning.load() != 0);
  return 0;
}

}  // namespace

void PulsePass(std::int32_t& level, std::int32_t& step) {
  if (level >= kTop) step = -kStep;
  level += step;
  if (level < kTurnBelow) step = kStep;
}

PulseWorker::PulseWorker() {
  PulseLock();
}

PulseWorker::~PulseWorker() {
  Stop();
}

void PulseWorker::Start() {
  if (thread_) return;
  PulseRunning.store(1);
  thread_.reset(CreateThread(nullptr, 0, PulseThread, nullptr, 0, nullptr));
  if (!thread_) PulseRunning.store(0);
}

void PulseWorker::Stop() {
  if (!thread_) return;
  PulseRunning.store(0);
  // Ending it by force may leave the lock held; only a thread that has hung gets here.
  if (WaitForSingleObject(thread_.get(), kStopWaitMs) == WAIT_TIMEOUT) {
    TerminateThread(thread_.get(), 0);
  }
  thread_.reset();
}

}  // namespace qv
