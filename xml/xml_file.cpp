// Reading a file into UTF-16 text for the parser.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/text.h"
#include "xml/xml_file_detail.h"
#include "xml/xml_node.h"

namespace qv {
namespace {

// Far beyond any workspace; it also keeps every character position, and so the line and
// column of a result, within 32 bits, and the size within ftell's long on Windows.
constexpr long kMaxFileBytes = 1L << 30;

constexpr std::uint8_t kUtf16Mark[] = {0xFF, 0xFE};
constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> mark) {
  return bytes.size() >= mark.size() && std::memcmp(bytes.data(), mark.data(), mark.size()) == 0;
}

// The writer's own files start with FF FE, whatever the statistics would say. UTF-8 text
// never holds a zero byte, so without one the bytes are 8-bit text; this also keeps
// IsTextUnicode from taking some even-length 8-bit texts for UTF-16.
bool IsUtf16(std::span<const std::uint8_t> bytes) {
  if (StartsWith(bytes, kUtf16Mark)) return true;
  if (std::memchr(bytes.data(), 0, bytes.size()) == nullptr) return false;
  return detail::SystemSaysUtf16(bytes);
}

// The file as UTF-16 text: in the buffer it was read into when it is UTF-16, so that it is
// parsed where it lies, or converted from UTF-8.
struct FileText {
  std::unique_ptr<char16_t[]> read;
  std::u16string converted;
  std::u16string_view text;
};

// The whole file, in UTF-16 units. An odd last byte becomes a unit of its own with a zero
// high byte.
XmlError ReadUnits(const std::u16string& path, FileText& file, std::size_t& size) {
  const FilePtr handle = OpenFile(path, FileMode::Read);
  if (!handle || std::fseek(handle.get(), 0, SEEK_END) != 0) return XmlError::FileNotFound;
  const long length = std::ftell(handle.get());
  if (length < 0 || length > kMaxFileBytes) return XmlError::FileNotFound;
  if (length == 0) return XmlError::NoXmlData;
  if (std::fseek(handle.get(), 0, SEEK_SET) != 0) return XmlError::FileNotFound;
  size = static_cast<std::size_t>(length);
  const std::size_t units = (size + 1) / 2;
  file.read.reset(new char16_t[units]);
  file.read[units - 1] = u'\0';
  if (std::fread(file.read.get(), 1, size, handle.get()) != size) return XmlError::FileNotFound;
  file.text = std::u16string_view(file.read.get(), units);
  return XmlError::NoError;
}

XmlError ReadText(const std::u16string& path, FileText& file) {
  std::size_t size = 0;
  const XmlError error = ReadUnits(path, file, size);
  if (error != XmlError::NoError) return error;
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.read.get()),
                                            size);
  if (IsUtf16(bytes)) {
    if constexpr (std::endian::native == std::endian::big) {
      for (std::size_t i = 0; i < file.text.size(); ++i) {
        file.read[i] = static_cast<char16_t>((file.read[i] >> 8) | (file.read[i] << 8));
      }
    }
    if (StartsWith(bytes, kUtf16Mark)) file.text.remove_prefix(1);
    return XmlError::NoError;
  }
  const std::size_t skip = StartsWith(bytes, kUtf8Mark) ? std::size(kUtf8Mark) : 0;
  try {
    file.converted = Utf8ToUtf16(
        std::string_view(reinterpret_cast<const char*>(bytes.data()) + skip, size - skip));
  } catch (const std::bad_alloc&) {
    return XmlError::ConversionFailed;
  }
  file.read.reset();
  file.text = file.converted;
  return XmlError::NoError;
}

}  // namespace

XmlNode XmlNode::ParseFile(const std::u16string& path, std::u16string_view tagName,
                           XmlParseResult* result) {
  if (result != nullptr) *result = {};
  FileText file;
  XmlError error = XmlError::NoError;
  try {
    error = ReadText(path, file);
  } catch (const std::bad_alloc&) {
    error = XmlError::FileNotFound;  // the file cannot be held in memory to be read
  }
  if (error != XmlError::NoError) {
    if (result != nullptr) result->error = error;
    return {};
  }
  return ParseString(file.text, tagName, result);
}

}  // namespace qv
