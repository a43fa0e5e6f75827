#pragma once
// Where Wine's Win32 answers are known to differ from Windows', tests need to know which
// one answers.

#ifdef _WIN32
#include <windows.h>
#endif

namespace qv::test {

inline bool RunningUnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

}  // namespace qv::test
