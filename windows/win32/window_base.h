#pragma once
// The base of every window class of the program: the class's procedure finds the object from
// the window's user data, stored at WM_NCCREATE, and hands it each message. No exception
// leaves a window procedure: one that escapes a handler gets the default handling instead.

#include <windows.h>

namespace qv::win32 {

class WindowBase {
 public:
  WindowBase() = default;
  // A window still alive here is cut loose from the object and destroyed with default
  // handling; a derived class that needs its own handling at destruction calls Destroy first.
  virtual ~WindowBase();
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  HWND hwnd() const { return hwnd_; }

  // The object behind a window of such a class, or null.
  static WindowBase* FromHandle(HWND window);

 protected:
  // Registers a class whose procedure is this base's; lpfnWndProc is set here. A class that
  // is already registered counts as success.
  static bool RegisterWindowClass(WNDCLASSEXW wc);

  HWND Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
              int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance);
  // An MDI child of the given client, made with WM_MDICREATE.
  HWND CreateMdiChild(HWND mdiClient, const wchar_t* className, const wchar_t* title, DWORD style,
                      int x, int y, int width, int height, HINSTANCE instance);
  void Destroy();

  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  virtual LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
  void Detach() noexcept;

  HWND hwnd_ = nullptr;
};

}  // namespace qv::win32
