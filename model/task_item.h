#pragma once
// A task as a list holds it: its data, the list it belongs to and, on Windows, its row.

#include <memory>

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
  TaskRow* row() const { return row_.get(); }
  void AttachRow(std::unique_ptr<TaskRow> row) { row_ = std::move(row); }
  // Moves the item's controls with it into another list.
  void Adopt(CGenWindow& newOwner) {
    owner_ = &newOwner;
    if (row_) row_->Adopt(newOwner);
  }

 private:
  CGenWindow* owner_;
  std::unique_ptr<TaskRow> row_;
};

}  // namespace qv
