#pragma once
// What files_common.cpp needs from each system's files_*.cpp.

#include <cstdio>
#include <string>

#include "platform/text.h"

namespace qv::detail {

// fopen with the path's system spelling; binary "rb" or "wb". Null with errno set on failure.
std::FILE* OpenFile(const std::u16string& path, bool forWriting);

// The documents folder the system reports, before any ScopedDocumentsFolder.
NullableText SystemDocumentsFolder();

}  // namespace qv::detail
