#include "shell/app.h"

#include <commctrl.h>

#include "resources/resource.h"

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
    if (!TranslateMDISysAccel(frame.MdiClient(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace

void StartWorkspace(FrameWindow& frame, const StoragePaths& paths) {
  // Without a documents folder the reports go to the current folder.
  frame.SetStoragePaths(paths.workspaceFile,
                        paths.userDataFolder.empty() ? u"." : paths.userDataFolder);
  LoadStartupWorkspace(frame.workspace(), paths);
  frame.SyncSettingsMenu();
  ShowWindow(frame.hwnd(), SW_SHOW);
  UpdateWindow(frame.hwnd());
  frame.CreateStatusBar();
  frame.AddTrayIcon();
  frame.RefreshTaskWindows();
}

int RunApplication(HINSTANCE instance) {
  InitCommonControls();
  // The frame owns the row icons and the pulse worker, which it stops when it goes, after the
  // loop has ended.
  FrameWindow frame(instance);
  if (!FrameWindow::RegisterClass(instance)) {
    MessageBoxW(nullptr, L"This program requires Windows NT!", kAppTitle, MB_ICONHAND);
    return 0;
  }
  if (!frame.Create(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU)))) return 0;
  StartWorkspace(frame, WorkOutStoragePaths());
  const int exitCode = RunMessageLoop(frame);
  frame.RemoveTrayIcon();
  return exitCode;
}

}  // namespace qv
