#pragma once
// Resource and command ids of the program. Shared by the resource script and the C++ code,
// so it holds preprocessor definitions only.

#define IDR_MAINMENU 109

#define IDM_EXIT 105
