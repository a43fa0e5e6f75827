// The frame created in this process from the program's own code and resources.
#include <gtest/gtest.h>
#include <windows.h>

#include "resources/resource.h"
#include "shell/frame_window.h"
#include "windows/win32/owners.h"

namespace {

std::wstring MenuText(HMENU menu, UINT pos) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, pos, text, 128, MF_BYPOSITION);
  return text;
}

class Frame : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(qv::FrameWindow::RegisterClass(Instance())); }
  static HINSTANCE Instance() { return GetModuleHandleW(nullptr); }
  void SetUp() override {
    windowsBefore_ = qv::win32::LiveCount(qv::win32::LiveKind::Window);
    menu_ = LoadMenuW(Instance(), MAKEINTRESOURCEW(IDR_MAINMENU));
    ASSERT_NE(menu_, nullptr);
    ASSERT_TRUE(frame_.Create(Instance(), menu_));
  }
  void TearDown() override {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HMENU menu_ = nullptr;
  qv::FrameWindow frame_;
  int windowsBefore_ = 0;
};

TEST_F(Frame, HasItsClassTitleMenuAndMdiClient) {
  wchar_t text[64] = {};
  GetClassNameW(frame_.hwnd(), text, 64);
  EXPECT_STREQ(text, L"KestrovaMdiFrame");
  GetWindowTextW(frame_.hwnd(), text, 64);
  EXPECT_STREQ(text, L"Quorvane beta");
  EXPECT_EQ(GetWindowLongPtrW(frame_.hwnd(), GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_NE(GetClassLongPtrW(frame_.hwnd(), GCLP_HICON), 0) << "the class has no program icon";

  HMENU menu = GetMenu(frame_.hwnd());
  ASSERT_EQ(menu, menu_);
  EXPECT_EQ(MenuText(menu, 0), L"&File");
  HMENU file = GetSubMenu(menu, 0);
  ASSERT_NE(file, nullptr);
  const int last = GetMenuItemCount(file) - 1;
  EXPECT_EQ(MenuText(file, last), L"E&xit");
  EXPECT_EQ(GetMenuItemID(file, last), static_cast<UINT>(IDM_EXIT));

  ASSERT_NE(frame_.mdiClient(), nullptr);
  EXPECT_EQ(GetParent(frame_.mdiClient()), frame_.hwnd());
  wchar_t cls[32] = {};
  GetClassNameW(frame_.mdiClient(), cls, 32);
  EXPECT_EQ(lstrcmpiW(cls, L"MDIClient"), 0);
}

TEST_F(Frame, ExitCommandDestroysTheFrameAndQuitsWithZero) {
  HWND window = frame_.hwnd();
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsMenu(menu_)) << "the menu outlived its frame";
  EXPECT_EQ(qv::win32::LiveCount(qv::win32::LiveKind::Window), windowsBefore_);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
}

}  // namespace
