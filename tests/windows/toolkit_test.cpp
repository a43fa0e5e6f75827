// The Win32 toolkit against real windows, dialogs and GDI objects.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

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
  {
    PenHandle pen(CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
    MenuHandle menu(CreatePopupMenu());
    MemoryDc dc(CreateCompatibleDC(nullptr));
    WindowDc screen(nullptr);
    EXPECT_EQ(Live(), (std::array{before[0], before[1] + 3, before[2] + 1}));
    // Selected while the statement lasts, then put back.
    EXPECT_EQ((ScopedSelect(dc.get(), pen.get()), GetCurrentObject(dc.get(), OBJ_PEN)), pen.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), GetStockObject(BLACK_PEN));

    // A moved owner gives its handle up whole; one given up is left alive and uncounted.
    pen = PenHandle(std::move(pen));
    const HPEN raw = pen.get();
    pen.reset();
    EXPECT_EQ(GetObjectType(raw), 0u) << "the pen was not deleted";
    EXPECT_TRUE(DestroyMenu(menu.release())) << "release() destroyed the menu";
  }
  EXPECT_EQ(Live(), before);
}

// Keeps the window it had at WM_CREATE and at WM_DESTROY; its handler of WM_SETTEXT throws.
class ProbeWindow : public WindowBase {
 public:
  HWND Make(HWND mdiClient = nullptr) {
    WNDCLASSEXW wc{};  // a null instance stands for the program's own module
    wc.lpszClassName = L"QuorvaneToolkitProbe";
    if (!RegisterWindowClass(wc)) return nullptr;
    return mdiClient ? CreateMdiChild(mdiClient, wc.lpszClassName, L"", 0, 0, 0, 99, 99, nullptr)
                     : Create(0, wc.lpszClassName, L"", 0, 0, 0, 99, 99, nullptr, nullptr, nullptr);
  }
  using WindowBase::Destroy;
  HWND created = nullptr, destroyed = nullptr;

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_CREATE) created = hwnd();
    if (msg == WM_DESTROY) destroyed = hwnd();
    if (msg == WM_SETTEXT) throw std::runtime_error("handler failed");
    return (GetParent(hwnd()) ? DefMDIChildProcW : DefWindowProcW)(hwnd(), msg, wParam, lParam);
  }
};

// Its first OK asks for a second and throws, which stops at the dialog procedure.
class ProbeDialog : public DialogBase {
 public:
  int oks = 0;
  bool OnInit() override { return PostMessageW(hwnd(), WM_COMMAND, IDOK, 0); }
  bool OnCommand(WORD id, WORD code, HWND control) override {
    if (id == IDOK && ++oks == 1 && OnInit()) throw std::runtime_error("command failed");
    return DialogBase::OnCommand(id, code, control);
  }
};

TEST(WindowAndDialogBases, HandTheirObjectEveryMessageAndStopItsExceptions) {
  const std::array<int, 3> before = Live();
  HWND window = nullptr;
  {
    ProbeWindow probe, child;
    window = probe.Make();
    EXPECT_TRUE(probe.created == window && WindowBase::FromHandle(window) == &probe);

    // The handler's exception stops at the procedure, and default handling sets the text whole.
    const std::u16string text = std::u16string(5000, u'x') + u"\U0001F600";
    EXPECT_TRUE(SetText(window, text) && WindowText(window) == text);

    // An MDI child finds its object as well, and leaves through its client.
    CLIENTCREATESTRUCT ccs{nullptr, ID_FIRST_MDI_CHILD};
    const HWND client = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 200,
                                        100, window, nullptr, nullptr, &ccs);
    ASSERT_TRUE(child.Make(client) && child.created);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)), child.created);
    child.Destroy();
    EXPECT_EQ(SendMessageW(client, WM_MDIGETACTIVE, 0, 0), 0) << "the client still has a child";
    EXPECT_EQ(std::pair(child.hwnd(), child.destroyed), std::pair(HWND{}, child.created));
  }
  EXPECT_FALSE(IsWindow(window)) << "an object destroyed first takes its window with it";

  EXPECT_EQ(ProbeDialog().RunModal(GetModuleHandleW(nullptr), IDD_ABOUT, nullptr), IDOK);
  EXPECT_EQ(Live(), before);
}

}  // namespace
}  // namespace qv::win32
