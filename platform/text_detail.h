#pragma once
// The portable UTF-8/UTF-16 conversions. Natively they are the conversions; the Windows build
// compiles them too, so its tests can hold them against MultiByteToWideChar and
// WideCharToMultiByte.

#include <string>
#include <string_view>

namespace qv::detail {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace qv::detail
