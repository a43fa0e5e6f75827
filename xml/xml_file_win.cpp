#include <windows.h>

#include <climits>
#include <cstdio>

#include "xml/xml_file_detail.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is a UTF-16 unit");

namespace qv::detail {

std::FILE* OpenXmlFile(const std::u16string& path, bool forWriting) {
  return ::_wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), forWriting ? L"wb" : L"rb");
}

// With no test flags given, IsTextUnicode applies all of them. The reader refuses files too
// large for its int before it asks.
bool SystemSaysUtf16(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > INT_MAX) return false;
  return ::IsTextUnicode(bytes.data(), static_cast<int>(bytes.size()), nullptr) != FALSE;
}

}  // namespace qv::detail
