// The About box opened from Help, with its hyperlink, checked from a timer inside the dialog's
// modal loop so that the checks run on the dialog's own thread.
#include "shell/about_box.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/shell/shell_test_support.h"
#include "windows/win32/owners.h"

namespace qv::test {
namespace {

std::function<void(HWND)> inspect;
std::wstring opened;
HWND openedOwner = nullptr;

HINSTANCE WINAPI RecordOpen(HWND owner, LPCWSTR verb, LPCWSTR target, LPCWSTR, LPCWSTR, INT) {
  opened = std::wstring(verb) + L" " + target;
  openedOwner = owner;
  return reinterpret_cast<HINSTANCE>(42);
}

// Once the box is up: the inspection, then OK.
void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowW(L"#32770", L"About Kestrova");
  if (!dialog || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, timer);
  UpdateWindow(dialog);
  if (inspect) inspect(dialog);
  PressButton(dialog, IDOK);
}

class About : public StartedFrame {
 protected:
  void SetUp() override { SetOpenLinkFunction(RecordOpen); }
  void TearDown() override {
    StartedFrame::TearDown();
    SetOpenLinkFunction(nullptr);
    inspect = nullptr;
  }
  void Open() {
    SetTimer(nullptr, 0, 20, OnTimer);
    Command(IDM_ABOUT);
  }
};

// Whether one row of the painted control is blue across the whole width its blue text takes:
// the underline.
bool PaintedUnderlined(HWND control) {
  const std::vector<COLORREF> pixels = OnScreen(control);
  const LONG width = ClientSize(control).cx;
  std::vector<int> rows(pixels.size() / width + 1, 0);
  LONG left = width, right = -1;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (pixels[i] != RGB(0, 0, 255)) continue;
    ++rows[i / width];
    left = std::min(left, static_cast<LONG>(i % width));
    right = std::max(right, static_cast<LONG>(i % width));
  }
  return right > left && *std::max_element(rows.begin(), rows.end()) >= right - left;
}

HCURSOR CursorOver(HWND control) {
  SetCursor(nullptr);
  SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return GetCursor();
}

// The first opening is inspected; twenty more must leave nothing behind.
TEST_F(About, TheAddressIsABlueUnderlinedLinkAndTheBoxLeavesNothingBehind) {
  Start();
  const int gdi = win32::LiveCount(win32::LiveKind::Gdi);
  const int blocks = win32::LiveCount(win32::LiveKind::Memory);
  const int windows = win32::LiveCount(win32::LiveKind::Window);
  bool inspected = false;
  inspect = [&](HWND dialog) {
    inspected = true;
    EXPECT_EQ(win32::LiveCount(win32::LiveKind::Gdi) - gdi, 2) << "the link font and the brush";
    EXPECT_EQ(win32::LiveCount(win32::LiveKind::Memory) - blocks, 2);
    HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
    EXPECT_EQ(win32::WindowText(link), u"https://quorvane.example/");

    EXPECT_TRUE(PaintedUnderlined(link)) << "not painted blue and underlined";
    EXPECT_EQ(CursorOver(link), LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));

    EXPECT_EQ(SendMessageW(link, WM_NCHITTEST, 0, 0), HTCLIENT) << "the static takes the click";
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(opened, L"open https://quorvane.example/");
    EXPECT_EQ(openedOwner, dialog);
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the click closed the box";
  };
  Open();
  EXPECT_TRUE(inspected);
  inspect = nullptr;
  for (int i = 0; i < 20; ++i) Open();
  EXPECT_EQ(win32::LiveCount(win32::LiveKind::Gdi), gdi);
  EXPECT_EQ(win32::LiveCount(win32::LiveKind::Memory), blocks);
  EXPECT_EQ(win32::LiveCount(win32::LiveKind::Window), windows);
}

}  // namespace
}  // namespace qv::test
