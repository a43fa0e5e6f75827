#pragma once
// A task as a list holds it: its data and the list it belongs to. The list's window shows it
// in a row only while it is in view.

#include "model/task.h"
#include "model/window_seam.h"

namespace qv {

class TaskItem {
 public:
  explicit TaskItem(CGenWindow& owner) : owner_(&owner) {}
  TaskItem(const TaskItem&) = delete;
  TaskItem& operator=(const TaskItem&) = delete;

  TaskInfo task;

  CGenWindow& owner() const { return *owner_; }
  void Adopt(CGenWindow& newOwner) { owner_ = &newOwner; }

  // TimeTicks of the deadline, converted again only when the deadline has changed: the
  // once-a-second pass reads every task's, and the conversion costs far more than the check.
  std::uint64_t DeadlineTicks() const {
    if (ticksOf_ != task.deadline) {
      ticksOf_ = task.deadline;
      ticks_ = TimeTicks(task.deadline);
    }
    return ticks_;
  }

 private:
  CGenWindow* owner_;
  // The all-zero time is no date: its ticks are 0.
  mutable SYSTEMTIME ticksOf_{};
  mutable std::uint64_t ticks_ = 0;
};

}  // namespace qv
