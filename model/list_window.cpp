#include "model/list_window.h"

#include <algorithm>

#include "resources/resource.h"

namespace qv {
namespace {

std::uint64_t SortValue(const TaskInfo& task, std::uint32_t sortType) {
  switch (static_cast<SortKey>(sortType)) {
    case SortKey::StartTime: return TimeTicks(task.startTime);
    case SortKey::Deadline: return TimeTicks(task.deadline);
    case SortKey::ClosedTime: return TimeTicks(task.closedTime);
    case SortKey::Priority: return task.priority;
    case SortKey::Difficulty: return task.difficulty;
  }
  return 0;
}

struct SortKeyCommand {
  std::uint32_t commandId;
  const char16_t* text;
  SortKey key;
};
constexpr SortKeyCommand kSortKeyCommands[] = {
    {IDM_SORT_START_TIME, u"Start time", SortKey::StartTime},
    {IDM_SORT_DEADLINE, u"Deadline", SortKey::Deadline},
    {IDM_SORT_SOLVED_TIME, u"Solved Time", SortKey::ClosedTime},
    {IDM_SORT_PRIORITY, u"Priority", SortKey::Priority},
    {IDM_SORT_DIFFICULTY, u"Difficulty", SortKey::Difficulty},
};

void Resort(CGenWindow& list) {
  SortTasks(list);
  list.view().TasksChanged();
}

}  // namespace

bool IsListType(std::uint32_t type) {
  return type == static_cast<std::uint32_t>(ListType::Task) ||
         type == static_cast<std::uint32_t>(ListType::Custom) ||
         type == static_cast<std::uint32_t>(ListType::Log);
}

CGenWindow::CGenWindow(WorkspaceHost& host, std::uint32_t type)
    : type(type), view_(host.CreateView(*this)) {}

// The window and its rows go before the tasks the rows show.
CGenWindow::~CGenWindow() {
  view_.reset();
}

bool CGenWindow::Create(const std::u16string& title, const WindowRect& rect) {
  if (view_->Exists() || !view_->Create(title, rect)) return false;
  view_->Show(visible == 1);
  return true;
}

std::unique_ptr<CGenWindow> MakeListWindow(WorkspaceHost& host, std::uint32_t type) {
  switch (static_cast<ListType>(type)) {
    case ListType::Task: return std::make_unique<CGenWindow>(host, type);
    case ListType::Custom: return std::make_unique<CCustomTaskWindow>(host, type);
    case ListType::Log: return std::make_unique<CLogWindow>(host, type);
  }
  return nullptr;
}

void AddLogLink(CGenWindow& list, const std::u16string& title) {
  list.logLinks.push_back(title);
}

void ClearLogLinks(CGenWindow& list) {
  list.logLinks.clear();
}

bool HasLogLink(const CGenWindow& list, const std::u16string& title) {
  return std::find(list.logLinks.begin(), list.logLinks.end(), title) != list.logLinks.end();
}

void RenameLogLink(CGenWindow& list, const std::u16string& oldTitle,
                   const std::u16string& newTitle) {
  auto link = std::find(list.logLinks.begin(), list.logLinks.end(), oldTitle);
  if (link == list.logLinks.end()) return;
  list.logLinks.erase(link);
  list.logLinks.push_back(newTitle);
}

bool UpdateColourSpan(CGenWindow& list, std::uint64_t now) {
  list.colourSpan = 0;
  bool overdue = false;
  for (const auto& item : list.tasks) {
    const double d = static_cast<double>(item->DeadlineTicks()) - static_cast<double>(now);
    if (d < 0) overdue = true;
    if (d > list.colourSpan) list.colourSpan = d;
  }
  return overdue;
}

void SortTasks(CGenWindow& list) {
  if (list.sortType > kLastSortKey) return;
  const std::uint32_t key = list.sortType;
  const auto value = [key](const std::unique_ptr<TaskItem>& item) {
    return SortValue(item->task, key);
  };
  if (list.sortDescent == 1) {
    std::sort(list.tasks.begin(), list.tasks.end(),
              [&](const auto& a, const auto& b) { return value(a) < value(b); });
  } else if (list.sortAscent == 1) {
    std::sort(list.tasks.begin(), list.tasks.end(),
              [&](const auto& a, const auto& b) { return value(a) > value(b); });
  }
}

void PressSortAscent(CGenWindow& list, bool pressed) {
  list.sortAscent = pressed ? 1 : 0;
  if (pressed) list.sortDescent = 0;
  Resort(list);
}

void PressSortDescent(CGenWindow& list, bool pressed) {
  list.sortDescent = pressed ? 1 : 0;
  if (pressed) list.sortAscent = 0;
  Resort(list);
}

void ChooseSortKey(CGenWindow& list, std::uint32_t sortType) {
  list.sortType = sortType;
  Resort(list);
}

std::vector<SortMenuItem> SortMenuItems(const CGenWindow& list) {
  std::vector<SortMenuItem> items;
  for (const SortKeyCommand& c : kSortKeyCommands) {
    if (c.key == SortKey::ClosedTime && !list.IsLog()) continue;
    const auto type = static_cast<std::uint32_t>(c.key);
    items.push_back({c.commandId, c.text, type, list.sortType == type});
  }
  return items;
}

std::optional<std::uint32_t> SortTypeForCommand(std::uint32_t commandId) {
  for (const SortKeyCommand& c : kSortKeyCommands) {
    if (c.commandId == commandId) return static_cast<std::uint32_t>(c.key);
  }
  return std::nullopt;
}

TaskItem& AppendTaskItem(CGenWindow& list) {
  list.tasks.push_back(std::make_unique<TaskItem>(list));
  return *list.tasks.back();
}

TaskItem& AddNewTask(CGenWindow& list, const TaskInfo& edited) {
  TaskItem& item = AppendTaskItem(list);
  CopyTaskData(item.task, edited);
  item.task.state = static_cast<std::uint32_t>(TaskState::InProgress);
  Resort(list);
  return item;
}

TaskItem& AppendTaskCopy(CGenWindow& list, const TaskInfo& task) {
  TaskItem& item = AppendTaskItem(list);
  CopyTaskData(item.task, task);
  list.view().TasksChanged();
  return item;
}

std::unique_ptr<TaskItem> RemoveTask(CGenWindow& list, TaskItem& item, bool keep) {
  auto found = std::find_if(list.tasks.begin(), list.tasks.end(),
                            [&](const auto& held) { return held.get() == &item; });
  if (found == list.tasks.end()) return nullptr;
  std::unique_ptr<TaskItem> taken = std::move(*found);
  list.tasks.erase(found);
  // The rows let go of the task before it dies.
  list.view().TasksChanged();
  if (!keep) taken.reset();
  return taken;
}

void MoveTaskToList(TaskItem& item, CGenWindow& target) {
  CGenWindow& source = item.owner();
  std::unique_ptr<TaskItem> moved = RemoveTask(source, item, true);
  if (!moved) return;
  moved->Adopt(target);
  target.tasks.push_back(std::move(moved));
  target.view().TasksChanged();
}

}  // namespace qv
