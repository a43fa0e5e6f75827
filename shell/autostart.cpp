#include "shell/autostart.h"

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <new>
#include <vector>

namespace qv {
namespace {

constexpr DWORD kPathChars = MAX_PATH;

bool IsTextType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ;
}

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

LONG QueryValue(HKEY key, std::wstring* text) {
  DWORD type = 0;
  DWORD size = 0;
  LONG error = RegQueryValueExW(key, kAutostartValueName, nullptr, &type, nullptr, &size);
  if (error != ERROR_SUCCESS) return error;
  if (!IsTextType(type)) return ERROR_DATATYPE_MISMATCH;
  // Two bytes more than the data, for a NUL the stored value may lack.
  std::vector<wchar_t> buffer;
  try {
    buffer.assign(size / sizeof(wchar_t) + 2, L'\0');
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  error = RegQueryValueExW(key, kAutostartValueName, nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &size);
  if (error != ERROR_SUCCESS) return error;
  if (!IsTextType(type)) return ERROR_DATATYPE_MISMATCH;
  buffer[size / sizeof(wchar_t)] = L'\0';
  *text = buffer.data();
  return ERROR_SUCCESS;
}

bool CheckAdministrator() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, &administrators)) {
    return false;
  }
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
  FreeSid(administrators);
  return member != FALSE;
}

DWORD LaunchElevated(HWND owner, const wchar_t* path, HANDLE* process) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // The process handle tells the new instance's frame from every other.
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = owner;
  info.lpVerb = L"runas";
  info.lpFile = path;
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) return GetLastError();
  *process = info.hProcess;
  return ERROR_SUCCESS;
}

}  // namespace

LONG ReadAutostartValue(std::wstring* text) {
  RegistryKey key;
  const LONG error = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, key.out());
  if (error != ERROR_SUCCESS) return error;
  return QueryValue(key.get(), text);
}

LONG WriteAutostartValue(const std::wstring& text) {
  RegistryKey key;
  LONG error = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, key.out());
  if (error == ERROR_FILE_NOT_FOUND) {
    error = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
  }
  if (error != ERROR_SUCCESS) return error;
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), kAutostartValueName, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

std::wstring ProgramPath() {
  std::array<wchar_t, kPathChars> path{};
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), kPathChars);
  // A full buffer means a cut path, which would name another file.
  if (length == 0 || length >= kPathChars) return {};
  return std::wstring(path.data(), length);
}

bool IsAutostartEnabled() {
  const std::wstring path = ProgramPath();
  if (path.empty()) return false;
  std::wstring value;
  if (ReadAutostartValue(&value) != ERROR_SUCCESS || value.empty()) return false;
  const std::wstring quoted = L"\"" + path + L"\"";
  // Over at most the length of a path, as the value was written.
  const auto compared = [](const std::wstring& text) {
    return static_cast<int>(std::min<std::size_t>(text.size(), kPathChars));
  };
  return CompareStringOrdinal(value.c_str(), compared(value), quoted.c_str(), compared(quoted),
                              TRUE) == CSTR_EQUAL;
}

bool IsAdministrator() {
  return Autostart().isAdministrator();
}

void DeleteAutostartValue() {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, key.out()) == ERROR_SUCCESS) {
    RegDeleteValueW(key.get(), kAutostartValueName);
  }
}

AutostartSystem RealAutostartSystem() {
  return {CheckAdministrator, LaunchElevated, WriteAutostartValue};
}

AutostartSystem& Autostart() {
  static AutostartSystem system = RealAutostartSystem();
  return system;
}

}  // namespace qv
