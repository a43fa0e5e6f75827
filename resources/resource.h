#pragma once
// Resource and command ids of the program. Shared by the resource script and the C++ code,
// so it holds preprocessor definitions only.

#define IDR_MAINMENU 109

// The program (frame, task windows, About box), log windows, and the two task-row buttons.
#define IDI_MAIN 107
#define IDI_CHECK 159
#define IDI_CROSS 165
#define IDI_APP 173
#define IDI_LOG 174

// The report buttons of the list-window toolbar.
#define IDB_PDF 142
#define IDB_HTML 143
#define IDB_TEXT 144

#define IDM_EXIT 105
