// List windows inside the real frame: layout and scrolling, the toolbar and its sort popup,
// solving and cancelling into the logs, reports, and rows the system refuses to make.
#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/shell/shell_test_support.h"
#include "windows/task_row.h"

namespace qv::test {
namespace {

constexpr SYSTEMTIME kNow{2026, 12, 1, 7, 12, 0, 0, 0};

class ListWindows : public StartedFrame {
 protected:
  // The default workspace: "Hot Tasks" logging into "My logger" and "Work logger".
  void SetUp() override {
    StoragePaths paths = Paths();
    paths.seedFile = scratch / u"no-seed.xml";
    Start(paths);
    for (std::size_t i = 0; i < 3; ++i) Command(static_cast<WORD>(ListCommand(i)));
  }
  CGenWindow& Hot() const { return List(0); }
  CGenWindow& MyLogger() const { return List(1); }
  ListWindow& View(const CGenWindow& list) const { return Win32View(list); }

  TaskItem& Add(CGenWindow& list, const char16_t* name, std::uint32_t priority = 0) {
    TaskInfo task;
    task.name = name;
    task.priority = priority;
    task.deadline = {2026, 12, 0, 24, 12, 0, 0, 0};
    return AddNewTask(list, task);
  }
  static TaskRowWindow& Row(const TaskItem& item) {
    return *static_cast<TaskRowWindow*>(item.row());
  }
  static std::vector<std::u16string> Shown(const CGenWindow& list) {
    std::vector<std::u16string> names;
    for (const auto& item : list.tasks) names.push_back(win32::WindowText(Row(*item).mainButton()));
    return names;
  }
  // The row's top in the pane.
  static int RowTop(const TaskItem& item) {
    RECT rect{};
    GetWindowRect(Row(item).mainButton(), &rect);
    MapWindowPoints(nullptr, GetParent(Row(item).mainButton()), reinterpret_cast<POINT*>(&rect), 2);
    return rect.top;
  }
  // Gives the window a client area this many pixels below its toolbar.
  void SetPaneHeight(const CGenWindow& list, int paneHeight) {
    const HWND window = View(list).hwnd();
    RECT toolbar{};
    GetClientRect(View(list).toolbar(), &toolbar);
    RECT rect{0, 0, 300, toolbar.bottom + paneHeight};
    AdjustWindowRectEx(&rect, GetWindowLongW(window, GWL_STYLE), FALSE,
                       GetWindowLongW(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER);
  }
  static SCROLLINFO Scroll(const CGenWindow& list) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(Win32View(list).scrollBar(), SB_CTL, &info);
    return info;
  }
  void Wheel(const CGenWindow& list, int delta, LRESULT expected = 1) {
    EXPECT_EQ(SendMessageW(View(list).hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0), expected);
  }
  void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

  ScopedTestClock clock{kNow};
};

TEST_F(ListWindows, RowsScrollOnlyWhenTheyDoNotFit) {
  SetPaneHeight(Hot(), 240);
  for (int i = 0; i < 8; ++i) Add(Hot(), u"Task");
  EXPECT_FALSE(IsWindowVisible(View(Hot()).scrollBar())) << "eight rows just fit in 240 pixels";
  SetPaneHeight(Hot(), 250);
  RECT client{}, pane{};
  GetClientRect(View(Hot()).hwnd(), &client);
  GetClientRect(View(Hot()).pane(), &pane);
  EXPECT_EQ(pane.right, client.right);
  EXPECT_EQ(RowTop(*Hot().tasks[7]), 210);

  TaskItem& ninth = Add(Hot(), u"Task");
  EXPECT_TRUE(IsWindowVisible(View(Hot()).scrollBar()));
  GetClientRect(View(Hot()).pane(), &pane);
  EXPECT_EQ(pane.right, client.right - 15);
  SCROLLINFO info = Scroll(Hot());
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 50);
  EXPECT_EQ(info.nPage, 30u);

  // The wheel moves 20 pixels a notch and stops at both ends; the bar holds the position at
  // its largest, 21, so the last row ends one pixel above the pane's edge.
  Wheel(Hot(), WHEEL_DELTA);
  EXPECT_EQ(Scroll(Hot()).nPos, 0);
  Wheel(Hot(), -WHEEL_DELTA);
  EXPECT_EQ(Scroll(Hot()).nPos, 20);
  EXPECT_EQ(RowTop(*Hot().tasks[0]), -20);
  Wheel(Hot(), -3 * WHEEL_DELTA);
  EXPECT_EQ(Scroll(Hot()).nPos, 21);
  EXPECT_EQ(RowTop(ninth), 8 * 30 - 21);
  SendMessageW(View(Hot()).hwnd(), WM_VSCROLL, SB_LINEUP,
               reinterpret_cast<LPARAM>(View(Hot()).scrollBar()));
  EXPECT_EQ(Scroll(Hot()).nPos, 20);
  SendMessageW(View(Hot()).hwnd(), WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0),
               reinterpret_cast<LPARAM>(View(Hot()).scrollBar()));
  EXPECT_EQ(Scroll(Hot()).nPos, 0);
  SendMessageW(View(Hot()).hwnd(), WM_VSCROLL, SB_LINEDOWN,
               reinterpret_cast<LPARAM>(View(Hot()).scrollBar()));
  EXPECT_EQ(RowTop(*Hot().tasks[0]), -1);
  SetScrollPos(View(Hot()).scrollBar(), SB_CTL, 15, FALSE);
  Wheel(Hot(), WHEEL_DELTA);
  EXPECT_EQ(Scroll(Hot()).nPos, 0) << "from 15 a notch away goes to 0";

  // Taller again, the rows fit: the hidden bar keeps no range, so the wheel moves nothing.
  Wheel(Hot(), -WHEEL_DELTA);
  SetPaneHeight(Hot(), 400);
  EXPECT_FALSE(IsWindowVisible(View(Hot()).scrollBar()));
  EXPECT_EQ(RowTop(*Hot().tasks[0]), 0);
  Wheel(Hot(), -WHEEL_DELTA);
  EXPECT_EQ(RowTop(*Hot().tasks[0]), 0);
}

std::vector<int> ButtonIds(HWND toolbar) {
  std::vector<int> ids;
  const auto count = SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.iBitmap, i) << "button " << i << " shows another image";
    ids.push_back(button.idCommand);
  }
  return ids;
}

int ImageCount(HWND toolbar) {
  return ImageList_GetImageCount(
      reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0)));
}

std::wstring Tooltip(HWND window, int id) {
  NMTTDISPINFOW info{};
  info.hdr.idFrom = id;
  info.hdr.code = TTN_GETDISPINFOW;
  SendMessageW(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  return info.lpszText ? info.lpszText : L"";
}

TEST_F(ListWindows, ToolbarsOfTaskAndLogWindows) {
  const HWND tasks = View(Hot()).toolbar();
  const HWND log = View(MyLogger()).toolbar();
  EXPECT_EQ(ButtonIds(tasks), (std::vector<int>{IDT_NEW_TASK, IDT_SORT_ASCENT, IDT_SORT_DESCENT,
                                                IDT_REPORT_PDF, IDT_REPORT_HTML, IDT_REPORT_TEXT}));
  EXPECT_EQ(ButtonIds(log), (std::vector<int>{IDT_SORT_ASCENT, IDT_SORT_DESCENT, IDT_REPORT_PDF,
                                              IDT_REPORT_HTML, IDT_REPORT_TEXT}));
  EXPECT_EQ(ImageCount(tasks), 6);
  EXPECT_EQ(ImageCount(log), 5);
  EXPECT_EQ(Tooltip(View(Hot()).hwnd(), IDT_NEW_TASK), L"New Task");
  EXPECT_EQ(Tooltip(View(Hot()).hwnd(), IDT_SORT_ASCENT), L"Sort Ascent");
  EXPECT_EQ(Tooltip(View(Hot()).hwnd(), IDT_SORT_DESCENT), L"Sort Descent");
  const auto style = [&](int id) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STYLE;
    SendMessageW(tasks, TB_GETBUTTONINFOW, id, reinterpret_cast<LPARAM>(&info));
    return info.fsStyle;
  };
  EXPECT_EQ(style(IDT_SORT_ASCENT), BTNS_CHECK | BTNS_DROPDOWN);
  EXPECT_EQ(style(IDT_REPORT_PDF), BTNS_BUTTON);

  // A picture that cannot be read adds no image: the next buttons take the next images.
  const std::filesystem::path icon = NativePath(ProgramFolder() + u"\\Icons\\New_task.png");
  const std::filesystem::path moved = icon.string() + ".away";
  std::filesystem::rename(icon, moved);
  ListEntry* extra = AddListWindow(frame->workspace(), 1, u"Extra");
  std::filesystem::rename(moved, icon);
  EXPECT_EQ(ImageCount(View(*extra->window).toolbar()), 5);
}

TEST_F(ListWindows, SortButtonsAndKeysReorderTheRows) {
  Add(Hot(), u"Low", 10);
  Add(Hot(), u"High", 90);
  Add(Hot(), u"Middle", 50);
  SendMessageW(View(Hot()).hwnd(), WM_COMMAND, IDM_SORT_PRIORITY, 0);
  EXPECT_EQ(Hot().sortType, 3u);

  const HWND toolbar = View(Hot()).toolbar();
  const auto press = [&](int id, bool checked) {
    SendMessageW(toolbar, TB_CHECKBUTTON, id, checked);
    SendMessageW(View(Hot()).hwnd(), WM_COMMAND, id, reinterpret_cast<LPARAM>(toolbar));
  };
  const auto checked = [&](int id) {
    return SendMessageW(toolbar, TB_ISBUTTONCHECKED, id, 0) != 0;
  };
  press(IDT_SORT_DESCENT, true);
  EXPECT_EQ(Shown(Hot()), (std::vector<std::u16string>{u"Low", u"Middle", u"High"}));
  press(IDT_SORT_ASCENT, true);
  EXPECT_FALSE(checked(IDT_SORT_DESCENT)) << "both sort buttons checked";
  EXPECT_EQ(Hot().sortAscent, 1u);
  EXPECT_EQ(Hot().sortDescent, 0u);
  EXPECT_EQ(Shown(Hot()), (std::vector<std::u16string>{u"High", u"Middle", u"Low"}));
  press(IDT_SORT_ASCENT, false);
  EXPECT_EQ(Hot().sortAscent, 0u);
  EXPECT_EQ(Hot().sortDescent, 0u);

  // The popup under a sort button: its keys, the current one checked, "Solved Time" in logs.
  std::vector<std::wstring> items;
  UINT checkedId = 0;
  std::thread reader([&] {
    for (int i = 0; i < 500; ++i) {
      HWND popup = FindWindowW(L"#32768", nullptr);
      if (popup && IsWindowVisible(popup)) {
        HMENU handle = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        for (int k = 0; k < GetMenuItemCount(handle); ++k) {
          wchar_t text[64] = {};
          GetMenuStringW(handle, k, text, 64, MF_BYPOSITION);
          items.push_back(text);
          if (GetMenuState(handle, k, MF_BYPOSITION) & MF_CHECKED)
            checkedId = GetMenuItemID(handle, k);
        }
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        return;
      }
      Sleep(10);
    }
  });
  MyLogger().sortType = 2;
  NMTOOLBARW drop{};
  drop.hdr.hwndFrom = View(MyLogger()).toolbar();
  drop.hdr.code = TBN_DROPDOWN;
  drop.iItem = IDT_SORT_ASCENT;
  SendMessageW(View(MyLogger()).hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&drop));
  reader.join();
  EXPECT_EQ(items, (std::vector<std::wstring>{L"Start time", L"Deadline", L"Solved Time",
                                              L"Priority", L"Difficulty"}));
  EXPECT_EQ(checkedId, static_cast<UINT>(IDM_SORT_SOLVED_TIME));
}

TEST_F(ListWindows, SolvedAndCancelledTasksMoveIntoTheLinkedLogs) {
  TaskItem& solved = Add(Hot(), u"Solved");
  Click(Row(solved).checkButton());
  ASSERT_TRUE(Hot().tasks.empty());
  for (std::size_t log : {1u, 2u}) {
    ASSERT_EQ(List(log).tasks.size(), 1u);
    const TaskItem& copy = *List(log).tasks.back();
    EXPECT_EQ(copy.task.state, static_cast<std::uint32_t>(TaskState::Solved));
    EXPECT_EQ(copy.task.closedTime, kNow);
    EXPECT_EQ(Shown(List(log)), std::vector<std::u16string>{u"Solved"});
    EXPECT_EQ(Row(copy).checkButton(), nullptr) << "a log row has no check mark";
  }

  // One link without a window: one message, and the task still moves.
  List(2).view().SetTitle(u"Renamed");
  TaskItem& cancelled = Add(Hot(), u"Cancelled");
  {
    DialogAnswerer error(L"Error", Press(IDOK));
    Click(Row(cancelled).crossButton());
    EXPECT_TRUE(error.answered());
  }
  EXPECT_TRUE(Hot().tasks.empty());
  ASSERT_EQ(MyLogger().tasks.size(), 2u);
  EXPECT_EQ(MyLogger().tasks.back()->task.state, static_cast<std::uint32_t>(TaskState::Cancelled));
  EXPECT_EQ(List(2).tasks.size(), 1u);

  // Without links the task stays, closed.
  ClearLogLinks(Hot());
  TaskItem& kept = Add(Hot(), u"Kept");
  Click(Row(kept).checkButton());
  ASSERT_EQ(Hot().tasks.size(), 1u);
  EXPECT_EQ(kept.task.state, static_cast<std::uint32_t>(TaskState::Solved));
  EXPECT_EQ(kept.task.closedTime, kNow);

  // The cross in a log window deletes at once.
  Click(Row(*MyLogger().tasks.front()).crossButton());
  EXPECT_EQ(Shown(MyLogger()), std::vector<std::u16string>{u"Cancelled"});
}

TEST_F(ListWindows, RowsTheSystemRefusesKeepTheirTasksWithOneMessage) {
  std::vector<TaskInfo> tasks(3);
  for (TaskInfo& task : tasks) task.name = u"Kept";
  {
    DialogAnswerer errors(L"Error", Press(IDOK), true);
    {
      ScopedRowControlLimit limit(7);  // one task row (five controls) and part of another
      for (const TaskInfo& task : tasks) AddNewTask(Hot(), task);
      AddNewTask(MyLogger(), tasks[0]);
    }
    EXPECT_EQ(errors.answers(), 2) << "not one message per window";
    EXPECT_NE(errors.text().find(u"kept"), std::u16string::npos);
  }
  EXPECT_EQ(Hot().tasks.size(), 3u);
  EXPECT_NE(Hot().tasks[0]->row(), nullptr);
  EXPECT_EQ(Hot().tasks[2]->row(), nullptr);
  AddNewTask(Hot(), tasks[0]);
  EXPECT_NE(Hot().tasks.back()->row(), nullptr) << "rows come back when the system allows";
  Command(IDM_EXIT);
  HeadlessHost host;
  Workspace saved(host);
  ASSERT_TRUE(LoadWorkspace(saved, WorkspaceFile()));
  EXPECT_EQ(saved.ListWindows[0]->window->tasks.size(), 4u);
  EXPECT_EQ(saved.ListWindows[1]->window->tasks.size(), 1u);
}

TEST_F(ListWindows, ReportButtonsWriteTheirFiles) {
  Add(Hot(), u"Reported");
  for (WORD id : {IDT_REPORT_HTML, IDT_REPORT_PDF}) {
    SendMessageW(View(Hot()).hwnd(), WM_COMMAND, id, 0);
  }
  const std::u16string folder = Paths().userDataFolder;
  EXPECT_TRUE(std::filesystem::exists(NativePath(folder + u"\\Hot Tasks.html")));
  EXPECT_TRUE(std::filesystem::exists(NativePath(folder + u"\\Hot Tasks.pdf")));
}

using EndToEnd = StartedFrame;

std::u16string TaskXml(const char16_t* name, int priority) {
  return u"<Task TaskDescr=\"" + std::u16string(name) + u"\" TaskListPriority=\"" +
         FormatInt(priority) + u"\" DT1b=\"2027\" DT2b=\"1\" DT3b=\"1\"/>";
}

TEST_F(EndToEnd, ASavedListShowsItsRowsSortedAndKeepsWhatTheUserDid) {
  ASSERT_EQ(SHCreateDirectory(Paths().userDataFolder), kErrorSuccess);
  WriteUtf16File(
      WorkspaceFile(),
      u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<Root>\r\n"
      u"<TaskList TaskListName=\"Work\" TaskListType=\"1\" TaskListVisible=\"1\" "
      u"TaskListSizeCX=\"400\" TaskListSizeCY=\"300\" TaskListSortDescent=\"1\" "
      u"TaskListSortType=\"3\"><TaskList>" +
          TaskXml(u"B", 50) + TaskXml(u"C", 90) + TaskXml(u"A", 10) +
          u"</TaskList><LogLinks><LogLink LogListLinkName=\"Done\"/></LogLinks></TaskList>\r\n"
          u"<LogList TaskListName=\"Done\" TaskListType=\"4\" TaskListVisible=\"1\">"
          u"<TaskList/><LogLinks/></LogList>\r\n</Root>\r\n");
  Start();
  CGenWindow& work = List(0);
  std::vector<std::u16string> shown;
  for (const auto& item : work.tasks) {
    shown.push_back(win32::WindowText(static_cast<TaskRowWindow*>(item->row())->mainButton()));
  }
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"A", u"B", u"C"}));
  const HWND toolbar = Win32View(work).toolbar();
  EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONCHECKED, IDT_SORT_DESCENT, 0));
  EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONCHECKED, IDT_SORT_ASCENT, 0));

  SendMessageW(static_cast<TaskRowWindow*>(work.tasks[1]->row())->checkButton(), BM_CLICK, 0, 0);
  Command(IDM_EXIT);
  HeadlessHost host;
  Workspace saved(host);
  ASSERT_TRUE(LoadWorkspace(saved, WorkspaceFile()));
  const auto names = [](const CGenWindow& list) {
    std::vector<std::u16string> out;
    for (const auto& item : list.tasks) out.push_back(*item->task.name);
    return out;
  };
  EXPECT_EQ(names(*saved.ListWindows[0]->window), (std::vector<std::u16string>{u"A", u"C"}));
  EXPECT_EQ(names(*saved.ListWindows[1]->window), std::vector<std::u16string>{u"B"});
  EXPECT_EQ(saved.ListWindows[1]->window->tasks[0]->task.state,
            static_cast<std::uint32_t>(TaskState::Solved));
}

}  // namespace
}  // namespace qv::test
