#pragma once
// The program's one top-level window: the MDI frame.

#include <windows.h>

namespace qv {

inline constexpr wchar_t kFrameClassName[] = L"KestrovaMdiFrame";

bool RegisterFrameClass(HINSTANCE instance);

// Creates the frame with the given menu; its creation makes App().MdiClient.
HWND CreateFrameWindow(HINSTANCE instance, HMENU menu);

}  // namespace qv
