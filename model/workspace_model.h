#pragma once
// The ordered collection of list windows: what is saved, what the "Task Windows" menu lists,
// and where log windows are looked up by title.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/list_window.h"
#include "resources/resource.h"
#include "xml/xml_node.h"

namespace qv {

inline constexpr std::uint32_t kFirstListCommandId = IDM_FIRST_TASK_WINDOW;
// Menu command ids travel in 16 bits.
inline constexpr std::uint32_t kLastListCommandId = IDM_LAST_TASK_WINDOW;

struct ListEntry {
  std::unique_ptr<CGenWindow> window;  // none for a type code that makes no window
  std::uint32_t commandId;
  std::u16string title;  // the title at creation: the label of its menu item
};

inline constexpr char16_t kNoLogWindowMessage[] =
    u"Unable to match any Logging window. Cannot move this task. Please check Log windows "
    u"names.";

class Workspace {
 public:
  explicit Workspace(WorkspaceHost& host) : host(host) {}
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  WorkspaceHost& host;
  std::vector<std::unique_ptr<ListEntry>> ListWindows;
  // Number the default titles "Task list %d" and "Log list %d"; never reset, not even by a
  // new or loaded workspace.
  std::uint32_t TaskListCounter = 1;
  std::uint32_t LogListCounter = 1;
};

// The title of a list element saved without one: "Task list %d" or "Log list %d", numbered by
// the counter of its kind, which then moves on.
std::u16string DefaultListTitle(Workspace& ws, bool logList);

// A new entry at the end, with its window for types 1, 2 and 4 and its "Task Windows" item. A
// type that makes no window still gets an entry when a title is given; without one nothing is
// added and none is returned. With an element the window reads it (CGenWindow::LoadXml), takes
// its title and geometry from it and, without a given title, lends the entry its own; without
// one it is created hidden at 0, 0, 200 x 300.
ListEntry* AddListWindow(Workspace& ws, const XmlNode& element, std::uint32_t type,
                         const NullableText& title);
ListEntry* AddListWindow(Workspace& ws, std::uint32_t type, const NullableText& title);

// Each "Task Windows" item checked exactly when its window is visible.
void SyncTaskWindowsChecks(Workspace& ws);

// The first window, in collection order, whose current non-empty title equals title exactly.
CGenWindow* FindListWindowByTitle(const Workspace& ws, const NullableText& title);
ListEntry* FindEntryByCommandId(const Workspace& ws, std::uint32_t commandId);

// Destroys every list window and entry and removes the "Task Windows" menu.
void ClearWorkspace(Workspace& ws);
// "Hot Tasks" logging into "My logger" and "Work logger", all hidden.
void CreateDefaultWorkspace(Workspace& ws);
// Takes one entry out of the collection and the menu and destroys its window; false when no
// entry has that command id.
bool RemoveListEntry(Workspace& ws, std::uint32_t commandId);

void RenameLogLinkEverywhere(Workspace& ws, const std::u16string& oldTitle,
                             const std::u16string& newTitle);

// A copy into every log window the list links to; the task leaves its list only when a copy
// was made. Each link without a window is reported once through the host.
void MoveTaskToLogs(Workspace& ws, TaskItem& item);
// A row's buttons. In a task list the check mark solves and the cross cancels: the state, the
// closed time (local now), then MoveTaskToLogs. In a log list the cross deletes the task at
// once and there is no check mark. The item may be gone afterwards.
void CheckButtonPressed(Workspace& ws, TaskItem& item);
void CrossButtonPressed(Workspace& ws, TaskItem& item);

}  // namespace qv
