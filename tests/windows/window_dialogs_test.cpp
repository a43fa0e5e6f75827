// The task-windows dialog and the properties dialog, opened by the real frame's command and
// worked from a thread of the test's own while the frame's thread sits in their modal loops.
#include "windows/window_dialogs.h"

#include <optional>

#include "tests/shell/shell_test_support.h"

namespace qv::test {
namespace {

using Texts = std::vector<std::u16string>;
using WindowDialogs = StartedFrame;

// Both dialogs are called "Dialog": each is told apart by a control only it has.
HWND WaitForDialog(int controlId) {
  for (int i = 0; i < 500; ++i) {
    for (HWND dialog = nullptr; (dialog = FindWindowExW(nullptr, dialog, L"#32770", L"Dialog"));)
      if (IsWindowVisible(dialog) && GetDlgItem(dialog, controlId)) return dialog;
    Sleep(10);
  }
  return nullptr;
}

Texts Rows(HWND dialog, int column = 0) {
  const HWND list = GetDlgItem(dialog, IDC_WINDOW_LIST);
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
  // Handled within the pause; the message sent after it waits for the end of their handling.
  Sleep(50);
  SendMessageW(list, WM_NULL, 0, 0);
}

// The properties dialog of the row selected with a click, or of a new window.
HWND Properties(HWND dialog, std::optional<int> row) {
  if (row) ClickRow(dialog, *row);
  PressButton(dialog, row ? IDC_EDIT_WINDOW : IDC_NEW_WINDOW);
  return WaitForDialog(IDC_WINDOW_TYPE);
}

// One sitting of "Edit Task Windows ...": New after a Cancel, a long title given to a log window
// (read back whole), "Hot Tasks" edited, and a Delete answered No, then Yes.
TEST_F(WindowDialogs, TheListShowsWindowsNewestFirstAndNewEditAndDeleteChangeThem) {
  StartOnDefault();
  Command(static_cast<WORD>(ListCommand(1)));  // "My logger" shown: its item is checked
  const std::u16string longTitle(300, u'L');
  const std::uint32_t workCommand = ListCommand(2);
  std::vector<Texts> shown;
  std::vector<bool> enabled;
  std::thread driver([&] {
    const HWND dialog = WaitForDialog(IDC_NEW_WINDOW);
    shown = {Rows(dialog), Rows(dialog, 1)};
    for (int click : {-1, 1, 2}) {  // none yet, on a row, below the last
      if (click >= 0) ClickRow(dialog, click, click == 2);
      for (int id : {IDC_EDIT_WINDOW, IDC_DELETE_WINDOW})
        enabled.push_back(IsWindowEnabled(GetDlgItem(dialog, id)));
    }
    SendMessageW(Properties(dialog, std::nullopt), WM_COMMAND, IDCANCEL, 0);
    if (HWND properties = Properties(dialog, std::nullopt)) {
      SetDlgItemTextW(properties, IDC_WINDOW_NAME, L"Errands");
      SendDlgItemMessageW(properties, IDC_WINDOW_TYPE, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(L"General"));
      ListView_SetCheckState(GetDlgItem(properties, IDC_LOG_LIST), 1, TRUE);  // "My logger"
      SendMessageW(properties, WM_COMMAND, IDOK, 0);
    }
    if (HWND properties = Properties(dialog, 2)) {  // "My logger"
      enabled.push_back(IsWindowEnabled(GetDlgItem(properties, IDC_LOG_LIST)));
      SetDlgItemTextW(properties, IDC_WINDOW_NAME, win32::Wide(longTitle));
      SendMessageW(properties, WM_COMMAND, IDOK, 0);
    }
    if (HWND properties = Properties(dialog, 3)) {  // "Hot Tasks"
      shown.push_back({win32::WindowText(GetDlgItem(properties, IDC_WINDOW_NAME)),
                       win32::WindowText(GetDlgItem(properties, IDC_WINDOW_TYPE))});
      enabled.push_back(IsWindowEnabled(GetDlgItem(properties, IDC_WINDOW_TYPE)));
      ListView_SetCheckState(GetDlgItem(properties, IDC_LOG_LIST), 0, FALSE);  // "Work logger"
      SendMessageW(properties, WM_COMMAND, IDOK, 0);
    }
    ClickRow(dialog, 1);  // "Work logger"
    for (int answer : {IDNO, IDYES}) {
      DialogAnswerer box(L"Delete", Press(answer));
      SendMessageW(dialog, WM_COMMAND, IDC_DELETE_WINDOW, 0);
      shown.push_back(Rows(dialog));
    }
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  Command(IDM_EDIT_TASK_WINDOWS);
  driver.join();

  EXPECT_EQ(shown, (std::vector<Texts>{{u"Work logger", u"My logger", u"Hot Tasks"},
                                       {u"Log", u"Log", u"Custom"},
                                       {u"Hot Tasks", u"Custom"},
                                       {u"Errands", u"Work logger", longTitle, u"Hot Tasks"},
                                       {u"Errands", longTitle, u"Hot Tasks"}}));
  EXPECT_EQ(enabled, (std::vector<bool>{false, false, true, true, false, false, false, false}))
      << "Edit and Delete without a row; a log's log list, and an existing window's type";
  ASSERT_EQ(frame->workspace().ListWindows.size(), 3u);
  EXPECT_TRUE(List(2).type == static_cast<std::uint32_t>(ListType::Task) &&
              !IsWindowVisible(ListHwnd(2)));
  EXPECT_EQ(std::pair(List(0).logLinks, List(2).logLinks),
            std::pair(Texts{longTitle}, Texts{longTitle}))
      << "the unchecked log is gone, the renamed one followed";
  EXPECT_EQ(GetMenuStringW(frame->taskWindowsMenu(), ListCommand(1), nullptr, 0, MF_BYCOMMAND),
            300);
  EXPECT_EQ(TaskWindowsState(1), static_cast<UINT>(MF_CHECKED)) << "the rename kept the check";
  EXPECT_EQ(GetMenuState(frame->taskWindowsMenu(), workCommand, MF_BYCOMMAND), ~0u);
}

}  // namespace
}  // namespace qv::test
