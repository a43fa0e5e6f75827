#include "model/workspace_model.h"

#include <algorithm>

namespace qv {
namespace {

constexpr WindowRect kNewWindowRect{0, 0, 200, 300};

bool CommandIdInUse(const Workspace& ws, std::uint32_t id) {
  return FindEntryByCommandId(ws, id) != nullptr;
}

// Ids count from the first one by the number of entries, so a collection that only grows
// numbers its entries first, first + 1, ... After a removal that id may still be held by a
// later entry; then the next free id above it is taken, and past the 16-bit limit the search
// wraps to the first.
// Ids thus stay unique, and the frame finds an entry by its id rather than by its position.
std::uint32_t NextCommandId(const Workspace& ws) {
  constexpr std::uint32_t kIdCount = kLastListCommandId - kFirstListCommandId + 1;
  const auto count = static_cast<std::uint32_t>(ws.ListWindows.size());
  for (std::uint32_t step = 0; step < kIdCount; ++step) {
    const std::uint32_t id = kFirstListCommandId + (count + step) % kIdCount;
    if (!CommandIdInUse(ws, id)) return id;
  }
  return 0;  // every id is taken: the entry gets no reachable menu item
}

}  // namespace

Workspace::~Workspace() {
  ListWindows.clear();
}

std::u16string DefaultListTitle(Workspace& ws, bool logList) {
  std::uint32_t& counter = logList ? ws.LogListCounter : ws.TaskListCounter;
  return (logList ? u"Log list " : u"Task list ") + FormatUInt(counter++);
}

ListEntry* AddListWindow(Workspace& ws, const XmlNode& element, std::uint32_t type,
                         const NullableText& title) {
  if (!IsListType(type) && !title) return nullptr;
  auto entry = std::make_unique<ListEntry>();
  entry->commandId = NextCommandId(ws);
  entry->window = MakeListWindow(ws.host, type);
  if (entry->window) entry->window->LoadXml(element, ws);
  entry->title = title ? *title : entry->window ? entry->window->Title() : std::u16string();
  ws.host.AddTaskWindowsItem(entry->commandId, entry->title);
  if (entry->window && element.IsEmpty()) entry->window->Create(entry->title, kNewWindowRect);
  ws.ListWindows.push_back(std::move(entry));
  return ws.ListWindows.back().get();
}

ListEntry* AddListWindow(Workspace& ws, std::uint32_t type, const NullableText& title) {
  return AddListWindow(ws, XmlNode::Empty(), type, title);
}

void SyncTaskWindowsChecks(Workspace& ws) {
  for (const auto& entry : ws.ListWindows) {
    ws.host.CheckTaskWindowsItem(entry->commandId, entry->window && entry->window->visible != 0);
  }
}

CGenWindow* FindListWindowByTitle(const Workspace& ws, const NullableText& title) {
  if (!title) return nullptr;
  for (const auto& entry : ws.ListWindows) {
    if (!entry->window) continue;
    const std::u16string current = entry->window->Title();
    if (!current.empty() && current == *title) return entry->window.get();
  }
  return nullptr;
}

ListEntry* FindEntryByCommandId(const Workspace& ws, std::uint32_t commandId) {
  for (const auto& entry : ws.ListWindows) {
    if (entry->commandId == commandId) return entry.get();
  }
  return nullptr;
}

void ClearWorkspace(Workspace& ws) {
  ws.ListWindows.clear();
  ws.host.RemoveTaskWindowsMenu();
}

void CreateDefaultWorkspace(Workspace& ws) {
  AddListWindow(ws, static_cast<std::uint32_t>(ListType::Custom), u"Hot Tasks");
  const ListEntry* mine =
      AddListWindow(ws, static_cast<std::uint32_t>(ListType::Log), u"My logger");
  const ListEntry* work =
      AddListWindow(ws, static_cast<std::uint32_t>(ListType::Log), u"Work logger");
  for (const auto& entry : ws.ListWindows) {
    if (!entry->window || entry->window->IsLog()) continue;
    AddLogLink(*entry->window, mine->title);
    AddLogLink(*entry->window, work->title);
  }
}

bool RemoveListEntry(Workspace& ws, std::uint32_t commandId) {
  auto found = std::find_if(ws.ListWindows.begin(), ws.ListWindows.end(),
                            [&](const auto& entry) { return entry->commandId == commandId; });
  if (found == ws.ListWindows.end()) return false;
  ws.host.RemoveTaskWindowsItem(commandId);
  ws.ListWindows.erase(found);
  return true;
}

void RenameLogLinkEverywhere(Workspace& ws, const std::u16string& oldTitle,
                             const std::u16string& newTitle) {
  for (const auto& entry : ws.ListWindows) {
    if (entry->window && !entry->window->IsLog()) {
      RenameLogLink(*entry->window, oldTitle, newTitle);
    }
  }
}

void MoveTaskToLogs(Workspace& ws, TaskItem& item) {
  CGenWindow& list = item.owner();
  bool copied = false;
  for (const std::u16string& link : list.logLinks) {
    CGenWindow* target = FindListWindowByTitle(ws, link);
    if (!target) {
      ws.host.ShowError(kNoLogWindowMessage);
      continue;
    }
    AppendTaskCopy(*target, item.task);
    copied = true;
  }
  if (copied) RemoveTask(list, item, false);
}

namespace {

void CloseTask(Workspace& ws, TaskItem& item, TaskState state) {
  item.task.state = static_cast<std::uint32_t>(state);
  item.task.closedTime = GetLocalTime();
  MoveTaskToLogs(ws, item);
}

}  // namespace

void CheckButtonPressed(Workspace& ws, TaskItem& item) {
  if (!item.owner().IsLog()) CloseTask(ws, item, TaskState::Solved);
}

void CrossButtonPressed(Workspace& ws, TaskItem& item) {
  if (item.owner().IsLog()) {
    RemoveTask(item.owner(), item, false);
  } else {
    CloseTask(ws, item, TaskState::Cancelled);
  }
}

}  // namespace qv
