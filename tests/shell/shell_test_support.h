#pragma once
// Shared by the in-process window tests: the real frame started on a scratch documents folder,
// answers to the modal boxes, file dialogs and popup menus it opens, its rows, and what it
// saved read back without windows.

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "resources/resource.h"
#include "shell/app.h"
#include "tests/workspace/workspace_test_support.h"
#include "windows/task_row.h"
#include "windows/win32/convert.h"
#include "windows/win32/owners.h"

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

// What a popup menu offered (and which item was checked), read from another thread while the
// caller's thread sits in the menu's loop; then these keys are pressed in it, like a user.
struct PopupMenuSeen {
  std::vector<std::wstring> items;
  UINT checkedId = 0;
};
inline PopupMenuSeen ReadPopupMenu(const std::function<void()>& open, std::vector<WPARAM> keys) {
  PopupMenuSeen seen;
  std::thread reader([&] {
    for (int i = 0; i < 500; ++i) {
      HWND popup = FindWindowW(L"#32768", nullptr);
      if (popup && IsWindowVisible(popup)) {
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        for (int k = 0; k < GetMenuItemCount(menu); ++k) {
          wchar_t text[64] = {};
          GetMenuStringW(menu, k, text, 64, MF_BYPOSITION);
          seen.items.push_back(text);
          if (GetMenuState(menu, k, MF_BYPOSITION) & MF_CHECKED)
            seen.checkedId = GetMenuItemID(menu, k);
        }
        for (WPARAM key : keys) PostMessageW(popup, WM_KEYDOWN, key, 0);
        return;
      }
      Sleep(10);
    }
  });
  open();
  reader.join();
  return seen;
}

// Serves what is queued; whether the loop was told to end.
inline bool PumpMessages() {
  bool quit = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) quit = true;
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
  }
  return quit;
}

// A window's rectangle in its parent's client coordinates.
inline RECT InParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

inline SIZE ClientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right, rect.bottom};
}

// The client area's pixels as they are on screen, row after row.
inline std::vector<COLORREF> OnScreen(HWND window) {
  UpdateWindow(window);
  const SIZE size = ClientSize(window);
  win32::WindowDc dc(window);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) pixels.push_back(GetPixel(dc.get(), x, y));
  }
  return pixels;
}

// The row in view that shows the task; a test that asks for one out of view fails.
inline TaskRowWindow& Row(const TaskItem& item) {
  for (TaskRowWindow* row : Win32View(item.owner()).Rows()) {
    if (&row->item() == &item) return *row;
  }
  throw std::runtime_error("no row in view shows the task");
}

// The names the list's rows in view show, top to bottom.
inline std::vector<std::u16string> Shown(const CGenWindow& list) {
  std::vector<std::u16string> names;
  for (TaskRowWindow* row : Win32View(list).Rows()) {
    names.push_back(win32::WindowText(row->mainButton()));
  }
  return names;
}

// The rows in view are where the scroll position puts them: task k at 30 k less the position,
// with its name; every task that meets the pane has one; and at the end of the range the last
// row ends one pixel above the pane's edge.
inline void ExpectRowsInView(const CGenWindow& list) {
  constexpr int kRow = 30;
  const ListWindow& view = Win32View(list);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(view.scrollBar(), SB_CTL, &info);
  const int height = ClientSize(view.pane()).cy;
  const int count = static_cast<int>(list.tasks.size());
  std::map<const TaskItem*, int> index;
  for (int k = 0; k < count; ++k) index[list.tasks[k].get()] = k;
  std::set<int> shown;
  for (TaskRowWindow* row : view.Rows()) {
    const int k = index.at(&row->item());
    shown.insert(k);
    EXPECT_EQ(InParent(row->mainButton()).top, kRow * k - info.nPos) << "task " << k;
    EXPECT_EQ(win32::WindowText(row->mainButton()), list.tasks[k]->task.name.value_or(u""));
  }
  for (int k = info.nPos / kRow; k < count && kRow * k < info.nPos + height; ++k)
    EXPECT_EQ(shown.count(k), 1u) << "no row for task " << k;
  EXPECT_LE(shown.size(), static_cast<std::size_t>(height / kRow + 2));
  if (IsWindowVisible(view.scrollBar())) {
    EXPECT_EQ(kRow * count - (info.nMax - static_cast<int>(info.nPage) + 1), height - 1);
  } else {
    EXPECT_EQ(info.nPos, 0);
  }
}

// The list scrolled to a position, as the end of any scrolling leaves it.
inline void ScrollTo(const CGenWindow& list, int position) {
  const HWND bar = Win32View(list).scrollBar();
  SetScrollPos(bar, SB_CTL, position, FALSE);
  SendMessageW(GetParent(bar), WM_VSCROLL, SB_ENDSCROLL, reinterpret_cast<LPARAM>(bar));
}

// Tasks named by number at the end of the list, laid out once.
inline void AppendNumbered(CGenWindow& list, int count, const std::u16string& prefix) {
  for (int i = 0; i < count; ++i) AppendTaskItem(list).task.name = prefix + FormatInt(i);
  list.view().TasksChanged();
}

inline TaskItem& AddTask(CGenWindow& list, const std::u16string& name, std::uint32_t priority = 0,
                         qv::SYSTEMTIME deadline = {}) {
  TaskInfo task;
  task.name = name;
  task.priority = priority;
  task.deadline = deadline;
  return AddNewTask(list, task);
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
  // The default workspace, with no seed beside the program: "Hot Tasks" logging into
  // "My logger" and "Work logger", all hidden.
  void StartOnDefault() {
    StoragePaths paths = Paths();
    paths.seedFile = scratch / u"no-seed.xml";
    Start(paths);
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
