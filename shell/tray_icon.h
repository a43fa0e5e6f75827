#pragma once
// The icon in the notification area that brings the hidden frame back, and its menu.

#include <windows.h>
#include <shellapi.h>

namespace qv {

inline constexpr wchar_t kTrayTip[] = L"Kestrova";

// How the icon reaches the shell: Shell_NotifyIconW unless a test has put its recorder here.
using NotifyIconFunction = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
void SetNotifyIconFunction(NotifyIconFunction notify);

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon for the frame, which gets its mouse messages as WM_QV_TRAY.
  bool Add(HWND frame, HICON icon);
  // Adds it again after the notification area was made anew (the shell restarted), which
  // forgets every icon; nothing when it was never added or is removed.
  void Restore();
  void Remove();
  bool shown() const { return shown_; }

 private:
  NOTIFYICONDATAW data_{};
  bool shown_ = false;
};

// The frame's answer to a mouse message on the icon: restore it, or open the menu.
void OnTrayMouse(HWND frame, UINT mouseMessage);
// Show, Hide and Exit at the cursor; the choice reaches the frame as WM_COMMAND.
void ShowTrayMenu(HWND frame);

}  // namespace qv
