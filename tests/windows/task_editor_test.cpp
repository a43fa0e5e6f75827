// The task editor: its layout arithmetic, and the real dialog opened from "New Task" and from a
// row, answered from a thread of the test's own.
#include "windows/task_editor.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/shell/shell_test_support.h"
#include "windows/task_row.h"

namespace qv::test {
namespace {

constexpr TaskEditorMeasures kMeasures{13, 55, 48, 44, 50, 45, 21, 20};

TEST(TaskEditorLayout, LabelSizesAndClientSizeGiveTheRectangles) {
  const TaskEditorLayout layout = LayOutTaskEditor(kMeasures, 600, 400);
  EXPECT_EQ(layout.startPicker, (EditorBox{70, 48, 232, 24}));
  EXPECT_EQ(layout.deadlineLabel.x, 309);
  EXPECT_EQ(layout.deadlinePicker, (EditorBox{360, 48, 232, 24}));
  EXPECT_EQ(layout.nameEdit, (EditorBox{70, 12, 522, 24}));
  EXPECT_EQ(layout.difficultyLabel.y, 87);
  EXPECT_EQ(layout.difficultyValue.x, 65);
  EXPECT_EQ(layout.priorityLabel.y, 123);
  EXPECT_EQ(layout.priorityValue.x, 60);
  EXPECT_EQ(layout.remarksLabel.y, 159);
  // (13 - 24) / 2 truncates to -5; both sliders take the priority row's x.
  EXPECT_EQ(layout.difficultySlider, (EditorBox{88, 87, 504, 24}));
  EXPECT_EQ(layout.prioritySlider, (EditorBox{88, 118, 504, 24}));
  EXPECT_EQ(layout.remarksEdit, (EditorBox{8, 177, 584, 400 - 20 - 177 - 27}));
  EXPECT_EQ(layout.ok.x, 435);
  EXPECT_EQ(layout.cancel.y, 365);

  const TaskEditorLayout wider = LayOutTaskEditor(kMeasures, 620, 400);
  EXPECT_EQ(wider.nameEdit.width - layout.nameEdit.width, 20);
  EXPECT_EQ(wider.prioritySlider.width - layout.prioritySlider.width, 20);
  EXPECT_EQ(wider.remarksEdit.width - layout.remarksEdit.width, 20);
  EXPECT_EQ(wider.startPicker.width - layout.startPicker.width, 10);
  EXPECT_EQ(wider.deadlinePicker.width - layout.deadlinePicker.width, 10);
  EXPECT_EQ(wider.deadlineLabel.x - layout.deadlineLabel.x, 10);
  EXPECT_EQ(wider.deadlinePicker.x - layout.deadlinePicker.x, 10);
  EXPECT_EQ(wider.ok.x - layout.ok.x, 20);
  EXPECT_EQ(wider.cancel.x - layout.cancel.x, 20);
  // An odd spare pixel is dropped, not given to one picker.
  EXPECT_EQ(LayOutTaskEditor(kMeasures, 601, 400).startPicker.width, 232);
}

std::wstring Text(HWND window) {
  return win32::Wide(win32::WindowText(window));
}

RECT WindowRectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

EditorBox BoxInParent(HWND window) {
  RECT rect = WindowRectOf(window);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// The run-time labels by their text (the value labels by "value 1" and "value 2").
std::map<std::wstring, HWND> Labels(HWND dialog) {
  std::map<std::wstring, HWND> labels;
  int values = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (std::wstring(name) != L"Static") continue;
    std::wstring text = Text(child);
    if (!text.empty() && iswdigit(text[0])) text = L"value " + std::to_wstring(++values);
    labels[text] = child;
  }
  return labels;
}

SIZE Measured(HWND dialog, const wchar_t* text) {
  win32::WindowDc dc(dialog);
  win32::ScopedSelect select(dc.get(),
                             reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  RECT rect{0, 0, 1, 1};
  DrawTextW(dc.get(), text, -1, &rect, DT_CALCRECT);
  return {rect.right, rect.bottom};
}

SIZE ClientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right, rect.bottom};
}

::SYSTEMTIME PickerTime(HWND dialog, int id) {
  ::SYSTEMTIME time{};
  SendDlgItemMessageW(dialog, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
  return time;
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

// The window's pixels as they are on screen.
std::vector<COLORREF> OnScreen(HWND window) {
  const SIZE size = ClientSize(window);
  win32::WindowDc dc(window);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) pixels.push_back(GetPixel(dc.get(), x, y));
  }
  return pixels;
}

std::int64_t Seconds(const ::SYSTEMTIME& time) {
  ::FILETIME file{};
  SystemTimeToFileTime(&time, &file);
  return ((std::int64_t{file.dwHighDateTime} << 32) | file.dwLowDateTime) / 10'000'000;
}

EditorRect AsEditorRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

class TaskEditors : public StartedFrame {
 protected:
  void SetUp() override {
    StoragePaths paths = Paths();
    paths.seedFile = scratch / u"no-seed.xml";
    Start(paths);
    Command(static_cast<WORD>(ListCommand(0)));
  }
  CGenWindow& Hot() const { return List(0); }
  HWND HotHwnd() const { return Win32View(Hot()).hwnd(); }
  static HWND MainButton(const TaskItem& item) {
    return static_cast<TaskRowWindow*>(item.row())->mainButton();
  }

  // Opens the editor, lets the answer look at and change it, then presses the button.
  void Answer(const std::function<void()>& open, std::function<void(HWND)> answer, int button) {
    answered = false;
    DialogAnswerer answerer(L"New Task", [&, answer = std::move(answer), button](HWND dialog) {
      // Served only once the dialog's initialisation is over and it sits in its modal loop.
      SendMessageW(dialog, WM_NULL, 0, 0);
      opened = AsEditorRect(WindowRectOf(dialog));
      answer(dialog);
      PressButton(dialog, button);
    });
    open();
    answered = answerer.answered();
  }
  void NewTask() { SendMessageW(HotHwnd(), WM_COMMAND, MAKEWPARAM(IDT_NEW_TASK, 0), 0); }
  std::function<void()> ClickRow(const TaskItem& item) {
    return [this, &item] {
      SendMessageW(Win32View(Hot()).pane(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                   reinterpret_cast<LPARAM>(MainButton(item)));
    };
  }
  TaskItem& Add(const char16_t* name, std::uint32_t priority) {
    TaskInfo task;
    task.name = name;
    task.priority = priority;
    return AddNewTask(Hot(), task);
  }

  bool answered = false;
  EditorRect opened{};
};

constexpr qv::SYSTEMTIME kStart{2027, 3, 1, 15, 9, 30, 5, 0};
constexpr qv::SYSTEMTIME kDeadline{2027, 4, 4, 1, 18, 0, 0, 0};

TEST_F(TaskEditors, NewTaskOpensAtTheListCornerAndAppendsWhatWasEntered) {
  const RECT list = WindowRectOf(HotHwnd());
  ::SYSTEMTIME now{}, shownStart{}, shownDeadline{};
  std::wstring valuesBeforeOk;
  Answer([&] { NewTask(); },
         [&](HWND dialog) {
           GetLocalTime(&now);
           shownStart = PickerTime(dialog, IDC_START_PICKER);
           shownDeadline = PickerTime(dialog, IDC_DEADLINE_PICKER);
           SetDlgItemTextW(dialog, IDC_TASK_NAME, L"Write report");
           SetDlgItemTextW(dialog, IDC_TASK_REMARKS, L"two pages\r\nby Friday");
           SetPicker(dialog, IDC_START_PICKER, kStart);
           SetPicker(dialog, IDC_DEADLINE_PICKER, kDeadline);
           MoveSlider(dialog, IDC_DIFFICULTY_SLIDER, 30);
           MoveSlider(dialog, IDC_PRIORITY_SLIDER, 70);
           const auto labels = Labels(dialog);
           valuesBeforeOk = Text(labels.at(L"value 1")) + L" " + Text(labels.at(L"value 2"));
         },
         IDOK);
  ASSERT_TRUE(answered);
  EXPECT_EQ(opened, (EditorRect{list.left, list.top, 500, 500}));
  EXPECT_LE(std::abs(Seconds(shownStart) - Seconds(now)), 3) << "a new task shows the time now";
  EXPECT_LE(std::abs(Seconds(shownDeadline) - Seconds(now)), 3);
  EXPECT_EQ(valuesBeforeOk, L"30 70") << "value labels follow their sliders at once";

  ASSERT_EQ(Hot().tasks.size(), 1u);
  const TaskInfo& task = Hot().tasks[0]->task;
  EXPECT_EQ(task.name, u"Write report");
  EXPECT_EQ(task.remarks, u"two pages\r\nby Friday");
  EXPECT_EQ(task.startTime, kStart);
  EXPECT_EQ(task.deadline, kDeadline);
  EXPECT_EQ(task.difficulty, 30u);
  EXPECT_EQ(task.priority, 70u);
  EXPECT_EQ(task.state, static_cast<std::uint32_t>(TaskState::InProgress));
  EXPECT_EQ(task.editorRect, opened);
  EXPECT_EQ(win32::WindowText(MainButton(*Hot().tasks[0])), u"Write report");

  // Cancel adds nothing; an empty name on OK makes a task without one.
  Answer([&] { NewTask(); }, [](HWND) {}, IDCANCEL);
  EXPECT_EQ(Hot().tasks.size(), 1u);
  Answer([&] { NewTask(); }, [](HWND) {}, IDOK);
  ASSERT_EQ(Hot().tasks.size(), 2u);
  EXPECT_FALSE(Hot().tasks[1]->task.name.has_value());
}

TEST_F(TaskEditors, ARowEditsItsOwnTaskAndCancelKeepsOnlyTheMovedRectangle) {
  Hot().sortType = 3;
  Hot().sortAscent = 1;  // highest priority first
  Add(u"Top", 60);
  TaskItem& low = Add(u"Low", 10);
  ASSERT_EQ(Hot().tasks[1].get(), &low);

  std::wstring valueAfterMove;
  Answer(
      ClickRow(low),
      [&](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_TASK_NAME, L"Changed");
        MoveSlider(dialog, IDC_PRIORITY_SLIDER, 55);
        valueAfterMove = Text(Labels(dialog).at(L"value 2"));
        SetWindowPos(dialog, nullptr, 130, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      },
      IDCANCEL);
  ASSERT_TRUE(answered);
  EXPECT_EQ(opened, (EditorRect{20, 50, 300, 400})) << "the default rectangle";
  EXPECT_EQ(valueAfterMove, L"55");
  EXPECT_EQ(low.task.name, u"Low");
  EXPECT_EQ(low.task.priority, 10u) << "a slider reaches the task only on OK";
  EXPECT_EQ(low.task.editorRect, (EditorRect{130, 140, 300, 400}));

  Answer(
      ClickRow(low),
      [&](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_TASK_NAME, L"");
        MoveSlider(dialog, IDC_PRIORITY_SLIDER, 90);
      },
      IDOK);
  EXPECT_EQ(opened, (EditorRect{130, 140, 300, 400})) << "the next opening uses it";
  EXPECT_EQ(low.task.name, u"Low") << "an empty name keeps the old one";
  EXPECT_EQ(low.task.priority, 90u);
  EXPECT_EQ(Hot().tasks[0].get(), &low) << "the list is sorted again";
  EXPECT_EQ(win32::WindowText(MainButton(*Hot().tasks[0])), u"Low");
}

TEST_F(TaskEditors, TheRealControlsFollowTheMeasuredLabels) {
  TaskItem& item = Add(u"Layout", 0);
  item.task.editorRect = {40, 40, 700, 520};
  struct Seen {
    std::map<std::wstring, SIZE> labels, measured;
    std::vector<EditorBox> actual, expected;
  };
  std::vector<Seen> seen;
  Answer(
      ClickRow(item),
      [&](HWND dialog) {
        for (int widen : {0, 20}) {
          if (widen) {
            const RECT rect = WindowRectOf(dialog);
            SetWindowPos(dialog, nullptr, 0, 0, rect.right - rect.left + widen,
                         rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER);
            // A moved control shows itself as it would when painted afresh.
            RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            const HWND cancel = GetDlgItem(dialog, IDCANCEL);
            const std::vector<COLORREF> moved = OnScreen(cancel);
            RedrawWindow(cancel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            EXPECT_EQ(moved, OnScreen(cancel)) << "the moved Cancel button is not painted";
          }
          Seen now;
          const auto labels = Labels(dialog);
          for (const auto& [text, label] : labels) {
            now.labels[text] = ClientSize(label);
            now.measured[text] =
                Measured(dialog, text.starts_with(L"value") ? L"100" : text.c_str());
          }
          const auto width = [&](const wchar_t* text) { return now.labels[text].cx; };
          const TaskEditorMeasures measures{now.labels[L"Task Name:"].cy,
                                            width(L"Task Name:"),
                                            width(L"Start time:"),
                                            width(L"Deadline:"),
                                            width(L"Difficult:"),
                                            width(L"Priority:"),
                                            width(L"value 2"),
                                            ClientSize(GetDlgItem(dialog, IDOK)).cy};
          const SIZE client = ClientSize(dialog);
          const TaskEditorLayout layout = LayOutTaskEditor(measures, client.cx, client.cy);
          const auto labelBox = [&](const wchar_t* text, POINT at) {
            return EditorBox{at.x, at.y, now.labels[text].cx, now.labels[text].cy};
          };
          const SIZE ok = ClientSize(GetDlgItem(dialog, IDOK));
          now.expected = {layout.nameEdit,
                          layout.startPicker,
                          layout.deadlinePicker,
                          layout.difficultySlider,
                          layout.prioritySlider,
                          layout.remarksEdit,
                          labelBox(L"Deadline:", layout.deadlineLabel),
                          labelBox(L"value 1", layout.difficultyValue),
                          labelBox(L"Remarks:", layout.remarksLabel),
                          EditorBox{layout.ok.x, layout.ok.y, ok.cx, ok.cy}};
          for (int id : {IDC_TASK_NAME, IDC_START_PICKER, IDC_DEADLINE_PICKER,
                         IDC_DIFFICULTY_SLIDER, IDC_PRIORITY_SLIDER, IDC_TASK_REMARKS}) {
            now.actual.push_back(BoxInParent(GetDlgItem(dialog, id)));
          }
          for (const wchar_t* text : {L"Deadline:", L"value 1", L"Remarks:"}) {
            now.actual.push_back(BoxInParent(labels.at(text)));
          }
          now.actual.push_back(BoxInParent(GetDlgItem(dialog, IDOK)));
          seen.push_back(now);
        }
      },
      IDCANCEL);
  ASSERT_TRUE(answered);
  ASSERT_EQ(seen.size(), 2u);
  for (const Seen& at : seen) {
    ASSERT_EQ(at.labels.size(), 8u);
    for (const auto& [text, size] : at.labels) {
      EXPECT_EQ(size.cx, at.measured.at(text).cx) << std::string(text.begin(), text.end());
      EXPECT_EQ(size.cy, at.measured.at(text).cy);
    }
    EXPECT_EQ(at.actual, at.expected);
  }
  EXPECT_EQ(seen[1].actual[5].width - seen[0].actual[5].width, 20);
  EXPECT_EQ(item.task.editorRect.width, 720);
}

TEST_F(TaskEditors, RectanglesOffScreenOrTooSmallAreMovedOntoTheMonitor) {
  TaskItem& item = Add(u"Lost", 0);
  SIZE templateClient{};
  const auto measureTemplate = [&](HWND dialog) {
    RECT rect{0, 0, 383, 301};
    MapDialogRect(dialog, &rect);
    templateClient = {rect.right, rect.bottom};
  };
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(HotHwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT work = monitor.rcWork;

  item.task.editorRect = {5000, 4000, 500, 500};
  Answer(ClickRow(item), measureTemplate, IDCANCEL);
  ASSERT_TRUE(answered);
  EXPECT_GE(opened.x, work.left);
  EXPECT_GE(opened.y, work.top);
  EXPECT_LE(opened.x + opened.width, work.right);
  EXPECT_LE(opened.y + opened.height, work.bottom);
  EXPECT_GT(opened.width, templateClient.cx) << "at least the template's size";
  EXPECT_GT(opened.height, templateClient.cy);

  item.task.editorRect = {100, 90, 40, 30};
  Answer(ClickRow(item), measureTemplate, IDCANCEL);
  EXPECT_EQ(opened.x, 100) << "a place on the screen is kept";
  EXPECT_EQ(opened.y, 90);
  EXPECT_GT(opened.width, templateClient.cx);
  EXPECT_GT(opened.height, templateClient.cy);

  item.task.editorRect = {-200, 90, 300, 400};  // partly off the screen, still reachable
  Answer(ClickRow(item), measureTemplate, IDCANCEL);
  EXPECT_EQ(opened, (EditorRect{-200, 90, 300, 400}));
}

}  // namespace
}  // namespace qv::test
