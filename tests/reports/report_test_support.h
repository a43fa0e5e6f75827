#pragma once
// Shared by the report tests: a headless list window holding tasks.

#include <cstdint>
#include <string>
#include <vector>

#include "model/headless.h"
#include "model/workspace_model.h"
#include "tests/workspace/workspace_test_support.h"

namespace qv::test {

inline TaskInfo Task(NullableText name, NullableText remarks, TaskState state,
                     std::uint32_t priority = 10, std::uint32_t difficulty = 20) {
  TaskInfo task = TaskInfo::Zero();
  task.name = std::move(name);
  task.remarks = std::move(remarks);
  task.state = static_cast<std::uint32_t>(state);
  task.priority = priority;
  task.difficulty = difficulty;
  task.startTime = Time(2012, 3, 5, 14, 7, 9);
  task.deadline = Time(2012, 12, 31, 8, 0, 0);
  if (state != TaskState::InProgress) task.closedTime = Time(2013, 1, 2, 23, 59, 5);
  return task;
}

struct ReportList {
  explicit ReportList(const std::u16string& title, const std::vector<TaskInfo>& tasks = {})
      : ws(host) {
    list = AddListWindow(ws, static_cast<std::uint32_t>(ListType::Log), title)->window.get();
    for (const TaskInfo& task : tasks) AppendTaskCopy(*list, task);
  }
  HeadlessHost host;
  Workspace ws;
  CGenWindow* list;
};

}  // namespace qv::test
