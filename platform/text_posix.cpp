#include "platform/text.h"
#include "platform/text_detail.h"

namespace qv {

std::u16string Utf8ToUtf16(std::string_view utf8) {
  return detail::Utf8ToUtf16(utf8);
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  return detail::Utf16ToUtf8(utf16);
}

}  // namespace qv
