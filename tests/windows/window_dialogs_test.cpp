// The task-windows dialog and the properties dialog, opened by the real frame's command and
// worked from a thread of the test's own while the frame's thread sits in their modal loops.
#include "windows/window_dialogs.h"

#include <optional>

#include "tests/shell/shell_test_support.h"

namespace qv::test {
namespace {

using Texts = std::vector<std::u16string>;

// Both dialogs are called "Dialog": each is told apart by a control only it has.
HWND WaitForDialog(int controlId) {
  for (int i = 0; i < 500; ++i) {
    HWND dialog = nullptr;
    while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", L"Dialog"))) {
      if (IsWindowVisible(dialog) && GetDlgItem(dialog, controlId)) return dialog;
    }
    Sleep(10);
  }
  return nullptr;
}

Texts Rows(HWND dialog, int listId, int column = 0) {
  const HWND list = GetDlgItem(dialog, listId);
  Texts rows;
  for (int i = 0; i < ListView_GetItemCount(list); ++i)
    rows.push_back(ListViewItemText(list, i, column));
  return rows;
}

// A click of the mouse on a row of the list, or below the last one, as the control receives it.
void ClickRow(HWND dialog, int row, bool below = false) {
  const HWND list = GetDlgItem(dialog, IDC_WINDOW_LIST);
  RECT rect{};
  ListView_GetItemRect(list, row, &rect, LVIR_LABEL);
  const LPARAM at = MAKELPARAM(rect.left + 5, below ? rect.bottom + 20 : rect.top + 5);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  // Sent messages are served ahead of posted ones: this returns once both clicks are handled.
  PostMessageW(list, WM_NULL, 0, 0);
  Sleep(50);
  SendMessageW(list, WM_NULL, 0, 0);
}

class WindowDialogs : public StartedFrame {
 protected:
  void SetUp() override { StartOnDefault(); }

  // Runs "Edit Task Windows ..." while drive works its dialog, then ends it with OK.
  void EditTaskWindows(const std::function<void(HWND dialog)>& drive) {
    std::thread driver([&] {
      const HWND dialog = WaitForDialog(IDC_NEW_WINDOW);
      drive(dialog);
      SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_EDIT_TASK_WINDOWS);
    driver.join();
  }
  // The properties dialog of the row selected with a click, or of a new window.
  static HWND Properties(HWND dialog, std::optional<int> row) {
    if (row) ClickRow(dialog, *row);
    PressButton(dialog, row ? IDC_EDIT_WINDOW : IDC_NEW_WINDOW);
    return WaitForDialog(IDC_WINDOW_TYPE);
  }
};

TEST_F(WindowDialogs, TheListShowsWindowsNewestFirstAndNewMakesAHiddenWindowOfTheChosenType) {
  std::vector<Texts> shown;
  std::vector<bool> rowButtons;
  Texts logs;
  EditTaskWindows([&](HWND dialog) {
    shown = {Rows(dialog, IDC_WINDOW_LIST), Rows(dialog, IDC_WINDOW_LIST, 1)};
    for (int click : {-1, 1, 2}) {  // none yet, on a row, below the last
      if (click >= 0) ClickRow(dialog, click, click == 2);
      for (int id : {IDC_EDIT_WINDOW, IDC_DELETE_WINDOW})
        rowButtons.push_back(IsWindowEnabled(GetDlgItem(dialog, id)));
    }
    SendMessageW(Properties(dialog, std::nullopt), WM_COMMAND, IDCANCEL, 0);
    if (HWND properties = Properties(dialog, std::nullopt)) {
      logs = Rows(properties, IDC_LOG_LIST);
      SetDlgItemTextW(properties, IDC_WINDOW_NAME, L"Errands");
      SendDlgItemMessageW(properties, IDC_WINDOW_TYPE, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(L"General"));
      ListView_SetCheckState(GetDlgItem(properties, IDC_LOG_LIST), 1, TRUE);
      SendMessageW(properties, WM_COMMAND, IDOK, 0);
    }
    shown.push_back(Rows(dialog, IDC_WINDOW_LIST));
  });
  EXPECT_EQ(shown, (std::vector<Texts>{{u"Work logger", u"My logger", u"Hot Tasks"},
                                       {u"Log", u"Log", u"Custom"},
                                       {u"Errands", u"Work logger", u"My logger", u"Hot Tasks"}}))
      << "Cancel makes no window";
  EXPECT_EQ(rowButtons, (std::vector<bool>{false, false, true, true, false, false}));
  EXPECT_EQ(logs, (Texts{u"Work logger", u"My logger"}));
  ASSERT_EQ(frame->workspace().ListWindows.size(), 4u);
  EXPECT_EQ(List(3).type, static_cast<std::uint32_t>(ListType::Task));
  EXPECT_EQ(List(3).logLinks, Texts{u"My logger"});
  EXPECT_FALSE(IsWindowVisible(ListHwnd(3)));
}

// A long title is read back whole from the lists, where a fixed buffer would cut it.
TEST_F(WindowDialogs, EditingKeepsTheTypeRenamingALogIsFollowedByItsLinksAndDeleteAsksOnce) {
  Command(static_cast<WORD>(ListCommand(1)));  // "My logger" shown: its item is checked
  const std::u16string longTitle(300, u'L');
  const HWND workLogger = ListHwnd(2);
  const std::uint32_t workCommand = ListCommand(2);
  Texts seen;
  std::vector<bool> enabled;
  std::vector<Texts> rows;
  EditTaskWindows([&](HWND dialog) {
    if (HWND properties = Properties(dialog, 1)) {  // "My logger"
      seen = Rows(properties, IDC_LOG_LIST);
      enabled.push_back(IsWindowEnabled(GetDlgItem(properties, IDC_LOG_LIST)));
      SetDlgItemTextW(properties, IDC_WINDOW_NAME, win32::Wide(longTitle));
      SendMessageW(properties, WM_COMMAND, IDOK, 0);
    }
    if (HWND properties = Properties(dialog, 2)) {  // "Hot Tasks"
      for (int id : {IDC_WINDOW_NAME, IDC_WINDOW_TYPE})
        seen.push_back(win32::WindowText(GetDlgItem(properties, id)));
      enabled.push_back(IsWindowEnabled(GetDlgItem(properties, IDC_WINDOW_TYPE)));
      ListView_SetCheckState(GetDlgItem(properties, IDC_LOG_LIST), 0, FALSE);  // "Work logger"
      SendMessageW(properties, WM_COMMAND, IDOK, 0);
    }
    ClickRow(dialog, 0);
    for (int answer : {IDNO, IDYES}) {
      DialogAnswerer box(L"Delete", Press(answer));
      SendMessageW(dialog, WM_COMMAND, IDC_DELETE_WINDOW, 0);
      for (int i = 0; i < 500 && !box.answered(); ++i) Sleep(10);
      seen.push_back(box.text());
      rows.push_back(Rows(dialog, IDC_WINDOW_LIST));
    }
  });
  const std::u16string question = u"Do you really want to delete the selected item?";
  EXPECT_EQ(seen, (Texts{u"Hot Tasks", u"Custom", question, question})) << "a log logs nowhere";
  EXPECT_EQ(enabled, (std::vector<bool>{false, false})) << "a log's log list, and the type";
  EXPECT_EQ(rows, (std::vector<Texts>{{u"Work logger", longTitle, u"Hot Tasks"},
                                      {longTitle, u"Hot Tasks"}}));
  EXPECT_EQ(List(0).logLinks, Texts{longTitle}) << "the other was unchecked, this one renamed";
  wchar_t item[400] = {};
  GetMenuStringW(frame->taskWindowsMenu(), ListCommand(1), item, 400, MF_BYCOMMAND);
  EXPECT_EQ(win32::FromWide(item), longTitle);
  EXPECT_EQ(TaskWindowsState(1), static_cast<UINT>(MF_CHECKED)) << "the rename kept the check";
  EXPECT_EQ(GetMenuState(frame->taskWindowsMenu(), workCommand, MF_BYCOMMAND), ~0u);
  EXPECT_FALSE(IsWindow(workLogger));
  Command(IDM_EXIT);
  EXPECT_EQ(Reloaded(WorkspaceFile()).Titles(), (Texts{u"Hot Tasks", longTitle}));
}

}  // namespace
}  // namespace qv::test
