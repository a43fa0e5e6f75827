#pragma once
// A list window as the model sees it: its kind, its tasks, its log links and sort settings.
// Its window (title, geometry, rows) lives behind ListWindowView.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/task_item.h"
#include "model/window_seam.h"

namespace qv {

class XmlNode;
class Workspace;

enum class ListType : std::uint32_t { Task = 1, Custom = 2, Log = 4 };

// True for the three codes that make a list window; a file may hold others.
bool IsListType(std::uint32_t type);

// Sort keys (CGenWindow::sortType); any larger value sorts nothing.
enum class SortKey : std::uint32_t {
  StartTime = 0,
  Deadline = 1,
  ClosedTime = 2,
  Priority = 3,
  Difficulty = 4
};
inline constexpr std::uint32_t kLastSortKey = 4;

class CGenWindow {
 public:
  CGenWindow(WorkspaceHost& host, std::uint32_t type);
  virtual ~CGenWindow();
  CGenWindow(const CGenWindow&) = delete;
  CGenWindow& operator=(const CGenWindow&) = delete;

  // Makes the window once (false when it exists or cannot be made) and shows it only when
  // `visible` is 1.
  virtual bool Create(const std::u16string& title, const WindowRect& rect);

  // The list's element in the workspace file, appended to parent: "TaskList" here.
  virtual void SaveXml(XmlNode parent) const;
  // Reads the list's settings, makes its window, then its tasks and log links, and sorts. The
  // empty node does nothing. A default title takes the next number of ws's counters.
  virtual void LoadXml(const XmlNode& element, Workspace& ws);

  bool IsLog() const { return type == static_cast<std::uint32_t>(ListType::Log); }
  std::u16string Title() const { return view_->Title(); }
  ListWindowView& view() const { return *view_; }

  std::uint32_t type;
  std::vector<std::unique_ptr<TaskItem>> tasks;
  std::vector<std::u16string> logLinks;  // titles of the log windows closed tasks move to
  std::uint32_t visible = 0;             // 1 shown, anything else hidden
  std::uint32_t sortType = 0;
  std::uint32_t sortDescent = 0;  // "Sort Descent" pressed: increasing order
  std::uint32_t sortAscent = 0;   // "Sort Ascent" pressed: decreasing order
  double colourSpan = 0.0;        // the most time left of any task, in 100 ns units

 protected:
  void SaveXmlAs(XmlNode parent, std::u16string_view elementName) const;

 private:
  std::unique_ptr<ListWindowView> view_;
};

class CCustomTaskWindow : public CGenWindow {
 public:
  using CGenWindow::CGenWindow;
};

class CLogWindow : public CGenWindow {
 public:
  using CGenWindow::CGenWindow;
  // Appends "LogList".
  void SaveXml(XmlNode parent) const override;
};

// The list-window object for a type code, or none for a code that makes no window.
std::unique_ptr<CGenWindow> MakeListWindow(WorkspaceHost& host, std::uint32_t type);

void AddLogLink(CGenWindow& list, const std::u16string& title);
void ClearLogLinks(CGenWindow& list);
bool HasLogLink(const CGenWindow& list, const std::u16string& title);
// The first link equal to oldTitle is removed and newTitle appended at the end.
void RenameLogLink(CGenWindow& list, const std::u16string& oldTitle,
                   const std::u16string& newTitle);

// Recomputes colourSpan (never below 0) and reports whether any task is overdue at now
// (LocalNowTicks).
bool UpdateColourSpan(CGenWindow& list, std::uint64_t now);

// Reorders the tasks by sortType: increasing with sortDescent 1, else decreasing with
// sortAscent 1, else not at all. Equal keys end in no particular order.
void SortTasks(CGenWindow& list);
// The sort buttons and the sort-key menu: each sets its state, sorts and lays the rows out.
// Pressing one button releases the other.
void PressSortAscent(CGenWindow& list, bool pressed);
void PressSortDescent(CGenWindow& list, bool pressed);
void ChooseSortKey(CGenWindow& list, std::uint32_t sortType);

struct SortMenuItem {
  std::uint32_t commandId;
  const char16_t* text;
  std::uint32_t sortType;
  bool checked;
};
// The sort-key popup of a list: "Solved Time" only in log lists; the current key checked.
std::vector<SortMenuItem> SortMenuItems(const CGenWindow& list);
// The sort type a popup command selects, or none for another command.
std::optional<std::uint32_t> SortTypeForCommand(std::uint32_t commandId);

// A new task appended from the editor's result (its state stays in progress), then sorted.
TaskItem& AddNewTask(CGenWindow& list, const TaskInfo& edited);
// An item with the empty record at the end; no sorting and no layout, so that a loader can fill
// many before laying them out once.
TaskItem& AppendTaskItem(CGenWindow& list);
// Appends an item for a copy of the task at the end, unsorted.
TaskItem& AppendTaskCopy(CGenWindow& list, const TaskInfo& task);
// Takes the item out of the list (nothing when it is not there). With keep the caller gets it;
// otherwise it is destroyed and none is returned.
std::unique_ptr<TaskItem> RemoveTask(CGenWindow& list, TaskItem& item, bool keep);
// A drop onto a list window: the item moves to the end of target, unsorted; dropped on its own
// list it becomes the last one there.
void MoveTaskToList(TaskItem& item, CGenWindow& target);

}  // namespace qv
