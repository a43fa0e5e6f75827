#include <windows.h>

#include <climits>

#include "xml/xml_file_detail.h"

namespace qv::detail {

// With no test flags given, IsTextUnicode applies all of them. The reader refuses files too
// large for its int before it asks.
bool SystemSaysUtf16(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > INT_MAX) return false;
  return ::IsTextUnicode(bytes.data(), static_cast<int>(bytes.size()), nullptr) != FALSE;
}

}  // namespace qv::detail
