#pragma once
// What files_common.cpp needs from each system's files_*.cpp.

#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/text.h"

namespace qv::detail {

// The system's open of path in binary mode. Null with errno set on failure.
FilePtr OpenSystemFile(const std::u16string& path, FileMode mode);

// The documents folder the system reports, before any ScopedDocumentsFolder.
NullableText SystemDocumentsFolder();

}  // namespace qv::detail
