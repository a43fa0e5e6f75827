#include "workspace/workspace_file.h"

#include <gtest/gtest.h>

#include "model/headless.h"
#include "tests/workspace/workspace_test_support.h"

namespace qv {
namespace {

using test::FileBytes;
using test::Time;
using test::WriteUtf16File;

constexpr std::uint32_t kCustom = 2;
constexpr std::uint32_t kLog = 4;

HeadlessListView& View(const CGenWindow& list) {
  return static_cast<HeadlessListView&>(list.view());
}

// The documented example: "Hot Tasks" shown with one open task, logging into a hidden, empty
// "My logger", the frame from (100, 100) to (900, 700).
void BuildExample(Workspace& ws, HeadlessHost& host) {
  CGenWindow& hot = *AddListWindow(ws, kCustom, u"Hot Tasks")->window;
  hot.visible = 1;
  TaskInfo task;
  task.name = u"Plan the review";
  task.remarks = u"Agenda & <notes>";
  task.startTime = Time(2026, 12, 5, 9, 30);
  task.deadline = Time(2026, 12, 20, 17, 0);
  task.difficulty = 20;
  task.priority = 80;
  AppendTaskCopy(hot, task);
  AddLogLink(hot, u"My logger");
  AddListWindow(ws, kLog, u"My logger");
  host.frame = {100, 100, 800, 600};
}

TEST(SaveWorkspace, WritesTheExampleByteForByte) {
  test::ScratchFolder folder;
  HeadlessHost host;
  Workspace ws(host);
  BuildExample(ws, host);
  const std::u16string path = folder / u"example.xml";
  ASSERT_EQ(SaveWorkspace(ws, path), XmlError::NoError);

  const std::u16string geometry =
      u"TaskListSizeX=\"0\" TaskListSizeY=\"0\" TaskListSizeCX=\"200\" TaskListSizeCY=\"300\"";
  const std::u16string expected =
      u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n<Root>\n"
      u"\t<TaskList TaskListName=\"Hot Tasks\" " +
      geometry +
      u" TaskListType=\"2\" TaskListVisible=\"1\" TaskListSortDescent=\"0\""
      u" TaskListSortAscent=\"0\" TaskListSortType=\"0\">\n"
      u"\t\t<TaskList>\n"
      u"\t\t\t<Task TaskDescr=\"Plan the review\" TaskDetailDescr=\"Agenda &amp; &lt;notes&gt;\""
      u" DT1a=\"2026\" DT2a=\"12\" DT3a=\"5\" DT4a=\"9\" DT5a=\"30\""
      u" DT1b=\"2026\" DT2b=\"12\" DT3b=\"20\" DT4b=\"17\" DT5b=\"0\""
      u" ST1b=\"0\" ST2b=\"0\" ST3b=\"0\" ST4b=\"0\" ST5b=\"0\""
      u" TaskListDifficult=\"20\" TaskListPriority=\"80\" TaskState=\"0\""
      u" TaskListSizeX=\"20\" TaskListSizeY=\"50\" TaskListSizeCX=\"300\" "
      u"TaskListSizeCY=\"400\"/>\n"
      u"\t\t</TaskList>\n"
      u"\t\t<LogLinks>\n"
      u"\t\t\t<LogLink LogListLinkName=\"My logger\"/>\n"
      u"\t\t</LogLinks>\n"
      u"\t</TaskList>\n"
      u"\t<LogList TaskListName=\"My logger\" " +
      geometry +
      u" TaskListType=\"4\" TaskListVisible=\"0\" TaskListSortDescent=\"0\""
      u" TaskListSortAscent=\"0\" TaskListSortType=\"0\">\n"
      u"\t\t<TaskList/>\n"
      u"\t\t<LogLinks/>\n"
      u"\t</LogList>\n"
      u"\t<MainAppData MainWindowPosX=\"100\" MainWindowPosY=\"100\" MainWindowPosCX=\"900\""
      u" MainWindowPosCY=\"700\" KeepSize=\"0\"/>\n"
      u"</Root>\n";
  EXPECT_EQ(FileBytes(path), test::Utf16File(expected));
}

TEST(SaveWorkspace, RoundTripKeepsEverythingButSeconds) {
  test::ScratchFolder folder;
  HeadlessHost host;
  Workspace saved(host);
  CGenWindow& list = *AddListWindow(saved, kCustom, u"Käse ☕ & \"quotes\"")->window;
  View(list).SetRect({-15, 7, 321, 123});
  list.visible = 1;
  list.sortType = 3;
  list.sortAscent = 1;
  TaskInfo full;
  full.name = u"";
  full.remarks = u"line one\nline two\ttab";
  full.startTime = Time(2027, 1, 2, 3, 4, 59);
  full.deadline = Time(2027, 2, 28, 10, 15, 42);
  full.closedTime = Time(2027, 3, 1, 23, 59, 1);
  full.difficulty = 4000000000u;
  full.priority = 90;
  full.state = 2;
  full.editorRect = {-1, -2, 640, 480};
  AppendTaskCopy(list, full);
  TaskInfo bare = TaskInfo::Zero();
  bare.priority = 10;
  AppendTaskCopy(list, bare);
  AddLogLink(list, u"Log A");
  AddLogLink(list, u"Log A");
  AddListWindow(saved, kLog, u"Log A")->window->sortDescent = 1;
  host.frame = {-8, -8, 1936, 1056};
  host.keepSize = 1;
  const std::u16string path = folder / u"round.xml";
  ASSERT_EQ(SaveWorkspace(saved, path), XmlError::NoError);

  HeadlessHost host2;
  Workspace loaded(host2);
  ASSERT_TRUE(LoadWorkspace(loaded, path));
  ASSERT_EQ(loaded.ListWindows.size(), 2u);
  const CGenWindow& again = *loaded.ListWindows[0]->window;
  EXPECT_EQ(again.Title(), u"Käse ☕ & \"quotes\"");
  EXPECT_EQ(loaded.ListWindows[0]->title, again.Title());
  EXPECT_EQ(dynamic_cast<const CCustomTaskWindow*>(&again) != nullptr, true);
  EXPECT_EQ(again.view().Rect(), (WindowRect{-15, 7, 321, 123}));
  EXPECT_EQ(again.visible, 1u);
  EXPECT_TRUE(View(again).shown());
  EXPECT_EQ(again.sortType, 3u);
  EXPECT_EQ(again.sortAscent, 1u);
  EXPECT_EQ(again.sortDescent, 0u);
  EXPECT_EQ(again.logLinks, (std::vector<std::u16string>{u"Log A", u"Log A"}));
  ASSERT_EQ(again.tasks.size(), 2u);
  const TaskInfo& first = again.tasks[0]->task;  // priority 90 before 10: sorted decreasing
  EXPECT_EQ(first.name, NullableText(u""));
  EXPECT_EQ(first.remarks, full.remarks);
  EXPECT_EQ(first.startTime, Time(2027, 1, 2, 3, 4));
  EXPECT_EQ(first.deadline, Time(2027, 2, 28, 10, 15));
  EXPECT_EQ(first.closedTime, Time(2027, 3, 1, 23, 59));
  EXPECT_EQ(first.difficulty, 4000000000u);
  EXPECT_EQ(first.state, 2u);
  EXPECT_EQ(first.editorRect, (EditorRect{-1, -2, 640, 480}));
  const TaskInfo& second = again.tasks[1]->task;
  EXPECT_FALSE(second.name.has_value());
  EXPECT_FALSE(second.remarks.has_value());
  EXPECT_EQ(second.editorRect, EditorRect{});
  const CGenWindow& log = *loaded.ListWindows[1]->window;
  EXPECT_TRUE(log.IsLog());
  EXPECT_EQ(log.sortDescent, 1u);
  EXPECT_FALSE(View(log).shown());
  EXPECT_EQ(host2.frame, (WindowRect{-8, -8, 1936, 1056}));
  EXPECT_EQ(host2.keepSize, 1);
  ASSERT_EQ(host2.menu.size(), 2u);
  EXPECT_TRUE(host2.menu[0].checked);
  EXPECT_FALSE(host2.menu[1].checked);
}

// One list element read from a file; what the list window makes of it.
struct ListCase {
  const char* what;
  std::u16string element;
  std::uint32_t type;
  bool isLog;
  std::uint32_t visible;
  WindowRect rect;
  std::uint32_t sortType;
  std::size_t tasks;
  std::vector<std::u16string> links;
  std::u16string title;
};

TEST(LoadWorkspace, ReadsListElementsWithTheirDefaults) {
  const ListCase cases[] = {
      {"all missing", u"<TaskList/>", 1, false, 0, {0, 0, 100, 100}, 0, 0, {}, u"Task list 1"},
      {"visible 1 then text",
       u"<TaskList TaskListVisible='1abc'/>",
       1,
       false,
       1,
       {0, 0, 100, 100},
       0,
       0,
       {},
       u"Task list 1"},
      {"visible starting with a letter",
       u"<TaskList TaskListVisible='x1'/>",
       1,
       false,
       0,
       {0, 0, 100, 100},
       0,
       0,
       {},
       u"Task list 1"},
      {"LogList without a type",
       u"<LogList TaskListName='L'/>",
       1,
       false,
       0,
       {0, 0, 100, 100},
       0,
       0,
       {},
       u"L"},
      {"LogList of type 4",
       u"<LogList TaskListType='4'/>",
       4,
       true,
       0,
       {0, 0, 100, 100},
       0,
       0,
       {},
       u"Log list 1"},
      {"names of any case",
       u"<TaskList tasklistname='N' TASKLISTSIZECX=' +250xyz'/>",
       1,
       false,
       0,
       {0, 0, 250, 100},
       0,
       0,
       {},
       u"N"},
      {"numbers that do not scan",
       u"<TaskList TaskListSizeX='a1' TaskListSortType='-' "
       u"TaskListType='two'/>",
       1,
       false,
       0,
       {0, 0, 100, 100},
       0,
       0,
       {},
       u"Task list 1"},
      {"sort type beyond the keys",
       u"<TaskList TaskListSortType='7' TaskListSizeY='-5'/>",
       1,
       false,
       0,
       {0, -5, 100, 100},
       7,
       0,
       {},
       u"Task list 1"},
      {"only exact Task children",
       u"<TaskList><tasklist><task/><Task/><Other/><Task/>"
       u"</tasklist></TaskList>",
       1,
       false,
       0,
       {0, 0, 100, 100},
       0,
       2,
       {},
       u"Task list 1"},
      {"links: any child name, first attribute",
       u"<TaskList><LogLinks><LogLink "
       u"LogListLinkName='A' loglistlinkname='B'/><X LOGLISTLINKNAME='C'/><LogLink/>"
       u"</LogLinks></TaskList>",
       1,
       false,
       0,
       {0, 0, 100, 100},
       0,
       0,
       {u"A", u"C"},
       u"Task list 1"},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchFolder folder;
    const std::u16string path = folder / u"w.xml";
    WriteUtf16File(path, u"<Root>" + c.element + u"</Root>");
    HeadlessHost host;
    Workspace ws(host);
    ASSERT_TRUE(LoadWorkspace(ws, path));
    ASSERT_EQ(ws.ListWindows.size(), 1u);
    const CGenWindow& list = *ws.ListWindows[0]->window;
    EXPECT_EQ(list.type, c.type);
    EXPECT_EQ(dynamic_cast<const CLogWindow*>(&list) != nullptr, c.isLog);
    EXPECT_EQ(list.visible, c.visible);
    EXPECT_EQ(View(list).shown(), c.visible == 1);
    EXPECT_EQ(list.view().Rect(), c.rect);
    EXPECT_EQ(list.sortType, c.sortType);
    EXPECT_EQ(list.tasks.size(), c.tasks);
    EXPECT_EQ(list.logLinks, c.links);
    EXPECT_EQ(list.Title(), c.title);
    EXPECT_EQ(ws.ListWindows[0]->title, c.title);
    EXPECT_EQ(host.frame, kHeadlessFrameRect);  // no "MainAppData": the frame stays
  }
}

TEST(LoadWorkspace, ReadsTaskAttributesWithTheirDefaults) {
  test::ScratchFolder folder;
  const std::u16string path = folder / u"t.xml";
  WriteUtf16File(path,
                 u"<Root><TaskList><TaskList>"
                 u"<Task TaskDescr='only a name' DT1b='70000' DT2b='x' DT3b=' 9' "
                 u"TaskListPriority='-1' TASKSTATE='1junk' TaskListSizeCX='q'/>"
                 u"<Task/></TaskList></TaskList></Root>");
  HeadlessHost host;
  Workspace ws(host);
  ASSERT_TRUE(LoadWorkspace(ws, path));
  const auto& tasks = ws.ListWindows[0]->window->tasks;
  ASSERT_EQ(tasks.size(), 2u);
  const TaskInfo& odd = tasks[0]->task;
  EXPECT_EQ(odd.name, NullableText(u"only a name"));
  EXPECT_FALSE(odd.remarks.has_value());
  EXPECT_EQ(odd.deadline, (SYSTEMTIME{70000 & 0xFFFF, 0, 0, 9, 0, 0, 0, 0}));
  EXPECT_EQ(odd.priority, 4294967295u);
  EXPECT_EQ(odd.state, 1u);
  EXPECT_EQ(odd.editorRect, (EditorRect{20, 50, 300, 400}));
  const TaskInfo& empty = tasks[1]->task;
  EXPECT_FALSE(empty.name.has_value());
  EXPECT_EQ(empty.startTime, SYSTEMTIME{});
  EXPECT_EQ(empty.editorRect, (EditorRect{20, 50, 300, 400}));
}

TEST(LoadWorkspace, NumbersDefaultTitlesAndCommandsInFileOrder) {
  test::ScratchFolder folder;
  const std::u16string path = folder / u"n.xml";
  WriteUtf16File(path,
                 u"<Root><TaskList/><Unknown TaskListName='skipped'/><LogList/>"
                 u"<tasklist TaskListName='wrong case'/><TaskList TaskListType='3' "
                 u"TaskListName='Odd'/><TaskList TaskListType='3'/><TaskList/></Root>");
  HeadlessHost host;
  Workspace ws(host);
  ASSERT_TRUE(LoadWorkspace(ws, path));
  std::vector<std::u16string> titles;
  for (const auto& item : host.menu) titles.push_back(item.title);
  EXPECT_EQ(titles,
            (std::vector<std::u16string>{u"Task list 1", u"Log list 1", u"Odd", u"Task list 2"}));
  EXPECT_EQ(host.menu[3].commandId, 50004u);
  EXPECT_EQ(ws.ListWindows[2]->window, nullptr);
  EXPECT_EQ(ws.TaskListCounter, 3u);

  // The type-3 entry has no window, so nothing of it is written back.
  const std::u16string out = folder / u"out.xml";
  ASSERT_EQ(SaveWorkspace(ws, out), XmlError::NoError);
  const XmlNode root = XmlNode::ParseFile(out, u"Root");
  ASSERT_EQ(root.ChildCount(), 4);
  EXPECT_EQ(root.GetChildAt(2).GetAttribute(u"TaskListName"), XmlText(u"Task list 2"));
  EXPECT_EQ(root.GetChildAt(3).GetName(), XmlText(u"MainAppData"));
}

TEST(LoadWorkspace, PlacesTheFrameFromMainAppData) {
  struct Case {
    const char* what;
    std::u16string attributes;
    WindowRect frame;
    std::int32_t keepSize;
  };
  const Case cases[] = {
      {"right and bottom edges",
       u"MainWindowPosX='100' MainWindowPosY='50' "
       u"MainWindowPosCX='1000' MainWindowPosCY='650' KeepSize='1'",
       {100, 50, 900, 600},
       1},
      {"missing edges stay where they are", u"MainWindowPosX='100'", {100, 0, 700, 600}, 7},
      {"values that do not scan", u"MainWindowPosCY='tall' KeepSize='no'", kHeadlessFrameRect, 7},
      {"extremes wrap, never trap",
       u"MainWindowPosX='-2147483648' MainWindowPosCX='2147483647'",
       {INT32_MIN, 0, -1, 600},
       7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchFolder folder;
    const std::u16string path = folder / u"f.xml";
    WriteUtf16File(path, u"<Root><MainAppData " + c.attributes + u"/></Root>");
    HeadlessHost host;
    host.keepSize = 7;
    Workspace ws(host);
    ASSERT_TRUE(LoadWorkspace(ws, path));
    EXPECT_EQ(host.frame, c.frame);
    EXPECT_EQ(host.keepSize, c.keepSize);
  }
}

TEST(LoadWorkspace, RefusesBadFilesAndChangesNothing) {
  struct Case {
    const char* what;
    std::u16string text;  // empty: no file at all
    XmlError error;
  };
  const Case cases[] = {
      {"missing file", u"", XmlError::FileNotFound},
      {"unmatched end tag (a warning)", u"<Root><TaskList><LogLinks></TaskList></Root>",
       XmlError::UnmatchedEndTagWarning},
      {"no Root element", u"<Other><TaskList/></Other>", XmlError::FirstTagNotFound},
      {"malformed", u"<Root><TaskList TaskListName='x></Root>", XmlError::NoError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchFolder folder;
    const std::u16string path = folder / u"bad.xml";
    if (!c.text.empty()) WriteUtf16File(path, c.text + u"<MainAppData MainWindowPosX='5'/>");
    HeadlessHost host;
    Workspace ws(host);
    AddListWindow(ws, 1, u"Existing");
    XmlParseResult result;
    EXPECT_FALSE(LoadWorkspace(ws, path, &result));
    if (c.error != XmlError::NoError) {
      EXPECT_EQ(result.error, c.error);
    }
    EXPECT_NE(result.error, XmlError::NoError);
    EXPECT_EQ(ws.ListWindows.size(), 1u);
    EXPECT_EQ(host.menu.size(), 1u);
    EXPECT_EQ(host.frame, kHeadlessFrameRect);
    EXPECT_EQ(ws.TaskListCounter, 1u);
  }
}

TEST(LoadWorkspace, SortsEachListAfterLoading) {
  test::ScratchFolder folder;
  const std::u16string path = folder / u"s.xml";
  WriteUtf16File(path,
                 u"<Root><TaskList TaskListSortType='1' TaskListSortDescent='1' "
                 u"TaskListSortAscent='1'><TaskList>"
                 u"<Task TaskDescr='b' DT1b='2027' DT2b='5' DT3b='1'/><Task TaskDescr='unset'/>"
                 u"<Task TaskDescr='a' DT1b='2027' DT2b='1' DT3b='1'/></TaskList></TaskList>"
                 u"</Root>");
  HeadlessHost host;
  Workspace ws(host);
  ASSERT_TRUE(LoadWorkspace(ws, path));
  std::vector<std::u16string> order;
  for (const auto& item : ws.ListWindows[0]->window->tasks) order.push_back(*item->task.name);
  EXPECT_EQ(order, (std::vector<std::u16string>{u"unset", u"a", u"b"}));
  EXPECT_GE(View(*ws.ListWindows[0]->window).layouts(), 1);
}

// A save that fails at any point must leave the previous file complete and loadable.
TEST(SaveWorkspace, FailedWriteKeepsThePreviousFile) {
  test::ScratchFolder folder;
  HeadlessHost host;
  Workspace ws(host);
  BuildExample(ws, host);
  const std::u16string path = folder / u"tasklist.xml";
  ASSERT_EQ(SaveWorkspace(ws, path), XmlError::NoError);
  const std::vector<std::uint8_t> before = FileBytes(path);
  AddListWindow(ws, 1, u"Added after the good save");

  for (const std::size_t bytesWritten :
       {std::size_t{0}, std::size_t{1}, std::size_t{100}, before.size()}) {
    SCOPED_TRACE(bytesWritten);
    {
      const ScopedWriteFailure failure(bytesWritten);
      EXPECT_EQ(SaveWorkspace(ws, path), XmlError::CannotWriteFile);
    }
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_FALSE(test::FileExists(path + u".partial"));
    HeadlessHost host2;
    Workspace reloaded(host2);
    EXPECT_TRUE(LoadWorkspace(reloaded, path));
    EXPECT_EQ(reloaded.ListWindows.size(), 2u);
  }
  // With the disk working again the new workspace replaces the old one.
  ASSERT_EQ(SaveWorkspace(ws, path), XmlError::NoError);
  HeadlessHost host3;
  Workspace reloaded(host3);
  ASSERT_TRUE(LoadWorkspace(reloaded, path));
  EXPECT_EQ(reloaded.ListWindows.size(), 3u);
}

TEST(SaveWorkspace, ReportsAFolderThatCannotBeWritten) {
  test::ScratchFolder folder;
  HeadlessHost host;
  Workspace ws(host);
  const std::u16string path = folder / u"missing\\tasklist.xml";
  EXPECT_EQ(SaveWorkspace(ws, path), XmlError::CannotOpenForWriting);
  EXPECT_FALSE(test::FileExists(path));
}

}  // namespace
}  // namespace qv
