#pragma once
// What the portable file reader and writer need from each system's xml_file_*.cpp.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace qv::detail {

// _wfopen on Windows; natively fopen with the path's system spelling. Binary mode.
std::FILE* OpenXmlFile(const std::u16string& path, bool forWriting);

// The system's judgement of bytes that neither start with FF FE nor lack zero bytes: true
// when they are UTF-16 text.
bool SystemSaysUtf16(std::span<const std::uint8_t> bytes);

}  // namespace qv::detail
