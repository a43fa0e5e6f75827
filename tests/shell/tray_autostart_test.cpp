// The tray icon and "Startup automatically", on the real frame and the real registry of the
// test's Wine prefix. The shell call and the elevation are behind seams: every Wine process
// is an administrator and nothing asks for elevation.
#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "shell/autostart.h"
#include "shell/tray_icon.h"
#include "tests/shell/shell_test_support.h"

namespace qv::test {
namespace {

std::vector<std::pair<DWORD, NOTIFYICONDATAW>> notifications;

BOOL WINAPI RecordNotification(DWORD message, PNOTIFYICONDATAW data) {
  notifications.emplace_back(message, *data);
  return TRUE;
}

std::wstring Quoted(const std::wstring& path) {
  return L"\"" + path + L"\"";
}

void SetRunValue(DWORD type, const std::wstring& text) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kAutostartValueName, type, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

class Tray : public StartedFrame {
 protected:
  void SetUp() override {
    notifications.clear();
    SetNotifyIconFunction(RecordNotification);
  }
  void TearDown() override {
    StartedFrame::TearDown();
    SetNotifyIconFunction(nullptr);
  }
  void Mouse(UINT message) { SendMessageW(frame->hwnd(), WM_QV_TRAY, ID_TRAY_ICON, message); }
  std::vector<std::wstring> MenuAfter(UINT message, std::vector<WPARAM> keys) {
    return ReadPopupMenu([&] { Mouse(message); }, std::move(keys)).items;
  }
};

TEST_F(Tray, TheIconComesAndGoesWithTheShellAndItsClicksAndMenuReachTheFrame) {
  Start();
  // What the shell needs to call the frame back: the window, the id and, when added, the message.
  const auto reaches = [&](std::size_t i, DWORD message) {
    const auto& [sent, data] = notifications.at(i);
    return sent == message && data.hWnd == frame->hwnd() && data.uID == ID_TRAY_ICON &&
           (message != NIM_ADD ||
            ((data.uFlags & NIF_MESSAGE) && data.uCallbackMessage == WM_QV_TRAY));
  };
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_TRUE(reaches(0, NIM_ADD));
  const NOTIFYICONDATAW added = notifications[0].second;
  EXPECT_EQ(added.hIcon, LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_APP)));

  SendMessageW(frame->hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_EQ(notifications.size(), 2u);
  EXPECT_TRUE(reaches(1, NIM_ADD));
  frame->RemoveTrayIcon();
  ASSERT_EQ(notifications.size(), 3u);
  EXPECT_TRUE(reaches(2, NIM_DELETE));
  // Removed, it does not come back with the shell.
  SendMessageW(frame->hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(notifications.size(), 3u);

  // The real shell of the Wine desktop takes the same icon.
  SetNotifyIconFunction(nullptr);
  TrayIcon real;
  EXPECT_TRUE(real.Add(frame->hwnd(), added.hIcon));

  // Clicks restore the frame; the menu shows, hides and exits with a save.
  ShowWindow(frame->hwnd(), SW_HIDE);
  Mouse(WM_LBUTTONDOWN);
  EXPECT_TRUE(IsWindowVisible(frame->hwnd()));
  ShowWindow(frame->hwnd(), SW_MINIMIZE);
  Mouse(WM_LBUTTONDBLCLK);
  EXPECT_FALSE(IsIconic(frame->hwnd()));

  const std::vector<std::wstring> items{L"Show", L"Hide", L"Exit"};
  EXPECT_EQ(MenuAfter(WM_RBUTTONDOWN, {VK_DOWN, VK_DOWN, VK_RETURN}), items);
  EXPECT_FALSE(PumpMessages());
  EXPECT_FALSE(IsWindowVisible(frame->hwnd())) << "Hide";
  EXPECT_EQ(MenuAfter(WM_CONTEXTMENU, {VK_DOWN, VK_RETURN}), items);
  EXPECT_FALSE(PumpMessages());
  EXPECT_TRUE(IsWindowVisible(frame->hwnd())) << "Show";

  Command(IDM_NEW_WORKSPACE);
  EXPECT_EQ(MenuAfter(WM_RBUTTONDOWN, {VK_UP, VK_RETURN}), items);
  EXPECT_TRUE(PumpMessages()) << "Exit";
  // Saved as at File > Exit: the cleared workspace is what the file holds.
  const Reloaded saved(WorkspaceFile());
  EXPECT_TRUE(saved.loaded && saved.ws.ListWindows.empty());
}

TEST(Autostart, OnOnlyForThisProgramsQuotedPathInAnyCase) {
  const std::wstring path = ProgramPath();
  ASSERT_FALSE(path.empty());
  std::wstring upper = Quoted(path);
  CharUpperW(upper.data());
  const std::tuple<DWORD, std::wstring, bool> cases[] = {
      {REG_SZ, upper, true}, {REG_EXPAND_SZ, Quoted(path), true},
      {REG_SZ, path, false}, {REG_SZ, Quoted(L"C:\\elsewhere\\Quorvane.exe"), false},
      {REG_SZ, L"", false},  {REG_DWORD, Quoted(path), false},
  };
  for (const auto& [type, text, on] : cases) {
    SetRunValue(type, text);
    EXPECT_EQ(IsAutostartEnabled(), on) << type << " " << std::string(text.begin(), text.end());
  }
  DeleteAutostartValue();
  EXPECT_FALSE(IsAutostartEnabled());
}

// Each path of the command, with the seams answering as the case needs.
class StartupCommand : public StartedFrame {
 protected:
  void SetUp() override { DeleteAutostartValue(); }
  void TearDown() override {
    StartedFrame::TearDown();
    Autostart() = RealAutostartSystem();
    DeleteAutostartValue();
  }
  bool Checked() const {
    return GetMenuState(GetMenu(frame->hwnd()), IDM_STARTUP_AUTOMATICALLY, MF_BYCOMMAND) &
           MF_CHECKED;
  }

  static bool NotAdministrator() { return false; }
  static DWORD Cancelled(HWND, const wchar_t*, HANDLE*) { return ERROR_CANCELLED; }
  static DWORD NotFound(HWND, const wchar_t*, HANDLE*) { return ERROR_FILE_NOT_FOUND; }
  static LONG Denied(const std::wstring&) { return ERROR_ACCESS_DENIED; }
};

TEST_F(StartupCommand, AnAdministratorFlipsTheValueAndRefusalsAreToldAndChangeNothing) {
  SetRunValue(REG_SZ, ProgramPath());  // unquoted: off, and overwritten
  Start();
  EXPECT_FALSE(Checked());
  Command(IDM_STARTUP_AUTOMATICALLY);
  std::wstring text;
  ASSERT_EQ(ReadAutostartValue(&text), ERROR_SUCCESS);
  EXPECT_EQ(text, Quoted(ProgramPath()));
  EXPECT_TRUE(Checked());
  Command(IDM_STARTUP_AUTOMATICALLY);
  EXPECT_EQ(ReadAutostartValue(&text), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(Checked());

  Autostart().isAdministrator = NotAdministrator;
  Autostart().launchElevated = Cancelled;
  {
    DialogAnswerer answer(L"Error", Press(IDOK));
    Command(IDM_STARTUP_AUTOMATICALLY);
    EXPECT_EQ(answer.text(), u"Unable to set automatic startup - elevation was canceled by user");
  }
  EXPECT_EQ(ReadAutostartValue(&text), ERROR_FILE_NOT_FOUND);

  // Another launch failure: this instance makes the change, and the write is refused.
  Autostart().launchElevated = NotFound;
  Autostart().writeValue = Denied;
  {
    DialogAnswerer answer(L"Error", Press(IDOK));
    Command(IDM_STARTUP_AUTOMATICALLY);
    EXPECT_EQ(answer.text(),
              u"Access denied - you have not permission for this action,\n"
              u"please try again as administrator");
  }
  EXPECT_FALSE(Checked());
  Autostart().writeValue = WriteAutostartValue;
  Command(IDM_STARTUP_AUTOMATICALLY);
  EXPECT_TRUE(Checked()) << "the direct change after a failed launch";
}

// The launch starts the real program (an administrator under Wine, which then makes the change
// itself) and notes whether the workspace was saved by then.
std::u16string handOverFile;
bool savedBeforeLaunch = false;
HANDLE elevatedCopy = nullptr;

DWORD LaunchProgram(HWND, const wchar_t*, HANDLE* process) {
  const Reloaded saved(handOverFile);
  savedBeforeLaunch = saved.loaded && saved.ws.ListWindows.empty();
  std::wstring cmd = L"\"" + std::wstring(win32::Wide(ProgramFolder())) + L"\\Quorvane.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return GetLastError();
  }
  CloseHandle(pi.hThread);
  DuplicateHandle(GetCurrentProcess(), pi.hProcess, GetCurrentProcess(), &elevatedCopy, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  *process = pi.hProcess;
  return ERROR_SUCCESS;
}

TEST_F(StartupCommand, WithoutRightsTheElevatedCopyGetsTheSavedWorkspaceAndTheCommand) {
  Start();
  handOverFile = WorkspaceFile();
  Command(IDM_NEW_WORKSPACE);
  Autostart().isAdministrator = NotAdministrator;
  Autostart().launchElevated = LaunchProgram;
  Command(IDM_STARTUP_AUTOMATICALLY);
  EXPECT_TRUE(savedBeforeLaunch);
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "this one goes on";

  // The copy's own path in the value shows that its frame, not this one, took the command.
  const std::wstring program =
      Quoted(std::wstring(win32::Wide(ProgramFolder())) + L"\\Quorvane.exe");
  std::wstring text;
  for (int i = 0; i < 200 && text.empty(); ++i) {
    Sleep(50);
    ReadAutostartValue(&text);
  }
  EXPECT_EQ(CompareStringOrdinal(text.c_str(), -1, program.c_str(), -1, TRUE), CSTR_EQUAL)
      << std::string(text.begin(), text.end());
  TerminateProcess(elevatedCopy, 0);
  WaitForSingleObject(elevatedCopy, 5000);
  CloseHandle(elevatedCopy);
}

}  // namespace
}  // namespace qv::test
