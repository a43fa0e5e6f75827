#pragma once
// Process-wide state of the program and its entry sequence.

#include <windows.h>

namespace qv {

inline constexpr wchar_t kAppTitle[] = L"Quorvane beta";

struct AppState {
  HINSTANCE instance = nullptr;
  HWND FrameWindow = nullptr;
  HWND MdiClient = nullptr;
  HMENU MainMenu = nullptr;
};

// The one instance, touched by the user-interface thread only.
AppState& App();

// Start-up, the message loop and shutdown; returns the quit message's exit code, or 0 when
// the frame cannot be made.
int RunApplication(HINSTANCE instance);

}  // namespace qv
