#include "platform/text.h"

#include <cstddef>

#include "platform/text_detail.h"

namespace qv {
namespace detail {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char16_t kHighSurrogateFirst = 0xD800;
constexpr char16_t kLowSurrogateFirst = 0xDC00;
constexpr char16_t kLowSurrogateLast = 0xDFFF;

// A lead byte fixes the sequence length and the range of the byte after it; that narrower
// range is what refuses overlong forms, encoded surrogates and values above U+10FFFF.
struct Utf8Lead {
  std::size_t length;  // 0: the byte cannot start a sequence
  unsigned char secondMin = 0x80;
  unsigned char secondMax = 0xBF;
};

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

Utf8Lead ClassifyLead(unsigned char lead) {
  if (lead < 0x80) return {1};
  if (lead < 0xC2) return {0};  // continuation bytes, and C0/C1 which only start overlongs
  if (lead < 0xE0) return {2};
  if (lead == 0xE0) return {3, 0xA0};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead < 0xF0) return {3};
  if (lead == 0xF0) return {4, 0x90};
  if (lead < 0xF4) return {4};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  return {0};
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < kFirstSupplementary) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  const char32_t offset = cp - kFirstSupplementary;
  out.push_back(static_cast<char16_t>(kHighSurrogateFirst + (offset >> 10)));
  out.push_back(static_cast<char16_t>(kLowSurrogateFirst + (offset & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < kFirstSupplementary) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= kLowSurrogateFirst && unit <= kLowSurrogateLast;
}

}  // namespace

// Bounds an ill-formed sequence as MultiByteToWideChar does, which differs from Unicode's
// maximal subparts in one way: a continuation byte that only the narrower second-byte range
// refuses (E0 80, ED A0, F0 8F, F4 90) belongs to the refused sequence. A sequence cut off by
// the end of the input is one U+FFFD. (Wine instead drops every byte after a lead whose
// sequence would run past the end, losing valid text; that is not copied here.)
std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const Utf8Lead info = ClassifyLead(lead);
    if (info.length <= 1) {
      out.push_back(info.length == 1 ? char16_t{lead} : kReplacement);
      ++i;
      continue;
    }
    char32_t cp = lead & (0x7F >> info.length);
    std::size_t taken = 1;
    for (; taken < info.length && i + taken < utf8.size(); ++taken) {
      const auto byte = static_cast<unsigned char>(utf8[i + taken]);
      if (!IsContinuation(byte)) break;  // it starts afresh
      if (taken == 1 && (byte < info.secondMin || byte > info.secondMax)) {
        ++taken;
        break;
      }
      cp = (cp << 6) | (byte & 0x3F);
    }
    i += taken;
    if (taken < info.length) {
      out.push_back(kReplacement);
    } else {
      AppendCodePoint(out, cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (IsHighSurrogate(unit) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
      const char32_t high = unit - kHighSurrogateFirst;
      const char32_t low = utf16[++i] - kLowSurrogateFirst;
      AppendUtf8(out, kFirstSupplementary + ((high << 10) | low));
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

}  // namespace detail

namespace {

// Enough for "4294967295" and a sign.
constexpr std::size_t kMaxDecimalChars = 11;

std::u16string FormatMagnitude(std::uint32_t magnitude, bool negative) {
  char16_t buffer[kMaxDecimalChars];
  std::size_t start = kMaxDecimalChars;
  do {
    buffer[--start] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) buffer[--start] = u'-';
  return std::u16string(buffer + start, buffer + kMaxDecimalChars);
}

bool IsScanSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Both scans share scanf's modulo-2^32 accumulation; only the final cast differs.
bool Scan32(std::u16string_view text, std::uint32_t& value) {
  std::size_t i = 0;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  const std::size_t firstDigit = i;
  std::uint32_t result = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    result = result * 10 + static_cast<std::uint32_t>(text[i] - u'0');
  }
  if (i == firstDigit) return false;
  value = negative ? 0u - result : result;
  return true;
}

}  // namespace

std::u16string FormatInt(std::int32_t value) {
  // Negating in unsigned arithmetic keeps INT_MIN's magnitude representable.
  const auto bits = static_cast<std::uint32_t>(value);
  return value < 0 ? FormatMagnitude(0u - bits, true) : FormatMagnitude(bits, false);
}

std::u16string FormatUInt(std::uint32_t value) {
  return FormatMagnitude(value, false);
}

bool ScanInt(std::u16string_view text, std::int32_t& value) {
  std::uint32_t bits = 0;
  if (!Scan32(text, bits)) return false;
  value = static_cast<std::int32_t>(bits);
  return true;
}

bool ScanUInt(std::u16string_view text, std::uint32_t& value) {
  return Scan32(text, value);
}

}  // namespace qv
