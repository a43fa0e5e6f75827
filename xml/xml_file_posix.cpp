#include "xml/xml_file_detail.h"

namespace qv::detail {

// Stands in for IsTextUnicode. Little-endian UTF-16 of the characters markup is written in
// has a zero high byte (odd offset) in most units, while a zero byte in 8-bit text is rare and
// falls at no particular offset. So: an even length, and more zero bytes at odd offsets than
// at even ones. Everything else, byte-swapped UTF-16 included, is not UTF-16, as
// IsTextUnicode also rejects byte-swapped text.
bool SystemSaysUtf16(std::span<const std::uint8_t> bytes) {
  if (bytes.size() % 2 != 0) return false;
  std::size_t zerosAtOdd = 0;
  std::size_t zerosAtEven = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    zerosAtEven += bytes[i] == 0;
    zerosAtOdd += bytes[i + 1] == 0;
  }
  return zerosAtOdd > zerosAtEven;
}

}  // namespace qv::detail
