// Starts the real Quorvane.exe as a user would and drives its frame from outside.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "resources/resource.h"
#include "tests/workspace/workspace_test_support.h"

namespace {

constexpr DWORD kStartTimeoutMs = 20000;  // a cold Wine prefix can take seconds to start a GUI
constexpr DWORD kExitTimeoutMs = 10000;

std::wstring ProgramPath() {
  const std::u16string folder = qv::ProgramFolder();
  return std::wstring(folder.begin(), folder.end()) + L"\\Quorvane.exe";
}

class RunningProgram {
 public:
  RunningProgram() {
    std::wstring cmd = L"\"" + ProgramPath() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi_) != FALSE;
  }
  ~RunningProgram() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return started_; }
  HANDLE process() const { return pi_.hProcess; }

  // The program's frame, found the way another instance of the program finds it.
  HWND WaitForFrame() const {
    for (DWORD waited = 0; waited < kStartTimeoutMs; waited += 50) {
      HWND frame = FindWindowW(L"KestrovaMdiFrame", L"Quorvane beta");
      DWORD pid = 0;
      if (frame) GetWindowThreadProcessId(frame, &pid);
      if (frame && pid == pi_.dwProcessId && IsWindowVisible(frame)) return frame;
      if (WaitForSingleObject(pi_.hProcess, 50) != WAIT_TIMEOUT) return nullptr;
    }
    return nullptr;
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

// The program's own documents folder is the one of the test prefix.
TEST(Program, LoadsTheUsersWorkspaceAndSavesItAtExitWithCodeZero) {
  const std::u16string folder = *qv::DocumentsFolder() + u"\\Quorvane";
  const std::u16string file = folder + u"\\tasklist.xml";
  qv::SHCreateDirectory(folder);
  const std::u16string xml =
      u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<Root>\r\n"
      u"<TaskList TaskListName=\"Errands\" TaskListType=\"2\" TaskListVisible=\"1\">"
      u"<TaskList><Task TaskDescr=\"Post\"/></TaskList><LogLinks/></TaskList>\r\n"
      u"<LogList TaskListName=\"Kept\" TaskListType=\"4\" TaskListVisible=\"0\">"
      u"<TaskList/><LogLinks/></LogList>\r\n</Root>\r\n";
  ASSERT_EQ(qv::WriteWholeFile(file, qv::test::Utf16LeBytes(xml, true)), qv::kErrorSuccess);

  RunningProgram program;
  ASSERT_TRUE(program.started());
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  qv::DeleteFileW(file);
  ASSERT_TRUE(PostMessageW(frame, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0));
  ASSERT_EQ(WaitForSingleObject(program.process(), kExitTimeoutMs), WAIT_OBJECT_0)
      << "the program did not end after File > Exit";
  DWORD code = 1234;
  ASSERT_TRUE(GetExitCodeProcess(program.process(), &code));
  EXPECT_EQ(code, 0u);
  const qv::test::Reloaded saved(file);
  EXPECT_EQ(saved.Titles(), (std::vector<std::u16string>{u"Errands", u"Kept"}));
  EXPECT_EQ(saved.Names(0), std::vector<std::u16string>{u"Post"});
}

TEST(Program, CarriesItsManifestAndVersion) {
  DWORD ignored = 0;
  std::vector<std::uint8_t> info(GetFileVersionInfoSizeW(ProgramPath().c_str(), &ignored));
  ASSERT_FALSE(info.empty()) << "no version resource";
  ASSERT_TRUE(GetFileVersionInfoW(ProgramPath().c_str(), 0, info.size(), info.data()));
  UINT length = 0;
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 0)) << "not version 0.1";

  HMODULE exe = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  HRSRC res = FindResourceW(exe, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  ASSERT_NE(res, nullptr) << "no application manifest";
  const char* data = static_cast<const char*>(LockResource(LoadResource(exe, res)));
  std::string manifest(data, SizeofResource(exe, res));
  FreeLibrary(exe);
  const size_t dep = manifest.find("Microsoft.Windows.Common-Controls");
  ASSERT_NE(dep, std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\"", dep), std::string::npos);
}

}  // namespace
