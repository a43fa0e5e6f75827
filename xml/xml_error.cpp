#include "xml/xml_error.h"

#include <iterator>

namespace qv {
namespace {

// Indexed by code.
constexpr std::u16string_view kErrorTexts[] = {
    u"No error",
    u"Warning: Unmatched end tag",
    u"Error: No XML data",
    u"Error: First token not start tag",
    u"Error: Missing start tag name",
    u"Error: Missing end tag name",
    u"Error: Unmatched quote",
    u"Error: Unmatched end tag",
    u"Error: Unmatched clear tag end",
    u"Error: Unexpected token found",
    u"Error: Invalid tag found",
    u"Error: No elements found",
    u"Error: File not found",
    u"Error: First Tag not found",
    u"Error: Unknown character entity",
    u"Error: unable to convert between UNICODE and MultiByte chars",
    u"Error: unable to open file for writing",
    u"Error: cannot write into file",
    u"Warning: Base64-string length is not a multiple of 4",
    u"Error: Base64-string contains an illegal character",
    u"Warning: Base64-string is truncated",
    u"Error: Base64 decode output buffer is too small",
};
static_assert(std::size(kErrorTexts) == 22);

}  // namespace

std::u16string_view XmlErrorText(std::int32_t code) {
  if (code < 0 || code >= static_cast<std::int32_t>(std::size(kErrorTexts))) return u"Unknown";
  return kErrorTexts[code];
}

}  // namespace qv
