#include "model/list_window_xml.h"

#include <array>
#include <string_view>
#include <utility>

#include "model/list_window.h"
#include "model/workspace_model.h"

namespace qv {
namespace {

// Before any element says otherwise, a loaded window sits at the MDI client's corner.
constexpr WindowRect kLoadedWindowRect{0, 0, 100, 100};

void AddNumber(XmlNode& element, std::u16string_view name, std::int32_t value) {
  element.AddAttribute(name, FormatInt(value));
}
void AddNumber(XmlNode& element, std::u16string_view name, std::uint32_t value) {
  element.AddAttribute(name, FormatUInt(value));
}
void AddFlag(XmlNode& element, std::u16string_view name, std::uint32_t flag) {
  element.AddAttribute(name, flag == 1 ? u"1" : u"0");
}

// An element's attributes, asked for by name as GetAttribute finds them. While they come in
// the order they are asked for (the writer's order), each costs one comparison: a loaded
// workspace asks this for every number of every task. Each name is asked for once, and no two
// names differ only in case, so the attributes matched in order cannot hold a name asked later.
class Attributes {
 public:
  explicit Attributes(const XmlNode& element) : element_(element) {}
  XmlText Get(std::u16string_view name) {
    const XmlAttribute next = element_.GetAttributeAt(next_);
    if (next.name == name) {
      ++next_;
      return next.value;
    }
    return element_.GetAttribute(name);
  }

 private:
  const XmlNode& element_;
  std::int32_t next_ = 0;
};

void ReadNumber(Attributes& element, std::u16string_view name, std::int32_t& value) {
  if (const XmlText text = element.Get(name)) ScanInt(*text, value);
}
void ReadNumber(Attributes& element, std::u16string_view name, std::uint32_t& value) {
  if (const XmlText text = element.Get(name)) ScanUInt(*text, value);
}
// Only the first character counts: "1abc" is set, "x1" and "" are not.
void ReadFlag(Attributes& element, std::u16string_view name, std::uint32_t& flag) {
  if (const XmlText text = element.Get(name)) {
    flag = !text->empty() && text->front() == u'1' ? 1 : 0;
  }
}

bool IsNamed(const XmlNode& element, std::u16string_view name) {
  const XmlText actual = element.GetName();
  return actual && *actual == name;
}

using TimeNames = std::array<std::u16string_view, 5>;
constexpr TimeNames kStartTimeNames = {u"DT1a", u"DT2a", u"DT3a", u"DT4a", u"DT5a"};
constexpr TimeNames kDeadlineNames = {u"DT1b", u"DT2b", u"DT3b", u"DT4b", u"DT5b"};
constexpr TimeNames kClosedTimeNames = {u"ST1b", u"ST2b", u"ST3b", u"ST4b", u"ST5b"};

std::array<std::uint16_t*, 5> TimeFields(SYSTEMTIME& time) {
  return {&time.wYear, &time.wMonth, &time.wDay, &time.wHour, &time.wMinute};
}

void SaveTime(XmlNode& element, const TimeNames& names, SYSTEMTIME time) {
  const auto fields = TimeFields(time);
  for (std::size_t i = 0; i < names.size(); ++i) {
    AddNumber(element, names[i], std::int32_t{*fields[i]});
  }
}

// Only the low 16 bits of a value reach its field; the neighbouring fields stay as they were.
void LoadTime(Attributes& element, const TimeNames& names, SYSTEMTIME& time) {
  const auto fields = TimeFields(time);
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::int32_t value = 0;
    const XmlText text = element.Get(names[i]);
    if (text && ScanInt(*text, value)) *fields[i] = static_cast<std::uint16_t>(value);
  }
}

// The task's numbers in the order they are written: "%u" counts, then the editor's "%d" rectangle.
constexpr std::pair<std::u16string_view, std::uint32_t TaskInfo::*> kTaskCounts[] = {
    {u"TaskListDifficult", &TaskInfo::difficulty},
    {u"TaskListPriority", &TaskInfo::priority},
    {u"TaskState", &TaskInfo::state},
};
// A rectangle's four numbers, under the same names for a list window and a task's editor.
template <typename Rect>
constexpr std::pair<std::u16string_view, std::int32_t Rect::*> kRectNumbers[] = {
    {u"TaskListSizeX", &Rect::x},
    {u"TaskListSizeY", &Rect::y},
    {u"TaskListSizeCX", &Rect::width},
    {u"TaskListSizeCY", &Rect::height},
};

}  // namespace

void SaveTaskXml(const TaskInfo& task, XmlNode parent) {
  XmlNode element = parent.AddChild(u"Task");
  if (task.name) element.AddAttribute(u"TaskDescr", *task.name);
  if (task.remarks) element.AddAttribute(u"TaskDetailDescr", *task.remarks);
  SaveTime(element, kStartTimeNames, task.startTime);
  SaveTime(element, kDeadlineNames, task.deadline);
  SaveTime(element, kClosedTimeNames, task.closedTime);
  for (const auto& [name, member] : kTaskCounts) AddNumber(element, name, task.*member);
  for (const auto& [name, member] : kRectNumbers<EditorRect>) {
    AddNumber(element, name, task.editorRect.*member);
  }
}

void LoadTaskXml(TaskInfo& task, const XmlNode& node) {
  Attributes element(node);
  if (const XmlText name = element.Get(u"TaskDescr")) task.name = std::u16string(*name);
  if (const XmlText remarks = element.Get(u"TaskDetailDescr")) {
    task.remarks = std::u16string(*remarks);
  }
  LoadTime(element, kStartTimeNames, task.startTime);
  LoadTime(element, kDeadlineNames, task.deadline);
  LoadTime(element, kClosedTimeNames, task.closedTime);
  for (const auto& [name, member] : kTaskCounts) ReadNumber(element, name, task.*member);
  for (const auto& [name, member] : kRectNumbers<EditorRect>) {
    ReadNumber(element, name, task.editorRect.*member);
  }
}

void CGenWindow::SaveXml(XmlNode parent) const {
  SaveXmlAs(parent, u"TaskList");
}

void CLogWindow::SaveXml(XmlNode parent) const {
  SaveXmlAs(parent, u"LogList");
}

void CGenWindow::SaveXmlAs(XmlNode parent, std::u16string_view elementName) const {
  XmlNode element = parent.AddChild(elementName);
  const std::u16string title = Title();
  if (!title.empty()) element.AddAttribute(u"TaskListName", title);
  const WindowRect rect = view_->Rect();
  for (const auto& [name, member] : kRectNumbers<WindowRect>)
    AddNumber(element, name, rect.*member);
  AddNumber(element, u"TaskListType", type);
  AddFlag(element, u"TaskListVisible", visible);
  AddFlag(element, u"TaskListSortDescent", sortDescent);
  AddFlag(element, u"TaskListSortAscent", sortAscent);
  AddNumber(element, u"TaskListSortType", sortType);

  XmlNode taskList = element.AddChild(u"TaskList");
  for (const auto& item : tasks) SaveTaskXml(item->task, taskList);
  XmlNode links = element.AddChild(u"LogLinks");
  for (const std::u16string& link : logLinks) {
    links.AddChild(u"LogLink").AddAttribute(u"LogListLinkName", link);
  }
}

void CGenWindow::LoadXml(const XmlNode& element, Workspace& ws) {
  if (element.IsEmpty()) return;
  WindowRect rect = kLoadedWindowRect;
  Attributes attributes(element);
  ReadFlag(attributes, u"TaskListVisible", visible);
  ReadNumber(attributes, u"TaskListType", type);
  for (const auto& [name, member] : kRectNumbers<WindowRect>)
    ReadNumber(attributes, name, rect.*member);
  ReadFlag(attributes, u"TaskListSortDescent", sortDescent);
  ReadFlag(attributes, u"TaskListSortAscent", sortAscent);
  ReadNumber(attributes, u"TaskListSortType", sortType);

  const XmlText name = element.GetAttribute(u"TaskListName");
  Create(name ? std::u16string(*name) : DefaultListTitle(ws, IsNamed(element, u"LogList")), rect);

  const XmlNode taskList = element.GetChildByName(u"TaskList");
  for (std::int32_t i = 0; i < taskList.ChildCount() && view_->Exists(); ++i) {
    const XmlNode child = taskList.GetChildAt(i);
    if (IsNamed(child, u"Task")) LoadTaskXml(AppendTaskItem(*this).task, child);
  }
  const XmlNode links = element.GetChildByName(u"LogLinks");
  for (std::int32_t i = 0; i < links.ChildCount(); ++i) {
    if (const XmlText link = links.GetChildAt(i).GetAttribute(u"LogListLinkName")) {
      AddLogLink(*this, std::u16string(*link));
    }
  }
  SortTasks(*this);
  view_->TasksChanged();
}

}  // namespace qv
