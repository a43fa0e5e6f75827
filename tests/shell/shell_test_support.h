#pragma once
// Shared by the in-process shell tests: the real frame started on a scratch documents folder,
// and answers to the modal boxes and file dialogs it opens.

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "resources/resource.h"
#include "shell/app.h"
#include "tests/workspace/workspace_test_support.h"
#include "windows/win32/convert.h"

namespace qv::test {

inline HINSTANCE Instance() {
  return GetModuleHandleW(nullptr);
}

// Answers the next dialog with this caption (or, with every, each one until it goes) from a
// thread of its own, while the test's thread sits in the dialog's modal loop (which serves the
// messages sent from here).
class DialogAnswerer {
 public:
  using Answer = std::function<void(HWND dialog)>;
  DialogAnswerer(std::wstring caption, Answer answer, bool every = false)
      : thread_([this, every, caption = std::move(caption), answer = std::move(answer)] {
          HWND answeredLast = nullptr;
          for (int i = 0; (every || i < 1000) && !stop_; ++i) {
            HWND dialog = FindWindowW(L"#32770", caption.c_str());
            if (dialog && dialog != answeredLast && IsWindowVisible(dialog)) {
              wchar_t buffer[2048] = {};
              GetDlgItemTextW(dialog, 0xFFFF, buffer, 2048);  // a message box's text
              text_ = win32::FromWide(buffer);
              answer(dialog);
              answeredLast = dialog;
              ++answers_;
              if (!every) return;
            }
            Sleep(10);
          }
        }) {}
  ~DialogAnswerer() {
    stop_ = true;
    thread_.join();
  }
  bool answered() const { return answers_ > 0; }
  int answers() const { return answers_; }
  const std::u16string& text() const { return text_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int> answers_{0};
  std::u16string text_;
  std::thread thread_;
};

inline void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Types a file name into a file dialog and presses its OK button.
inline DialogAnswerer::Answer ChooseFile(std::u16string path) {
  return [path = std::move(path)](HWND dialog) {
    constexpr int kFileNameCombo = 0x47C;  // cmb13 of the Explorer-style dialog
    constexpr int kFileNameEdit = 0x480;   // edt1
    const int id = GetDlgItem(dialog, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
    SetDlgItemTextW(dialog, id, win32::Wide(path));
    PressButton(dialog, IDOK);
  };
}

inline DialogAnswerer::Answer Press(int id) {
  return [id](HWND dialog) { PressButton(dialog, id); };
}

inline void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
  }
}

// The frame made and started as the program does it, with the documents folder in a scratch
// folder of the test's own.
class StartedFrame : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(FrameWindow::RegisterClass(Instance())); }

  StoragePaths Paths() const { return WorkOutStoragePaths(); }
  std::u16string WorkspaceFile() const { return Paths().workspaceFile; }

  void Start() { Start(Paths()); }
  void Start(const StoragePaths& paths) {
    frame = std::make_unique<FrameWindow>(Instance());
    ASSERT_TRUE(frame->Create(LoadMenuW(Instance(), MAKEINTRESOURCEW(IDR_MAINMENU))));
    StartWorkspace(*frame, paths);
  }
  void TearDown() override {
    if (frame && frame->hwnd()) DestroyWindow(frame->hwnd());
    PumpMessages();
    frame.reset();
  }

  void Command(WORD id) { SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  CGenWindow& List(std::size_t index) const {
    return *frame->workspace().ListWindows[index]->window;
  }
  HWND ListHwnd(std::size_t index) const { return Win32View(List(index)).hwnd(); }
  std::uint32_t ListCommand(std::size_t index) const {
    return frame->workspace().ListWindows[index]->commandId;
  }
  UINT TaskWindowsState(std::size_t index) const {
    return GetMenuState(frame->taskWindowsMenu(), ListCommand(index), MF_BYCOMMAND);
  }

  ScratchFolder scratch;
  ScopedDocumentsFolder documents{scratch.path};
  std::unique_ptr<FrameWindow> frame;
};

}  // namespace qv::test
