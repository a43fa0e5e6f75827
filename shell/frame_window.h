#pragma once
// The program's one top-level window: the MDI frame.

#include <windows.h>

#include "windows/win32/window_base.h"

namespace qv {

inline constexpr wchar_t kFrameClassName[] = L"KestrovaMdiFrame";
inline constexpr wchar_t kAppTitle[] = L"Quorvane beta";

class FrameWindow : public win32::WindowBase {
 public:
  static bool RegisterClass(HINSTANCE instance);

  // Makes the frame, hidden, with the given menu, which the window then owns; its creation
  // makes the MDI client.
  bool Create(HINSTANCE instance, HMENU menu);

  HWND mdiClient() const { return mdiClient_; }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) override;

  LRESULT OnCreate(const CREATESTRUCTW& cs);
  LRESULT OnDestroy();
  LRESULT OnCommand(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnExit();

  HWND mdiClient_ = nullptr;
};

}  // namespace qv
