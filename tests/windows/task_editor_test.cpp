// The task editor opened from "New Task" and from a row of the real frame, answered from a
// thread of the test's own while the frame's thread sits in the dialog's modal loop.
#include "windows/task_editor.h"

#include <map>
#include <tuple>

#include "tests/shell/shell_test_support.h"

namespace qv::test {
namespace {

using Names = std::vector<std::u16string>;

std::wstring Text(HWND window) {
  return win32::Wide(win32::WindowText(window));
}

// The labels are the controls without an id; a slider's value label shows digits.
bool IsValue(HWND control) {
  return GetDlgCtrlID(control) == 0 && iswdigit(Text(control).c_str()[0]);
}

std::vector<HWND> Controls(HWND dialog) {
  std::vector<HWND> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (IsWindowVisible(child)) controls.push_back(child);
  return controls;
}

// What a user needs at any size: every control inside the dialog, none over another, and each
// label as large as its text (a value label as its largest value) in the dialog's font.
void ExpectReadable(HWND dialog) {
  const SIZE client = ClientSize(dialog);
  win32::WindowDc dc(dialog);
  win32::ScopedSelect font(dc.get(),
                           reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  for (HWND control : Controls(dialog)) {
    RECT at = InParent(control), both{}, needed{0, 0, 1, 1};
    EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.right <= client.cx && at.bottom <= client.cy)
        << Text(control) << " lies outside the dialog";
    for (HWND other : Controls(dialog)) {
      const RECT otherAt = InParent(other);
      EXPECT_TRUE(other == control || !IntersectRect(&both, &at, &otherAt))
          << Text(control) << " overlaps " << Text(other);
    }
    DrawTextW(dc.get(), IsValue(control) ? L"100" : Text(control).c_str(), -1, &needed,
              DT_CALCRECT);
    EXPECT_TRUE(GetDlgCtrlID(control) ||
                (at.right - at.left >= needed.right && at.bottom - at.top >= needed.bottom))
        << Text(control) << " is clipped";
  }
}

class TaskEditors : public StartedFrame {
 protected:
  void SetUp() override { StartOnDefault(); }

  // Opens the editor from the task's row (or "New Task"), lets answer work it once the dialog
  // sits in its modal loop (which serves the message sent first), and presses button.
  void Answer(const TaskItem* task, int button, std::function<void(HWND)> answer = {}) {
    DialogAnswerer answerer(L"New Task", [&](HWND dialog) {
      SendMessageW(dialog, WM_NULL, 0, 0);
      RECT rect{};
      GetWindowRect(dialog, &rect);
      opened = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
      if (answer) answer(dialog);
      PressButton(dialog, button);
    });
    const HWND row = task ? Row(*task).mainButton() : nullptr;
    SendMessageW(row ? Win32View(List(0)).pane() : ListHwnd(0), WM_COMMAND,
                 row ? MAKEWPARAM(0, BN_CLICKED) : IDT_NEW_TASK, reinterpret_cast<LPARAM>(row));
    EXPECT_TRUE(answerer.answered());
  }

  EditorRect opened{};
};

// The sliders are moved with the keys, as a user would.
TEST_F(TaskEditors, NewTaskAppendsWhatWasEnteredAndARowEditsItsOwnTask) {
  constexpr qv::SYSTEMTIME kDeadline{2027, 4, 4, 1, 18, 0, 0, 0};
  List(0).sortType = 3;
  List(0).sortAscent = 1;  // highest priority first
  AddTask(List(0), u"Top", 60);
  std::wstring values;
  Answer(nullptr, IDOK, [&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_TASK_NAME, L"Write report");
    SetDlgItemTextW(dialog, IDC_TASK_REMARKS, L"two pages\r\nby Friday");
    ::SYSTEMTIME deadline = win32::ToWin32(kDeadline);
    SendDlgItemMessageW(dialog, IDC_DEADLINE_PICKER, DTM_SETSYSTEMTIME, GDT_VALID,
                        reinterpret_cast<LPARAM>(&deadline));
    SendDlgItemMessageW(dialog, IDC_DIFFICULTY_SLIDER, WM_KEYDOWN, VK_END, 0);
    SendDlgItemMessageW(dialog, IDC_PRIORITY_SLIDER, WM_KEYDOWN, VK_RIGHT, 0);
    for (HWND control : Controls(dialog)) values += IsValue(control) ? Text(control) + L" " : L"";
  });
  RECT list{};
  GetWindowRect(ListHwnd(0), &list);
  EXPECT_TRUE(opened.x == list.left && opened.y == list.top) << "not at the list's corner";
  EXPECT_EQ(values, L"100 1 ") << "value labels follow their sliders at once";
  ASSERT_EQ(Shown(List(0)), (Names{u"Top", u"Write report"}));
  TaskItem& task = *List(0).tasks[1];
  EXPECT_EQ(
      std::tuple(task.task.remarks, task.task.deadline, task.task.difficulty, task.task.priority),
      std::tuple(u"two pages\r\nby Friday", kDeadline, 100u, 1u));

  // Cancel adds nothing and changes nothing but the rectangle it was moved to; OK with an empty
  // name keeps the task's own.
  Answer(nullptr, IDCANCEL);
  Answer(&task, IDCANCEL, [&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_TASK_NAME, L"Changed");
    SetWindowPos(dialog, nullptr, 130, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  });
  EXPECT_EQ(task.task.editorRect, (EditorRect{130, 140, opened.width, opened.height}));
  Answer(&task, IDOK, [&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_TASK_NAME, L"");
    SendDlgItemMessageW(dialog, IDC_PRIORITY_SLIDER, WM_KEYDOWN, VK_END, 0);
  });
  EXPECT_EQ(Shown(List(0)), (Names{u"Write report", u"Top"})) << "the list is sorted again";
  Answer(nullptr, IDOK);
  EXPECT_FALSE(List(0).tasks.back()->task.name.has_value()) << "an empty name on a new task";
}

TEST_F(TaskEditors, TheEditorOpensReadableOnTheMonitorAndStaysSoWhenWidened) {
  TaskItem& item = AddTask(List(0), u"Layout");
  const auto open = [&](EditorRect stored, std::function<void(HWND)> answer = ExpectReadable) {
    item.task.editorRect = stored;
    Answer(&item, IDCANCEL, std::move(answer));
    return opened;
  };
  const EditorRect pulled = open({5000, 4000, 500, 500});
  EXPECT_TRUE(MonitorFromPoint({pulled.x + pulled.width - 1, pulled.y + pulled.height - 1},
                               MONITOR_DEFAULTTONULL));
  EXPECT_EQ(open({100, 90, 40, 30}).x, 100) << "a place on the screen is kept";
  EXPECT_EQ(open({-200, 90, 300, 400}), (EditorRect{-200, 90, 300, 400}))
      << "partly off the screen, but reachable";

  // Wider, the boxes stretch and the buttons keep to the right edge.
  constexpr int kWider = 90;
  open({40, 40, 700, 520}, [&](HWND dialog) {
    constexpr int kRightHand[] = {IDOK, IDCANCEL, IDC_TASK_NAME, IDC_TASK_REMARKS};
    std::map<int, LONG> right;
    for (int id : kRightHand) right[id] = InParent(GetDlgItem(dialog, id)).right;
    SetWindowPos(dialog, nullptr, 0, 0, 700 + kWider, 520, SWP_NOMOVE | SWP_NOZORDER);
    ExpectReadable(dialog);
    for (int id : kRightHand)
      EXPECT_EQ(InParent(GetDlgItem(dialog, id)).right, right[id] + kWider) << id;
  });
}

}  // namespace
}  // namespace qv::test
