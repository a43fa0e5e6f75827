// List windows inside the real frame, for what the windows add to the model: scrolling, the
// toolbar and its sort popup, row buttons, reports, and rows the system refuses to make.
#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/shell/shell_test_support.h"

namespace qv::test {
namespace {

using Names = std::vector<std::u16string>;

class ListWindows : public StartedFrame {
 protected:
  void SetUp() override {
    StartOnDefault();
    for (std::size_t i = 0; i < 3; ++i) Command(static_cast<WORD>(ListCommand(i)));
  }
  CGenWindow& Hot() const { return List(0); }
  CGenWindow& MyLogger() const { return List(1); }
  static HWND Toolbar(const CGenWindow& list) { return Win32View(list).toolbar(); }
  static bool Checked(const CGenWindow& list, int button) {
    return SendMessageW(Toolbar(list), TB_ISBUTTONCHECKED, button, 0) != 0;
  }

  ScopedTestClock clock{{2026, 12, 1, 7, 12, 0, 0, 0}};
};

// Drags the bar's thumb by a share of its track with the mouse, as the control tracks it: the
// move and the release wait in the queue for its tracking loop.
void DragThumb(HWND bar, double share) {
  SCROLLBARINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetScrollBarInfo(bar, OBJID_CLIENT, &info));
  const int x = ClientSize(bar).cx / 2;
  const int grab = (info.xyThumbTop + info.xyThumbBottom) / 2;
  const int track =
      ClientSize(bar).cy - 2 * info.dxyLineButton - (info.xyThumbBottom - info.xyThumbTop);
  const int to = grab + static_cast<int>(track * share);
  PostMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, to));
  PostMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(x, to));
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, grab));
}

TEST_F(ListWindows, RowsInViewFollowTheWheelLinesPagesAndTheThumbAtAnyLength) {
  const ListWindow& view = Win32View(Hot());
  const auto setPaneHeight = [&](int height) {
    RECT rect{0, 0, 300, ClientSize(view.toolbar()).cy + height};
    AdjustWindowRectEx(&rect, GetWindowLongW(view.hwnd(), GWL_STYLE), FALSE,
                       GetWindowLongW(view.hwnd(), GWL_EXSTYLE));
    SetWindowPos(view.hwnd(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER);
  };
  const auto send = [&](UINT msg, WPARAM wParam) {
    SendMessageW(view.hwnd(), msg, wParam, reinterpret_cast<LPARAM>(view.scrollBar()));
  };
  const auto firstTop = [&] { return InParent(Row(*Hot().tasks[0]).mainButton()).top; };
  setPaneHeight(240);
  for (int i = 0; i < 8; ++i) AddTask(Hot(), u"Task");
  EXPECT_FALSE(IsWindowVisible(view.scrollBar())) << "eight rows just fit in 240 pixels";

  const TaskItem& ninth = AddTask(Hot(), u"Task");
  ASSERT_TRUE(IsWindowVisible(view.scrollBar()));
  EXPECT_EQ(ClientSize(view.pane()).cx, ClientSize(view.hwnd()).cx - 15) << "rows under the bar";
  // A notch moves 20 pixels and stops at the end, where the last row ends one pixel above the
  // pane's edge; a page is a row, a line one pixel.
  send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA));
  EXPECT_EQ(firstTop(), -20);
  send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA));
  EXPECT_EQ(InParent(Row(ninth).mainButton()).bottom, 239);
  send(WM_VSCROLL, SB_PAGEUP);
  EXPECT_EQ(firstTop(), -1);
  send(WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(firstTop(), 0);

  // Taller again, the rows fit: the hidden bar keeps no range, so the wheel moves nothing.
  send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA));
  setPaneHeight(400);
  EXPECT_FALSE(IsWindowVisible(view.scrollBar()));
  send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA));
  EXPECT_EQ(firstTop(), 0);

  // 150,000 pixels of rows: the thumb dragged three quarters down passes the 16 bits a scroll
  // message carries.
  AppendNumbered(Hot(), 5000, u"Row ");
  for (const auto& [msg, wParam] : {std::pair<UINT, WPARAM>(WM_VSCROLL, SB_LINEDOWN),
                                    {WM_VSCROLL, SB_PAGEDOWN},
                                    {WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA)}}) {
    send(msg, wParam);
    ExpectRowsInView(Hot());
  }
  DragThumb(view.scrollBar(), 0.75);
  EXPECT_GT(GetScrollPos(view.scrollBar(), SB_CTL), 100'000);
  ExpectRowsInView(Hot());
}

// A log window offers no "New Task"; a picture missing beside the program leaves the others.
TEST_F(ListWindows, OnlyTaskWindowsOfferNewTaskAndAMissingPictureLeavesTheOthers) {
  const auto images = [](const CGenWindow& list) {
    return ImageList_GetImageCount(
        reinterpret_cast<HIMAGELIST>(SendMessageW(Toolbar(list), TB_GETIMAGELIST, 0, 0)));
  };
  EXPECT_EQ(SendMessageW(Toolbar(MyLogger()), TB_COMMANDTOINDEX, IDT_NEW_TASK, 0), -1);
  EXPECT_EQ(SendMessageW(Toolbar(Hot()), TB_COMMANDTOINDEX, IDT_NEW_TASK, 0), 0);
  EXPECT_EQ(images(Hot()), SendMessageW(Toolbar(Hot()), TB_BUTTONCOUNT, 0, 0));

  const std::filesystem::path icon = NativePath(ProgramFolder() + u"\\Icons\\New_task.png");
  std::filesystem::rename(icon, icon.string() + ".away");
  ListEntry* extra = AddListWindow(frame->workspace(), 1, u"Extra");
  std::filesystem::rename(icon.string() + ".away", icon);
  EXPECT_EQ(images(*extra->window), images(Hot()) - 1);
}

TEST_F(ListWindows, SortButtonsExcludeEachOtherTheirPopupChoosesAndTheNextStartShowsThem) {
  AddTask(Hot(), u"High", 90);
  AddTask(Hot(), u"Low", 10);
  for (int id : {IDT_SORT_ASCENT, IDT_SORT_DESCENT}) {
    SendMessageW(Toolbar(Hot()), TB_CHECKBUTTON, id, TRUE);
    SendMessageW(ListHwnd(0), WM_COMMAND, id, reinterpret_cast<LPARAM>(Toolbar(Hot())));
  }
  EXPECT_FALSE(Checked(Hot(), IDT_SORT_ASCENT)) << "both sort buttons checked";

  // The popup under a sort button: "Priority" chosen there with the keys sorts the rows, and
  // "Solved Time" is offered in log windows only.
  const auto popup = [&](std::size_t list, const std::vector<WPARAM>& keys) {
    NMTOOLBARW drop{};
    drop.hdr = {Toolbar(List(list)), 0, static_cast<UINT>(TBN_DROPDOWN)};
    drop.iItem = IDT_SORT_ASCENT;
    const auto data = reinterpret_cast<LPARAM>(&drop);
    return ReadPopupMenu([&] { SendMessageW(ListHwnd(list), WM_NOTIFY, 0, data); }, keys);
  };
  PopupMenuSeen tasks = popup(0, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  PumpMessages();
  ASSERT_EQ(tasks.items.size(), 4u);
  EXPECT_EQ(Shown(Hot()), (Names{u"Low", u"High"}));
  MyLogger().sortType = 2;
  const PopupMenuSeen logs = popup(1, {VK_ESCAPE});
  tasks.items.insert(tasks.items.begin() + 2, L"Solved Time");
  EXPECT_EQ(logs.items, tasks.items);
  EXPECT_EQ(logs.checkedId, static_cast<UINT>(IDM_SORT_SOLVED_TIME));

  Command(IDM_EXIT);
  TearDown();
  Start();
  EXPECT_TRUE(Checked(Hot(), IDT_SORT_DESCENT) && !Checked(Hot(), IDT_SORT_ASCENT));
}

TEST_F(ListWindows, CheckMarkAndCrossCloseTasksWithOneMessageForAMissingLog) {
  SendMessageW(Row(AddTask(Hot(), u"Solved")).checkButton(), BM_CLICK, 0, 0);
  List(2).view().SetTitle(u"Renamed");
  DialogAnswerer errors(L"Error", Press(IDOK), true);
  SendMessageW(Row(AddTask(Hot(), u"Cancelled")).crossButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(errors.answers(), 1);
  EXPECT_EQ(Shown(MyLogger()), (Names{u"Solved", u"Cancelled"}));
  EXPECT_EQ(MyLogger().tasks[1]->task.state, static_cast<std::uint32_t>(TaskState::Cancelled));
}

// Their tasks are kept and saved, and the list's report is still written.
TEST_F(ListWindows, RowsTheSystemRefusesKeepTheirTasksWithOneMessagePerWindow) {
  {
    DialogAnswerer errors(L"Error", Press(IDOK), true);
    ScopedRowControlLimit limit(7);  // one task row (five controls) and part of another
    for (int i = 0; i < 3; ++i) AddTask(Hot(), u"Kept");
    AddTask(MyLogger(), u"Kept");
    EXPECT_EQ(errors.answers(), 2);
  }
  AddTask(Hot(), u"Kept");
  EXPECT_EQ(Shown(Hot()).size(), 4u) << "rows come back when the system allows";
  for (const auto& [id, name] : {std::pair(IDT_REPORT_HTML, u"\\Hot Tasks.html"),
                                 std::pair(IDT_REPORT_PDF, u"\\Hot Tasks.pdf")}) {
    SendMessageW(ListHwnd(0), WM_COMMAND, id, 0);
    EXPECT_TRUE(std::filesystem::exists(NativePath(Paths().userDataFolder + name))) << id;
  }
  Command(IDM_EXIT);
  const Reloaded saved(WorkspaceFile());
  EXPECT_EQ(std::pair(saved.Names(0).size(), saved.Names(1).size()),
            std::pair(std::size_t{4}, std::size_t{1}));
}

}  // namespace
}  // namespace qv::test
