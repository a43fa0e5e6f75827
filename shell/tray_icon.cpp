#include "shell/tray_icon.h"

#include "resources/resource.h"

namespace qv {
namespace {

NotifyIconFunction notifyIcon = ::Shell_NotifyIconW;

}  // namespace

void SetNotifyIconFunction(NotifyIconFunction notify) {
  notifyIcon = notify ? notify : ::Shell_NotifyIconW;
}

bool TrayIcon::Add(HWND frame, HICON icon) {
  data_ = {};
  data_.cbSize = sizeof(data_);
  data_.hWnd = frame;
  data_.uID = ID_TRAY_ICON;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = WM_QV_TRAY;
  data_.hIcon = icon;
  lstrcpynW(data_.szTip, kTrayTip, ARRAYSIZE(data_.szTip));
  shown_ = notifyIcon(NIM_ADD, &data_) != FALSE;
  return shown_;
}

void TrayIcon::Restore() {
  if (shown_) notifyIcon(NIM_ADD, &data_);
}

void TrayIcon::Remove() {
  if (!shown_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = data_.hWnd;
  data.uID = data_.uID;
  notifyIcon(NIM_DELETE, &data);
  shown_ = false;
}

void OnTrayMouse(HWND frame, UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: ShowWindow(frame, SW_RESTORE); break;
    case WM_RBUTTONDOWN:
    case WM_CONTEXTMENU: ShowTrayMenu(frame); break;
    default: break;
  }
}

void ShowTrayMenu(HWND frame) {
  POINT cursor{};
  GetCursorPos(&cursor);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, IDM_TRAY_SHOW, L"Show");
  AppendMenuW(menu, MF_STRING, IDM_TRAY_HIDE, L"Hide");
  AppendMenuW(menu, MF_STRING, IDM_TRAY_EXIT, L"Exit");
  // Without the frame in the foreground the menu stays open when the user clicks elsewhere;
  // the empty message after it lets the next click on the icon open it again.
  SetForegroundWindow(frame);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, frame, nullptr);
  PostMessageW(frame, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

}  // namespace qv
