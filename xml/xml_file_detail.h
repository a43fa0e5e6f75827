#pragma once
// What the portable file reader needs from each system's xml_file_*.cpp.

#include <cstdint>
#include <span>

namespace qv::detail {

// The system's judgement of bytes that neither start with FF FE nor lack zero bytes: true
// when they are UTF-16 text.
bool SystemSaysUtf16(std::span<const std::uint8_t> bytes);

}  // namespace qv::detail
