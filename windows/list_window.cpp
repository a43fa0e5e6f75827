#include "windows/list_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "image/bitmap_win.h"
#include "platform/files.h"
#include "reports/pdf_report.h"
#include "reports/text_reports.h"
#include "resources/resource.h"
#include "windows/task_editor.h"
#include "windows/task_row.h"
#include "windows/win32/command_table.h"
#include "windows/win32/convert.h"

namespace qv {
namespace {

// The style the MDI child is asked for; the client adds the usual child-window styles.
constexpr DWORD kListWindowStyle = 1;
constexpr int kRowHeight = 30;
// An overdue check mark's blink; timers clamp it to 10 ms.
constexpr UINT kBlinkMs = 2;
constexpr int kScrollBarWidth = 15;
constexpr int kWheelStep = 20;
constexpr int kToolbarWidth = 550;
constexpr int kToolbarHeight = 48;
constexpr int kToolbarImageSize = 48;
constexpr int kToolbarBitmapSize = 32;
constexpr UINT_PTR kPaneSubclassId = 1;
constexpr int kNewTaskEditorSize = 500;

// The record a new task is edited in; only one editor is open at a time.
TaskInfo NewTaskScratch = TaskInfo::Zero();

constexpr wchar_t kRowFailureMessage[] =
    L"Some tasks of this list cannot be shown: the system refused to make more windows.\n"
    L"They are kept, and saved with the workspace.";

struct ToolbarButton {
  int command;
  bool taskWindowsOnly;
  BYTE style;
  const wchar_t* tooltip;
};
constexpr BYTE kSortStyle = BTNS_CHECK | BTNS_DROPDOWN;
constexpr ToolbarButton kToolbarButtons[] = {
    {IDT_NEW_TASK, true, BTNS_BUTTON, L"New Task"},
    {IDT_SORT_ASCENT, false, kSortStyle, L"Sort Ascent"},
    {IDT_SORT_DESCENT, false, kSortStyle, L"Sort Descent"},
    {IDT_REPORT_PDF, false, BTNS_BUTTON, nullptr},
    {IDT_REPORT_HTML, false, BTNS_BUTTON, nullptr},
    {IDT_REPORT_TEXT, false, BTNS_BUTTON, nullptr},
};
// The toolbar's images in the order of its buttons: files beside the program, then bitmaps.
constexpr const char16_t* kNewTaskImage = u"\\Icons\\New_task.png";
constexpr const char16_t* kSortImages[] = {u"\\Icons\\view_sort_ascending.png",
                                           u"\\Icons\\view_sort_descending.png"};
constexpr int kReportBitmaps[] = {IDB_PDF, IDB_HTML, IDB_TEXT};

SCROLLINFO ScrollInfo(HWND scrollBar) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(scrollBar, SB_CTL, &info);
  return info;
}

void SetScrollPosition(HWND scrollBar, int position) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(scrollBar, SB_CTL, &info, TRUE);
}

int ClientHeight(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect.bottom;
}

bool ButtonChecked(HWND toolbar, int button) {
  return (SendMessageW(toolbar, TB_GETSTATE, button, 0) & TBSTATE_CHECKED) != 0;
}

void Uncheck(HWND toolbar, int button) {
  const auto state = static_cast<WORD>(SendMessageW(toolbar, TB_GETSTATE, button, 0));
  SendMessageW(toolbar, TB_SETSTATE, button, MAKELONG(state & ~TBSTATE_CHECKED, 0));
}

RECT WindowRectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

}  // namespace

bool ListWindow::RegisterClassFor(HINSTANCE instance, bool log) {
  WNDCLASSEXW wc{};
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(log ? IDI_LOG : IDI_APP));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = log ? kLogWindowClass : kTaskWindowClass;
  return RegisterWindowClass(wc);
}

ListWindow::ListWindow(ListWindowHost& host, CGenWindow& list) : host_(host), list_(list) {}

// The rows take their tools out of the tooltip before it goes.
ListWindow::~ListWindow() {
  rows_.clear();
  tooltip_.reset();
  Destroy();
}

bool ListWindow::Create(const std::u16string& title, const WindowRect& rect) {
  if (Exists() || !RegisterClassFor(host_.Instance(), list_.IsLog())) return false;
  if (!CreateMdiChild(host_.MdiClient(), list_.IsLog() ? kLogWindowClass : kTaskWindowClass,
                      win32::Wide(title), kListWindowStyle, rect.x, rect.y, rect.width, rect.height,
                      host_.Instance())) {
    return false;
  }
  CreateToolbar();
  scrollBar_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | SBS_VERT, 0, 0, kScrollBarWidth,
                               0, hwnd(), nullptr, host_.Instance(), nullptr);
  // Clipping its rows keeps the pane's own paint from covering them.
  pane_ = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                          0, hwnd(), nullptr, host_.Instance(), nullptr);
  SetWindowSubclass(pane_, PaneProc, kPaneSubclassId, reinterpret_cast<DWORD_PTR>(this));
  tooltip_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, pane_,
                                 nullptr, host_.Instance(), nullptr));
  shown_ = (GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
  RecordRestoreRect();
  return true;
}

// A picture that cannot be loaded adds no image, so the following buttons show the images
// after theirs, as they always have.
bool ListWindow::CreateToolbar() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  toolbar_ = CreateWindowExW(
      WS_EX_TOOLWINDOW, TOOLBARCLASSNAMEW, nullptr,
      WS_CHILD | TBSTYLE_TRANSPARENT | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER, 0, 0,
      kToolbarWidth, kToolbarHeight, hwnd(), nullptr, host_.Instance(), nullptr);
  if (!toolbar_) return false;
  SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELONG(kToolbarBitmapSize, kToolbarBitmapSize));
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

  images_.reset(ImageList_Create(kToolbarImageSize, kToolbarImageSize, ILC_COLOR32, 0, 1));
  std::vector<std::u16string> files;
  if (!list_.IsLog()) files.push_back(kNewTaskImage);
  files.insert(files.end(), std::begin(kSortImages), std::end(kSortImages));
  for (const std::u16string& file : files) {
    win32::BitmapHandle picture(LoadPngBitmap(ProgramFolder() + file));
    if (picture) ImageList_Add(images_.get(), picture.get(), nullptr);
  }
  for (int id : kReportBitmaps) {
    win32::BitmapHandle picture(
        static_cast<HBITMAP>(LoadImageW(host_.Instance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP,
                                        kToolbarImageSize, kToolbarImageSize, 0)));
    if (picture) ImageList_Add(images_.get(), picture.get(), nullptr);
  }
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));

  std::vector<TBBUTTON> buttons;
  for (const ToolbarButton& button : kToolbarButtons) {
    if (button.taskWindowsOnly && list_.IsLog()) continue;
    TBBUTTON tb{};
    tb.iBitmap = static_cast<int>(buttons.size());
    tb.idCommand = button.command;
    tb.fsState = TBSTATE_ENABLED;
    tb.fsStyle = button.style;
    buttons.push_back(tb);
  }
  SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  CheckSortButtons();
  ShowWindow(toolbar_, SW_SHOW);
  return true;
}

// The loaded settings: a list is made after its settings are read.
void ListWindow::CheckSortButtons() {
  SendMessageW(toolbar_, TB_CHECKBUTTON, IDT_SORT_DESCENT, list_.sortDescent == 1);
  SendMessageW(toolbar_, TB_CHECKBUTTON, IDT_SORT_ASCENT, list_.sortAscent == 1);
}

std::u16string ListWindow::Title() const {
  return Exists() ? ReadTitleWithLimit(win32::WindowText(hwnd())) : std::u16string();
}

void ListWindow::SetTitle(const std::u16string& title) {
  win32::SetText(hwnd(), title);
}

WindowRect ListWindow::Rect() const {
  const RECT window = WindowRectOf(hwnd());
  const RECT client = WindowRectOf(host_.MdiClient());
  return {window.left - client.left, window.top - client.top, window.right - window.left,
          window.bottom - window.top};
}

void ListWindow::Show(bool show) {
  ShowWindow(hwnd(), show ? SW_SHOW : SW_HIDE);
}

void ListWindow::TasksChanged() {
  LayoutTasks();
  RefreshTasks();
}

void ListWindow::LayoutTasks() {
  if (!pane_) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int width = client.right;
  const int height = client.bottom;
  const int toolbar = ClientHeight(toolbar_);
  const int content = kRowHeight * static_cast<int>(list_.tasks.size()) + toolbar;
  if (content > height) {
    RECT bar{};
    GetClientRect(scrollBar_, &bar);
    const int barWidth = bar.right;
    SetWindowPos(scrollBar_, nullptr, width - barWidth, toolbar, barWidth, height - toolbar,
                 SWP_NOZORDER | SWP_NOREDRAW);
    SetWindowPos(pane_, nullptr, 0, toolbar, width - barWidth, height - toolbar, SWP_NOZORDER);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    GetScrollInfo(scrollBar_, SB_CTL, &info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = content - height + kRowHeight;
    info.nPage = kRowHeight;
    info.nPos = std::min(info.nPos, info.nMax);
    SetScrollInfo(scrollBar_, SB_CTL, &info, TRUE);
    ShowWindow(scrollBar_, SW_SHOW);
  } else {
    // The hidden bar keeps no range or position, so the wheel cannot shift rows that fit.
    ShowWindow(scrollBar_, SW_HIDE);
    SetWindowPos(pane_, nullptr, 0, toolbar, width, height - toolbar, SWP_NOZORDER);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    SetScrollInfo(scrollBar_, SB_CTL, &info, FALSE);
  }
  PositionTasks();
}

int ListWindow::ScrollPosition() const {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_POS;
  GetScrollInfo(scrollBar_, SB_CTL, &info);
  return info.nPos;
}

bool ListWindow::ShowsRows() const {
  return pane_ && shown_ && !IsIconic(hwnd());
}

TaskRowWindow& ListWindow::RowAt(std::size_t index) const {
  return *rows_[index % rows_.size()];
}

std::vector<TaskRowWindow*> ListWindow::Rows() const {
  std::vector<TaskRowWindow*> rows;
  for (std::size_t k = firstRow_; k < firstRow_ + rows_.size(); ++k) rows.push_back(&RowAt(k));
  return rows;
}

// As many rows as can meet the pane at any scroll position, so that scrolling only moves them
// and points the one that leaves at the task that comes into view. A row the system refuses to
// make leaves its task without controls: the task stays in the list, is saved and reported,
// and the window says so once.
void ListWindow::PositionTasks() {
  RECT pane{};
  if (pane_) GetClientRect(pane_, &pane);
  const std::size_t fits =
      static_cast<std::size_t>((pane.bottom + kRowHeight - 1) / kRowHeight) + 1;
  const bool refused = !PlaceRows(ShowsRows() ? std::min(list_.tasks.size(), fits) : 0, pane);
  if (refused) {
    std::erase(rows_, nullptr);
    PlaceRows(rows_.size(), pane);
  }
  if (refused && !rowFailureShown_) {
    rowFailureShown_ = true;
    host_.TheWorkspace().host.ShowError(win32::FromWide(kRowFailureMessage));
  }
}

// A row that is missing is made at its place; false when the system refused one, which leaves
// it missing.
bool ListWindow::PlaceRows(std::size_t count, const RECT& pane) {
  rows_.resize(count);
  const int position = ScrollPosition();
  firstRow_ = std::min(static_cast<std::size_t>(position / kRowHeight), list_.tasks.size() - count);
  for (std::size_t k = firstRow_; k < firstRow_ + count; ++k) {
    const int top = kRowHeight * static_cast<int>(k) - position;
    const RECT place{0, top, pane.right, top + kRowHeight};
    std::unique_ptr<TaskRowWindow>& row = rows_[k % count];
    if (!row && !(row = TaskRowWindow::Create(*this, place))) return false;
    row->Point(*list_.tasks[k]);
    row->Place(place);
  }
  return true;
}

void ListWindow::RefreshTasks() {
  RefreshTasks(LocalNowTicks());
}

void ListWindow::RefreshTasks(std::uint64_t now) {
  bool anyBlinking = false;
  for (TaskRowWindow* row : Rows()) {
    row->UpdateBlink(TimeUntil(row->item().task.deadline, now));
    row->Refresh(now);
    anyBlinking = anyBlinking || row->blinking();
  }
  UpdateBlinkTimer(anyBlinking);
}

void ListWindow::UpdateBlinkTimer(bool anyBlinking) {
  if (anyBlinking && !blinkTimer_) {
    blinkTimer_ = SetTimer(pane_, IDT_BLINK, kBlinkMs, nullptr) != 0;
  } else if (!anyBlinking && blinkTimer_) {
    KillTimer(pane_, IDT_BLINK);
    blinkTimer_ = false;
  }
}

// The check marks that changed go to the screen as one image per run of adjacent rows,
// through one device context of the pane made without clipping the children, so that it
// draws on the check buttons: under Wine each copy and each device context costs far more
// than the tint itself.
void ListWindow::OnBlinkTimer() {
  const std::uint64_t now = LocalNowTicks();
  bool anyBlinking = false;
  HDC dc = nullptr;
  RECT run{};
  const auto flush = [&] {
    if (run.bottom > run.top) {
      if (!dc) dc = GetDCEx(pane_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
      const int width = run.right - run.left;
      const int height = run.bottom - run.top;
      const BITMAPINFO info = TopDownImage(width, height);
      if (dc) {
        SetDIBitsToDevice(dc, run.left, run.top, width, height, 0, 0, 0, height, blinkImage_.data(),
                          &info, DIB_RGB_COLORS);
      }
    }
    run = {};
  };
  for (TaskRowWindow* row : Rows()) {
    if (!row->blinking()) continue;
    anyBlinking = true;
    if (!row->NeedsBlink(now)) {
      flush();
      continue;
    }
    const RECT& place = row->checkRect();
    const bool continues = run.bottom > run.top && place.top == run.bottom &&
                           place.left == run.left && place.right == run.right;
    if (!continues) flush();
    if (run.bottom == run.top) run = {place.left, place.top, place.right, place.top};
    const std::size_t offset =
        static_cast<std::size_t>(run.right - run.left) * (run.bottom - run.top);
    blinkImage_.resize(offset + static_cast<std::size_t>(place.right - place.left) *
                                    (place.bottom - place.top));
    if (row->TintBlink(blinkImage_.data() + offset, now)) {
      run.bottom = place.bottom;
    } else {
      blinkImage_.resize(offset);
      flush();
    }
  }
  flush();
  if (dc) ReleaseDC(pane_, dc);
  // Rows pointed at other tasks may have stopped blinking.
  if (!anyBlinking) UpdateBlinkTimer(false);
}

void ListWindow::RecordRestoreRect() {
  const WindowRect rect = Rect();
  restoreRect_ = {static_cast<double>(rect.x), static_cast<double>(rect.y),
                  static_cast<double>(rect.width), static_cast<double>(rect.height)};
}

void ListWindow::ScaleRestoreRect(double sx, double sy) {
  restoreRect_.x *= sx;
  restoreRect_.width *= sx;
  restoreRect_.y *= sy;
  restoreRect_.height *= sy;
  if (minimized_ || maximized_) return;
  SetWindowPos(hwnd(), nullptr, static_cast<int>(std::floor(restoreRect_.x)),
               static_cast<int>(std::floor(restoreRect_.y)),
               static_cast<int>(std::ceil(restoreRect_.width)),
               static_cast<int>(std::ceil(restoreRect_.height)),
               SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}

LRESULT ListWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: return OnSize(msg, wParam, lParam);
    case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(msg, wParam, lParam);
    case WM_SIZING: return OnSizingOrMoving(msg, wParam, lParam);
    case WM_MOVING: return OnSizingOrMoving(msg, wParam, lParam);
    case WM_CLOSE: return OnClose();
    case WM_DESTROY: return 0;
    case WM_MDIACTIVATE: return OnMdiActivate();
    case WM_VSCROLL: return OnVScroll(wParam, lParam);
    case WM_MOUSEWHEEL: return OnMouseWheel(wParam);
    case WM_NOTIFY: return OnNotify(msg, wParam, lParam);
    case WM_COMMAND: return OnCommand(msg, wParam, lParam);
    default: return DefaultHandling(msg, wParam, lParam);
  }
}

LRESULT ListWindow::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefMDIChildProcW(hwnd(), msg, wParam, lParam);
}

// The flags change before the window moves back, so the WM_SIZE of that move finds the
// window restored already.
LRESULT ListWindow::OnSize(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (wParam != SIZE_QV_RELAYOUT) {
    const bool leavingMinOrMax = minimized_ || maximized_;
    minimized_ = wParam == SIZE_MINIMIZED;
    maximized_ = wParam == SIZE_MAXIMIZED;
    if (wParam == SIZE_RESTORED && leavingMinOrMax) {
      SetWindowPos(hwnd(), nullptr, static_cast<int>(restoreRect_.x),
                   static_cast<int>(restoreRect_.y), static_cast<int>(restoreRect_.width),
                   static_cast<int>(restoreRect_.height), SWP_NOZORDER);
    }
  }
  if (!minimized_ && IsWindowVisible(hwnd())) {
    SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
    LayoutTasks();
    SetWindowPos(toolbar_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
    RefreshTasks();
    SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_NOERASE);
  } else if (minimized_) {
    PositionTasks();
  }
  return DefaultHandling(msg, wParam, lParam);
}

// Shown, the window makes the rows in view; hidden, it releases them.
LRESULT ListWindow::OnWindowPosChanged(UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefaultHandling(msg, wParam, lParam);
  const UINT flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
  if (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) {
    shown_ = (flags & SWP_SHOWWINDOW) != 0;
    PositionTasks();
    RefreshTasks();
  }
  return result;
}

LRESULT ListWindow::OnSizingOrMoving(UINT msg, WPARAM wParam, LPARAM lParam) {
  RecordRestoreRect();
  return DefaultHandling(msg, wParam, lParam);
}

LRESULT ListWindow::OnClose() {
  list_.visible = 0;
  ShowWindow(hwnd(), SW_HIDE);
  host_.UncheckTaskWindow(hwnd());
  return 0;
}

LRESULT ListWindow::OnMdiActivate() {
  DrawMenuBar(host_.Frame());
  NewTaskScratch = TaskInfo::Zero();
  return 0;
}

LRESULT ListWindow::OnVScroll(WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(lParam) != scrollBar_)
    return DefaultHandling(WM_VSCROLL, wParam, lParam);
  const SCROLLINFO info = ScrollInfo(scrollBar_);
  int position = info.nPos;
  switch (LOWORD(wParam)) {
    case SB_LINEUP: position -= 1; break;
    case SB_LINEDOWN: position += 1; break;
    case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
    // The message's own position has 16 bits; the control's has 32.
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
  }
  SetScrollPosition(scrollBar_, position);
  PositionTasks();
  RefreshTasks();
  return 0;
}

// Every notch moves 20 pixels, whatever the wheel's delta.
LRESULT ListWindow::OnMouseWheel(WPARAM wParam) {
  const SCROLLINFO info = ScrollInfo(scrollBar_);
  int position = info.nPos;
  if (GET_WHEEL_DELTA_WPARAM(wParam) < 0) {
    if (position == info.nMax) return 1;
    position = position >= info.nMax - kWheelStep ? info.nMax : position + kWheelStep;
  } else {
    if (position == 0) return 1;
    position = position <= kWheelStep ? 0 : position - kWheelStep;
  }
  SetScrollPosition(scrollBar_, position);
  PositionTasks();
  return 1;
}

LRESULT ListWindow::OnNotify(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& header = *reinterpret_cast<NMHDR*>(lParam);
  if (header.code == TBN_DROPDOWN) {
    ShowSortMenu(reinterpret_cast<NMTOOLBARW&>(header).iItem);
    return TBDDRET_DEFAULT;
  }
  if (header.code == TTN_GETDISPINFOW) {
    for (const ToolbarButton& button : kToolbarButtons) {
      if (button.tooltip && header.idFrom == static_cast<UINT_PTR>(button.command)) {
        reinterpret_cast<NMTTDISPINFOW&>(header).lpszText = const_cast<wchar_t*>(button.tooltip);
      }
    }
  }
  return DefaultHandling(msg, wParam, lParam);
}

// Under the sort button: the sort keys, "Solved Time" among them in a log window, the current
// one checked.
void ListWindow::ShowSortMenu(int button) {
  RECT rect{};
  SendMessageW(toolbar_, TB_GETRECT, button, reinterpret_cast<LPARAM>(&rect));
  MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  win32::MenuHandle menu(LoadMenuW(host_.Instance(), MAKEINTRESOURCEW(IDR_SORTMENU)));
  HMENU popup = GetSubMenu(menu.get(), 0);
  if (!popup) return;
  if (list_.IsLog()) {
    InsertMenuW(popup, 2, MF_BYPOSITION | MF_STRING, IDM_SORT_SOLVED_TIME, L"Solved Time");
  }
  for (const SortMenuItem& item : SortMenuItems(list_)) {
    if (item.checked) CheckMenuItem(popup, item.commandId, MF_BYCOMMAND | MF_CHECKED);
  }
  TPMPARAMS exclude{sizeof(exclude), rect};
  TrackPopupMenuEx(popup, TPM_VERTICAL, rect.left, rect.bottom, hwnd(), &exclude);
}

LRESULT ListWindow::OnCommand(UINT msg, WPARAM wParam, LPARAM lParam) {
  static constexpr win32::Command<ListWindow> kCommands[] = {
      {IDT_NEW_TASK, &ListWindow::OnNewTask},         {IDT_SORT_ASCENT, &ListWindow::OnSortAscent},
      {IDT_SORT_DESCENT, &ListWindow::OnSortDescent}, {IDT_REPORT_PDF, &ListWindow::OnPdfReport},
      {IDT_REPORT_TEXT, &ListWindow::OnTextReport},   {IDT_REPORT_HTML, &ListWindow::OnHtmlReport},
  };
  const WORD id = LOWORD(wParam);
  if (win32::RunCommand<ListWindow>(kCommands, id, *this)) return 0;
  if (const auto sortType = SortTypeForCommand(id)) {
    ChooseSortKey(list_, *sortType);
    return 0;
  }
  return DefaultHandling(msg, wParam, lParam);
}

void ListWindow::OnNewTask() {
  NewTaskScratch = TaskInfo::Zero();
  const RECT window = WindowRectOf(hwnd());
  NewTaskScratch.editorRect = {window.left, window.top, kNewTaskEditorSize, kNewTaskEditorSize};
  TaskEditor editor(NewTaskScratch);
  if (editor.Run(host_.Instance(), hwnd()) != IDOK) return;
  AddNewTask(list_, NewTaskScratch);
}

void ListWindow::OnSortAscent() {
  const bool pressed = ButtonChecked(toolbar_, IDT_SORT_ASCENT);
  if (pressed && ButtonChecked(toolbar_, IDT_SORT_DESCENT)) Uncheck(toolbar_, IDT_SORT_DESCENT);
  PressSortAscent(list_, pressed);
}

void ListWindow::OnSortDescent() {
  const bool pressed = ButtonChecked(toolbar_, IDT_SORT_DESCENT);
  if (pressed && ButtonChecked(toolbar_, IDT_SORT_ASCENT)) Uncheck(toolbar_, IDT_SORT_ASCENT);
  PressSortDescent(list_, pressed);
}

void ListWindow::OnPdfReport() {
  ExportPdf(list_, host_.ReportFolder());
}

void ListWindow::OnTextReport() {
  ExportText(list_, host_.ReportFolder());
}

void ListWindow::OnHtmlReport() {
  ExportHtml(list_, host_.ReportFolder());
}

LRESULT CALLBACK ListWindow::PaneProc(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
  auto* window = reinterpret_cast<ListWindow*>(data);
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: return 1;
    case WM_PAINT: return window->OnPanePaint();
    case WM_TIMER: window->OnBlinkTimer(); return 0;
    case WM_COMMAND: return window->OnPaneCommand(wParam, lParam);
    case WM_NOTIFY: return window->OnPaneNotify(wParam, lParam);
    case WM_NCDESTROY: RemoveWindowSubclass(pane, PaneProc, kPaneSubclassId); break;
  }
  return DefSubclassProc(pane, msg, wParam, lParam);
}

LRESULT ListWindow::OnPanePaint() {
  RefreshTasks();
  win32::PaintDc paint(pane_);
  RECT client{};
  GetClientRect(pane_, &client);
  win32::MemoryDc memory(CreateCompatibleDC(paint.get()));
  win32::BitmapHandle image(CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
  if (!memory || !image) return 1;
  win32::ScopedSelect select(memory.get(), image.get());
  win32::BrushHandle brush(CreateSolidBrush(GetSysColor(COLOR_GRAYTEXT)));
  FillRect(memory.get(), &client, brush.get());
  BitBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  return 1;
}

// The row buttons have no id and send only clicks. The item may be gone afterwards.
LRESULT ListWindow::OnPaneCommand(WPARAM wParam, LPARAM lParam) {
  const auto sender = reinterpret_cast<HWND>(lParam);
  TaskRowWindow* row = sender ? TaskRowWindow::FromButton(sender) : nullptr;
  if (LOWORD(wParam) != 0 || !row) return 0;
  TaskItem& item = row->item();
  Workspace& ws = host_.TheWorkspace();
  if (sender == row->mainButton()) {
    TaskEditor editor(item.task);
    if (editor.Run(host_.Instance(), pane_) != IDOK) return 0;
    SortTasks(list_);
    TasksChanged();
  } else if (sender == row->checkButton()) {
    CheckButtonPressed(ws, item);
  } else if (sender == row->crossButton()) {
    CrossButtonPressed(ws, item);
  }
  return 0;
}

LRESULT ListWindow::OnPaneNotify(WPARAM wParam, LPARAM lParam) {
  auto& header = *reinterpret_cast<NMHDR*>(lParam);
  if (header.code == TTN_GETDISPINFOW && header.hwndFrom == tooltip_.get()) {
    if (TaskRowWindow* row = TaskRowWindow::FromButton(reinterpret_cast<HWND>(header.idFrom))) {
      row->HandOutTooltip(header);
      return 0;
    }
  }
  return DefSubclassProc(pane_, WM_NOTIFY, wParam, lParam);
}

ListWindow* ListWindow::FromWindow(HWND window) {
  return dynamic_cast<ListWindow*>(WindowBase::FromHandle(window));
}

ListWindow& Win32View(const CGenWindow& list) {
  return static_cast<ListWindow&>(list.view());
}

}  // namespace qv
