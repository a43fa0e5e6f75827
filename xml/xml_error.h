#pragma once
// The XML library's result codes and the position a parse reports with them.

#include <cstdint>
#include <string_view>

namespace qv {

// Codes 3, 6 and 18 to 21 are never produced here; they keep their numbers and texts so that
// a code from a saved message still reads the same.
enum class XmlError : std::int32_t {
  NoError = 0,
  UnmatchedEndTagWarning = 1,  // a warning: the tree comes back with it
  NoXmlData = 2,
  FirstTokenNotStartTag = 3,
  MissingStartTagName = 4,
  MissingEndTagName = 5,
  UnmatchedQuote = 6,
  UnmatchedEndTag = 7,
  UnmatchedClearTagEnd = 8,
  UnexpectedToken = 9,
  InvalidTag = 10,  // also: nesting deeper than kXmlMaxNesting
  NoElements = 11,
  FileNotFound = 12,
  FirstTagNotFound = 13,
  UnknownCharacterEntity = 14,
  ConversionFailed = 15,
  CannotOpenForWriting = 16,
  CannotWriteFile = 17,
  Base64LengthWarning = 18,
  Base64IllegalCharacter = 19,
  Base64TruncatedWarning = 20,
  Base64BufferTooSmall = 21,
};

// The code's message; "Unknown" for a number that is no code.
std::u16string_view XmlErrorText(std::int32_t code);
inline std::u16string_view XmlErrorText(XmlError code) {
  return XmlErrorText(static_cast<std::int32_t>(code));
}

struct XmlParseResult {
  XmlError error = XmlError::NoError;
  std::int32_t line = 0;    // from 1; 0 when no position applies
  std::int32_t column = 0;  // from 1; 0 when no position applies
};

}  // namespace qv
