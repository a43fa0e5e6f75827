#include "shell/frame_window.h"

#include "resources/resource.h"

namespace qv {
namespace {

struct FrameCommand {
  WORD id;
  void (FrameWindow::*handler)();
};

}  // namespace

bool FrameWindow::RegisterClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = kFrameClassName;
  return RegisterWindowClass(wc);
}

bool FrameWindow::Create(HINSTANCE instance, HMENU menu) {
  return WindowBase::Create(0, kFrameClassName, kAppTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                            menu, instance) != nullptr;
}

LRESULT FrameWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_DESTROY: return OnDestroy();
    case WM_COMMAND: return OnCommand(msg, wParam, lParam);
    default: return DefaultHandling(msg, wParam, lParam);
  }
}

LRESULT FrameWindow::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcW(hwnd(), mdiClient_, msg, wParam, lParam);
}

LRESULT FrameWindow::OnCreate(const CREATESTRUCTW& cs) {
  CLIENTCREATESTRUCT ccs{};
  ccs.hWindowMenu = nullptr;
  ccs.idFirstChild = ID_FIRST_MDI_CHILD;
  mdiClient_ = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0,
                               0, 0, 0, hwnd(), nullptr, cs.hInstance, &ccs);
  return mdiClient_ ? 0 : -1;
}

LRESULT FrameWindow::OnDestroy() {
  PostQuitMessage(0);
  return 0;
}

LRESULT FrameWindow::OnCommand(UINT msg, WPARAM wParam, LPARAM lParam) {
  static constexpr FrameCommand kCommands[] = {
      {IDM_EXIT, &FrameWindow::OnExit},
  };
  for (const FrameCommand& command : kCommands) {
    if (command.id == LOWORD(wParam)) {
      (this->*command.handler)();
      return 0;
    }
  }
  return DefaultHandling(msg, wParam, lParam);
}

void FrameWindow::OnExit() {
  Destroy();
}

}  // namespace qv
