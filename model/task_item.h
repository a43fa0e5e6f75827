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

 private:
  CGenWindow* owner_;
};

}  // namespace qv
