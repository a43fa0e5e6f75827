#pragma once
// Uncopyable owners of Win32 handles, each released by the one call that matches how it was
// made, and a live count of what they hold: Wine's GetGuiResources always answers 0, so the
// count is how tests see a leak. The counts cost one relaxed increment per handle.

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace qv::win32 {

enum class LiveKind { Window, Gdi, User, Memory };

// Handles of that kind held by owners (and windows made by WindowBase) at this moment;
// Memory counts the global memory blocks the program allocates by hand.
int LiveCount(LiveKind kind);
void CountLive(LiveKind kind, int delta);

template <typename Traits>
class Owner {
 public:
  using Handle = typename Traits::Handle;

  Owner() = default;
  explicit Owner(Handle handle) noexcept : handle_(handle) {
    if (handle_) CountLive(Traits::kKind, +1);
  }
  ~Owner() { reset(); }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Owner& operator=(Owner&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }

  // Gives the handle up without releasing it; the caller owns it from now on.
  Handle release() noexcept {
    if (handle_) CountLive(Traits::kKind, -1);
    return std::exchange(handle_, nullptr);
  }
  void reset(Handle handle = nullptr) noexcept {
    if (handle == handle_) return;
    if (handle_) {
      Traits::Release(handle_);
      CountLive(Traits::kKind, -1);
    }
    handle_ = handle;
    if (handle_) CountLive(Traits::kKind, +1);
  }

 private:
  Handle handle_ = nullptr;
};

// A window its parent does not destroy for us (a top-level or popup window, or a child whose
// life is shorter than its parent's). One that is already gone is not destroyed twice.
struct WindowTraits {
  using Handle = HWND;
  static constexpr LiveKind kKind = LiveKind::Window;
  static void Release(HWND window) {
    if (IsWindow(window)) DestroyWindow(window);
  }
};
using WindowHandle = Owner<WindowTraits>;

struct MenuTraits {
  using Handle = HMENU;
  static constexpr LiveKind kKind = LiveKind::User;
  static void Release(HMENU menu) { DestroyMenu(menu); }
};
using MenuHandle = Owner<MenuTraits>;

// Icons made by LoadImageW without LR_SHARED or by CreateIconIndirect.
struct IconTraits {
  using Handle = HICON;
  static constexpr LiveKind kKind = LiveKind::User;
  static void Release(HICON icon) { DestroyIcon(icon); }
};
using IconHandle = Owner<IconTraits>;

struct ImageListTraits {
  using Handle = HIMAGELIST;
  static constexpr LiveKind kKind = LiveKind::Gdi;
  static void Release(HIMAGELIST list) { ImageList_Destroy(list); }
};
using ImageListHandle = Owner<ImageListTraits>;

template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static constexpr LiveKind kKind = LiveKind::Gdi;
  static void Release(T object) { DeleteObject(object); }
};
using FontHandle = Owner<GdiObjectTraits<HFONT>>;
using BitmapHandle = Owner<GdiObjectTraits<HBITMAP>>;
using BrushHandle = Owner<GdiObjectTraits<HBRUSH>>;
using PenHandle = Owner<GdiObjectTraits<HPEN>>;

// A device context made by CreateCompatibleDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static constexpr LiveKind kKind = LiveKind::Gdi;
  static void Release(HDC dc) { DeleteDC(dc); }
};
using MemoryDc = Owner<MemoryDcTraits>;

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window);
  ~WindowDc();
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint and EndPaint around a WM_PAINT handler.
class PaintDc {
 public:
  explicit PaintDc(HWND window);
  ~PaintDc();
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }
  const RECT& dirty() const { return ps_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back, so the object can be
// deleted afterwards.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelect() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace qv::win32
