#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "platform/files.h"
#include "platform/files_detail.h"

namespace qv {
namespace {

// Read in pieces rather than trusting a size taken before reading: the file may change size.
constexpr std::size_t kReadChunkBytes = 64 * 1024;

// The runtime's errno, as the Win32 code a caller of the Windows build would see. Linux's
// EISDIR and ENOTDIR stand for what the Windows runtime reports as EACCES and ENOENT.
Win32Error ErrnoToWin32(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return kErrorFileNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrorAccessDenied;
    case ENOMEM: return kErrorNotEnoughMemory;
    default: return kErrorGenFailure;
  }
}

// Only one ScopedDocumentsFolder lives at a time, so a single slot is the whole state.
std::optional<NullableText> g_documentsOverride;
std::optional<std::size_t> g_writeFailureAfter;
ScopedFlushObserver::Observer g_flushObserver;

// The runtime's buffer first, then the system's.
Win32Error FlushToDisk(std::FILE* file, const std::u16string& path) {
  errno = 0;
  if (std::fflush(file) != 0) return ErrnoToWin32(errno);
  if (g_flushObserver) {
    if (const Win32Error error = g_flushObserver(path); error != kErrorSuccess) return error;
  }
  return detail::SyncToDisk(file);
}

}  // namespace

void FileCloser::operator()(std::FILE* file) const {
  std::fclose(file);
}

FilePtr OpenFile(const std::u16string& path, FileMode mode, Win32Error* error) {
  errno = 0;
  FilePtr file = detail::OpenSystemFile(path, mode);
  if (error != nullptr) *error = file ? kErrorSuccess : ErrnoToWin32(errno);
  return file;
}

Win32Error ReadWholeFile(const std::u16string& path, std::vector<std::uint8_t>& bytes) {
  Win32Error openError = kErrorSuccess;
  const FilePtr file = OpenFile(path, FileMode::Read, &openError);
  if (!file) return openError;
  std::vector<std::uint8_t> content;
  try {
    std::size_t got = 0;
    do {
      const std::size_t used = content.size();
      content.resize(used + kReadChunkBytes);
      got = std::fread(content.data() + used, 1, kReadChunkBytes, file.get());
      content.resize(used + got);
    } while (got == kReadChunkBytes);
  } catch (const std::bad_alloc&) {
    return kErrorNotEnoughMemory;
  }
  if (std::ferror(file.get())) return ErrnoToWin32(errno);
  bytes = std::move(content);
  return kErrorSuccess;
}

Win32Error WriteWholeFile(const std::u16string& path, std::span<const std::uint8_t> bytes,
                          bool* opened, WriteDurability durability) {
  FileWriter file(path);
  if (opened != nullptr) *opened = file.opened();
  file.Write(bytes);
  return file.Finish(durability);
}

FileWriter::FileWriter(const std::u16string& path)
    : path_(path), file_(OpenFile(path, FileMode::Write, &error_)) {}

bool FileWriter::Write(std::span<const std::uint8_t> bytes) {
  if (!file_ || error_ != kErrorSuccess) return false;
  std::size_t wanted = bytes.size();
  if (g_writeFailureAfter) wanted = std::min(wanted, *g_writeFailureAfter - written_);
  const std::size_t put = wanted == 0 ? 0 : std::fwrite(bytes.data(), 1, wanted, file_.get());
  written_ += put;
  if (put == bytes.size()) return true;
  error_ = put < wanted ? ErrnoToWin32(errno) : kErrorDiskFull;
  return false;
}

Win32Error FileWriter::Finish(WriteDurability durability) {
  if (!file_) return error_;
  if (error_ == kErrorSuccess && durability == WriteDurability::OnDisk) {
    error_ = FlushToDisk(file_.get(), path_);
  }
  // Closing flushes the runtime's buffer, so its failure is a failed write too.
  if (std::fclose(file_.release()) != 0 && error_ == kErrorSuccess) error_ = ErrnoToWin32(errno);
  return error_;
}

ScopedWriteFailure::ScopedWriteFailure(std::size_t bytesBeforeFailure) {
  assert(!g_writeFailureAfter);
  g_writeFailureAfter = bytesBeforeFailure;
}

ScopedWriteFailure::~ScopedWriteFailure() {
  g_writeFailureAfter.reset();
}

ScopedFlushObserver::ScopedFlushObserver(Observer observe) {
  assert(!g_flushObserver);
  g_flushObserver = std::move(observe);
}

ScopedFlushObserver::~ScopedFlushObserver() {
  g_flushObserver = nullptr;
}

NullableText DocumentsFolder() {
  return g_documentsOverride ? *g_documentsOverride : detail::SystemDocumentsFolder();
}

ScopedDocumentsFolder::ScopedDocumentsFolder(NullableText folder) {
  assert(!g_documentsOverride && "only one ScopedDocumentsFolder at a time");
  g_documentsOverride = std::move(folder);
}

ScopedDocumentsFolder::~ScopedDocumentsFolder() {
  g_documentsOverride.reset();
}

}  // namespace qv
