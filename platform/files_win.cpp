#include <windows.h>
// The shell headers build on the types windows.h declares.
#include <io.h>
#include <shellapi.h>
#include <shlobj.h>

#include <bit>
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/files_detail.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is a UTF-16 unit");

namespace qv {
namespace {

constexpr int kCsidlPersonal = 5;  // the documents folder, as SHGetSpecialFolderPathW numbers it
// The longest path Win32 accepts at all (with the \\?\ prefix).
constexpr DWORD kMaxPathChars = 32768;
// ShellExecuteW answers more than this on success.
constexpr INT_PTR kShellExecuteFailureLimit = 32;

struct ShellFailure {
  INT_PTR result;
  Win32Error error;
};
// ShellExecuteW's failure answers, as the Win32 codes ShellExecuteExW reports for them.
constexpr ShellFailure kShellFailures[] = {
    {0, kErrorNotEnoughMemory},
    {SE_ERR_FNF, kErrorFileNotFound},
    {SE_ERR_PNF, kErrorPathNotFound},
    {SE_ERR_ACCESSDENIED, kErrorAccessDenied},
    {SE_ERR_OOM, kErrorNotEnoughMemory},
    {ERROR_BAD_FORMAT, ERROR_BAD_FORMAT},
    {SE_ERR_SHARE, ERROR_SHARING_VIOLATION},
    {SE_ERR_ASSOCINCOMPLETE, ERROR_NO_ASSOCIATION},
    {SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
    {SE_ERR_DLLNOTFOUND, ERROR_DLL_NOT_FOUND},
    {SE_ERR_DDETIMEOUT, ERROR_DDE_FAIL},
    {SE_ERR_DDEFAIL, ERROR_DDE_FAIL},
    {SE_ERR_DDEBUSY, ERROR_DDE_FAIL},
};

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

Win32Error LastError() {
  return ::GetLastError();
}

Win32Error Result(BOOL succeeded) {
  return succeeded ? kErrorSuccess : LastError();
}

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) ::FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

class Library {
 public:
  explicit Library(const wchar_t* name) : module_(::LoadLibraryW(name)) {}
  ~Library() {
    if (module_ != nullptr) ::FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // FARPROC's signature is a placeholder; passing through void(*)() tells the compiler the
  // conversion is meant.
  template <typename Function>
  Function Find(const char* name) const {
    if (module_ == nullptr) return nullptr;
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(::GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

Win32Error FromShellExecute(INT_PTR result) {
  for (const ShellFailure& failure : kShellFailures) {
    if (failure.result == result) return failure.error;
  }
  return kErrorGenFailure;
}

}  // namespace

namespace detail {

FilePtr OpenSystemFile(const std::u16string& path, FileMode mode) {
  return FilePtr(::_wfopen(Wide(path), mode == FileMode::Write ? L"wb" : L"rb"));
}

Win32Error SyncToDisk(std::FILE* file) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  return Result(::FlushFileBuffers(handle));
}

NullableText SystemDocumentsFolder() {
  // Looked up at run time: a shell32 without the export must not keep the program from starting.
  using GetSpecialFolderPath = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
  const Library shell32(L"shell32.dll");
  const auto getPath = shell32.Find<GetSpecialFolderPath>("SHGetSpecialFolderPathW");
  wchar_t folder[MAX_PATH] = {};  // the buffer size the function requires
  if (getPath == nullptr || !getPath(nullptr, folder, kCsidlPersonal, FALSE)) return std::nullopt;
  return FromWide(folder, ::wcslen(folder));
}

}  // namespace detail

Win32Error CopyFileW(const std::u16string& from, const std::u16string& to, bool failIfExists) {
  return Result(::CopyFileW(Wide(from), Wide(to), failIfExists ? TRUE : FALSE));
}

Win32Error MoveFileExW(const std::u16string& from, const std::u16string& to, bool replaceExisting,
                       bool writeThrough) {
  const DWORD flags = (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0) |
                      (writeThrough ? MOVEFILE_WRITE_THROUGH : 0);
  return Result(::MoveFileExW(Wide(from), Wide(to), flags));
}

bool IsFolder(const std::u16string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Win32Error DeleteFileW(const std::u16string& path) {
  return Result(::DeleteFileW(Wide(path)));
}

Win32Error CreateDirectoryW(const std::u16string& path) {
  return Result(::CreateDirectoryW(Wide(path), nullptr));
}

Win32Error SHCreateDirectory(const std::u16string& path) {
  return static_cast<Win32Error>(::SHCreateDirectoryExW(nullptr, Wide(path), nullptr));
}

Win32Error ListFolder(const std::u16string& folder, std::vector<FolderEntry>& entries) {
  // A drive's root comes with its separator already ("C:\\").
  const bool hasSeparator = !folder.empty() && (folder.back() == u'\\' || folder.back() == u'/');
  const std::u16string pattern = folder + (hasSeparator ? u"*" : u"\\*");
  WIN32_FIND_DATAW data{};
  const FindHandle find(::FindFirstFileW(Wide(pattern), &data));
  if (find.get() == INVALID_HANDLE_VALUE) {
    // Only a drive's empty root has no "." entry to find.
    const Win32Error error = LastError();
    if (error != ERROR_FILE_NOT_FOUND) return error;
    entries.clear();
    return kErrorSuccess;
  }
  std::vector<FolderEntry> found;
  do {
    if (IsDotEntry(data.cFileName)) continue;
    found.push_back({FromWide(data.cFileName, ::wcslen(data.cFileName)),
                     (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                     std::bit_cast<FILETIME>(data.ftCreationTime)});
  } while (::FindNextFileW(find.get(), &data));
  const Win32Error error = LastError();
  if (error != ERROR_NO_MORE_FILES) return error;
  entries = std::move(found);
  return kErrorSuccess;
}

std::string PathForDisplay(const std::u16string& path) {
  return Utf16ToUtf8(path);
}

std::u16string TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};  // the most GetTempPathW ever answers
  DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return {};
  if (folder[length - 1] == L'\\') --length;
  return FromWide(folder, length);
}

std::u16string ProgramFolder() {
  std::wstring program(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(program.size());
    const DWORD length = ::GetModuleFileNameW(nullptr, program.data(), size);
    if (length == 0) return {};
    if (length < size) {
      program.resize(length);
      break;
    }
    // A full buffer may hold a cut-off name; try again with more room.
    if (size >= kMaxPathChars) return {};
    program.resize(size * 2);
  }
  const auto separator = program.find_last_of(L"\\/");
  if (separator != std::wstring::npos) program.resize(separator);
  return FromWide(program.data(), program.size());
}

Win32Error OpenWithDefaultProgram(const std::u16string& path) {
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", Wide(path), nullptr, nullptr, SW_SHOWNORMAL));
  return result > kShellExecuteFailureLimit ? kErrorSuccess : FromShellExecute(result);
}

}  // namespace qv
