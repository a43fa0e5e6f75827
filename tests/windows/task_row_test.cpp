// Task rows inside the real frame: the tinted check mark as painted on screen, the blink timer,
// the tooltip texts, where the buttons go, rows moving between task and log windows, and drag
// and drop with the real mouse capture and cursor.
#include "windows/task_row.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "tests/shell/shell_test_support.h"
#include "windows/row_text.h"
#include "windows/win32/owners.h"

namespace qv::test {
namespace {

constexpr SYSTEMTIME kNow{2026, 12, 1, 7, 12, 0, 0, 0};
constexpr SYSTEMTIME kHourAgo{2026, 12, 1, 7, 11, 0, 0, 0};
constexpr SYSTEMTIME kIn5Days{2026, 12, 6, 12, 12, 0, 0, 0};
constexpr SYSTEMTIME kIn10Days{2026, 12, 4, 17, 12, 0, 0, 0};
constexpr int kRow = 30;

TEST(TintPureRed, TintsOnlyPureRedInsideTheBorder) {
  struct Case {
    std::int32_t level;
    std::uint32_t r200, g200, r100, g100;
  };
  constexpr Case kCases[] = {{400, 86, 200, 43, 100}, {300, 165, 200, 82, 100},
                             {100, 200, 78, 100, 39}, {255, 200, 200, 100, 100},
                             {510, 0, 200, 0, 100},   {0, 200, 0, 100, 0}};
  constexpr std::uint32_t kRed = 0xFFC80000;
  for (const Case& c : kCases) {
    // 6 x 6: the inner 2 x 2 holds red 200, red 100, and red with a trace of green or blue.
    std::vector<std::uint32_t> pixels(36, kRed);
    pixels[2 * 6 + 3] = 0xFFC80100;
    pixels[3 * 6 + 2] = 0xFFC80001;
    pixels[3 * 6 + 3] = 0xFF640000;
    std::vector<std::uint32_t> expected = pixels;
    expected[2 * 6 + 2] = 0xFF000000 | c.r200 << 16 | c.g200 << 8;
    expected[3 * 6 + 3] = 0xFF000000 | c.r100 << 16 | c.g100 << 8;
    TintPureRed(pixels.data(), 6, 6, c.level);
    EXPECT_EQ(pixels, expected) << "level " << c.level;
  }
}

TEST(RowTexts, TaskAndDeadlineTooltips) {
  ScopedTestClock clock(kNow);
  TaskInfo task;
  task.name = u"Write report";
  task.priority = 3;
  task.difficulty = 7;
  task.startTime = {2026, 11, 0, 1, 8, 5, 9, 0};
  task.deadline = {2026, 12, 0, 9, 15, 4, 5, 0};
  task.closedTime = {0, 12, 0, 6, 9, 1, 2, 0};  // year 0: not closed, whatever else it holds
  const std::u16string open =
      u"Task name: Write report\nPriority: 3\nDifficult: 7\nCreated:  08:05:09, 01.11.2026\n"
      u"Deadline: 15:04:05, 09.12.2026\n";
  EXPECT_EQ(TaskTooltipText(task), open);
  EXPECT_EQ(DeadlineTooltipText(task), u"Time to deadline:\nDays: 2\nHours: 3\nMins: 4\nSecs: 5");
  task.closedTime.wYear = 2026;
  EXPECT_EQ(TaskTooltipText(task), open + u"Solved: 09:01:02, 06.12.2026\n");

  task.deadline = {2026, 12, 0, 6, 9, 56, 56, 0};
  EXPECT_EQ(DeadlineTooltipText(task),
            u"Time after deadline:\nDays: 1\nHours: 2\nMins: 3\nSecs: 4");
  task.deadline = kNow;
  EXPECT_EQ(DeadlineTooltipText(task), u"Time to deadline:\nDays: 0\nHours: 0\nMins: 0\nSecs: 0");
}

TaskRowWindow& Row(const TaskItem& item) {
  return *static_cast<TaskRowWindow*>(item.row());
}

// A control's left, top, right and bottom in its parent's (the pane's) coordinates.
using Box = std::array<LONG, 4>;
Box InParent(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

std::u16string AskTooltip(HWND button, HWND tip) {
  NMTTDISPINFOW info{};
  info.hdr = {tip, reinterpret_cast<UINT_PTR>(button), static_cast<UINT>(TTN_GETDISPINFOW)};
  SendMessageW(button, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  return win32::FromWide(info.lpszText);
}

// The client area's pixels as they are on screen, row after row.
std::vector<COLORREF> OnScreen(HWND window) {
  UpdateWindow(window);
  RECT client{};
  GetClientRect(window, &client);
  win32::WindowDc dc(window);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(dc.get(), x, y));
  }
  return pixels;
}

// Compared with an ordinary button showing the same icon beside the rows, the check mark's
// pure-red pixels inside the two outer rings are red (unchanged), yellow (green raised to red)
// or green (red moved to green); all others are the same. These levels need no rounding.
enum class Tint { Red, Yellow, Green };
enum class Paint { Repainted, AsShown };
void ExpectTinted(HWND check, HICON icon, Tint tint, Paint paint = Paint::Repainted) {
  RECT client{};
  GetClientRect(check, &client);
  const int w = client.right, h = client.bottom;
  win32::WindowHandle plain(CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_ICON, 100,
                                            120, w, h, GetParent(check), nullptr, Instance(),
                                            nullptr));
  SendMessageW(plain.get(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  const std::vector<COLORREF> expected = OnScreen(plain.get());
  if (paint == Paint::Repainted) RedrawWindow(check, nullptr, nullptr, RDW_INVALIDATE);
  const std::vector<COLORREF> shown = OnScreen(check);
  ASSERT_EQ(shown.size(), expected.size());
  int red = 0;
  int wrong = 0;
  for (int i = 0; i < w * h; ++i) {
    const int x = i % w;
    const int y = i / w;
    COLORREF pixel = expected[i];
    const BYTE r = GetRValue(pixel);
    if (x >= 2 && y >= 2 && x < w - 2 && y < h - 2 && r != 0 && (pixel & 0xFFFF00) == 0) {
      ++red;
      pixel = RGB(tint == Tint::Green ? 0 : r, tint == Tint::Red ? 0 : r, 0);
    }
    if (shown[i] != pixel && wrong++ == 0) {
      ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex << shown[i] << " for " << pixel;
    }
  }
  EXPECT_GT(red, 50) << "the check mark's red is not on the button";
  EXPECT_EQ(wrong, 0);
}

class TaskRows : public StartedFrame {
 protected:
  // The default workspace: "Hot Tasks" logging into "My logger" and "Work logger", shown
  // side by side.
  void SetUp() override {
    StoragePaths paths = Paths();
    paths.seedFile = scratch / u"no-seed.xml";
    Start(paths);
    MoveWindow(frame->hwnd(), 0, 0, 1000, 700, TRUE);
    for (std::size_t i = 0; i < 3; ++i) {
      SetWindowPos(ListHwnd(i), nullptr, 310 * static_cast<int>(i), 0, 300, 300, SWP_NOZORDER);
      ShowWindow(ListHwnd(i), SW_SHOW);
    }
    SetCursorPos(1279, 799);  // away from every button, so that none is drawn hot
  }
  CGenWindow& Hot() const { return List(0); }
  CGenWindow& Log() const { return List(1); }
  HWND Pane(const CGenWindow& list) const { return Win32View(list).pane(); }

  static TaskItem& Add(CGenWindow& list, const std::u16string& name, SYSTEMTIME deadline = kNow) {
    TaskInfo task;
    task.name = name;
    task.deadline = deadline;
    return AddNewTask(list, task);
  }

  ScopedTestClock clock{kNow};
};

TEST_F(TaskRows, CheckMarkIsTintedByTimeLeftAndBlinksWhenOverdue) {
  const TaskItem& distant = Add(Hot(), u"distant", kIn10Days);
  const TaskItem& half = Add(Hot(), u"half", kIn5Days);
  TaskItem& due = Add(Hot(), u"due");
  frame->RefreshTaskWindows();
  ExpectTinted(Row(distant).checkButton(), frame->CheckIcon(), Tint::Green);
  ExpectTinted(Row(half).checkButton(), frame->CheckIcon(), Tint::Yellow);
  ExpectTinted(Row(due).checkButton(), frame->CheckIcon(), Tint::Red);
  // Due this very moment is not overdue, refresh after refresh.
  for (int i = 0; i < 2; ++i) {
    frame->RefreshTaskWindows();
    EXPECT_FALSE(Row(due).blinking());
  }

  due.task.deadline = kHourAgo;
  frame->RefreshTaskWindows();
  ASSERT_TRUE(Row(due).blinking());
  MSG msg{};
  const DWORD deadline = GetTickCount() + 2000;
  while (!PeekMessageW(&msg, Win32View(Hot()).pane(), WM_TIMER, WM_TIMER, PM_REMOVE) &&
         GetTickCount() < deadline) {
    Sleep(1);
  }
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(IDT_BLINK));


  due.task.deadline = kIn5Days;
  frame->RefreshTaskWindows();
  EXPECT_FALSE(Row(due).blinking());
  EXPECT_FALSE(KillTimer(Win32View(Hot()).pane(), IDT_BLINK)) << "the timer still runs";

  // With the pulse worker stopped, the blink redraws the check mark at each new level without
  // a paint of the button.
  ASSERT_FALSE(frame->pulseRunning());
  due.task.deadline = kHourAgo;
  Win32View(Hot()).RefreshTasks();
  const std::int32_t pulse = OverduePulse.exchange(255);
  ExpectTinted(Row(due).checkButton(), frame->CheckIcon(), Tint::Yellow);
  OverduePulse.store(0);
  SendMessageW(Win32View(Hot()).pane(), WM_TIMER, IDT_BLINK, 0);
  ExpectTinted(Row(due).checkButton(), frame->CheckIcon(), Tint::Red, Paint::AsShown);
  OverduePulse.store(pulse);
}

TEST_F(TaskRows, TooltipsComeFromTheSharedBufferCutTo1023Characters) {
  TaskItem& item = Add(Hot(), std::u16string(5000, u'n'));
  win32::WindowHandle tip(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, 0, 0, 0, 0,
                                          frame->hwnd(), nullptr, Instance(), nullptr));
  const std::u16string text = AskTooltip(Row(item).mainButton(), tip.get());
  ASSERT_EQ(text.size(), kTooltipBufferChars - 1);
  EXPECT_TRUE(text == TaskTooltipText(item.task));
  EXPECT_EQ(item.task.name->size(), 5000u);
  EXPECT_EQ(win32::WindowText(Row(item).mainButton()).size(), 5000u);
  EXPECT_EQ(SendMessageW(tip.get(), TTM_GETMAXTIPWIDTH, 0, 0), 600);
  EXPECT_EQ(SendMessageW(tip.get(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 30000);

  // The shorter text after it carries none of the longer one's tail.
  EXPECT_EQ(AskTooltip(Row(item).checkButton(), tip.get()),
            u"Time to deadline:\nDays: 0\nHours: 0\nMins: 0\nSecs: 0");
  EXPECT_EQ(SendMessageW(tip.get(), TTM_GETMAXTIPWIDTH, 0, 0), 150);
}

TEST_F(TaskRows, ButtonsFillTheRowAndFollowTheTaskIntoTaskAndLogWindows) {
  Add(Hot(), u"first");
  const TaskItem& task = Add(Hot(), u"second");
  Add(Log(), u"logged");
  TaskItem& moving = Add(Log(), u"moving", kHourAgo);
  RECT pane{};
  GetClientRect(Pane(Hot()), &pane);
  const int w = pane.right;
  EXPECT_EQ(InParent(Row(task).checkButton()), (Box{0, kRow, kRow, 2 * kRow}));
  EXPECT_EQ(InParent(Row(task).mainButton()), (Box{kRow, kRow, w - kRow, 2 * kRow}));
  EXPECT_EQ(InParent(Row(task).crossButton()), (Box{w - kRow, kRow, w, 2 * kRow}));
  EXPECT_EQ(Row(moving).checkButton(), nullptr);
  EXPECT_EQ(InParent(Row(moving).mainButton()), (Box{0, kRow, w - kRow, 2 * kRow}));

  // Into the task window: a check mark with its tooltip, blinking, in the last row.
  const int windows = win32::LiveCount(win32::LiveKind::Window);
  MoveTaskToList(moving, Hot());
  frame->RefreshTaskWindows();
  const HWND check = Row(moving).checkButton();
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(win32::LiveCount(win32::LiveKind::Window), windows + 2);
  EXPECT_EQ(GetParent(check), Pane(Hot()));
  EXPECT_EQ(GetParent(Row(moving).mainButton()), Pane(Hot()));
  EXPECT_EQ(InParent(check), (Box{0, 2 * kRow, kRow, 3 * kRow}));
  EXPECT_EQ(InParent(Row(moving).mainButton()), (Box{kRow, 2 * kRow, w - kRow, 3 * kRow}));
  EXPECT_TRUE(Row(moving).blinking());
  EXPECT_EQ(AskTooltip(check, nullptr).substr(0, 20), u"Time after deadline:");

  // Back into the log: the check mark, its tooltip and its timer go.
  MoveTaskToList(moving, Log());
  EXPECT_EQ(Row(moving).checkButton(), nullptr);
  EXPECT_FALSE(IsWindow(check));
  EXPECT_FALSE(Row(moving).blinking());
  EXPECT_EQ(win32::LiveCount(win32::LiveKind::Window), windows);
  EXPECT_EQ(GetParent(Row(moving).crossButton()), Pane(Log()));
  EXPECT_EQ(InParent(Row(moving).mainButton()), (Box{0, kRow, w - kRow, 2 * kRow}));
}

// The window's children; without one, the thread's top-level windows, the rows' tooltips
// among them.
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}
std::vector<HWND> Windows(HWND parent = nullptr) {
  std::vector<HWND> found;
  const WNDENUMPROC collect = CollectWindow;
  if (parent) EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&found));
  if (!parent) EnumThreadWindows(GetCurrentThreadId(), collect, reinterpret_cast<LPARAM>(&found));
  return found;
}
std::array<std::size_t, 3> Counts() {
  return {static_cast<std::size_t>(win32::LiveCount(win32::LiveKind::Window)),
          static_cast<std::size_t>(win32::LiveCount(win32::LiveKind::Gdi)), Windows().size()};
}

TEST_F(TaskRows, DestroyedRowsLeaveNothingBehind) {
  const std::vector<HWND> hotChildren = Windows(ListHwnd(0));
  const std::vector<HWND> logChildren = Windows(ListHwnd(1));
  const auto before = Counts();
  for (int i = 0; i < 10; ++i) {
    AppendTaskItem(Hot());
    AppendTaskItem(Log());
  }
  Hot().view().TasksChanged();
  ASSERT_EQ(Windows(ListHwnd(0)).size(), hotChildren.size() + 30);
  ASSERT_EQ(Windows().size(), before[2] + 30);
  while (!Log().tasks.empty()) RemoveTask(Log(), *Log().tasks.front(), false);
  std::vector<std::unique_ptr<TaskItem>> taken;
  while (!Hot().tasks.empty()) taken.push_back(RemoveTask(Hot(), *Hot().tasks.back(), true));
  taken.clear();
  EXPECT_EQ(Windows(ListHwnd(0)), hotChildren);
  EXPECT_EQ(Windows(ListHwnd(1)), logChildren);
  EXPECT_EQ(Counts(), before);

  // A thousand go with their windows when the workspace is cleared.
  Command(IDM_NEW_WORKSPACE);
  const auto empty = Counts();
  Workspace& ws = frame->workspace();
  CGenWindow& tasks = *AddListWindow(ws, static_cast<std::uint32_t>(ListType::Task), u"T")->window;
  CGenWindow& logged = *AddListWindow(ws, static_cast<std::uint32_t>(ListType::Log), u"L")->window;
  for (int i = 0; i < 500; ++i) {
    AppendTaskItem(tasks);
    AppendTaskItem(logged);
  }
  ASSERT_EQ(Windows().size(), empty[2] + 1500);
  ClearWorkspace(ws);
  EXPECT_EQ(GetWindow(frame->MdiClient(), GW_CHILD), nullptr);
  EXPECT_EQ(Counts(), empty);
}

POINT Centre(HWND window, RECT rect = {}) {
  if (IsRectEmpty(&rect)) GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Press on the row's name, move the cursor there and let go, as the mouse would.
void Drag(const TaskItem& item, POINT to) {
  const HWND button = Row(item).mainButton();
  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ASSERT_EQ(GetCapture(), button);
  ASSERT_TRUE(SetCursorPos(to.x, to.y));
  POINT at{};
  const DWORD deadline = GetTickCount() + 2000;
  while (GetCursorPos(&at) && (at.x != to.x || at.y != to.y) && GetTickCount() < deadline) Sleep(1);
  ASSERT_TRUE(at.x == to.x && at.y == to.y) << "the cursor stays at " << at.x << "," << at.y;
  ScreenToClient(button, &at);
  SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  EXPECT_EQ(GetCapture(), nullptr);
  PumpMessages();
}

std::vector<const TaskItem*> Items(const CGenWindow& list) {
  std::vector<const TaskItem*> items;
  for (const auto& item : list.tasks) items.push_back(item.get());
  return items;
}

TEST_F(TaskRows, DragOntoACaptionOrEmptyPaneMovesTheTaskToTheEnd) {
  TaskItem& a = Add(Hot(), u"a");
  TaskItem& b = Add(Hot(), u"b");
  for (int i = 0; i < 9; ++i) Add(Log(), u"logged");
  const ListWindow& log = Win32View(Log());
  ASSERT_TRUE(IsWindowVisible(log.scrollBar()));
  const std::vector<const TaskItem*> logged = Items(Log());
  RECT sort{};
  SendMessageW(log.toolbar(), TB_GETRECT, IDT_SORT_ASCENT, reinterpret_cast<LPARAM>(&sort));
  MapWindowPoints(log.toolbar(), nullptr, reinterpret_cast<POINT*>(&sort), 2);
  for (const POINT point : {Centre(log.toolbar(), sort), Centre(log.scrollBar()),
                            Centre(Row(*Log().tasks[0]).mainButton())}) {
    Drag(a, point);
    EXPECT_EQ(Items(Hot()), (std::vector<const TaskItem*>{&a, &b})) << point.x << "," << point.y;
    EXPECT_EQ(Items(Log()), logged);
  }

  // Just above the bottom of the pane, below every row.
  RECT hotPane{};
  GetWindowRect(Pane(Hot()), &hotPane);
  const POINT empty{Centre(Pane(Hot())).x, hotPane.bottom - 3};
  Drag(a, empty);
  EXPECT_EQ(Items(Hot()), (std::vector<const TaskItem*>{&b, &a}));
  EXPECT_EQ(InParent(Row(a).checkButton()), (Box{0, kRow, kRow, 2 * kRow}));

  RECT window{};
  GetWindowRect(log.hwnd(), &window);
  const POINT caption{Centre(log.hwnd()).x, window.top + GetSystemMetrics(SM_CYFRAME) +
                                                GetSystemMetrics(SM_CYCAPTION) / 2};
  ASSERT_EQ(SendMessageW(log.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(caption.x, caption.y)), HTCAPTION);
  Drag(a, caption);
  EXPECT_EQ(Items(Hot()), (std::vector<const TaskItem*>{&b}));
  EXPECT_EQ(Log().tasks.back().get(), &a);
  EXPECT_EQ(Row(a).checkButton(), nullptr);
  EXPECT_EQ(GetParent(Row(a).mainButton()), Pane(Log()));

  Drag(a, empty);
  EXPECT_EQ(Items(Hot()), (std::vector<const TaskItem*>{&b, &a}));
  EXPECT_EQ(Items(Log()), logged);
  ASSERT_NE(Row(a).checkButton(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Row(a).checkButton()));
  EXPECT_EQ(InParent(Row(a).checkButton()), (Box{0, kRow, kRow, 2 * kRow}));
}

}  // namespace
}  // namespace qv::test
