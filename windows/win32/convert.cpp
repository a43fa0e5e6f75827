#include "windows/win32/convert.h"

#include <bit>

namespace qv::win32 {

static_assert(sizeof(qv::SYSTEMTIME) == sizeof(::SYSTEMTIME));

std::u16string FromWide(const wchar_t* text) {
  if (!text) return {};
  return reinterpret_cast<const char16_t*>(text);
}

std::u16string WindowText(HWND window) {
  // The length may be an overestimate (a control can count characters it then converts), so
  // the copy's own count decides.
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
  const int copied = GetWindowTextW(window, Wide(text.data()), static_cast<int>(text.size()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

bool SetText(HWND window, const std::u16string& text) {
  return SetWindowTextW(window, Wide(text)) != FALSE;
}

::SYSTEMTIME ToWin32(const qv::SYSTEMTIME& time) {
  return std::bit_cast<::SYSTEMTIME>(time);
}

qv::SYSTEMTIME FromWin32(const ::SYSTEMTIME& time) {
  return std::bit_cast<qv::SYSTEMTIME>(time);
}

}  // namespace qv::win32
