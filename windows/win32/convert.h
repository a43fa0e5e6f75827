#pragma once
// The one place where the core's text and time records meet Win32's. The core's qv::SYSTEMTIME
// has the fields, order and sizes of Win32's, and UTF-16 text is wchar_t text on Windows.

#include <windows.h>

#include <string>

#include "platform/time.h"

namespace qv::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline wchar_t* Wide(char16_t* text) {
  return reinterpret_cast<wchar_t*>(text);
}
// A null text reads as the empty text.
std::u16string FromWide(const wchar_t* text);

// The whole text of a window or control, however long.
std::u16string WindowText(HWND window);
bool SetText(HWND window, const std::u16string& text);

::SYSTEMTIME ToWin32(const qv::SYSTEMTIME& time);
qv::SYSTEMTIME FromWin32(const ::SYSTEMTIME& time);

}  // namespace qv::win32
