// Starts the real Quorvane.exe as a user would and drives its frame from outside.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kStartTimeoutMs = 20000;  // a cold Wine prefix can take seconds to start a GUI
constexpr DWORD kExitTimeoutMs = 10000;

std::wstring ProgramPath() {
  std::u16string folder = qv::ProgramFolder();
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

TEST(Program, ShowsTheFrameAndExitsWithCodeZeroOnTheExitCommand) {
  RunningProgram program;
  ASSERT_TRUE(program.started()) << "CreateProcessW failed: " << GetLastError();
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr) << "no visible frame appeared";

  ASSERT_TRUE(PostMessageW(frame, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0));
  ASSERT_EQ(WaitForSingleObject(program.process(), kExitTimeoutMs), WAIT_OBJECT_0)
      << "the program did not end after File > Exit";
  DWORD code = 1234;
  ASSERT_TRUE(GetExitCodeProcess(program.process(), &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(IsWindow(frame));
}

TEST(Program, AsksForCommonControlsVersionSix) {
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
