#pragma once
// Shared by the report tests: a headless list window with tasks, and a scratch folder.

#include <cstdint>
#include <string>
#include <vector>

#include "model/headless.h"
#include "model/workspace_model.h"
#include "platform/files.h"

namespace qv::test {

inline SYSTEMTIME Time(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                       std::uint16_t hour, std::uint16_t minute, std::uint16_t second) {
  return SYSTEMTIME{year, month, 0, day, hour, minute, second, 0};
}

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

// One log window in a headless workspace.
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

// A folder of its own under the temp folder; its files are removed with it.
struct ScratchFolder {
  explicit ScratchFolder(const std::u16string& name) : path(TempFolder() + u"\\" + name) {
    Clear();
    CreateDirectoryW(path);
  }
  ~ScratchFolder() { Clear(); }
  void Clear() const {
    std::vector<FolderEntry> entries;
    ListFolder(path, entries);
    for (const FolderEntry& e : entries) DeleteFileW(path + u"\\" + e.name);
  }
  std::vector<std::uint8_t> Read(const std::u16string& file) const {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path + u"\\" + file, bytes);
    return bytes;
  }
  std::u16string path;
};

}  // namespace qv::test
