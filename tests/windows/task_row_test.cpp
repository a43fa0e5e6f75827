// Task rows inside the real frame: the check mark's tint on screen and its blink, the tooltips,
// what rows leave behind, and drag and drop with the real mouse capture and cursor.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "tests/shell/shell_test_support.h"
#include "windows/row_text.h"

namespace qv::test {
namespace {

constexpr SYSTEMTIME kNow{2026, 12, 1, 7, 12, 0, 0, 0};
constexpr SYSTEMTIME kHourAgo{2026, 12, 1, 7, 11, 0, 0, 0};
constexpr SYSTEMTIME kInTenDays{2026, 12, 4, 17, 15, 4, 5, 0};
constexpr int kRow = 30;
using Names = std::vector<std::u16string>;

// As the pane's one tooltip asks for a button's text.
std::u16string AskTooltip(HWND button) {
  const HWND pane = GetParent(button);
  NMTTDISPINFOW info{};
  info.hdr = {ListWindow::FromWindow(GetParent(pane))->tooltip(),
              reinterpret_cast<UINT_PTR>(button), static_cast<UINT>(TTN_GETDISPINFOW)};
  SendMessageW(pane, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  return win32::FromWide(info.lpszText);
}

// Compared with an ordinary button showing the same icon beside the rows, the check mark's
// pure-red pixels inside the two outer rings are red (unchanged), yellow (green raised to red)
// or green (red moved to green); all others are the same. These levels need no rounding.
enum class Tint { Red, Yellow, Green };
void ExpectTinted(HWND check, HICON icon, Tint tint, bool repaint = true) {
  const SIZE size = ClientSize(check);
  win32::WindowHandle plain(CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_ICON, 100,
                                            120, size.cx, size.cy, GetParent(check), nullptr,
                                            Instance(), nullptr));
  SendMessageW(plain.get(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  std::vector<COLORREF> expected = OnScreen(plain.get());
  int red = 0;
  for (int i = 0; i < size.cx * size.cy; ++i) {
    const int x = i % size.cx, y = i / size.cx;
    const BYTE r = GetRValue(expected[i]);
    if (x >= 2 && y >= 2 && x < size.cx - 2 && y < size.cy - 2 && r && !(expected[i] & 0xFFFF00)) {
      ++red;
      expected[i] = RGB(tint == Tint::Green ? 0 : r, tint == Tint::Red ? 0 : r, 0);
    }
  }
  EXPECT_GT(red, 50) << "the check mark's red is not on the button";
  if (repaint) RedrawWindow(check, nullptr, nullptr, RDW_INVALIDATE);
  EXPECT_EQ(OnScreen(check), expected);
}

class TaskRows : public StartedFrame {
 protected:
  // The default workspace's three lists side by side.
  void SetUp() override {
    StartOnDefault();
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

  ScopedTestClock clock{kNow};
};

// The tooltips come from one buffer: a long text is cut, and a shorter one after it carries
// none of its tail.
TEST_F(TaskRows, CheckMarkIsTintedByTimeLeftBlinksWhenOverdueAndTooltipsShowTheTask) {
  TaskItem& distant = AddTask(Hot(), std::u16string(5000, u'n'), 3, kInTenDays);
  TaskItem& due = AddTask(Hot(), u"due", 0, kNow);
  frame->RefreshTaskWindows();
  ExpectTinted(Row(distant).checkButton(), frame->CheckIcon(), Tint::Green);
  ExpectTinted(Row(due).checkButton(), frame->CheckIcon(), Tint::Red);
  EXPECT_EQ(AskTooltip(Row(distant).mainButton()).size(), kTooltipBufferChars - 1);
  EXPECT_EQ(AskTooltip(Row(distant).checkButton()),
            u"Time to deadline:\nDays: 10\nHours: 3\nMins: 4\nSecs: 5");
  distant.task.name = u"Write report";
  EXPECT_EQ(AskTooltip(Row(distant).mainButton()),
            u"Task name: Write report\nPriority: 3\nDifficult: 0\nCreated:  00:00:00, 00.00.0000\n"
            u"Deadline: 15:04:05, 17.12.2026\n");

  due.task.deadline = kHourAgo;
  frame->RefreshTaskWindows();
  EXPECT_TRUE(frame->pulseRunning());
  MSG msg{};
  for (int i = 0; i < 200 && !PeekMessageW(&msg, Pane(Hot()), WM_TIMER, WM_TIMER, PM_REMOVE); ++i)
    Sleep(10);
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(IDT_BLINK));
  due.task.deadline = kInTenDays;
  frame->RefreshTaskWindows();
  EXPECT_FALSE(KillTimer(Pane(Hot()), IDT_BLINK)) << "the timer still runs";

  // With the pulse worker stopped, a tick draws the check mark at the new level without a
  // paint of the button.
  ASSERT_FALSE(frame->pulseRunning());
  due.task.deadline = kHourAgo;
  Win32View(Hot()).RefreshTasks();
  const std::int32_t pulse = OverduePulse.exchange(255);
  ExpectTinted(Row(due).checkButton(), frame->CheckIcon(), Tint::Yellow);
  OverduePulse.store(0);
  SendMessageW(Pane(Hot()), WM_TIMER, IDT_BLINK, 0);
  ExpectTinted(Row(due).checkButton(), frame->CheckIcon(), Tint::Red, false);
  OverduePulse.store(pulse);
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  return ++*reinterpret_cast<int*>(count) > 0;
}

// Rows exist only in view: however many tasks a list has, wherever it is scrolled, a list
// holds a screenful of rows, each button a tool of its one tooltip; hidden, none; and nothing
// is left once the workspace is cleared.
TEST_F(TaskRows, WindowsAndGdiObjectsStayBoundedFromNoTaskToTwentyThousand) {
  Command(IDM_NEW_WORKSPACE);
  const auto counts = [&] {
    int topLevel = 0, children = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&topLevel));
    EnumChildWindows(frame->hwnd(), CountWindow, reinterpret_cast<LPARAM>(&children));
    return std::array{win32::LiveCount(win32::LiveKind::Window),
                      win32::LiveCount(win32::LiveKind::Gdi), topLevel, children};
  };
  const auto empty = counts();
  Workspace& ws = frame->workspace();
  std::array lists{
      AddListWindow(ws, static_cast<std::uint32_t>(ListType::Task), u"T")->window.get(),
      AddListWindow(ws, static_cast<std::uint32_t>(ListType::Log), u"L")->window.get()};
  for (CGenWindow* list : lists) list->view().Show(true);
  const auto bare = counts();
  auto most = bare;
  const auto note = [&] {
    const auto now = counts();
    for (std::size_t i = 0; i < now.size(); ++i) most[i] = std::max(most[i], now[i]);
  };
  for (int grown : {1, 100, 19'899}) {
    for (CGenWindow* list : lists) AppendNumbered(*list, grown, u"");
    note();
  }
  for (CGenWindow* list : lists) {
    for (int position = 0; position < 600'000; position += 9'973) {
      ScrollTo(*list, position);
      note();
    }
    const auto tools = SendMessageW(Win32View(*list).tooltip(), TTM_GETTOOLCOUNT, 0, 0);
    EXPECT_EQ(tools,
              static_cast<LRESULT>((list->IsLog() ? 1 : 2) * Win32View(*list).Rows().size()));
  }
  // A task row is three windows, a log row two; a pane of 300 pixels meets 12 rows at most.
  EXPECT_LE(most[0] - bare[0], 12 * (3 + 2));
  EXPECT_EQ(std::tuple(most[1], most[2]), std::tuple(bare[1], bare[2])) << "GDI, top-level";
  for (int away : {SW_HIDE, SW_MINIMIZE}) {
    ShowWindow(Win32View(*lists[0]).hwnd(), away);
    EXPECT_TRUE(Win32View(*lists[0]).Rows().empty()) << away;
    ShowWindow(Win32View(*lists[0]).hwnd(), SW_SHOWNORMAL);
    ExpectRowsInView(*lists[0]);
  }
  ClearWorkspace(ws);
  EXPECT_EQ(counts(), empty);
}

// Press on the row's name, move the cursor over this point of a window and let go, as the
// mouse would.
void Drag(const TaskItem& item, HWND over, POINT to) {
  const HWND button = Row(item).mainButton();
  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ClientToScreen(over, &to);
  SetCursorPos(to.x, to.y);
  POINT at{};
  for (int i = 0; i < 2000 && GetCursorPos(&at) && (at.x != to.x || at.y != to.y); ++i) Sleep(1);
  ASSERT_TRUE(at.x == to.x && at.y == to.y) << "the cursor stays at " << at.x << "," << at.y;
  SendMessageW(button, WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

// In a log window the task's row has no check mark; back in a task window it has, beside the
// name, blinking.
TEST_F(TaskRows, DragOntoACaptionOrEmptyPaneMovesTheTaskThereWithOrWithoutItsCheckMark) {
  TaskItem& a = AddTask(Hot(), u"a", 0, kHourAgo);
  AddTask(Hot(), u"b");
  Drag(a, Row(AddTask(Log(), u"logged")).mainButton(), {5, 5});
  EXPECT_EQ(Shown(Hot()), (Names{u"a", u"b"})) << "a drop on another row moved the task";

  Drag(a, ListHwnd(1), {100, -5});  // the caption
  EXPECT_EQ(Shown(Log()), (Names{u"logged", u"a"}));
  EXPECT_EQ(std::pair(Row(a).checkButton(), Row(a).blinking()), std::pair(HWND{}, false));

  Drag(a, Pane(Hot()), {100, ClientSize(Pane(Hot())).cy - 3});
  EXPECT_EQ(Shown(Hot()), (Names{u"b", u"a"}));
  ASSERT_TRUE(Row(a).checkButton() && IsWindowVisible(Row(a).checkButton()) && Row(a).blinking());
  const RECT check = InParent(Row(a).checkButton()), name = InParent(Row(a).mainButton());
  EXPECT_EQ(std::tuple(check.left, check.top, check.right, check.bottom, name.left),
            std::tuple(0L, kRow, kRow, 2L * kRow, kRow));
}

// Long lists scrolled into their middle: solving the task in the last row in view, deleting
// the last task of a log scrolled to its end and dragging between the two leave each list's
// rows where its scroll position puts them.
TEST_F(TaskRows, LongListsKeepTheirRowsInViewThroughSolvingDeletingAndDragging) {
  AppendNumbered(Hot(), 3000, u"Hot ");
  AppendNumbered(Log(), 3000, u"Log ");
  ScrollTo(Hot(), 40'015);
  SendMessageW(Win32View(Hot()).Rows().back()->checkButton(), BM_CLICK, 0, 0);
  ExpectRowsInView(Hot());
  EXPECT_EQ(Log().tasks.back()->task.state, static_cast<std::uint32_t>(TaskState::Solved));

  ScrollTo(Log(), 1'000'000);
  const std::size_t logged = Log().tasks.size();
  SendMessageW(Win32View(Log()).Rows().back()->crossButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(Log().tasks.size(), logged - 1);
  ExpectRowsInView(Log());

  const TaskItem& moved = Win32View(Hot()).Rows()[2]->item();
  Drag(moved, ListHwnd(1), {100, -5});
  EXPECT_EQ(Log().tasks.back().get(), &moved);
  ExpectRowsInView(Hot());
  ExpectRowsInView(Log());
}

}  // namespace
}  // namespace qv::test
