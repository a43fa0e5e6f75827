#pragma once
// Files and folders with UTF-16 paths, the well-known folders and opening a file with its
// default program. Every operation reports a Win32 error code (0 is success).
//
// Paths use '\' as the separator, as the program builds them; the native implementation
// also accepts '/' and maps both to '/'.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/time.h"

namespace qv {

using Win32Error = std::uint32_t;
inline constexpr Win32Error kErrorSuccess = 0;
inline constexpr Win32Error kErrorFileNotFound = 2;
inline constexpr Win32Error kErrorPathNotFound = 3;
inline constexpr Win32Error kErrorAccessDenied = 5;
inline constexpr Win32Error kErrorNotEnoughMemory = 8;
inline constexpr Win32Error kErrorGenFailure = 31;
inline constexpr Win32Error kErrorDiskFull = 112;
inline constexpr Win32Error kErrorFileExists = 80;
inline constexpr Win32Error kErrorAlreadyExists = 183;

// Binary mode always: reading, or writing into a new or truncated file.
enum class FileMode { Read, Write };

struct FileCloser {
  void operator()(std::FILE* file) const;
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The one opener of files as streams, for every reader and writer: _wfopen on Windows,
// natively fopen with the path's system spelling. A folder is refused for reading on both, as
// Windows refuses it. Null on failure, with error (when given) set to the Win32 code.
FilePtr OpenFile(const std::u16string& path, FileMode mode, Win32Error* error = nullptr);

// True when path names an existing folder. Opening a folder as a file fails with codes (access
// denied, file not found) that do not say why, and a person should be told.
bool IsFolder(const std::u16string& path);

// Whether a write waits until the system has the bytes on the disk: a file that is about to
// replace another must, or a crash soon after the replace could leave neither.
enum class WriteDurability { Cached, OnDisk };

// The whole file, through the runtime's wide-path file functions on Windows.
Win32Error ReadWholeFile(const std::u16string& path, std::vector<std::uint8_t>& bytes);
// Creates the file or truncates an existing one. opened, when given, tells a file that could
// not be opened from one that was opened but not completely written (or not flushed).
Win32Error WriteWholeFile(const std::u16string& path, std::span<const std::uint8_t> bytes,
                          bool* opened = nullptr,
                          WriteDurability durability = WriteDurability::Cached);

// A file written piece by piece, as WriteWholeFile writes it whole: for text too large to be
// held a second time as bytes.
class FileWriter {
 public:
  // Creates the file or truncates an existing one.
  explicit FileWriter(const std::u16string& path);
  bool opened() const { return file_ != nullptr; }
  // Appends the bytes; false once a piece could not be written whole, and later ones are
  // refused.
  bool Write(std::span<const std::uint8_t> bytes);
  // Flushes (to the disk, with OnDisk) and closes: the first failure of the file's opening, a
  // write, the flush or the close.
  Win32Error Finish(WriteDurability durability);

 private:
  std::u16string path_;
  Win32Error error_ = kErrorSuccess;
  FilePtr file_;
  std::size_t written_ = 0;
};

// For tests of what a failed save leaves behind: while it lives, a file written by
// WriteWholeFile or FileWriter keeps at most bytesBeforeFailure bytes, and then the write fails
// as on a full disk. One at a time.
class ScopedWriteFailure {
 public:
  explicit ScopedWriteFailure(std::size_t bytesBeforeFailure);
  ~ScopedWriteFailure();
  ScopedWriteFailure(const ScopedWriteFailure&) = delete;
  ScopedWriteFailure& operator=(const ScopedWriteFailure&) = delete;
};

// For tests of durable saves: while it lives, each flush of a file to the disk first calls
// observe with the file's path, once all its bytes are with the system; any answer but
// success fails the flush with that code instead of flushing. One at a time.
class ScopedFlushObserver {
 public:
  using Observer = std::function<Win32Error(const std::u16string& path)>;
  explicit ScopedFlushObserver(Observer observe);
  ~ScopedFlushObserver();
  ScopedFlushObserver(const ScopedFlushObserver&) = delete;
  ScopedFlushObserver& operator=(const ScopedFlushObserver&) = delete;
};

// With failIfExists an existing target gives kErrorFileExists and stays untouched.
Win32Error CopyFileW(const std::u16string& from, const std::u16string& to, bool failIfExists);
// Renames within a volume; with replaceExisting an existing target is replaced in one step.
// With writeThrough (MOVEFILE_WRITE_THROUGH; natively a sync of the target's folder) it
// returns once the rename is on the disk; an error from that comes after the rename.
Win32Error MoveFileExW(const std::u16string& from, const std::u16string& to, bool replaceExisting,
                       bool writeThrough = false);
Win32Error DeleteFileW(const std::u16string& path);

// One level: a missing parent gives kErrorPathNotFound, an existing entry kErrorAlreadyExists.
Win32Error CreateDirectoryW(const std::u16string& path);
// With every missing parent; the path must be absolute. An existing folder gives
// kErrorAlreadyExists.
Win32Error SHCreateDirectory(const std::u16string& path);

struct FolderEntry {
  std::u16string name;
  bool isFolder;
  FILETIME creationTime;  // UTC
};
// The entries of a folder (the search "folder\*"), without "." and "..", in the order the
// system gives them.
Win32Error ListFolder(const std::u16string& folder, std::vector<FolderEntry>& entries);

// The path as this system writes it, for showing to a person: natively '\' becomes '/'.
std::string PathForDisplay(const std::u16string& path);

// A folder for temporary files, without a trailing separator.
std::u16string TempFolder();

// The user's documents folder (SHGetSpecialFolderPathW, folder id 5, looked up in
// shell32.dll at run time; natively $HOME/Documents), or no text when it cannot be found.
NullableText DocumentsFolder();
// Replaces DocumentsFolder() for tests while it lives.
class ScopedDocumentsFolder {
 public:
  explicit ScopedDocumentsFolder(NullableText folder);
  ~ScopedDocumentsFolder();
  ScopedDocumentsFolder(const ScopedDocumentsFolder&) = delete;
  ScopedDocumentsFolder& operator=(const ScopedDocumentsFolder&) = delete;
};

// The running program's file name cut at its last '\' or '/' (the separator removed).
std::u16string ProgramFolder();

// ShellExecuteW "open" on Windows. Natively nothing is opened: the request is recorded.
Win32Error OpenWithDefaultProgram(const std::u16string& path);
#ifndef _WIN32
std::vector<std::u16string> TakeOpenRequests();
#endif

}  // namespace qv
