// The frame created in this process from the program's own code and resources.
#include <gtest/gtest.h>
#include <windows.h>

#include "resources/resource.h"
#include "shell/app.h"
#include "shell/frame_window.h"

namespace {

std::wstring MenuText(HMENU menu, UINT pos) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, pos, text, 128, MF_BYPOSITION);
  return text;
}

class Frame : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    qv::App().instance = GetModuleHandleW(nullptr);
    ASSERT_TRUE(qv::RegisterFrameClass(qv::App().instance));
  }
  void SetUp() override {
    qv::App().MainMenu = LoadMenuW(qv::App().instance, MAKEINTRESOURCEW(IDR_MAINMENU));
    ASSERT_NE(qv::App().MainMenu, nullptr);
    frame_ = qv::CreateFrameWindow(qv::App().instance, qv::App().MainMenu);
    ASSERT_NE(frame_, nullptr);
  }
  void TearDown() override {
    if (IsWindow(frame_)) DestroyWindow(frame_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HWND frame_ = nullptr;
};

TEST_F(Frame, HasItsClassTitleMenuAndMdiClient) {
  wchar_t text[64] = {};
  GetClassNameW(frame_, text, 64);
  EXPECT_STREQ(text, L"KestrovaMdiFrame");
  GetWindowTextW(frame_, text, 64);
  EXPECT_STREQ(text, L"Quorvane beta");
  EXPECT_EQ(GetWindowLongPtrW(frame_, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_NE(GetClassLongPtrW(frame_, GCLP_HICON), 0) << "the class has no program icon";

  HMENU menu = GetMenu(frame_);
  ASSERT_EQ(menu, qv::App().MainMenu);
  EXPECT_EQ(MenuText(menu, 0), L"&File");
  HMENU file = GetSubMenu(menu, 0);
  ASSERT_NE(file, nullptr);
  const int last = GetMenuItemCount(file) - 1;
  EXPECT_EQ(MenuText(file, last), L"E&xit");
  EXPECT_EQ(GetMenuItemID(file, last), static_cast<UINT>(IDM_EXIT));

  ASSERT_NE(qv::App().MdiClient, nullptr);
  EXPECT_EQ(GetParent(qv::App().MdiClient), frame_);
  wchar_t cls[32] = {};
  GetClassNameW(qv::App().MdiClient, cls, 32);
  EXPECT_EQ(lstrcmpiW(cls, L"MDIClient"), 0);
}

TEST_F(Frame, ExitCommandDestroysTheFrameAndQuitsWithZero) {
  SendMessageW(frame_, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
  EXPECT_FALSE(IsWindow(frame_));
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
}

}  // namespace
