#pragma once
// The program's entry sequence: start-up, the message loop and shutdown.

#include <windows.h>

#include "shell/frame_window.h"
#include "workspace/storage.h"

namespace qv {

// Returns the quit message's exit code, or 0 when the frame's class cannot be registered.
int RunApplication(HINSTANCE instance);

// The start-up steps after the frame exists: the backup, the seed copy and the workspace (or
// the default one), the settings' check marks, the frame shown with its status bar and its
// tray icon, and a first refresh.
void StartWorkspace(FrameWindow& frame, const StoragePaths& paths);

}  // namespace qv
