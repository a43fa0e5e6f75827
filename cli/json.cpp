#include "cli/json.h"

#include <cstdio>

#include "platform/text.h"

namespace qv::cli {
namespace {

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The escape for a character that cannot appear as itself, or none. Control characters are
// C0, DEL and C1; a surrogate is escaped only when unpaired (the caller sees pairs whole).
std::string EscapeFor(char16_t c) {
  switch (c) {
    case u'"': return "\\\"";
    case u'\\': return "\\\\";
    case u'\n': return "\\n";
    case u'\r': return "\\r";
    case u'\t': return "\\t";
    default: break;
  }
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || IsHighSurrogate(c) || IsLowSurrogate(c)) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
    return escape;
  }
  return {};
}

}  // namespace

std::string JsonString(std::u16string_view text) {
  std::string out = "\"";
  std::size_t run = 0;  // start of the characters that are written as themselves
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
      continue;
    }
    const std::string escape = EscapeFor(text[i]);
    if (escape.empty()) continue;
    out += Utf16ToUtf8(text.substr(run, i - run));
    out += escape;
    run = i + 1;
  }
  out += Utf16ToUtf8(text.substr(run));
  return out + '"';
}

}  // namespace qv::cli
