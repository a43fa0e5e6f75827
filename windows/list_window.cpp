#include "windows/list_window.h"

#include <cmath>

#include "resources/resource.h"
#include "windows/win32/convert.h"

namespace qv {
namespace {

// The style the MDI child is asked for; the client adds the usual child-window styles.
constexpr DWORD kListWindowStyle = 1;

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

ListWindow::~ListWindow() {
  Destroy();
}

bool ListWindow::Create(const std::u16string& title, const WindowRect& rect) {
  if (Exists() || !RegisterClassFor(host_.Instance(), list_.IsLog())) return false;
  if (!CreateMdiChild(host_.MdiClient(), list_.IsLog() ? kLogWindowClass : kTaskWindowClass,
                      win32::Wide(title), kListWindowStyle, rect.x, rect.y, rect.width, rect.height,
                      host_.Instance())) {
    return false;
  }
  RecordRestoreRect();
  return true;
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

std::unique_ptr<TaskRow> ListWindow::CreateRow(TaskItem&, bool) {
  return nullptr;
}

void ListWindow::TasksChanged() {}

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
    case WM_SIZING: return OnSizingOrMoving(msg, wParam, lParam);
    case WM_MOVING: return OnSizingOrMoving(msg, wParam, lParam);
    case WM_CLOSE: return OnClose();
    case WM_DESTROY: return 0;
    case WM_MDIACTIVATE: return OnMdiActivate();
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
  if (!minimized_ && IsWindowVisible(hwnd())) TasksChanged();
  return DefaultHandling(msg, wParam, lParam);
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
  return 0;
}

ListWindow& Win32View(const CGenWindow& list) {
  return static_cast<ListWindow&>(list.view());
}

}  // namespace qv
