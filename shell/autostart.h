#pragma once
// "Startup automatically": the program's quoted path in the machine-wide Run key, read and
// written with the Win32 error codes of the registry calls.

#include <windows.h>

#include <string>

namespace qv {

inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kAutostartValueName[] = L"Quorvane";

// The value's text (REG_SZ or REG_EXPAND_SZ); 0 or the error, ERROR_DATATYPE_MISMATCH for a
// value of another type.
LONG ReadAutostartValue(std::wstring* text);
// Writes the text as REG_SZ, creating the key when it is missing; 0 or the error.
LONG WriteAutostartValue(const std::wstring& text);
// The program file's full path; empty when it cannot be had.
std::wstring ProgramPath();
// On when the value is this program file's quoted path, in any letter case.
bool IsAutostartEnabled();
// Whether the process runs as a member of the Administrators group. When the test itself
// fails the answer is no, so that the change goes the elevation way.
bool IsAdministrator();
// Removes the value; failures are silent (the check mark then stays on).
void DeleteAutostartValue();

// What the command uses of the system where tests put their own: every Wine process is an
// administrator and Wine has neither an elevation prompt nor a refused registry write.
struct AutostartSystem {
  bool (*isAdministrator)();
  // Starts the program file elevated; 0 and the new process's handle (owned by the caller),
  // or the launch's error code (ERROR_CANCELLED when the user said no).
  DWORD (*launchElevated)(HWND owner, const wchar_t* path, HANDLE* process);
  LONG (*writeValue)(const std::wstring& text);
};
AutostartSystem& Autostart();
// The real functions, for tests to put back.
AutostartSystem RealAutostartSystem();

}  // namespace qv
