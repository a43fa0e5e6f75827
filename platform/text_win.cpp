#include <windows.h>

#include <climits>
#include <cstddef>

#include "platform/text.h"
#include "platform/text_detail.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is a UTF-16 unit");

namespace qv {
namespace {

// The Win32 conversions count in int. One UTF-16 unit may become three UTF-8 bytes, so longer
// inputs could overflow the output count; the portable conversion gives the same answer.
constexpr std::size_t kMaxUtf8Input = INT_MAX;
constexpr std::size_t kMaxUtf16Input = INT_MAX / 3;

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  // An empty input is an error to MultiByteToWideChar, not an empty answer.
  if (utf8.empty()) return {};
  if (utf8.size() > kMaxUtf8Input) return detail::Utf8ToUtf16(utf8);
  const int inputSize = static_cast<int>(utf8.size());
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputSize, nullptr, 0);
  if (size <= 0) return detail::Utf8ToUtf16(utf8);
  std::u16string out(static_cast<std::size_t>(size), u'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputSize, reinterpret_cast<wchar_t*>(out.data()),
                        size);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  if (utf16.empty()) return {};
  if (utf16.size() > kMaxUtf16Input) return detail::Utf16ToUtf8(utf16);
  const auto* input = reinterpret_cast<const wchar_t*>(utf16.data());
  const int inputSize = static_cast<int>(utf16.size());
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, input, inputSize, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return detail::Utf16ToUtf8(utf16);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, input, inputSize, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace qv
