#include "workspace/workspace_file.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/workspace/workspace_test_support.h"

namespace qv::test {
namespace {

HeadlessListView& View(const CGenWindow& list) {
  return static_cast<HeadlessListView&>(list.view());
}

// Everything loading decides, one list window after another and then the frame, so that a
// table row can state it in one line.
std::string Summary(const Workspace& ws) {
  std::ostringstream s;
  const auto rect = [&s](const auto& r) -> std::ostream& {
    return s << r.x << ',' << r.y << ',' << r.width << ',' << r.height;
  };
  for (const auto& entry : ws.ListWindows) {
    const CGenWindow& l = *entry->window;
    s << l.type << (l.IsLog() ? "L" : "") << " v" << l.visible << ' ';
    rect(l.view().Rect()) << " s" << l.sortType << ' ' << Utf16ToUtf8(l.Title());
    for (const std::u16string& link : l.logLinks) s << " >" << Utf16ToUtf8(link);
    for (const auto& item : l.tasks) {
      const TaskInfo& t = item->task;
      s << " [" << (t.name ? Utf16ToUtf8(*t.name) : "-") << ' ' << t.deadline.wYear << '-'
        << t.deadline.wMonth << '-' << t.deadline.wDay << " p" << t.priority << " st" << t.state
        << ' ';
      rect(t.editorRect) << ']';
    }
    s << " | ";
  }
  s << "frame ";
  rect(ws.host.FrameRect()) << " k" << ws.host.KeepSize();
  return s.str();
}

// Every value differs from what loading assumes, so the second save matches the first only
// when each attribute was read back; elements and list types the program does not know are
// read past and never written back.
TEST(SaveWorkspace, WritesTheExampleByteForByteAndReadsItBack) {
  ScratchFolder folder;
  HeadlessHost host;
  Workspace saved(host);
  CGenWindow& list = *AddListWindow(saved, 2, u"K\u00e4se & \"<q>\"")->window;
  View(list).SetRect({-15, 7, 321, 123});
  list.visible = 1;
  list.sortType = 3;
  list.sortAscent = 1;
  AppendTaskCopy(list, TaskInfo{.name = u"",
                                .remarks = std::nullopt,
                                .startTime = Time(2027, 1, 2, 3, 4, 59),
                                .deadline = Time(2027, 2, 28, 10, 15, 42),
                                .closedTime = Time(2027, 3, 1, 23, 59, 1),
                                .difficulty = 4000000000u,
                                .priority = 90,
                                .state = 2,
                                .editorRect = {-1, -2, 640, 480}});
  AddLogLink(list, u"Log");
  AddLogLink(list, u"Log");
  AddListWindow(saved, 4, u"Log")->window->sortDescent = 1;
  host.frame = {-8, -8, 1936, 1056};
  host.keepSize = 1;
  const std::u16string first = folder / u"first.xml", second = folder / u"second.xml";
  ASSERT_EQ(SaveWorkspace(saved, first), XmlError::NoError);
  const std::u16string expected =
      u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n<Root>\n"
      u"\t<TaskList TaskListName=\"K\u00e4se &amp; &quot;&lt;q&gt;&quot;\" TaskListSizeX=\"-15\""
      u" TaskListSizeY=\"7\" TaskListSizeCX=\"321\" TaskListSizeCY=\"123\" TaskListType=\"2\""
      u" TaskListVisible=\"1\" TaskListSortDescent=\"0\" TaskListSortAscent=\"1\""
      u" TaskListSortType=\"3\">\n"
      u"\t\t<TaskList>\n"
      u"\t\t\t<Task TaskDescr=\"\" DT1a=\"2027\" DT2a=\"1\" DT3a=\"2\" DT4a=\"3\" DT5a=\"4\""
      u" DT1b=\"2027\" DT2b=\"2\" DT3b=\"28\" DT4b=\"10\" DT5b=\"15\""
      u" ST1b=\"2027\" ST2b=\"3\" ST3b=\"1\" ST4b=\"23\" ST5b=\"59\""
      u" TaskListDifficult=\"4000000000\" TaskListPriority=\"90\" TaskState=\"2\""
      u" TaskListSizeX=\"-1\" TaskListSizeY=\"-2\" TaskListSizeCX=\"640\" "
      u"TaskListSizeCY=\"480\"/>\n"
      u"\t\t</TaskList>\n"
      u"\t\t<LogLinks>\n\t\t\t<LogLink LogListLinkName=\"Log\"/>\n"
      u"\t\t\t<LogLink LogListLinkName=\"Log\"/>\n\t\t</LogLinks>\n"
      u"\t</TaskList>\n"
      u"\t<LogList TaskListName=\"Log\" TaskListSizeX=\"0\" TaskListSizeY=\"0\""
      u" TaskListSizeCX=\"200\" TaskListSizeCY=\"300\" TaskListType=\"4\" TaskListVisible=\"0\""
      u" TaskListSortDescent=\"1\" TaskListSortAscent=\"0\" TaskListSortType=\"0\">\n"
      u"\t\t<TaskList/>\n\t\t<LogLinks/>\n\t</LogList>\n"
      u"\t<MainAppData MainWindowPosX=\"-8\" MainWindowPosY=\"-8\" MainWindowPosCX=\"1928\""
      u" MainWindowPosCY=\"1048\" KeepSize=\"1\"/>\n"
      u"</Root>\n";
  EXPECT_EQ(FileBytes(first), Utf16LeBytes(expected, true));

  std::u16string odd = expected;
  odd.insert(odd.find(u"\t\t</TaskList>"), u"<task/><Other/>");
  odd.insert(odd.find(u"\t<MainAppData"),
             u"<Unknown/><tasklist/><TaskList TaskListType='3' TaskListName='B'/>");
  WriteUtf16File(second, odd);
  Reloaded loaded(second);
  ASSERT_TRUE(loaded.loaded);
  ASSERT_EQ(SaveWorkspace(loaded.ws, second), XmlError::NoError);
  EXPECT_EQ(FileBytes(second), FileBytes(first));
  // Visibility reaches the windows and the "Task Windows" checks, not just the fields.
  EXPECT_TRUE(View(*loaded.ws.ListWindows[0]->window).shown() && loaded.host.menu.at(0).checked);
  EXPECT_FALSE(View(*loaded.ws.ListWindows[1]->window).shown() || loaded.host.menu.at(1).checked);
}

TEST(LoadWorkspace, MissingOrUnscannableValuesTakeTheirDefaults) {
  const std::string frame = "frame 0,0,800,600 k7";
  const std::pair<std::u16string, std::string> cases[] = {
      {u"<TaskList TaskListVisible='x1' TaskListSizeX='a1' TaskListSortType='-' "
       u"TaskListType='two'/><LogList TaskListType='4'/><LogList TaskListName='L'/>",
       "1 v0 0,0,100,100 s0 Task list 1 | 4L v0 0,0,100,100 s0 Log list 1 | "
       "1 v0 0,0,100,100 s0 L | " +
           frame},
      {u"<TaskList TaskListVisible='1abc' tasklistname='N' TASKLISTSIZECX=' +250xyz' "
       u"TaskListSizeY='-5' TaskListSortType='7'/>",
       "1 v1 0,-5,250,100 s7 N | " + frame},
      {u"<TaskList TaskListSortDescent='1' TaskListSortType='3'><tasklist><Task TaskDescr='n' "
       u"DT1b='70000' DT2b='x' "
       u"DT3b=' 9' TaskListPriority='-1' TASKSTATE='1junk' TaskListSizeCX='q'/><Task/></tasklist>"
       u"</TaskList>",
       "1 v0 0,0,100,100 s3 Task list 1 [- 0-0-0 p0 st0 20,50,300,400] "
       "[n 4464-0-9 p4294967295 st1 20,50,300,400] | " +
           frame},
      {u"<TaskList><LogLinks><LogLink LogListLinkName='A' loglistlinkname='B'/>"
       u"<X LOGLISTLINKNAME='C'/><LogLink/></LogLinks></TaskList>",
       "1 v0 0,0,100,100 s0 Task list 1 >A >C | " + frame},
      {u"<MainAppData MainWindowPosX='100' MainWindowPosCY='tall' KeepSize='no'/>",
       "frame 100,0,700,600 k7"},
      {u"<MainAppData MainWindowPosX='-2147483648' MainWindowPosCX='2147483647'/>",
       "frame -2147483648,0,-1,600 k7"},
      // A warning refuses the whole file and changes nothing.
      {u"<TaskList><LogLinks></TaskList><MainAppData MainWindowPosX='5'/>", "refused " + frame},
  };
  for (const auto& [body, expected] : cases) {
    ScratchFolder folder;
    WriteUtf16File(folder / u"w.xml", u"<Root>" + body + u"</Root>");
    HeadlessHost host;
    host.keepSize = 7;
    Workspace ws(host);
    const bool loaded = LoadWorkspace(ws, folder / u"w.xml");
    EXPECT_EQ((loaded ? "" : "refused ") + Summary(ws), expected);
  }
}

// A failed write or flush keeps the previous file and says so; a save replaces it only with a
// new file that is whole and flushed.
TEST(SaveWorkspace, ReplacesThePreviousFileOnlyWithAWholeFlushedOne) {
  ScratchFolder folder;
  HeadlessHost host;
  Workspace ws(host);
  AddListWindow(ws, 1, u"Saved");
  const std::u16string path = folder / u"tasklist.xml";
  ASSERT_EQ(SaveWorkspace(ws, path), XmlError::NoError);
  const std::vector<std::uint8_t> before = FileBytes(path);
  AddListWindow(ws, 1, u"Added later");
  const auto keptAfterFailure = [&] {
    EXPECT_EQ(SaveWorkspace(ws, path), XmlError::CannotWriteFile);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_FALSE(std::filesystem::exists(NativePath(path + u".partial")));
  };
  for (const std::size_t bytesWritten : {std::size_t{0}, std::size_t{100}, before.size()}) {
    const ScopedWriteFailure failure(bytesWritten);
    keptAfterFailure();
  }
  Win32Error flushed = kErrorGenFailure;
  std::vector<std::vector<std::uint8_t>> seen;  // the flushed file, then what path held then
  const ScopedFlushObserver observer([&](const std::u16string& file) {
    seen = {FileBytes(file), FileBytes(path)};
    return flushed;
  });
  keptAfterFailure();
  flushed = kErrorSuccess;
  ASSERT_EQ(SaveWorkspace(ws, path), XmlError::NoError);
  EXPECT_EQ(seen, (std::vector<std::vector<std::uint8_t>>{FileBytes(path), before}));
}

// The first thing a new user sees, in the form the program itself writes.
TEST(SeedWorkspace, HoldsHotTasksLoggingIntoTwoEmptyLogs) {
  const std::u16string seed = Utf8ToUtf16(QUORVANE_RESOURCES_DIR "/tasklist.xml");
  Reloaded loaded(seed);
  Workspace& ws = loaded.ws;
  ASSERT_TRUE(loaded.loaded && ws.ListWindows.size() == 3u);
  const CGenWindow& hot = *ws.ListWindows[0]->window;
  EXPECT_EQ(hot.Title(), u"Hot Tasks");
  EXPECT_EQ(hot.logLinks, (std::vector<std::u16string>{u"My logger", u"Work logger"}));
  EXPECT_FALSE(hot.tasks.empty());
  for (const std::size_t i : {1u, 2u}) {
    const CGenWindow& log = *ws.ListWindows[i]->window;
    EXPECT_TRUE(log.IsLog() && log.tasks.empty() && log.Title() == hot.logLinks[i - 1]);
  }
  ScratchFolder folder;
  ASSERT_EQ(SaveWorkspace(ws, folder / u"again.xml"), XmlError::NoError);
  EXPECT_EQ(FileBytes(folder / u"again.xml"), FileBytes(seed));
}

}  // namespace
}  // namespace qv::test
