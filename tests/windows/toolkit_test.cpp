// The Win32 toolkit against real windows, dialogs and GDI objects.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "resources/resource.h"
#include "tests/windows/toolkit_test_ids.h"
#include "windows/win32/convert.h"
#include "windows/win32/dialog_base.h"
#include "windows/win32/owners.h"
#include "windows/win32/window_base.h"

namespace qv::win32 {
namespace {

constexpr UINT kThrowMessage = WM_APP + 1;
constexpr UINT kEchoMessage = WM_APP + 2;

struct LiveCounts {
  int windows = LiveCount(LiveKind::Window);
  int gdi = LiveCount(LiveKind::Gdi);
  int user = LiveCount(LiveKind::User);
  friend bool operator==(const LiveCounts&, const LiveCounts&) = default;
};

TEST(Owners, CountWhatTheyHoldAndReleaseItOnce) {
  const LiveCounts before;
  HFONT raw = nullptr;
  {
    FontHandle font(
        CreateFontW(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    BrushHandle brush(CreateSolidBrush(RGB(1, 2, 3)));
    MenuHandle menu(CreatePopupMenu());
    ImageListHandle images(ImageList_Create(16, 16, ILC_COLOR32, 0, 1));
    MemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(font && brush && menu && images && dc);
    EXPECT_EQ(LiveCount(LiveKind::Gdi), before.gdi + 4);
    EXPECT_EQ(LiveCount(LiveKind::User), before.user + 1);

    // A moved owner gives its handle up whole: one release, one count.
    raw = font.get();
    FontHandle moved(std::move(font));
    EXPECT_FALSE(font);
    EXPECT_EQ(moved.get(), raw);
    font = std::move(moved);
    EXPECT_EQ(LiveCount(LiveKind::Gdi), before.gdi + 4);

    // Giving a handle up leaves it alive and uncounted.
    HBRUSH kept = brush.release();
    EXPECT_EQ(LiveCount(LiveKind::Gdi), before.gdi + 3);
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_TRUE(DeleteObject(kept));
  }
  EXPECT_EQ(LiveCounts{}, before);
  EXPECT_EQ(GetObjectType(raw), 0u) << "the font was not deleted";
}

TEST(Owners, ScopedSelectPutsThePreviousObjectBack) {
  MemoryDc dc(CreateCompatibleDC(nullptr));
  const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_FONT);
  FontHandle font(
      CreateFontW(20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
  {
    ScopedSelect select(dc.get(), font.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), original);

  const LiveCounts before;
  {
    WindowDc screen(nullptr);
    EXPECT_NE(screen.get(), nullptr);
    EXPECT_EQ(LiveCount(LiveKind::Gdi), before.gdi + 1);
  }
  EXPECT_EQ(LiveCounts{}, before);
}

// Records what reached the object, so the tests can see it was found from the first message.
class ProbeWindow : public WindowBase {
 public:
  static constexpr wchar_t kClass[] = L"QuorvaneToolkitProbe";
  static bool Register() {
    WNDCLASSEXW wc{};
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    return RegisterWindowClass(wc);
  }
  bool MakeTopLevel() {
    return Create(0, kClass, L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                  GetModuleHandleW(nullptr)) != nullptr;
  }
  bool MakeMdiChild(HWND client) {
    return CreateMdiChild(client, kClass, L"child", 0, 0, 0, 100, 80, GetModuleHandleW(nullptr)) !=
           nullptr;
  }
  void DestroyNow() { Destroy(); }

  bool sawCreateWithHandle = false;
  int destroyed = 0;
  bool mdiChild = false;

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_CREATE: sawCreateWithHandle = hwnd() != nullptr; break;
      case WM_DESTROY: ++destroyed; break;
      case kThrowMessage: throw std::runtime_error("handler failed");
      case kEchoMessage: return static_cast<LRESULT>(wParam) + 1;
    }
    return DefaultHandling(msg, wParam, lParam);
  }
  LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (mdiChild) return DefMDIChildProcW(hwnd(), msg, wParam, lParam);
    return WindowBase::DefaultHandling(msg, wParam, lParam);
  }
};

class WindowBaseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(ProbeWindow::Register()); }
};

TEST_F(WindowBaseTest, TheObjectGetsEveryMessageFromCreationToDestruction) {
  const LiveCounts before;
  ProbeWindow probe;
  ASSERT_TRUE(ProbeWindow::Register()) << "registering twice is no failure";
  ASSERT_TRUE(probe.MakeTopLevel());
  EXPECT_TRUE(probe.sawCreateWithHandle);
  EXPECT_EQ(WindowBase::FromHandle(probe.hwnd()), &probe);
  EXPECT_EQ(WindowBase::FromHandle(GetDesktopWindow()), nullptr);
  EXPECT_EQ(LiveCount(LiveKind::Window), before.windows + 1);
  EXPECT_EQ(SendMessageW(probe.hwnd(), kEchoMessage, 41, 0), 42);

  // A handler's exception stops at the window procedure and the window goes on working.
  EXPECT_EQ(SendMessageW(probe.hwnd(), kThrowMessage, 0, 0), 0);
  EXPECT_EQ(SendMessageW(probe.hwnd(), kEchoMessage, 1, 0), 2);

  HWND window = probe.hwnd();
  probe.DestroyNow();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(probe.hwnd(), nullptr);
  EXPECT_EQ(probe.destroyed, 1);
  EXPECT_EQ(LiveCounts{}, before);
}

TEST_F(WindowBaseTest, AnObjectDestroyedFirstTakesItsWindowWithIt) {
  const LiveCounts before;
  HWND window = nullptr;
  {
    ProbeWindow probe;
    ASSERT_TRUE(probe.MakeTopLevel());
    window = probe.hwnd();
  }
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(LiveCounts{}, before);
}

TEST_F(WindowBaseTest, MdiChildrenCarryTheirObjectAndLeaveThroughTheirClient) {
  ProbeWindow frame;
  ASSERT_TRUE(frame.MakeTopLevel());
  CLIENTCREATESTRUCT ccs{};
  ccs.idFirstChild = ID_FIRST_MDI_CHILD;
  HWND client = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 200, 100,
                                frame.hwnd(), nullptr, GetModuleHandleW(nullptr), &ccs);
  ASSERT_NE(client, nullptr);

  const LiveCounts before;
  ProbeWindow child;
  child.mdiChild = true;
  ASSERT_TRUE(child.MakeMdiChild(client));
  EXPECT_TRUE(child.sawCreateWithHandle);
  EXPECT_EQ(GetParent(child.hwnd()), client);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)), child.hwnd());
  EXPECT_EQ(LiveCount(LiveKind::Window), before.windows + 1);

  child.DestroyNow();
  EXPECT_EQ(child.hwnd(), nullptr);
  EXPECT_EQ(GetWindow(client, GW_CHILD), nullptr);
  EXPECT_EQ(SendMessageW(client, WM_MDIGETACTIVE, 0, 0), 0) << "the client still has a child";
  EXPECT_EQ(LiveCounts{}, before);
}

// Ends itself from a posted command, after a command whose handler throws.
class ProbeDialog : public DialogBase {
 public:
  static constexpr WORD kThrowCommand = 1234;
  bool initialised = false;
  bool hadHandleAtInit = false;

 private:
  bool OnInit() override {
    initialised = true;
    hadHandleAtInit = hwnd() != nullptr;
    PostMessageW(hwnd(), WM_COMMAND, kThrowCommand, 0);
    PostMessageW(hwnd(), WM_COMMAND, IDOK, 0);
    return true;
  }
  bool OnCommand(WORD id, WORD code, HWND control) override {
    if (id == kThrowCommand) throw std::runtime_error("command failed");
    return DialogBase::OnCommand(id, code, control);
  }
};

TEST(DialogBaseTest, RunsModallyWithItsObjectFromInitialisationToTheEnd) {
  const LiveCounts before;
  ProbeDialog dialog;
  EXPECT_EQ(dialog.RunModal(GetModuleHandleW(nullptr), IDD_TOOLKIT_TEST, nullptr), IDOK);
  EXPECT_TRUE(dialog.initialised);
  EXPECT_TRUE(dialog.hadHandleAtInit);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_EQ(LiveCounts{}, before);
  EXPECT_EQ(dialog.RunModal(GetModuleHandleW(nullptr), 9999, nullptr), -1) << "no such template";
}

TEST(Convert, TextAndTimesCrossToRealControlsUnchanged) {
  HWND edit = CreateWindowExW(0, L"EDIT", nullptr, WS_POPUP | ES_AUTOHSCROLL, 0, 0, 100, 20,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  // Longer than any fixed buffer the program uses, with a character outside the BMP.
  std::u16string text(5000, u'x');
  text += u"\U0001F600 end";
  ASSERT_TRUE(SetText(edit, text));
  EXPECT_EQ(WindowText(edit), text);
  ASSERT_TRUE(SetText(edit, u""));
  EXPECT_EQ(WindowText(edit), u"");
  DestroyWindow(edit);
  EXPECT_EQ(FromWide(nullptr), u"");

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&icc));
  HWND picker = CreateWindowExW(0, DATETIMEPICK_CLASSW, nullptr, WS_POPUP, 0, 0, 200, 20, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(picker, nullptr);
  const qv::SYSTEMTIME time{2026, 12, 1, 7, 13, 45, 30, 0};  // a Monday
  ::SYSTEMTIME in = ToWin32(time);
  ASSERT_TRUE(SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&in)));
  ::SYSTEMTIME out{};
  ASSERT_EQ(SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&out)), GDT_VALID);
  const qv::SYSTEMTIME back = FromWin32(out);
  EXPECT_EQ(back.wYear, 2026);
  EXPECT_EQ(back.wMonth, 12);
  EXPECT_EQ(back.wDay, 7);
  EXPECT_EQ(back.wHour, 13);
  EXPECT_EQ(back.wMinute, 45);
  EXPECT_EQ(back.wSecond, 30);
  DestroyWindow(picker);
}

}  // namespace
}  // namespace qv::win32
