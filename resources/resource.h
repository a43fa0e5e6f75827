#pragma once
// Every resource, command, control, timer and message id of the program, in one place. Shared
// by the resource script, the portable core and the Win32 code, so it holds preprocessor
// definitions only.

// Icons: the program (frame, task windows, About box), log windows, the two task-row buttons.
#define IDI_MAIN 107
#define IDI_CHECK 159
#define IDI_CROSS 165
#define IDI_APP 173
#define IDI_LOG 174

// The report buttons of the list-window toolbar.
#define IDB_PDF 142
#define IDB_HTML 143
#define IDB_TEXT 144

// The frame's menu.
#define IDR_MAINMENU 109
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_CASCADE 32771
#define IDM_TILE 32773
#define IDM_KEEP_SIZE 32774
#define IDM_EDIT_TASK_WINDOWS 32784
#define IDM_SAVE_WORKSPACE 32788
#define IDM_NEW_WORKSPACE 32789
#define IDM_LOAD_WORKSPACE 32790
#define IDM_STARTUP_AUTOMATICALLY 32791

// The tray icon's menu, built at each use, and the icon's own id.
#define IDM_TRAY_SHOW 1027
#define IDM_TRAY_HIDE 1028
#define IDM_TRAY_EXIT 1029
#define ID_TRAY_ICON 108

// The MDI client numbers its children from here; the "Task Windows" items count from the next
// id upwards, one per list window, within 16 bits.
#define ID_FIRST_MDI_CHILD 50000
#define IDM_FIRST_TASK_WINDOW 50001
#define IDM_LAST_TASK_WINDOW 65535

// The sort-key popup of the list-window toolbar (its first popup); "Solved Time" is inserted
// in log windows only.
#define IDR_SORTMENU 154
#define IDM_SORT_PRIORITY 32779
#define IDM_SORT_DIFFICULTY 32780
#define IDM_SORT_START_TIME 32781
#define IDM_SORT_DEADLINE 32782
#define IDM_SORT_SOLVED_TIME 32792

// The list-window toolbar's buttons, which are also its commands.
#define IDT_NEW_TASK 1
#define IDT_SORT_ASCENT 2
#define IDT_SORT_DESCENT 3
#define IDT_REPORT_PDF 4
#define IDT_REPORT_TEXT 5
#define IDT_REPORT_HTML 6

// The About box.
#define IDD_ABOUT 103
#define IDC_ABOUT_LINK 1000

// The task editor.
#define IDD_TASK_EDITOR 131
#define IDC_START_PICKER 1002
#define IDC_DEADLINE_PICKER 1003
#define IDC_TASK_REMARKS 1004
#define IDC_TASK_NAME 1005
#define IDC_DIFFICULTY_SLIDER 1007
#define IDC_PRIORITY_SLIDER 1008

// The task-windows dialog.
#define IDD_TASK_WINDOWS 155
#define IDC_NEW_WINDOW 1017
#define IDC_EDIT_WINDOW 1018
#define IDC_DELETE_WINDOW 1019
#define IDC_WINDOW_LIST 1020

// The window-properties dialog.
#define IDD_WINDOW_PROPERTIES 156
#define IDC_WINDOW_NAME 1004
#define IDC_LOG_LIST 1020
#define IDC_WINDOW_TYPE 1021

// Timers: the frame's once-a-second refresh, and the blink of an overdue task's check mark.
#define IDT_REFRESH 1
#define IDT_BLINK 1

// The program's own messages (WM_USER is 1024): the tray icon's callback, and the
// task-windows dialog's request to fill its list again.
#define WM_QV_TRAY (1024 + 1)
#define WM_QV_FILL_WINDOW_LIST (1024 + 2)

// The size type of WM_SIZE with which the frame asks a list window to lay its contents out
// again; Windows' own size types end at 4.
#define SIZE_QV_RELAYOUT 5
