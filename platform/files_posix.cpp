#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/files.h"
#include "platform/files_detail.h"
#include "platform/text_detail.h"
#include "platform/time_detail.h"

namespace qv {
namespace {

constexpr Win32Error kErrorNotSameDevice = 17;
constexpr Win32Error kErrorInvalidName = 123;
constexpr Win32Error kErrorBadPathname = 161;
constexpr std::size_t kCopyChunkBytes = 64 * 1024;
// Linux's own limit on a path; /proc/self/exe never names anything longer.
constexpr std::size_t kMaxPathBytes = 4096;
constexpr std::uint64_t kNanosecondsPerTick = 100;

std::string NativePath(const std::u16string& path) {
  std::string native = detail::Utf16ToUtf8(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

std::u16string FromNative(const std::string& path) {
  return detail::Utf8ToUtf16(path);
}

std::string ParentOf(const std::string& path) {
  const auto end = path.find_last_not_of('/');
  if (end == std::string::npos) return "/";
  const auto slash = path.find_last_of('/', end);
  if (slash == std::string::npos) return ".";
  const auto parentEnd = path.find_last_not_of('/', slash);
  return parentEnd == std::string::npos ? "/" : path.substr(0, parentEnd + 1);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// Win32 tells a missing last component (file not found) from a missing folder on the way
// (path not found); errno has only ENOENT for both.
Win32Error FromErrno(int error, const std::string& path) {
  switch (error) {
    case ENOENT: return IsFolder(ParentOf(path)) ? kErrorFileNotFound : kErrorPathNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ENOTEMPTY:
    case EBUSY: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case EXDEV: return kErrorNotSameDevice;
    case ENOMEM: return kErrorNotEnoughMemory;
    default: return kErrorGenFailure;
  }
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Closing can report a late write error, so a writer closes explicitly.
  int Close() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

// A file that is deleted again unless Keep() is called: a failed copy leaves nothing behind.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Creates the file in folder; the descriptor is the caller's.
  int Create(const std::string& folder) {
    std::string name = folder + "/.quorvane-copy-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) path_ = std::move(name);
    return fd;
  }
  const std::string& path() const { return path_; }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
};

struct FolderCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using FolderHandle = std::unique_ptr<DIR, FolderCloser>;

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// 0 or the errno of the failing read or write.
int CopyContent(int from, int to) {
  char buffer[kCopyChunkBytes];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return 0;
    if (!WriteAll(to, buffer, static_cast<std::size_t>(got))) return errno;
  }
}

// rename(), but an existing target is an error (EEXIST) instead of being replaced.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // Some file systems lack RENAME_NOREPLACE; checking first is the best they allow.
  if (Exists(to)) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(from.c_str(), to.c_str());
}

FILETIME FromUnixTime(std::int64_t seconds, std::uint32_t nanoseconds) {
  const auto since1601 = static_cast<std::uint64_t>(seconds) + detail::kUnixEpochSeconds;
  return U64ToFileTime(since1601 * kTicksPerSecond + nanoseconds / kNanosecondsPerTick);
}

// False when the entry vanished between readdir and here.
bool DescribeEntry(int folder, const char* name, FolderEntry& entry) {
#ifdef STATX_BTIME
  constexpr unsigned kWanted = STATX_TYPE | STATX_MTIME | STATX_BTIME;
  struct statx info {};
  // A dangling symbolic link still shows up as itself, as Windows lists it.
  if (::statx(folder, name, 0, kWanted, &info) != 0 &&
      ::statx(folder, name, AT_SYMLINK_NOFOLLOW, kWanted, &info) != 0) {
    return false;
  }
  const struct statx_timestamp& time =
      (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime;
  entry.isFolder = S_ISDIR(info.stx_mode);
  entry.creationTime = FromUnixTime(time.tv_sec, time.tv_nsec);
#else
  struct stat info {};
  if (::fstatat(folder, name, &info, 0) != 0 &&
      ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return false;
  }
  entry.isFolder = S_ISDIR(info.st_mode);
  entry.creationTime = FromUnixTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
#endif
  return true;
}

Win32Error MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return kErrorSuccess;
  // mkdir's ENOENT always means a missing parent: the folder itself is what it creates.
  return errno == ENOENT ? kErrorPathNotFound : FromErrno(errno, path);
}

// EINVAL: what fd names keeps nothing on a disk (a pipe, a device, or on some file systems a
// folder).
Win32Error Sync(int fd) {
  if (::fsync(fd) == 0 || errno == EINVAL) return kErrorSuccess;
  return errno == ENOSPC || errno == EDQUOT ? kErrorDiskFull : kErrorGenFailure;
}

// A rename is an entry in its folder, on the disk only once the folder is.
Win32Error SyncFolder(const std::string& folder) {
  const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd ? Sync(fd.get()) : FromErrno(errno, folder);
}

std::vector<std::u16string> g_openRequests;

}  // namespace

namespace detail {

FilePtr OpenSystemFile(const std::u16string& path, FileMode mode) {
  const std::string native = NativePath(path);
  const bool forWriting = mode == FileMode::Write;
  FilePtr file(std::fopen(native.c_str(), forWriting ? "wb" : "rb"));
  if (!file || forWriting) return file;
  // Linux opens a folder for reading and fails only at the first read; Windows refuses it
  // at once.
  struct stat info {};
  if (::fstat(::fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
    file.reset();
    errno = EISDIR;
  }
  return file;
}

Win32Error SyncToDisk(std::FILE* file) {
  return Sync(::fileno(file));
}

NullableText SystemDocumentsFolder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return std::nullopt;
  std::string folder = home;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return FromNative(folder + "/Documents");
}

}  // namespace detail

Win32Error CopyFileW(const std::u16string& from, const std::u16string& to, bool failIfExists) {
  const std::string source = NativePath(from);
  const std::string target = NativePath(to);
  const FileDescriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!input) return FromErrno(errno, source);
  struct stat sourceInfo {};
  if (::fstat(input.get(), &sourceInfo) != 0) return FromErrno(errno, source);
  if (S_ISDIR(sourceInfo.st_mode)) return kErrorAccessDenied;
  struct stat targetInfo {};
  if (::stat(target.c_str(), &targetInfo) == 0) {
    if (S_ISDIR(targetInfo.st_mode)) return kErrorAccessDenied;
    if (failIfExists) return kErrorFileExists;
  }

  // The copy is built beside the target and renamed over it, so the target is never seen
  // half-written.
  TemporaryFile temporary;
  FileDescriptor output(temporary.Create(ParentOf(target)));
  if (!output) return FromErrno(errno, target);
  ::fchmod(output.get(), sourceInfo.st_mode & 07777);
  if (const int error = CopyContent(input.get(), output.get()); error != 0) {
    return FromErrno(error, target);
  }
  if (output.Close() != 0) return FromErrno(errno, target);
  const int renamed = failIfExists ? RenameNoReplace(temporary.path(), target)
                                   : ::rename(temporary.path().c_str(), target.c_str());
  if (renamed != 0) return errno == EEXIST ? kErrorFileExists : FromErrno(errno, target);
  temporary.Keep();
  return kErrorSuccess;
}

Win32Error MoveFileExW(const std::u16string& from, const std::u16string& to, bool replaceExisting,
                       bool writeThrough) {
  const std::string source = NativePath(from);
  const std::string target = NativePath(to);
  if (!Exists(source)) return FromErrno(errno, source);
  const int renamed =
      replaceExisting ? ::rename(source.c_str(), target.c_str()) : RenameNoReplace(source, target);
  // The source exists, so a missing entry can only be the target's folder.
  if (renamed != 0) return errno == ENOENT ? kErrorPathNotFound : FromErrno(errno, target);
  return writeThrough ? SyncFolder(ParentOf(target)) : kErrorSuccess;
}

bool IsFolder(const std::u16string& path) {
  return IsFolder(NativePath(path));
}

Win32Error DeleteFileW(const std::u16string& path) {
  const std::string native = NativePath(path);
  return ::unlink(native.c_str()) == 0 ? kErrorSuccess : FromErrno(errno, native);
}

Win32Error CreateDirectoryW(const std::u16string& path) {
  return MakeFolder(NativePath(path));
}

Win32Error SHCreateDirectory(const std::u16string& path) {
  std::string native = NativePath(path);
  if (native.empty() || native.front() != '/') return kErrorBadPathname;
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  for (std::size_t slash = native.find('/', 1); slash != std::string::npos;
       slash = native.find('/', slash + 1)) {
    const std::string parent = native.substr(0, slash);
    if (parent.back() == '/' || ::mkdir(parent.c_str(), 0777) == 0 || errno != EEXIST) continue;
    // A file where a parent folder should be leaves no way on.
    if (!IsFolder(parent)) return kErrorPathNotFound;
  }
  return MakeFolder(native);
}

Win32Error ListFolder(const std::u16string& folder, std::vector<FolderEntry>& entries) {
  const std::string native = NativePath(folder);
  const FolderHandle dir(::opendir(native.c_str()));
  if (!dir) {
    const int error = errno;
    // The search "file\*" names no folder at all, which Win32 reports as a bad name.
    if (error == ENOTDIR && Exists(native)) return kErrorInvalidName;
    return error == ENOENT ? kErrorPathNotFound : FromErrno(error, native);
  }
  std::vector<FolderEntry> found;
  for (;;) {
    errno = 0;
    const dirent* item = ::readdir(dir.get());
    if (item == nullptr) break;
    const std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    FolderEntry entry{FromNative(name), false, {}};
    if (DescribeEntry(::dirfd(dir.get()), item->d_name, entry)) found.push_back(std::move(entry));
  }
  if (errno != 0) return FromErrno(errno, native);
  entries = std::move(found);
  return kErrorSuccess;
}

std::string PathForDisplay(const std::u16string& path) {
  return NativePath(path);
}

std::u16string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return FromNative(folder);
}

std::u16string ProgramFolder() {
  char buffer[kMaxPathBytes];
  const ssize_t size = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (size <= 0) return {};
  const std::string program(buffer, static_cast<std::size_t>(size));
  const auto separator = program.find_last_of("/\\");
  return FromNative(separator == std::string::npos ? program : program.substr(0, separator));
}

Win32Error OpenWithDefaultProgram(const std::u16string& path) {
  // ShellExecuteW says "file not found" for a missing folder as well.
  if (!Exists(NativePath(path))) return kErrorFileNotFound;
  g_openRequests.push_back(path);
  return kErrorSuccess;
}

std::vector<std::u16string> TakeOpenRequests() {
  return std::exchange(g_openRequests, {});
}

}  // namespace qv
