#pragma once
// What files_common.cpp needs from each system's files_*.cpp.

#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/text.h"

namespace qv::detail {

// The system's open of path in binary mode. Null with errno set on failure.
FilePtr OpenSystemFile(const std::u16string& path, FileMode mode);

// Asks the system to put what it holds of the open file on the disk, after the runtime's
// buffer was flushed.
Win32Error SyncToDisk(std::FILE* file);

// The documents folder the system reports, before any ScopedDocumentsFolder.
NullableText SystemDocumentsFolder();

}  // namespace qv::detail
