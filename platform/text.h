#pragma once
// UTF-16 text as the program keeps it, and its conversions to and from UTF-8 and numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// A text that may be missing altogether: std::nullopt ("no text") is not the empty text.
// The workspace file writes an attribute only for a text that exists.
using NullableText = std::optional<std::u16string>;

// UTF-8 to UTF-16 as MultiByteToWideChar(CP_UTF8, 0, ...): every ill-formed sequence
// (stray continuation byte, truncated or overlong sequence, encoded surrogate, value above
// U+10FFFF) becomes one U+FFFD. A sequence ends before the first byte that is no
// continuation byte, or just after a second byte that shows it overlong, a surrogate or above
// U+10FFFF; a sequence cut off by the end of the input takes the rest of the input with it.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8 as WideCharToMultiByte(CP_UTF8, 0, ...): an unpaired surrogate is not an
// error and is written as U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// "%d" and "%u": decimal, no leading zeros, '-' only for negative values.
std::u16string FormatInt(std::int32_t value);
std::u16string FormatUInt(std::uint32_t value);

// The workspace file's number scanning ("%d" / "%u" as scanf reads them): white space
// (space, \t, \n, \v, \f, \r) is skipped, then an optional '+' or '-', then decimal digits;
// whatever follows is ignored. Digits accumulate modulo 2^32, and a '-' negates the result
// in 32-bit arithmetic, so "%u" of "-1" is 4294967295. Without a digit the result is false
// and value is left unchanged.
bool ScanInt(std::u16string_view text, std::int32_t& value);
bool ScanUInt(std::u16string_view text, std::uint32_t& value);

}  // namespace qv
