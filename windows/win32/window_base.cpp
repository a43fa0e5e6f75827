#include "windows/win32/window_base.h"

#include "windows/win32/owners.h"

namespace qv::win32 {

namespace {

// An MDI child goes through its client, which keeps its list of children and activates the
// next one.
void DestroyAnyWindow(HWND window) {
  if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_MDICHILD) {
    SendMessageW(GetParent(window), WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
  } else {
    DestroyWindow(window);
  }
}

}  // namespace

WindowBase::~WindowBase() {
  if (!hwnd_) return;
  HWND window = hwnd_;
  Detach();
  DestroyAnyWindow(window);
}

WindowBase* WindowBase::FromHandle(HWND window) {
  if (!window || GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(Procedure))
    return nullptr;
  return reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool WindowBase::RegisterWindowClass(WNDCLASSEXW wc) {
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = Procedure;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND WindowBase::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                        int x, int y, int width, int height, HWND parent, HMENU menu,
                        HINSTANCE instance) {
  if (hwnd_) return nullptr;
  return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                         instance, this);
}

HWND WindowBase::CreateMdiChild(HWND mdiClient, const wchar_t* className, const wchar_t* title,
                                DWORD style, int x, int y, int width, int height,
                                HINSTANCE instance) {
  if (hwnd_) return nullptr;
  MDICREATESTRUCTW mcs{};
  mcs.szClass = className;
  mcs.szTitle = title;
  mcs.hOwner = instance;
  mcs.x = x;
  mcs.y = y;
  mcs.cx = width;
  mcs.cy = height;
  mcs.style = style;
  mcs.lParam = reinterpret_cast<LPARAM>(this);
  return reinterpret_cast<HWND>(
      SendMessageW(mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
}

void WindowBase::Destroy() {
  if (hwnd_) DestroyAnyWindow(hwnd_);
}

LRESULT WindowBase::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void WindowBase::Detach() noexcept {
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  CountLive(LiveKind::Window, -1);
}

LRESULT WindowBase::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    return HandleMessage(msg, wParam, lParam);
  } catch (...) {
  }
  try {
    return DefaultHandling(msg, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT CALLBACK WindowBase::Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowBase* self = nullptr;
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    void* param = cs->lpCreateParams;
    // An MDI child's creation data is the MDICREATESTRUCT, which carries the object.
    if ((cs->dwExStyle & WS_EX_MDICHILD) && param) {
      param = reinterpret_cast<void*>(static_cast<const MDICREATESTRUCTW*>(param)->lParam);
    }
    self = static_cast<WindowBase*>(param);
    if (self) {
      self->hwnd_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      CountLive(LiveKind::Window, +1);
    }
  } else {
    self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(window, msg, wParam, lParam);
  const LRESULT result = self->Dispatch(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) self->Detach();
  return result;
}

}  // namespace qv::win32
