#include "windows/task_row.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "resources/resource.h"
#include "windows/list_window.h"
#include "windows/row_text.h"
#include "windows/win32/convert.h"

namespace qv {
namespace {

constexpr int kSquare = 30;  // the check and cross buttons are squares as high as a row
constexpr int kMainTipWidth = 600;
constexpr int kCheckTipWidth = 150;
constexpr int kMainTipShowMs = 30000;
constexpr int kTintBorder = 2;
constexpr UINT_PTR kSubclassId = 1;

// Every tooltip shows from here; a text never runs past it.
std::array<wchar_t, kTooltipBufferChars> tooltipBuffer;

int controlsLeft = -1;  // below 0: no limit

// Made where it belongs and shown: under Wine every later move or show is a call to the server.
HWND MakeControl(DWORD style, HWND pane, const RECT& place) {
  if (controlsLeft == 0) return nullptr;
  if (controlsLeft > 0) --controlsLeft;
  return CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                         place.right - place.left, place.bottom - place.top, pane, nullptr,
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(pane, GWLP_HINSTANCE)),
                         nullptr);
}

// The buttons' places in a row: the check mark (when there is one) and the cross are squares
// at its ends, the name between them.
struct ButtonPlaces {
  RECT check;
  RECT main;
  RECT cross;
};
ButtonPlaces PlacesIn(const RECT& row, bool check) {
  const int c = check ? kSquare : 0;
  return {{0, row.top, kSquare, row.bottom},
          {row.left + c, row.top, row.right - kSquare, row.bottom},
          {row.right - row.left - kSquare, row.top, row.right - row.left, row.bottom}};
}

// A tool of the pane's tooltip for a button: its text is asked of the pane each time it shows.
TOOLINFOW ButtonTool(HWND pane, HWND button) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_CENTERTIP | TTF_SUBCLASS;
  tool.hwnd = pane;
  tool.uId = reinterpret_cast<UINT_PTR>(button);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  return tool;
}

void HandOut(NMHDR& header, const std::u16string& text) {
  tooltipBuffer.fill(L'\0');
  const std::size_t length = std::min(text.size(), tooltipBuffer.size() - 1);
  std::copy_n(text.data(), length, tooltipBuffer.begin());
  reinterpret_cast<NMTTDISPINFOW&>(header).lpszText = tooltipBuffer.data();
}

std::uint8_t Scaled(std::uint32_t red, std::int32_t factor) {
  return static_cast<std::uint8_t>(
      static_cast<std::int32_t>(std::floor(static_cast<double>(red) * factor / 255.0 + 0.5)));
}

}  // namespace

void TintPureRed(std::uint32_t* pixels, int width, int height, std::int32_t level) {
  for (int y = kTintBorder; y < height - kTintBorder; ++y) {
    std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * width;
    for (int x = kTintBorder; x < width - kTintBorder; ++x) {
      const std::uint32_t pixel = row[x];
      const std::uint32_t red = (pixel >> 16) & 0xFF;
      if (red == 0 || (pixel & 0xFFFF) != 0) continue;
      std::uint32_t r = red;
      std::uint32_t g = red;
      if (level > 255) {
        r = Scaled(red, 510 - level);
      } else {
        g = Scaled(red, level);
      }
      row[x] = (pixel & 0xFF000000) | (r << 16) | (g << 8);
    }
  }
}

std::unique_ptr<TaskRowWindow> TaskRowWindow::Create(ListWindow& owner, const RECT& place) {
  std::unique_ptr<TaskRowWindow> row(new TaskRowWindow(owner));
  const bool log = owner.list().IsLog();
  const ButtonPlaces places = PlacesIn(place, !log);
  row->placed_ = place;
  const HWND main = row->MakeButton(row->main_, 0, places.main);
  if (!main) return nullptr;
  SendMessageW(main, WM_SETFONT, reinterpret_cast<WPARAM>(owner.host().RowFont()), FALSE);
  SetWindowSubclass(main, MainProc, kSubclassId, reinterpret_cast<DWORD_PTR>(row.get()));
  if (!log) {
    const HWND check = row->MakeButton(row->check_, BS_ICON, places.check);
    if (!check) return nullptr;
    row->checkRect_ = places.check;
    SetWindowSubclass(check, CheckProc, kSubclassId, reinterpret_cast<DWORD_PTR>(row.get()));
    SendMessageW(check, BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(owner.host().CheckIcon()));
  }
  const HWND cross = row->MakeButton(row->cross_, BS_ICON, places.cross);
  if (!cross) return nullptr;
  SendMessageW(cross, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(owner.host().CrossIcon()));
  for (HWND button : {main, row->check_.get()}) {
    if (!button) continue;
    TOOLINFOW tool = ButtonTool(owner.pane(), button);
    SendMessageW(owner.tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return row;
}

TaskRowWindow::~TaskRowWindow() {
  for (HWND button : {main_.get(), check_.get()}) {
    if (!button) continue;
    TOOLINFOW tool = ButtonTool(owner_.pane(), button);
    SendMessageW(owner_.tooltip(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  main_.reset();
  check_.reset();
  cross_.reset();
}

HWND TaskRowWindow::MakeButton(win32::WindowHandle& button, DWORD style, const RECT& place) {
  button.reset(MakeControl(style, owner_.pane(), place));
  if (button) SetWindowLongPtrW(button.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return button.get();
}

// A slot pointed at another task draws its check mark afresh.
void TaskRowWindow::Point(TaskItem& item) {
  if (item_ == &item) return;
  item_ = &item;
  StopBlink();
  paintedLevel_ = -1;
}

// A row moved by scrolling may show another task than the one its old pixels show, so it is
// painted afresh rather than copied. A row already in place is left alone.
void TaskRowWindow::Place(const RECT& row) {
  if (EqualRect(&row, &placed_)) return;
  placed_ = row;
  const ButtonPlaces places = PlacesIn(row, static_cast<bool>(check_));
  const auto move = [](HWND button, const RECT& place) {
    SetWindowPos(button, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  };
  if (check_) {
    move(check_.get(), places.check);
    checkRect_ = places.check;
  }
  move(main_.get(), places.main);
  move(cross_.get(), places.cross);
}

std::int32_t TaskRowWindow::Level(std::uint64_t now) const {
  return deadlineLevel(item_->task, owner_.list().colourSpan, now);
}

// This runs every second for every row in view, so only what has changed is drawn again: the
// name when it is another (setting a text repaints the button), the check mark when its tint
// has moved. Any other change of a button (hover, press, focus) invalidates it by itself.
void TaskRowWindow::Refresh(std::uint64_t now) {
  const std::u16string& name = item_->task.name ? *item_->task.name : std::u16string();
  if (!nameShown_ || name != shownName_) {
    win32::SetText(main_.get(), name);
    shownName_ = name;
    nameShown_ = true;
  }
  if (check_) {
    if (Level(now) != paintedLevel_) InvalidateRect(check_.get(), nullptr, FALSE);
    UpdateWindow(check_.get());
  }
  UpdateWindow(main_.get());
  UpdateWindow(cross_.get());
}

void TaskRowWindow::UpdateBlink(double remaining) {
  if (!check_) return;
  if (remaining < 0) {
    blinking_ = true;
  } else {
    StopBlink();
  }
}

void TaskRowWindow::StopBlink() {
  blinking_ = false;
  face_.clear();
}

TaskRowWindow* TaskRowWindow::FromButton(HWND button) {
  return reinterpret_cast<TaskRowWindow*>(GetWindowLongPtrW(button, GWLP_USERDATA));
}

LRESULT CALLBACK TaskRowWindow::MainProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
  auto* row = reinterpret_cast<TaskRowWindow*>(data);
  const bool captured = GetCapture() == button;
  switch (msg) {
    case WM_LBUTTONDOWN: SetCapture(button); break;
    case WM_CANCELMODE:
      if (captured) ReleaseCapture();
      break;
    case WM_LBUTTONUP:
      if (captured) return row->OnMainButtonUp(wParam, lParam);
      break;
    case WM_NCDESTROY: RemoveWindowSubclass(button, MainProc, kSubclassId); break;
  }
  return DefSubclassProc(button, msg, wParam, lParam);
}

// A release over the button itself is a click; over a list window's caption, frame or empty
// pane it moves the task there, to the end; anywhere else it does nothing. The move may release
// this row, so nothing of it is touched afterwards.
LRESULT TaskRowWindow::OnMainButtonUp(WPARAM wParam, LPARAM lParam) {
  const HWND button = main_.get();
  POINT cursor{};
  GetCursorPos(&cursor);
  const HWND under = WindowFromPoint(cursor);
  if (under == button) return DefSubclassProc(button, WM_LBUTTONUP, wParam, lParam);
  ReleaseCapture();
  ListWindow* target = ListWindow::FromWindow(under);
  if (!target) return DefSubclassProc(button, WM_LBUTTONUP, wParam, lParam);
  MoveTaskToList(*item_, target->list());
  return 0;
}

// The main button's tip is wide and stays long; the check mark's is narrow and keeps the
// usual timing.
void TaskRowWindow::HandOutTooltip(NMHDR& header) const {
  const bool main = header.idFrom == reinterpret_cast<UINT_PTR>(main_.get());
  SendMessageW(header.hwndFrom, TTM_SETMAXTIPWIDTH, 0, main ? kMainTipWidth : kCheckTipWidth);
  SendMessageW(header.hwndFrom, TTM_SETDELAYTIME, TTDT_AUTOPOP, main ? kMainTipShowMs : -1);
  HandOut(header, main ? TaskTooltipText(item_->task) : DeadlineTooltipText(item_->task));
}

LRESULT CALLBACK TaskRowWindow::CheckProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR data) {
  auto* row = reinterpret_cast<TaskRowWindow*>(data);
  switch (msg) {
    case WM_ERASEBKGND: return 0;
    case WM_PAINT: row->PaintCheck(); return 0;
    case WM_NCDESTROY: RemoveWindowSubclass(button, CheckProc, kSubclassId); break;
  }
  return DefSubclassProc(button, msg, wParam, lParam);
}

BITMAPINFO TopDownImage(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// Overdue, the level moves every pulse pass. The face itself has not changed since the last
// paint (any change of the button's own invalidates it), so the kept face is tinted afresh and
// copied straight to the screen, without painting the button again.
bool TaskRowWindow::NeedsBlink(std::uint64_t now) const {
  return blinking_ && Level(now) != paintedLevel_;
}

bool TaskRowWindow::TintBlink(std::uint32_t* out, std::uint64_t now) {
  const int width = checkRect_.right - checkRect_.left;
  const int height = checkRect_.bottom - checkRect_.top;
  if (face_.empty() || width != faceWidth_ || height != faceHeight_) {
    InvalidateRect(check_.get(), nullptr, FALSE);
    UpdateWindow(check_.get());
    return false;
  }
  paintedLevel_ = Level(now);
  std::copy(face_.begin(), face_.end(), out);
  TintPureRed(out, faceWidth_, faceHeight_, paintedLevel_);
  return true;
}

// The button paints its face and icon into a 32-bit image of its own, which is kept for the
// blink; the icon's pure-red pixels are tinted there and the result goes to the screen in one
// copy.
void TaskRowWindow::PaintCheck() {
  const HWND button = check_.get();
  win32::PaintDc paint(button);
  RECT client{};
  GetClientRect(button, &client);
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) return;
  const BITMAPINFO info = TopDownImage(width, height);
  void* bits = nullptr;
  win32::BitmapHandle image(
      CreateDIBSection(paint.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::MemoryDc memory(CreateCompatibleDC(paint.get()));
  if (!image || !memory) return;
  win32::ScopedSelect select(memory.get(), image.get());
  DefSubclassProc(button, WM_PAINT, reinterpret_cast<WPARAM>(memory.get()), 0);
  GdiFlush();
  auto* pixels = static_cast<std::uint32_t*>(bits);
  if (blinking_) {
    face_.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
    faceWidth_ = width;
    faceHeight_ = height;
  }
  paintedLevel_ = Level(LocalNowTicks());
  TintPureRed(pixels, width, height, paintedLevel_);
  BitBlt(paint.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

ScopedRowControlLimit::ScopedRowControlLimit(int left) {
  controlsLeft = left;
}

ScopedRowControlLimit::~ScopedRowControlLimit() {
  controlsLeft = -1;
}

}  // namespace qv
