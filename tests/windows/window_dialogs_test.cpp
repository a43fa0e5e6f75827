// The task-windows dialog and the properties dialog, opened by the real frame's command and
// worked from a thread of the test's own while the frame's thread sits in their modal loops.
#include "windows/window_dialogs.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/shell/shell_test_support.h"
#include "windows/task_row.h"

namespace qv::test {
namespace {

// Both dialogs are called "Dialog": each is told apart by a control only it has.
HWND WaitForDialog(const wchar_t* caption, int controlId) {
  for (int i = 0; i < 500; ++i) {
    HWND dialog = nullptr;
    while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", caption))) {
      if (IsWindowVisible(dialog) && (controlId == 0 || GetDlgItem(dialog, controlId))) {
        return dialog;
      }
    }
    Sleep(10);
  }
  return nullptr;
}
HWND WaitForTaskWindows() {
  return WaitForDialog(L"Dialog", IDC_NEW_WINDOW);
}
HWND WaitForProperties() {
  return WaitForDialog(L"Dialog", IDC_WINDOW_TYPE);
}
void WaitGone(HWND window) {
  for (int i = 0; i < 500 && IsWindow(window); ++i) Sleep(10);
}
// Presses a button of a dialog and waits until the dialog has ended.
void Close(HWND dialog, int id) {
  PressButton(dialog, id);
  WaitGone(dialog);
}

std::vector<std::u16string> Rows(HWND listView, int column = 0) {
  std::vector<std::u16string> rows;
  const auto count = SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) rows.push_back(ListViewItemText(listView, i, column));
  return rows;
}
std::vector<bool> Checks(HWND listView) {
  std::vector<bool> checks;
  const auto count = SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    checks.push_back((SendMessageW(listView, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) &
                      LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2));
  }
  return checks;
}
void SetCheck(HWND listView, int row, bool checked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// A click of the mouse at a point of the list view's client area, as the control receives it.
void ClickAt(HWND listView, POINT point) {
  const LPARAM where = MAKELPARAM(point.x, point.y);
  PostMessageW(listView, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PostMessageW(listView, WM_LBUTTONUP, 0, where);
  // Sent messages are served ahead of posted ones: this returns once both clicks are handled.
  PostMessageW(listView, WM_NULL, 0, 0);
  Sleep(50);
  SendMessageW(listView, WM_NULL, 0, 0);
}
void ClickRow(HWND listView, int row) {
  RECT rect{};
  rect.left = LVIR_LABEL;
  SendMessageW(listView, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
  ClickAt(listView, {rect.left + 5, (rect.top + rect.bottom) / 2});
}
void ClickBelowRows(HWND listView) {
  const auto count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  SendMessageW(listView, LVM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&rect));
  ClickAt(listView, {rect.left + 5, rect.bottom + 20});
}
bool Enabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}
std::u16string SelectedType(HWND properties) {
  const HWND combo = GetDlgItem(properties, IDC_WINDOW_TYPE);
  const auto selection = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (selection == CB_ERR) return u"";
  wchar_t text[32] = {};
  SendMessageW(combo, CB_GETLBTEXT, selection, reinterpret_cast<LPARAM>(text));
  return win32::FromWide(text);
}

std::vector<std::u16string> Headers(HWND listView) {
  std::vector<std::u16string> headers;
  for (int i = 0;; ++i) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 64;
    if (!SendMessageW(listView, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column))) break;
    headers.push_back(win32::FromWide(text));
  }
  return headers;
}

std::u16string MenuLabel(HMENU menu, UINT commandId) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, commandId, text, 128, MF_BYCOMMAND);
  return win32::FromWide(text);
}

class WindowDialogs : public StartedFrame {
 protected:
  // The default workspace: "Hot Tasks" logging into "My logger" and "Work logger".
  void SetUp() override {
    StoragePaths paths = Paths();
    paths.seedFile = scratch / u"no-seed.xml";
    Start(paths);
  }

  // Runs "Edit Task Windows ..." while drive works its dialog; drive ends it.
  void EditTaskWindows(const std::function<void(HWND dialog)>& drive) {
    std::thread driver([&] {
      if (HWND dialog = WaitForTaskWindows()) drive(dialog);
    });
    Command(IDM_EDIT_TASK_WINDOWS);
    driver.join();
  }
  // Selects the row with a click and opens the properties dialog on it.
  static HWND EditRow(HWND dialog, int row) {
    ClickRow(GetDlgItem(dialog, IDC_WINDOW_LIST), row);
    PressButton(dialog, IDC_EDIT_WINDOW);
    return WaitForProperties();
  }

  std::vector<std::u16string> Links(std::size_t index) const { return List(index).logLinks; }
};

TEST_F(WindowDialogs, ListsShowTheCollectionReversedAndRowButtonsFollowClicks) {
  std::vector<std::u16string> names, types, logRows, headers, logHeaders;
  std::vector<bool> beforeClick, onRow, belowRows;
  HWND owner = nullptr, propertiesOwner = nullptr, shown = nullptr;
  std::u16string newType;
  bool typeEnabled = false;
  EditTaskWindows([&](HWND dialog) {
    const HWND list = GetDlgItem(dialog, IDC_WINDOW_LIST);
    owner = GetWindow(dialog, GW_OWNER);
    shown = dialog;
    headers = Headers(list);
    names = Rows(list);
    types = Rows(list, 1);
    beforeClick = {Enabled(dialog, IDC_EDIT_WINDOW), Enabled(dialog, IDC_DELETE_WINDOW)};
    ClickRow(list, 1);
    onRow = {Enabled(dialog, IDC_EDIT_WINDOW), Enabled(dialog, IDC_DELETE_WINDOW)};
    ClickBelowRows(list);
    belowRows = {Enabled(dialog, IDC_EDIT_WINDOW), Enabled(dialog, IDC_DELETE_WINDOW)};

    PressButton(dialog, IDC_NEW_WINDOW);
    if (HWND properties = WaitForProperties()) {
      propertiesOwner = GetWindow(properties, GW_OWNER);
      logHeaders = Headers(GetDlgItem(properties, IDC_LOG_LIST));
      newType = SelectedType(properties);
      typeEnabled = Enabled(properties, IDC_WINDOW_TYPE);
      logRows = Rows(GetDlgItem(properties, IDC_LOG_LIST));
      Close(properties, IDCANCEL);
    }
    Close(dialog, IDCANCEL);
  });
  EXPECT_EQ(owner, frame->hwnd());
  EXPECT_EQ(propertiesOwner, shown);
  EXPECT_EQ(headers, (std::vector<std::u16string>{u"Name", u"Type", u"Logging to:"}));
  EXPECT_EQ(logHeaders, std::vector<std::u16string>{u"Available for:"});
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Work logger", u"My logger", u"Hot Tasks"}));
  EXPECT_EQ(types, (std::vector<std::u16string>{u"Log", u"Log", u"Custom"}));
  EXPECT_EQ(beforeClick, (std::vector<bool>{false, false}));
  EXPECT_EQ(onRow, (std::vector<bool>{true, true}));
  EXPECT_EQ(belowRows, (std::vector<bool>{false, false}));
  EXPECT_EQ(newType, u"Custom");
  EXPECT_TRUE(typeEnabled);
  EXPECT_EQ(logRows, (std::vector<std::u16string>{u"Work logger", u"My logger"}));
  EXPECT_EQ(frame->workspace().ListWindows.size(), 3u) << "Cancel makes no window";
}

TEST_F(WindowDialogs, NewMakesAHiddenWindowOfTheChosenTypeWithItsLinks) {
  std::vector<std::u16string> names;
  EditTaskWindows([&](HWND dialog) {
    PressButton(dialog, IDC_NEW_WINDOW);
    if (HWND properties = WaitForProperties()) {
      SetDlgItemTextW(properties, IDC_WINDOW_NAME, L"Errands");
      SetCheck(GetDlgItem(properties, IDC_LOG_LIST), 1, true);  // "My logger"
      Close(properties, IDOK);
    }
    names = Rows(GetDlgItem(dialog, IDC_WINDOW_LIST));
    Close(dialog, IDCANCEL);
  });
  EXPECT_EQ(names,
            (std::vector<std::u16string>{u"Errands", u"Work logger", u"My logger", u"Hot Tasks"}));
  ASSERT_EQ(frame->workspace().ListWindows.size(), 4u) << "kept although the list was cancelled";
  const CGenWindow& made = List(3);
  EXPECT_EQ(made.Title(), u"Errands");
  EXPECT_EQ(made.type, static_cast<std::uint32_t>(ListType::Custom));
  EXPECT_EQ(made.logLinks, std::vector<std::u16string>{u"My logger"});
  EXPECT_FALSE(IsWindowVisible(ListHwnd(3)));
  EXPECT_EQ(MenuLabel(frame->taskWindowsMenu(), ListCommand(3)), u"Errands");
}

TEST_F(WindowDialogs, EditingKeepsTheTypeAndRenamingALogIsFollowedByEveryLink) {
  Command(static_cast<WORD>(ListCommand(1)));  // "My logger" shown: its item is checked
  ASSERT_EQ(TaskWindowsState(1), static_cast<UINT>(MF_CHECKED));
  std::u16string hotName, hotType, firstRow;
  bool typeEnabled = true, logListEnabled = true;
  std::vector<bool> hotChecks;
  std::vector<std::u16string> loggerRows{u"not read"};
  EditTaskWindows([&](HWND dialog) {
    if (HWND properties = EditRow(dialog, 2)) {  // "Hot Tasks"
      hotName = win32::WindowText(GetDlgItem(properties, IDC_WINDOW_NAME));
      hotType = SelectedType(properties);
      typeEnabled = Enabled(properties, IDC_WINDOW_TYPE);
      hotChecks = Checks(GetDlgItem(properties, IDC_LOG_LIST));
      Close(properties, IDCANCEL);
    }
    if (HWND properties = EditRow(dialog, 1)) {  // "My logger"
      const HWND logList = GetDlgItem(properties, IDC_LOG_LIST);
      loggerRows = Rows(logList);
      logListEnabled = IsWindowEnabled(logList) != FALSE;
      SetDlgItemTextW(properties, IDC_WINDOW_NAME, L"Diary");
      Close(properties, IDOK);
    }
    firstRow = Rows(GetDlgItem(dialog, IDC_WINDOW_LIST))[1];
    Close(dialog, IDOK);
  });
  EXPECT_EQ(hotName, u"Hot Tasks");
  EXPECT_EQ(hotType, u"Custom");
  EXPECT_FALSE(typeEnabled);
  EXPECT_EQ(hotChecks, (std::vector<bool>{true, true}));
  EXPECT_TRUE(loggerRows.empty());
  EXPECT_FALSE(logListEnabled);

  EXPECT_EQ(List(1).Title(), u"Diary");
  EXPECT_EQ(firstRow, u"Diary");
  EXPECT_TRUE(List(1).logLinks.empty());
  EXPECT_EQ(Links(0), (std::vector<std::u16string>{u"Work logger", u"Diary"}));
  EXPECT_EQ(MenuLabel(frame->taskWindowsMenu(), ListCommand(1)), u"Diary");
  EXPECT_EQ(TaskWindowsState(1), static_cast<UINT>(MF_CHECKED)) << "the rename kept the check";

  AddLogLink(List(2), u"Diary");  // a log window's own links are not renamed
  EditTaskWindows([&](HWND dialog) {
    if (HWND properties = EditRow(dialog, 1)) {
      SetDlgItemTextW(properties, IDC_WINDOW_NAME, L"Journal");
      Close(properties, IDOK);
    }
    Close(dialog, IDOK);
  });
  EXPECT_EQ(Links(0), (std::vector<std::u16string>{u"Work logger", u"Journal"}));
  EXPECT_EQ(Links(2), std::vector<std::u16string>{u"Diary"});
}

TEST_F(WindowDialogs, UncheckingEveryBoxLeavesNoLinks) {
  EditTaskWindows([&](HWND dialog) {
    if (HWND properties = EditRow(dialog, 2)) {
      const HWND logList = GetDlgItem(properties, IDC_LOG_LIST);
      for (int row : {0, 1}) SetCheck(logList, row, false);
      Close(properties, IDOK);
    }
    Close(dialog, IDOK);
  });
  EXPECT_TRUE(Links(0).empty());
  EXPECT_EQ(List(0).Title(), u"Hot Tasks") << "the name was left as it was";
}

TEST_F(WindowDialogs, DeleteAsksOnceAndTakesTheWindowAway) {
  const HWND workLogger = ListHwnd(2);
  const std::uint32_t workCommand = ListCommand(2);
  std::vector<std::u16string> afterNo, afterYes;
  int asked = 0;
  std::u16string question;
  EditTaskWindows([&](HWND dialog) {
    const HWND list = GetDlgItem(dialog, IDC_WINDOW_LIST);
    ClickRow(list, 0);
    for (int answer : {IDNO, IDYES}) {
      DialogAnswerer box(L"Delete", Press(answer));
      PressButton(dialog, IDC_DELETE_WINDOW);
      for (int i = 0; i < 500 && !box.answered(); ++i) Sleep(10);
      WaitGone(FindWindowW(L"#32770", L"Delete"));
      SendMessageW(dialog, WM_NULL, 0, 0);
      asked += box.answers();
      question = box.text();
      (answer == IDNO ? afterNo : afterYes) = Rows(list);
    }
    Close(dialog, IDOK);
  });
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(question, u"Do you really want to delete the selected item?");
  EXPECT_EQ(afterNo, (std::vector<std::u16string>{u"Work logger", u"My logger", u"Hot Tasks"}));
  EXPECT_EQ(afterYes, (std::vector<std::u16string>{u"My logger", u"Hot Tasks"}));
  ASSERT_EQ(frame->workspace().ListWindows.size(), 2u);
  EXPECT_EQ(List(1).Title(), u"My logger");
  EXPECT_EQ(GetMenuState(frame->taskWindowsMenu(), workCommand, MF_BYCOMMAND),
            static_cast<UINT>(-1));
  EXPECT_FALSE(IsWindow(workLogger)) << "what is on screen is what is saved";
  Command(IDM_EXIT);
  HeadlessHost host;
  Workspace saved(host);
  ASSERT_TRUE(LoadWorkspace(saved, WorkspaceFile()));
  EXPECT_EQ(saved.ListWindows.size(), 2u);
}

TEST_F(WindowDialogs, ALogWithALongTitleCanBeChosenAndReceivesSolvedTasks) {
  const std::u16string longTitle(300, u'L');
  List(2).view().SetTitle(longTitle);
  std::vector<std::u16string> rows;
  EditTaskWindows([&](HWND dialog) {
    if (HWND properties = EditRow(dialog, 2)) {
      const HWND logList = GetDlgItem(properties, IDC_LOG_LIST);
      rows = Rows(logList);
      SetCheck(logList, 0, true);
      SetCheck(logList, 1, false);
      Close(properties, IDOK);
    }
    Close(dialog, IDOK);
  });
  EXPECT_EQ(rows, (std::vector<std::u16string>{longTitle, u"My logger"}));
  EXPECT_EQ(Links(0), std::vector<std::u16string>{longTitle});

  TaskInfo task;
  task.name = u"Solved";
  TaskItem& item = AddNewTask(List(0), task);
  DialogAnswerer errors(L"Error", Press(IDOK), true);
  SendMessageW(static_cast<TaskRowWindow*>(item.row())->checkButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(errors.answers(), 0);
  EXPECT_TRUE(List(0).tasks.empty());
  EXPECT_EQ(List(2).tasks.size(), 1u);
}

}  // namespace
}  // namespace qv::test
