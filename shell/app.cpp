#include "shell/app.h"

#include <commctrl.h>

#include "resources/resource.h"
#include "shell/frame_window.h"

namespace qv {
namespace {

void InitCommonControls() {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES;
  if (!InitCommonControlsEx(&icc)) {
    MessageBoxW(nullptr, L"Unable to load Common Controls!", kAppTitle, MB_ICONHAND);
  }
}

int RunMessageLoop(const FrameWindow& frame) {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) continue;
    if (!TranslateMDISysAccel(frame.mdiClient(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace

int RunApplication(HINSTANCE instance) {
  InitCommonControls();
  if (!FrameWindow::RegisterClass(instance)) {
    MessageBoxW(nullptr, L"This program requires Windows NT!", kAppTitle, MB_ICONHAND);
    return 0;
  }
  FrameWindow frame;
  if (!frame.Create(instance, LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU)))) return 0;
  ShowWindow(frame.hwnd(), SW_SHOW);
  UpdateWindow(frame.hwnd());
  return RunMessageLoop(frame);
}

}  // namespace qv
