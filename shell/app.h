#pragma once
// The program's entry sequence: start-up, the message loop and shutdown.

#include <windows.h>

namespace qv {

// Returns the quit message's exit code, or 0 when the frame cannot be made.
int RunApplication(HINSTANCE instance);

}  // namespace qv
