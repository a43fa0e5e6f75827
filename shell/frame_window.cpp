#include "shell/frame_window.h"

#include "resources/resource.h"
#include "shell/app.h"

namespace qv {
namespace {

// First id the MDI client gives its children; the list windows' own ids are far from it.
constexpr UINT kFirstMdiChildId = 50000;

LRESULT DefaultHandling(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcW(hwnd, App().MdiClient, msg, wParam, lParam);
}

LRESULT OnCreate(HWND hwnd) {
  CLIENTCREATESTRUCT ccs{};
  ccs.hWindowMenu = nullptr;
  ccs.idFirstChild = kFirstMdiChildId;
  App().MdiClient =
      CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 0, 0,
                      hwnd, nullptr, App().instance, &ccs);
  return App().MdiClient ? 0 : -1;
}

LRESULT OnDestroy() {
  PostQuitMessage(0);
  return 0;
}

LRESULT OnCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDM_EXIT: DestroyWindow(hwnd); return 0;
    default: return DefaultHandling(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_DESTROY: return OnDestroy();
    case WM_COMMAND: return OnCommand(hwnd, msg, wParam, lParam);
    default: return DefaultHandling(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

bool RegisterFrameClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = kFrameClassName;
  return RegisterClassExW(&wc) != 0;
}

HWND CreateFrameWindow(HINSTANCE instance, HMENU menu) {
  return CreateWindowExW(0, kFrameClassName, kAppTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu,
                         instance, nullptr);
}

}  // namespace qv
