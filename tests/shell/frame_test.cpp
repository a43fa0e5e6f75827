// The frame made in this process from the program's own code and resources, started on a
// scratch documents folder and driven with messages.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/shell/shell_test_support.h"

namespace qv::test {
namespace {

using Titles = std::vector<std::u16string>;

constexpr char16_t kTwoLists[] =
    u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<Root>\r\n"
    u"<TaskList TaskListName=\"Mine\" TaskListSizeX=\"10\" TaskListSizeY=\"20\" "
    u"TaskListSizeCX=\"300\" TaskListSizeCY=\"200\" TaskListType=\"1\" TaskListVisible=\"1\">"
    u"<TaskList/><LogLinks><LogLink LogListLinkName=\"Done\"/></LogLinks></TaskList>\r\n"
    u"<LogList TaskListName=\"Done\" TaskListSizeX=\"40\" TaskListSizeY=\"30\" "
    u"TaskListSizeCX=\"250\" TaskListSizeCY=\"150\" TaskListType=\"4\" TaskListVisible=\"0\">"
    u"<TaskList/><LogLinks/></LogList>\r\n"
    u"<MainAppData MainWindowPosX=\"50\" MainWindowPosY=\"40\" MainWindowPosCX=\"950\" "
    u"MainWindowPosCY=\"740\" KeepSize=\"1\"/>\r\n</Root>\r\n";

class Frame : public StartedFrame {
 protected:
  void StartOnTwoLists() {
    SHCreateDirectory(Paths().userDataFolder);
    WriteUtf16File(WorkspaceFile(), kTwoLists);
    Start();
  }
};

// Started with only the seed beside the program, it loads a copy of the seed; the commands a
// user reaches through the menu bar carry their ids (a wrong one is a dead menu item).
TEST_F(Frame, StartsOnTheSeedWithEveryMenuCommandOrOnTheDefaultWorkspace) {
  Start();
  EXPECT_EQ(TitlesOf(frame->workspace()), Reloaded(Paths().seedFile).Titles());
  constexpr UINT kPopup = static_cast<UINT>(-1), kSeparator = 0;
  const std::vector<std::vector<UINT>> expected{
      {IDM_NEW_WORKSPACE, IDM_LOAD_WORKSPACE, IDM_SAVE_WORKSPACE, IDM_EXIT},
      {IDM_EDIT_TASK_WINDOWS, kPopup, kSeparator, IDM_CASCADE, IDM_TILE, IDM_KEEP_SIZE},
      {IDM_STARTUP_AUTOMATICALLY},
      {IDM_ABOUT}};
  HMENU menu = GetMenu(frame->hwnd());
  std::vector<std::vector<UINT>> ids(GetMenuItemCount(menu));
  for (std::size_t i = 0; i < ids.size(); ++i) {
    HMENU popup = GetSubMenu(menu, static_cast<int>(i));
    for (int k = 0; k < GetMenuItemCount(popup); ++k) ids[i].push_back(GetMenuItemID(popup, k));
  }
  EXPECT_EQ(ids, expected);
  TearDown();

  std::filesystem::remove(NativePath(WorkspaceFile()));
  StartOnDefault();
  EXPECT_EQ(TitlesOf(frame->workspace()), (Titles{u"Hot Tasks", u"My logger", u"Work logger"}));
  for (std::size_t i = 0; i < 3; ++i) EXPECT_FALSE(IsWindowVisible(ListHwnd(i)));
}

TEST_F(Frame, ExitAndTheEndOfTheSessionSaveOnce) {
  Start();
  Command(IDM_NEW_WORKSPACE);
  EXPECT_EQ(GetWindow(frame->MdiClient(), GW_CHILD), nullptr) << "a list window outlived it";
  SendMessageW(frame->hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(Reloaded(WorkspaceFile()).Titles().empty());

  // The session has ended: the destruction that may follow does not write again.
  std::filesystem::remove(NativePath(WorkspaceFile()));
  HWND window = frame->hwnd();
  Command(IDM_EXIT);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(std::filesystem::exists(NativePath(WorkspaceFile())));
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the loop goes on";
}

TEST_F(Frame, ExitThatCannotSaveOffersRetryAndCancel) {
  // A folder where the file is written first: every save fails until it is gone.
  const auto partial = NativePath(WorkspaceFile() + u".partial");
  for (const int answer : {IDCANCEL, IDRETRY}) {
    StartOnTwoLists();
    Command(IDM_NEW_WORKSPACE);
    std::filesystem::create_directory(partial);
    DialogAnswerer box(L"Error", [&](HWND dialog) {
      if (answer == IDRETRY) std::filesystem::remove(partial);
      PressButton(dialog, answer);
    });
    Command(IDM_EXIT);
    ASSERT_TRUE(box.answered());
    EXPECT_NE(box.text().find(WorkspaceFile()), std::u16string::npos) << "names no file";
    EXPECT_EQ(Reloaded(WorkspaceFile()).Titles().empty(), answer == IDRETRY) << answer;
    TearDown();
  }
}

TEST_F(Frame, LoadAndSaveWorkTheChosenFileAndRefuseABrokenOne) {
  Start();
  const std::u16string other = scratch / u"other.xml";
  WriteUtf16File(other, kTwoLists);
  {
    DialogAnswerer load(L"Load Workspace", ChooseFile(other));
    Command(IDM_LOAD_WORKSPACE);
    ASSERT_TRUE(load.answered());
  }
  EXPECT_EQ(TitlesOf(frame->workspace()), (Titles{u"Mine", u"Done"}));
  EXPECT_EQ(GetMenuItemCount(frame->taskWindowsMenu()), 2);

  const std::u16string broken = scratch / u"broken.xml";
  WriteUtf16File(broken, u"<Root><TaskList TaskListName=\"x\"></Root>");
  {
    DialogAnswerer load(L"Load Workspace", ChooseFile(broken));
    DialogAnswerer error(L"Error", Press(IDOK));
    Command(IDM_LOAD_WORKSPACE);
    ASSERT_TRUE(error.answered());
    EXPECT_NE(error.text().find(broken), std::u16string::npos);
    EXPECT_NE(error.text().find(XmlErrorText(XmlError::UnmatchedEndTagWarning)),
              std::u16string::npos)
        << "no parser message";
  }
  ASSERT_EQ(TitlesOf(frame->workspace()), (Titles{u"Mine", u"Done"}));
  EXPECT_TRUE(IsWindow(ListHwnd(0)));

  {
    DialogAnswerer save(L"Save Workspace", ChooseFile(scratch / u"copy"));
    Command(IDM_SAVE_WORKSPACE);
    ASSERT_TRUE(save.answered());
  }
  EXPECT_EQ(Reloaded(scratch / u"copy.xml").Titles(), (Titles{u"Mine", u"Done"}))
      << "not saved with the default extension";
  std::filesystem::create_directory(NativePath(scratch / u"taken.xml.partial"));
  DialogAnswerer save(L"Save Workspace", ChooseFile(scratch / u"taken.xml"));
  DialogAnswerer error(L"Error", Press(IDOK));
  Command(IDM_SAVE_WORKSPACE);
  ASSERT_TRUE(error.answered()) << "a failed save looked like success";
  EXPECT_NE(error.text().find(scratch / u"taken.xml"), std::u16string::npos);
}

TEST_F(Frame, TaskWindowsItemsShowHideAndFollowTheWindows) {
  StartOnDefault();
  const auto expectShown = [&](bool shown) {
    EXPECT_EQ(IsWindowVisible(ListHwnd(1)) != FALSE, shown);
    EXPECT_EQ(List(1).visible, shown ? 1u : 0u);
    EXPECT_EQ(TaskWindowsState(1), shown ? static_cast<UINT>(MF_CHECKED) : 0u);
  };
  Command(static_cast<WORD>(ListCommand(1)));
  expectShown(true);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(frame->MdiClient(), WM_MDIGETACTIVE, 0, 0)),
            ListHwnd(1));
  Command(static_cast<WORD>(ListCommand(1)));
  expectShown(false);

  // Closing a list window only hides it and clears its check.
  Command(static_cast<WORD>(ListCommand(1)));
  SendMessageW(ListHwnd(1), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(ListHwnd(1)));
  expectShown(false);

  // Closing the frame hides it; the program goes on.
  SendMessageW(frame->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(frame->hwnd()));
  EXPECT_FALSE(IsWindowVisible(frame->hwnd()));
}

// The workspace in the documents folder places the frame and its windows; Keep size then
// scales every stored rectangle with the frame.
TEST_F(Frame, StartsOnTheStoredPlacesAndKeepSizeScalesThem) {
  StartOnTwoLists();
  EXPECT_EQ(frame->FrameRect(), (WindowRect{50, 40, 900, 700}));
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{10, 20, 300, 200}));
  EXPECT_TRUE(IsWindowVisible(ListHwnd(0)));
  EXPECT_FALSE(IsWindowVisible(ListHwnd(1)));
  EXPECT_EQ(GetClassLongPtrW(ListHwnd(1), GCLP_HICON),
            reinterpret_cast<LONG_PTR>(LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_LOG))));
  EXPECT_EQ(GetMenuState(GetMenu(frame->hwnd()), IDM_KEEP_SIZE, MF_BYCOMMAND), MF_CHECKED);
  // The status bar takes the bottom of the frame from the list windows' area.
  EXPECT_EQ(ClientSize(frame->MdiClient()).cy + ClientSize(frame->statusBar()).cy,
            ClientSize(frame->hwnd()).cy);
  ListWindow& view = Win32View(List(0));
  const auto size = [&](WORD width, WORD height, WPARAM type = SIZE_RESTORED) {
    SendMessageW(frame->hwnd(), WM_SIZE, type, MAKELPARAM(width, height));
  };
  // From a known client size; stored rectangles are doubles: scaling 4000 -> 800 leaves
  // x 10.4 and width 200.2, which scale on without rounding.
  Command(IDM_KEEP_SIZE);
  size(800, 600);
  Command(IDM_KEEP_SIZE);
  size(4000, 600);
  SetWindowPos(ListHwnd(0), nullptr, 52, 20, 1001, 200, SWP_NOZORDER);
  view.RecordRestoreRect();
  size(800, 600);
  size(1000, 900);
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{13, 30, 251, 300}));
  // Hidden windows move too and stay hidden.
  EXPECT_EQ(List(1).view().Rect(), (WindowRect{50, 45, 313, 225}));
  EXPECT_FALSE(IsWindowVisible(ListHwnd(1)));

  // Minimising the frame reports 0 x 0 and restoring it gives ratios of 1.
  size(0, 0, SIZE_MINIMIZED);
  size(1000, 900);
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{13, 30, 251, 300}));

  // Without Keep size nothing moves.
  Command(IDM_KEEP_SIZE);
  EXPECT_EQ(GetMenuState(GetMenu(frame->hwnd()), IDM_KEEP_SIZE, MF_BYCOMMAND), 0u);
  size(500, 450);
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{13, 30, 251, 300}));
  Command(IDM_KEEP_SIZE);
  size(1000, 900);
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{26, 60, 501, 600}));

  // A maximized window is left maximized and its stored rectangle scaled, to be restored to.
  SendMessageW(frame->MdiClient(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(ListHwnd(0)), 0);
  size(1200, 900);
  EXPECT_TRUE(view.maximized());
  EXPECT_DOUBLE_EQ(view.restoreRect().x, 31.2);
  SendMessageW(frame->MdiClient(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(ListHwnd(0)), 0);
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{31, 60, 600, 600}));

  // Cascade and Tile record the rectangles they arrange.
  for (WORD command : {IDM_CASCADE, IDM_TILE}) {
    Command(command);
    EXPECT_DOUBLE_EQ(view.restoreRect().width, List(0).view().Rect().width) << command;
  }
}

TEST_F(Frame, PulseRunsWhileAnyListHasAnOverdueTask) {
  ScopedTestClock clock(Time(2026, 12, 7, 12, 0));
  StartOnDefault();
  frame->RefreshTaskWindows();
  EXPECT_FALSE(frame->pulseRunning());

  // An overdue task in a hidden log window counts as much as one in a task window.
  TaskItem& task = AppendTaskItem(List(2));
  task.task.deadline = Time(2026, 12, 7, 12, 0, 30);
  SendMessageW(frame->hwnd(), WM_TIMER, IDT_REFRESH, 0);
  EXPECT_FALSE(frame->pulseRunning());
  clock.Advance(31 * kTicksPerSecond);
  SendMessageW(frame->hwnd(), WM_TIMER, IDT_REFRESH, 0);
  EXPECT_TRUE(frame->pulseRunning());

  task.task.deadline = Time(2026, 12, 8, 12, 0);
  SendMessageW(frame->hwnd(), WM_TIMER, IDT_REFRESH, 0);
  EXPECT_FALSE(frame->pulseRunning());
}

}  // namespace
}  // namespace qv::test
