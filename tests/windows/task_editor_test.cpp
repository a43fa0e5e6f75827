// The task editor opened from "New Task" and from a row of the real frame, answered from a
// thread of the test's own while the frame's thread sits in the dialog's modal loop.
#include "windows/task_editor.h"

#include <map>
#include <tuple>

#include "tests/shell/shell_test_support.h"

namespace qv::test {
namespace {

std::wstring Text(HWND window) {
  return win32::Wide(win32::WindowText(window));
}

// The labels are the controls without an id; a slider's value label shows digits.
bool IsValue(HWND control) {
  return GetDlgCtrlID(control) == 0 && iswdigit(Text(control).c_str()[0]);
}

std::vector<HWND> Controls(HWND dialog) {
  std::vector<HWND> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsWindowVisible(child)) controls.push_back(child);
  }
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
    const SIZE size = ClientSize(control);
    EXPECT_TRUE(GetDlgCtrlID(control) || (size.cx >= needed.right && size.cy >= needed.bottom))
        << Text(control) << " is clipped";
  }
}

void SetPicker(HWND dialog, int id, const qv::SYSTEMTIME& time) {
  ::SYSTEMTIME value = win32::ToWin32(time);
  SendDlgItemMessageW(dialog, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}

// As a drag of the thumb does it: the position, then the notification to the dialog.
void MoveSlider(HWND dialog, int id, int position) {
  const HWND slider = GetDlgItem(dialog, id);
  SendMessageW(slider, TBM_SETPOS, TRUE, position);
  SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
               reinterpret_cast<LPARAM>(slider));
}

class TaskEditors : public StartedFrame {
 protected:
  void SetUp() override { StartOnDefault(); }

  // Opens the editor from the task's row (or "New Task"), lets answer work it, presses button.
  void Answer(const TaskItem* task, int button, std::function<void(HWND)> answer = {}) {
    DialogAnswerer answerer(L"New Task", [&](HWND dialog) {
      // Served only once the dialog's initialisation is over and it sits in its modal loop.
      SendMessageW(dialog, WM_NULL, 0, 0);
      RECT rect{};
      GetWindowRect(dialog, &rect);
      opened = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
      if (answer) answer(dialog);
      PressButton(dialog, button);
    });
    if (task) {
      SendMessageW(Win32View(List(0)).pane(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Row(*task).mainButton()));
    } else {
      SendMessageW(ListHwnd(0), WM_COMMAND, IDT_NEW_TASK, 0);
    }
    EXPECT_TRUE(answerer.answered());
  }

  EditorRect opened{};
};

TEST_F(TaskEditors, NewTaskOpensAtTheListCornerAndAppendsWhatWasEntered) {
  constexpr qv::SYSTEMTIME kStart{2027, 3, 1, 15, 9, 30, 5, 0};
  constexpr qv::SYSTEMTIME kDeadline{2027, 4, 4, 1, 18, 0, 0, 0};
  std::wstring values;
  Answer(nullptr, IDOK, [&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_TASK_NAME, L"Write report");
    SetDlgItemTextW(dialog, IDC_TASK_REMARKS, L"two pages\r\nby Friday");
    SetPicker(dialog, IDC_START_PICKER, kStart);
    SetPicker(dialog, IDC_DEADLINE_PICKER, kDeadline);
    MoveSlider(dialog, IDC_DIFFICULTY_SLIDER, 30);
    MoveSlider(dialog, IDC_PRIORITY_SLIDER, 70);
    for (HWND control : Controls(dialog))
      if (IsValue(control)) values += Text(control) + L" ";
  });
  RECT list{};
  GetWindowRect(ListHwnd(0), &list);
  EXPECT_EQ((std::pair<LONG, LONG>(opened.x, opened.y)), std::pair(list.left, list.top));
  EXPECT_EQ(values, L"30 70 ") << "value labels follow their sliders at once";
  ASSERT_EQ(Shown(List(0)), std::vector<std::u16string>{u"Write report"});
  const TaskInfo& task = List(0).tasks[0]->task;
  EXPECT_EQ(std::tuple(task.remarks, task.startTime, task.deadline, task.difficulty, task.priority),
            std::tuple(u"two pages\r\nby Friday", kStart, kDeadline, 30u, 70u));

  // Cancel adds nothing; an empty name on OK makes a task without one.
  Answer(nullptr, IDCANCEL);
  Answer(nullptr, IDOK);
  ASSERT_EQ(List(0).tasks.size(), 2u);
  EXPECT_FALSE(List(0).tasks[1]->task.name.has_value());
}

TEST_F(TaskEditors, ARowEditsItsOwnTaskAndCancelKeepsOnlyTheMovedRectangle) {
  List(0).sortType = 3;
  List(0).sortAscent = 1;  // highest priority first
  AddTask(List(0), u"Top", 60);
  TaskItem& low = AddTask(List(0), u"Low", 10);
  Answer(&low, IDCANCEL, [&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_TASK_NAME, L"Changed");
    MoveSlider(dialog, IDC_PRIORITY_SLIDER, 55);
    SetWindowPos(dialog, nullptr, 130, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  });
  EXPECT_EQ(std::tuple(*low.task.name, low.task.priority), std::tuple(u"Low", 10u));
  EXPECT_EQ(low.task.editorRect, (EditorRect{130, 140, opened.width, opened.height}));

  Answer(&low, IDOK, [&](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_TASK_NAME, L"");
    MoveSlider(dialog, IDC_PRIORITY_SLIDER, 90);
  });
  EXPECT_EQ(opened.x, 130) << "the next opening uses the kept rectangle";
  EXPECT_EQ(Shown(List(0)), (std::vector<std::u16string>{u"Low", u"Top"}))
      << "an empty name keeps the old one, and the list is sorted again";
}

TEST_F(TaskEditors, TheEditorOpensReadableOnTheMonitorAndStaysSoWhenWidened) {
  TaskItem& item = AddTask(List(0), u"Layout");
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const auto open = [&](EditorRect stored, std::function<void(HWND)> answer = ExpectReadable) {
    item.task.editorRect = stored;
    Answer(&item, IDCANCEL, std::move(answer));
    return opened;
  };
  const EditorRect distant = open({5000, 4000, 500, 500});
  EXPECT_TRUE(distant.x >= work.left && distant.y >= work.top &&
              distant.x + distant.width <= work.right && distant.y + distant.height <= work.bottom);
  EXPECT_EQ(open({100, 90, 40, 30}).x, 100) << "a place on the screen is kept";
  EXPECT_EQ(open({-200, 90, 300, 400}), (EditorRect{-200, 90, 300, 400}))
      << "partly off the screen, but reachable";

  constexpr int kWider = 90;
  open({40, 40, 700, 520}, [&](HWND dialog) {
    std::map<HWND, RECT> before;
    for (HWND control : Controls(dialog)) before[control] = InParent(control);
    SetWindowPos(dialog, nullptr, 0, 0, 700 + kWider, 520, SWP_NOMOVE | SWP_NOZORDER);
    ExpectReadable(dialog);
    // The boxes stretch and the buttons keep to the right edge; the labels on the left stay put.
    for (HWND control : Controls(dialog)) {
      const int id = GetDlgCtrlID(control);
      const RECT now = InParent(control), was = before[control];
      const bool moves = id == IDOK || id == IDCANCEL || id == IDC_DEADLINE_PICKER ||
                         Text(control) == L"Deadline:";
      EXPECT_TRUE(moves || now.left == was.left) << Text(control) << " moved";
      EXPECT_TRUE(!id || id == IDC_START_PICKER || now.right - was.right == kWider)
          << id << " left the right edge";
    }

    // A moved control shows itself as it would when painted afresh.
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const HWND cancel = GetDlgItem(dialog, IDCANCEL);
    const std::vector<COLORREF> shown = OnScreen(cancel);
    RedrawWindow(cancel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(shown, OnScreen(cancel)) << "the moved Cancel button is not painted";
  });
}

}  // namespace
}  // namespace qv::test
