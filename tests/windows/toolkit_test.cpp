// The Win32 toolkit against real windows, dialogs and GDI objects.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>

#include "resources/resource.h"
#include "windows/win32/convert.h"
#include "windows/win32/dialog_base.h"
#include "windows/win32/owners.h"
#include "windows/win32/window_base.h"

namespace qv::win32 {
namespace {

std::array<int, 3> Live() {
  return {LiveCount(LiveKind::Window), LiveCount(LiveKind::Gdi), LiveCount(LiveKind::User)};
}

TEST(Owners, CountWhatTheyHoldReleaseItOnceAndPutSelectionsBack) {
  const std::array<int, 3> before = Live();
  HFONT raw = nullptr;
  {
    FontHandle font(
        CreateFontW(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    BrushHandle brush(CreateSolidBrush(RGB(1, 2, 3)));
    MenuHandle menu(CreatePopupMenu());
    ImageListHandle images(ImageList_Create(16, 16, ILC_COLOR32, 0, 1));
    MemoryDc dc(CreateCompatibleDC(nullptr));
    WindowDc screen(nullptr);
    ASSERT_TRUE(font && brush && menu && images && dc && screen.get());
    EXPECT_EQ(Live(), (std::array{before[0], before[1] + 5, before[2] + 1}));

    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_FONT);
    {
      ScopedSelect select(dc.get(), font.get());
      EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), original);

    // A moved owner gives its handle up whole; one given up is left alive and uncounted.
    raw = font.get();
    FontHandle moved(std::move(font));
    font = std::move(moved);
    HBRUSH kept = brush.release();
    EXPECT_EQ(Live()[1], before[1] + 4);
    EXPECT_TRUE(DeleteObject(kept)) << "release() deleted the brush";
  }
  EXPECT_EQ(Live(), before);
  EXPECT_EQ(GetObjectType(raw), 0u) << "the font was not deleted";
}

// Records what reached the object; its handler of WM_SETTEXT throws.
class ProbeWindow : public WindowBase {
 public:
  // The class is registered again for each window: that is no failure.
  bool Make(HWND mdiClient = nullptr) {
    WNDCLASSEXW wc{};
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuorvaneToolkitProbe";
    mdiChild_ = mdiClient != nullptr;
    return RegisterWindowClass(wc) &&
           (mdiChild_
                ? CreateMdiChild(mdiClient, wc.lpszClassName, L"", 0, 0, 0, 99, 99, wc.hInstance)
                : Create(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 99, 99, nullptr,
                         nullptr, wc.hInstance));
  }
  using WindowBase::Destroy;

  bool sawCreateWithHandle = false;
  int destroyed = 0;

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_CREATE) sawCreateWithHandle = hwnd() != nullptr;
    if (msg == WM_DESTROY) ++destroyed;
    if (msg == WM_SETTEXT) throw std::runtime_error("handler failed");
    return DefaultHandling(msg, wParam, lParam);
  }
  LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) override {
    return mdiChild_ ? DefMDIChildProcW(hwnd(), msg, wParam, lParam)
                     : WindowBase::DefaultHandling(msg, wParam, lParam);
  }
  bool mdiChild_ = false;
};

TEST(WindowBaseTest, TheObjectGetsEveryMessageFromCreationToDestruction) {
  const std::array<int, 3> before = Live();
  HWND taken = nullptr;
  {
    ProbeWindow probe, taker, child;
    ASSERT_TRUE(probe.Make() && taker.Make());
    taken = taker.hwnd();
    EXPECT_TRUE(probe.sawCreateWithHandle);
    EXPECT_EQ(WindowBase::FromHandle(probe.hwnd()), &probe);

    // The handler's exception stops at the window procedure and default handling goes on: the
    // text arrives whole, longer than any fixed buffer and with a character outside the BMP.
    const std::u16string text = std::u16string(5000, u'x') + u"\U0001F600";
    EXPECT_TRUE(SetText(probe.hwnd(), text));
    EXPECT_EQ(WindowText(probe.hwnd()), text);

    // An MDI child finds its object as well, and leaves through its client.
    CLIENTCREATESTRUCT ccs{nullptr, ID_FIRST_MDI_CHILD};
    const HWND client = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 200,
                                        100, probe.hwnd(), nullptr, nullptr, &ccs);
    ASSERT_TRUE(child.Make(client));
    EXPECT_TRUE(child.sawCreateWithHandle);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)), child.hwnd());
    child.Destroy();
    EXPECT_EQ(SendMessageW(client, WM_MDIGETACTIVE, 0, 0), 0) << "the client still has a child";

    const HWND window = probe.hwnd();
    probe.Destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(probe.hwnd(), nullptr);
    EXPECT_EQ(probe.destroyed, 1);
  }
  EXPECT_FALSE(IsWindow(taken)) << "an object destroyed first takes its window with it";
  EXPECT_EQ(Live(), before);
}

// Its first OK throws, which stops at the dialog procedure; the second ends it.
class ProbeDialog : public DialogBase {
 public:
  int oks = 0;

  bool OnInit() override {
    for (int i = 0; i < 2; ++i) PostMessageW(hwnd(), WM_COMMAND, IDOK, 0);
    return true;
  }
  bool OnCommand(WORD id, WORD code, HWND control) override {
    if (id == IDOK && ++oks == 1) throw std::runtime_error("command failed");
    return DialogBase::OnCommand(id, code, control);
  }
};

TEST(DialogBaseTest, RunsModallyWithItsObjectFromInitialisationToTheEnd) {
  const std::array<int, 3> before = Live();
  ProbeDialog dialog;
  EXPECT_EQ(dialog.RunModal(GetModuleHandleW(nullptr), IDD_ABOUT, nullptr), IDOK);
  EXPECT_EQ(dialog.oks, 2);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_EQ(Live(), before);
}

}  // namespace
}  // namespace qv::win32
