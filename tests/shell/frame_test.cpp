// The frame made in this process from the program's own code and resources, started on a
// scratch documents folder and driven with messages.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/shell/shell_test_support.h"
#include "windows/win32/owners.h"

namespace qv::test {
namespace {

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

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return text;
}

std::vector<std::u16string> Titles(const Workspace& ws) {
  std::vector<std::u16string> titles;
  for (const auto& entry : ws.ListWindows) titles.push_back(entry->window->Title());
  return titles;
}

std::size_t FilesIn(const std::u16string& folder) {
  std::error_code ignored;
  const std::filesystem::directory_iterator it(NativePath(folder), ignored);
  return static_cast<std::size_t>(std::distance(begin(it), end(it)));
}

std::vector<std::u16string> SavedTitles(const std::u16string& path) {
  HeadlessHost host;
  Workspace ws(host);
  EXPECT_TRUE(LoadWorkspace(ws, path));
  return Titles(ws);
}

constexpr int kFileTypeCombo = 0x470;  // cmb1 of the file dialogs

std::vector<std::wstring> ComboTexts(HWND combo) {
  std::vector<std::wstring> texts;
  const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    texts.push_back(text);
  }
  return texts;
}

using Frame = StartedFrame;

TEST_F(Frame, MenuHoldsEveryCommandWithItsText) {
  Start();
  struct Item {
    int popup;
    int position;
    const wchar_t* text;
    UINT id;
  };
  constexpr Item kItems[] = {
      {0, 0, L"&New workspace", IDM_NEW_WORKSPACE},
      {0, 1, L"&Load wokrspace ...", IDM_LOAD_WORKSPACE},
      {0, 2, L"&Save workspace ...", IDM_SAVE_WORKSPACE},
      {0, 3, L"E&xit", IDM_EXIT},
      {1, 0, L"Edit Task Windows ...", IDM_EDIT_TASK_WINDOWS},
      // The "Task Windows" popup sits ahead of the separator once a list window exists.
      {1, 1, L"Task Windows", static_cast<UINT>(-1)},
      {1, 3, L"Cascade", IDM_CASCADE},
      {1, 4, L"Tile", IDM_TILE},
      {1, 5, L"Keep size", IDM_KEEP_SIZE},
      {2, 0, L"Startup automatically", IDM_STARTUP_AUTOMATICALLY},
      {3, 0, L"&About ...", IDM_ABOUT},
  };
  HMENU menu = GetMenu(frame->hwnd());
  const wchar_t* popups[] = {L"&File", L"Window", L"Settings", L"&Help"};
  ASSERT_EQ(GetMenuItemCount(menu), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(MenuText(menu, i), popups[i]);
  for (const Item& item : kItems) {
    HMENU popup = GetSubMenu(menu, item.popup);
    EXPECT_EQ(MenuText(popup, item.position), item.text);
    EXPECT_EQ(GetMenuItemID(popup, item.position), item.id) << item.position;
  }
  EXPECT_EQ(GetSubMenu(GetSubMenu(menu, 1), 1), frame->taskWindowsMenu());
  EXPECT_EQ(GetMenuState(GetSubMenu(menu, 1), 2, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
}

TEST_F(Frame, StartsOnTheWorkspaceInTheDocumentsFolderAfterBackingItUp) {
  ASSERT_EQ(SHCreateDirectory(Paths().userDataFolder), kErrorSuccess);
  WriteUtf16File(WorkspaceFile(), kTwoLists);
  Start();

  EXPECT_EQ(FilesIn(Paths().backupFolder), 1u);
  EXPECT_EQ(Titles(frame->workspace()), (std::vector<std::u16string>{u"Mine", u"Done"}));
  EXPECT_EQ(ClassOf(ListHwnd(0)), kTaskWindowClass);
  EXPECT_EQ(ClassOf(ListHwnd(1)), kLogWindowClass);
  EXPECT_EQ(GetParent(ListHwnd(0)), frame->MdiClient());
  EXPECT_TRUE(IsWindowVisible(ListHwnd(0)));
  EXPECT_FALSE(IsWindowVisible(ListHwnd(1)));
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{10, 20, 300, 200}));
  EXPECT_EQ(List(1).view().Rect(), (WindowRect{40, 30, 250, 150}));
  EXPECT_EQ(GetClassLongPtrW(ListHwnd(1), GCLP_HICON),
            reinterpret_cast<LONG_PTR>(LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_LOG))));
  EXPECT_EQ(TaskWindowsState(0), static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(TaskWindowsState(1), 0u);
  EXPECT_EQ(frame->FrameRect(), (WindowRect{50, 40, 900, 700}));
  EXPECT_EQ(GetMenuState(GetMenu(frame->hwnd()), IDM_KEEP_SIZE, MF_BYCOMMAND), MF_CHECKED);
  EXPECT_TRUE(IsWindowVisible(frame->hwnd()));

  // The status bar's three parts: thirds of the client width, the last reaching past it.
  RECT client{};
  GetClientRect(frame->hwnd(), &client);
  int edges[4] = {};
  ASSERT_EQ(SendMessageW(frame->statusBar(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
  const int third = client.right / 3;
  EXPECT_EQ(edges[0], third);
  EXPECT_EQ(edges[1], 2 * third);
  EXPECT_EQ(edges[2], 4 * third);
  RECT mdi{};
  RECT bar{};
  GetClientRect(frame->MdiClient(), &mdi);
  GetClientRect(frame->statusBar(), &bar);
  EXPECT_EQ(mdi.bottom, client.bottom - bar.bottom);
}

TEST_F(Frame, StartsOnTheSeedOrTheDefaultOrAfterADamagedFile) {
  StoragePaths paths = Paths();
  // Only the seed beside the program: it is copied and loaded.
  Start(paths);
  EXPECT_TRUE(std::filesystem::exists(NativePath(paths.workspaceFile)));
  EXPECT_EQ(Titles(frame->workspace()), SavedTitles(paths.seedFile));
  TearDown();

  // Neither: the default workspace, all hidden.
  std::filesystem::remove(NativePath(paths.workspaceFile));
  paths.seedFile = scratch / u"no-seed.xml";
  Start(paths);
  EXPECT_EQ(Titles(frame->workspace()),
            (std::vector<std::u16string>{u"Hot Tasks", u"My logger", u"Work logger"}));
  for (std::size_t i = 0; i < 3; ++i) EXPECT_FALSE(IsWindowVisible(ListHwnd(i)));
  TearDown();

  // A damaged file: backed up as it was, then the default workspace, saved over it at exit.
  WriteUtf16File(paths.workspaceFile, u"<Root><TaskList");
  const std::size_t backups = FilesIn(paths.backupFolder);
  Start(paths);
  EXPECT_EQ(FilesIn(paths.backupFolder), backups + 1);
  EXPECT_EQ(frame->workspace().ListWindows.size(), 3u);
  Command(IDM_EXIT);
  EXPECT_EQ(SavedTitles(paths.workspaceFile),
            (std::vector<std::u16string>{u"Hot Tasks", u"My logger", u"Work logger"}));
}

TEST_F(Frame, ExitAndTheEndOfTheSessionSaveOnce) {
  Start();
  Command(IDM_NEW_WORKSPACE);
  EXPECT_EQ(frame->taskWindowsMenu(), nullptr);
  EXPECT_EQ(GetWindow(frame->MdiClient(), GW_CHILD), nullptr) << "a list window outlived it";
  SendMessageW(frame->hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(SavedTitles(WorkspaceFile()).empty());

  // The session has ended: the destruction that may follow does not write again.
  std::filesystem::remove(NativePath(WorkspaceFile()));
  HWND window = frame->hwnd();
  Command(IDM_EXIT);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(std::filesystem::exists(NativePath(WorkspaceFile())));
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(Frame, ExitThatCannotSaveOffersRetryAndCancel) {
  Start();
  // A folder where the file should be: every save fails until it is gone.
  std::filesystem::remove(NativePath(WorkspaceFile()));
  std::filesystem::create_directory(NativePath(WorkspaceFile()));
  {
    DialogAnswerer retry(L"Error", [&](HWND box) {
      std::filesystem::remove(NativePath(WorkspaceFile()));
      PressButton(box, IDRETRY);
    });
    Command(IDM_EXIT);
    ASSERT_TRUE(retry.answered());
    EXPECT_NE(retry.text().find(WorkspaceFile()), std::u16string::npos) << "names no file";
  }
  EXPECT_EQ(SavedTitles(WorkspaceFile()), SavedTitles(Paths().seedFile)) << "Retry did not save";
  TearDown();

  WriteUtf16File(WorkspaceFile(), kTwoLists);
  Start();
  Command(IDM_NEW_WORKSPACE);
  std::filesystem::remove(NativePath(WorkspaceFile() + u".partial"));
  std::filesystem::create_directory(NativePath(WorkspaceFile() + u".partial"));
  {
    DialogAnswerer cancel(L"Error", Press(IDCANCEL));
    Command(IDM_EXIT);
    EXPECT_TRUE(cancel.answered());
  }
  EXPECT_EQ(SavedTitles(WorkspaceFile()), (std::vector<std::u16string>{u"Mine", u"Done"}));
}

TEST_F(Frame, LoadReplacesTheWorkspaceOnlyWithAFileThatLoads) {
  Start();
  const std::u16string other = scratch / u"other.xml";
  WriteUtf16File(other, kTwoLists);
  std::vector<std::wstring> filters;
  {
    DialogAnswerer load(L"Load Workspace", [&](HWND dialog) {
      filters = ComboTexts(GetDlgItem(dialog, kFileTypeCombo));
      ChooseFile(other)(dialog);
    });
    Command(IDM_LOAD_WORKSPACE);
    ASSERT_TRUE(load.answered());
  }
  EXPECT_EQ(filters, (std::vector<std::wstring>{L"Extensible Markup Language - XML (*.xml)",
                                                L"All files (*.*)"}));
  EXPECT_EQ(Titles(frame->workspace()), (std::vector<std::u16string>{u"Mine", u"Done"}));
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
  ASSERT_EQ(Titles(frame->workspace()), (std::vector<std::u16string>{u"Mine", u"Done"}));
  EXPECT_TRUE(IsWindow(ListHwnd(0)));
}

TEST_F(Frame, SaveWritesTheChosenFileAndReportsAFailure) {
  Start();
  std::vector<std::wstring> filters;
  {
    DialogAnswerer save(L"Save Workspace", [&](HWND dialog) {
      filters = ComboTexts(GetDlgItem(dialog, kFileTypeCombo));
      ChooseFile(scratch / u"copy")(dialog);
    });
    Command(IDM_SAVE_WORKSPACE);
    ASSERT_TRUE(save.answered());
  }
  EXPECT_EQ(filters, (std::vector<std::wstring>{L"Extensible Markup Language - XML (*.xml)"}));
  EXPECT_EQ(SavedTitles(scratch / u"copy.xml"), Titles(frame->workspace()))
      << "not saved with the default extension";

  std::filesystem::create_directory(NativePath(scratch / u"taken.xml.partial"));
  DialogAnswerer save(L"Save Workspace", ChooseFile(scratch / u"taken.xml"));
  DialogAnswerer error(L"Error", Press(IDOK));
  Command(IDM_SAVE_WORKSPACE);
  ASSERT_TRUE(error.answered()) << "a failed save looked like success";
  EXPECT_NE(error.text().find(scratch / u"taken.xml"), std::u16string::npos);
}

TEST_F(Frame, TaskWindowsItemsShowHideAndFollowTheWindows) {
  Start(Paths());
  // The seed's windows: find a hidden one.
  std::size_t hidden = 0;
  while (IsWindowVisible(ListHwnd(hidden))) ++hidden;
  EXPECT_EQ(TaskWindowsState(hidden), 0u);

  Command(static_cast<WORD>(ListCommand(hidden)));
  EXPECT_TRUE(IsWindowVisible(ListHwnd(hidden)));
  EXPECT_EQ(List(hidden).visible, 1u);
  EXPECT_EQ(TaskWindowsState(hidden), static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(frame->MdiClient(), WM_MDIGETACTIVE, 0, 0)),
            ListHwnd(hidden));

  Command(static_cast<WORD>(ListCommand(hidden)));
  EXPECT_FALSE(IsWindowVisible(ListHwnd(hidden)));
  EXPECT_EQ(List(hidden).visible, 0u);
  EXPECT_EQ(TaskWindowsState(hidden), 0u);

  // Closing a list window only hides it and clears its check.
  Command(static_cast<WORD>(ListCommand(hidden)));
  SendMessageW(ListHwnd(hidden), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(ListHwnd(hidden)));
  EXPECT_FALSE(IsWindowVisible(ListHwnd(hidden)));
  EXPECT_EQ(List(hidden).visible, 0u);
  EXPECT_EQ(TaskWindowsState(hidden), 0u);

  // Closing the frame hides it; the program goes on.
  SendMessageW(frame->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(frame->hwnd()));
  EXPECT_FALSE(IsWindowVisible(frame->hwnd()));
}

class KeepSize : public StartedFrame {
 protected:
  void SetUp() override {
    ASSERT_EQ(SHCreateDirectory(Paths().userDataFolder), kErrorSuccess);
    WriteUtf16File(WorkspaceFile(), kTwoLists);
    Start();
    ASSERT_EQ(frame->KeepSize(), 1);
  }
  void Size(WORD width, WORD height, WPARAM type = SIZE_RESTORED) {
    SendMessageW(frame->hwnd(), WM_SIZE, type, MAKELPARAM(width, height));
  }
  ListWindow& View(std::size_t i) { return Win32View(List(i)); }
};

TEST_F(KeepSize, ScalesEveryStoredRectangleWithTheFrame) {
  // From a known client size; then stored rectangles are doubles: scaling 4000 -> 800 leaves
  // x 10.4 and width 200.2.
  Command(IDM_KEEP_SIZE);
  Size(800, 600);
  Command(IDM_KEEP_SIZE);
  Size(4000, 600);
  SetWindowPos(ListHwnd(0), nullptr, 52, 20, 1001, 200, SWP_NOZORDER);
  View(0).RecordRestoreRect();
  Size(800, 600);
  EXPECT_DOUBLE_EQ(View(0).restoreRect().x, 10.4);
  EXPECT_DOUBLE_EQ(View(0).restoreRect().width, 200.2);

  Size(1000, 900);
  EXPECT_DOUBLE_EQ(View(0).restoreRect().x, 13.0);
  EXPECT_DOUBLE_EQ(View(0).restoreRect().width, 250.25);
  EXPECT_DOUBLE_EQ(View(0).restoreRect().y, 30.0);
  EXPECT_DOUBLE_EQ(View(0).restoreRect().height, 300.0);
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{13, 30, 251, 300}));
  // Hidden windows move too and stay hidden.
  EXPECT_EQ(List(1).view().Rect(), (WindowRect{50, 45, 313, 225}));
  EXPECT_FALSE(IsWindowVisible(ListHwnd(1)));

  // Minimising the frame reports 0 x 0 and restoring it gives ratios of 1.
  Size(0, 0, SIZE_MINIMIZED);
  Size(1000, 900);
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{13, 30, 251, 300}));

  // Without Keep size nothing moves.
  Command(IDM_KEEP_SIZE);
  EXPECT_EQ(frame->KeepSize(), 0);
  EXPECT_EQ(GetMenuState(GetMenu(frame->hwnd()), IDM_KEEP_SIZE, MF_BYCOMMAND), 0u);
  Size(500, 450);
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{13, 30, 251, 300}));
  Command(IDM_KEEP_SIZE);
  EXPECT_EQ(frame->KeepSize(), 1);
  Size(1000, 900);
  EXPECT_EQ(List(0).view().Rect(), (WindowRect{26, 60, 501, 600}));
}

// Counts the frame's requests to lay a list window out again.
int relayouts = 0;
LRESULT CALLBACK CountRelayouts(int code, WPARAM wParam, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && msg->message == WM_SIZE && msg->wParam == SIZE_QV_RELAYOUT) {
    ++relayouts;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(KeepSize, AMaximizedListWindowIsScaledWithoutARelayout) {
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountRelayouts, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  Size(800, 600);
  relayouts = 0;
  Size(1000, 600);
  EXPECT_EQ(relayouts, 2) << "each list window is asked once";

  SendMessageW(frame->MdiClient(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(ListHwnd(0)), 0);
  ASSERT_TRUE(View(0).maximized());
  const double before = View(1).restoreRect().x;
  relayouts = 0;
  Size(1200, 600);
  EXPECT_EQ(relayouts, 0);
  EXPECT_DOUBLE_EQ(View(1).restoreRect().x, before * 1.2);
  UnhookWindowsHookEx(hook);

  // Restored, the window goes back to its stored (scaled) rectangle.
  SendMessageW(frame->MdiClient(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(ListHwnd(0)), 0);
  EXPECT_FALSE(View(0).maximized());
  const RestoreRect& stored = View(0).restoreRect();
  EXPECT_EQ(List(0).view().Rect(),
            (WindowRect{static_cast<int>(stored.x), static_cast<int>(stored.y),
                        static_cast<int>(stored.width), static_cast<int>(stored.height)}));
}

TEST_F(KeepSize, CascadeAndTileRecordTheArrangedRectangles) {
  for (WORD command : {IDM_CASCADE, IDM_TILE}) {
    Command(command);
    for (std::size_t i = 0; i < 2; ++i) {
      const WindowRect now = List(i).view().Rect();
      EXPECT_DOUBLE_EQ(View(i).restoreRect().x, now.x) << command;
      EXPECT_DOUBLE_EQ(View(i).restoreRect().width, now.width) << command;
    }
  }
}

TEST_F(Frame, PulseRunsWhileAnyListHasAnOverdueTask) {
  ScopedTestClock clock(Time(2026, 12, 7, 12, 0));
  StoragePaths paths = Paths();
  paths.seedFile = scratch / u"no-seed.xml";
  Start(paths);
  frame->RefreshTaskWindows();
  EXPECT_FALSE(frame->pulseRunning());

  // An overdue task in a hidden log window counts as much as one in a task window.
  CGenWindow* log = nullptr;
  for (const auto& entry : frame->workspace().ListWindows) {
    if (entry->window->IsLog()) log = entry->window.get();
  }
  ASSERT_NE(log, nullptr);
  TaskItem& task = AppendTaskItem(*log);
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

TEST_F(Frame, LeavesNoWindowBehind) {
  const int before = win32::LiveCount(win32::LiveKind::Window);
  Start();
  EXPECT_GT(win32::LiveCount(win32::LiveKind::Window), before);
  Command(IDM_NEW_WORKSPACE);
  EXPECT_EQ(win32::LiveCount(win32::LiveKind::Window), before + 1) << "only the frame is left";
  Command(IDM_EXIT);
  frame.reset();
  EXPECT_EQ(win32::LiveCount(win32::LiveKind::Window), before);
}

}  // namespace
}  // namespace qv::test
