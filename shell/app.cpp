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

int RunMessageLoop() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) continue;
    if (!TranslateMDISysAccel(App().MdiClient, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace

AppState& App() {
  static AppState state;
  return state;
}

int RunApplication(HINSTANCE instance) {
  AppState& app = App();
  app.instance = instance;
  InitCommonControls();
  if (!RegisterFrameClass(instance)) {
    MessageBoxW(nullptr, L"This program requires Windows NT!", kAppTitle, MB_ICONHAND);
    return 0;
  }
  app.MainMenu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU));
  app.FrameWindow = CreateFrameWindow(instance, app.MainMenu);
  if (!app.FrameWindow) return 0;
  ShowWindow(app.FrameWindow, SW_SHOW);
  UpdateWindow(app.FrameWindow);
  return RunMessageLoop();
}

}  // namespace qv
