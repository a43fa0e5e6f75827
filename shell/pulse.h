#pragma once
// The pulse worker: one background thread that swings OverduePulse up and down, so overdue
// tasks throb while the painters read the level without waiting for anyone.

#include <windows.h>

#include <cstdint>
#include <memory>

namespace qv {

// One pass of the wave: level runs 255, 235, ..., 15, 35, ..., 255 and down again. step is the
// direction, kept by the caller between passes.
void PulsePass(std::int32_t& level, std::int32_t& step);

// Owns the process's one pulse thread; the thread never outlives its worker.
class PulseWorker {
 public:
  PulseWorker();
  ~PulseWorker();
  PulseWorker(const PulseWorker&) = delete;
  PulseWorker& operator=(const PulseWorker&) = delete;

  // Does nothing while a thread runs; Running() tells whether the start succeeded.
  void Start();
  // Asks the thread to end and waits for it; one that does not end in time is ended by force.
  void Stop();
  bool Running() const { return thread_ != nullptr; }

 private:
  struct ThreadCloser {
    void operator()(HANDLE thread) const { CloseHandle(thread); }
  };
  std::unique_ptr<void, ThreadCloser> thread_;
};

}  // namespace qv
