#include "shell/frame_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <array>

#include "platform/text.h"
#include "resources/resource.h"
#include "shell/about_box.h"
#include "shell/autostart.h"
#include "windows/win32/command_table.h"
#include "windows/win32/convert.h"
#include "windows/window_dialogs.h"
#include "workspace/workspace_file.h"

namespace qv {
namespace {

constexpr UINT kRefreshPeriodMs = 1000;
// Below this client size (a minimised frame reports 0 x 0) the list windows are not scaled.
constexpr WORD kMinScaledWidth = 50;
constexpr WORD kMinScaledHeight = 30;
// The Window menu's place in the menu bar; a maximized MDI child adds an item ahead of it, so
// its handle is taken once, at creation.
constexpr int kWindowMenuPosition = 1;
constexpr UINT kFileNameChars = 260;

// How long the elevated copy may take to make its frame (a large workspace loads for
// seconds under a slow machine) before the hand-over is given up.
constexpr DWORD kHandOverWaitMs = 30000;
constexpr DWORD kHandOverPollMs = 50;

constexpr wchar_t kXmlFilter[] = L"Extensible Markup Language - XML (*.xml)";
constexpr wchar_t kAllFilter[] = L"All files (*.*)";

int SeparatorPosition(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    if (GetMenuItemInfoW(menu, i, TRUE, &info) && (info.fType & MFT_SEPARATOR)) return i;
  }
  return count;
}

int PopupPosition(HMENU menu, HMENU popup) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (GetSubMenu(menu, i) == popup) return i;
  }
  return -1;
}

std::wstring Filter(bool withAllFiles) {
  std::wstring filter = kXmlFilter;
  filter += L'\0';
  filter += L"*.xml";
  filter += L'\0';
  if (withAllFiles) {
    filter += kAllFilter;
    filter += L'\0';
    filter += L'*';
    filter += L'\0';
  }
  filter += L'\0';
  return filter;
}

// The Load or Save dialog; the chosen path, or none when it was cancelled.
NullableText ChooseWorkspaceFile(HWND owner, bool saving) {
  std::array<wchar_t, kFileNameChars> file{};
  if (saving) lstrcpynW(file.data(), L"*.xml", file.size());
  const std::wstring filter = Filter(!saving);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = file.size();
  if (saving) {
    ofn.lpstrTitle = L"Save Workspace";
    ofn.lpstrDefExt = L"xml";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  } else {
    ofn.lpstrTitle = L"Load Workspace";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  }
  if (!(saving ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return std::nullopt;
  return win32::FromWide(file.data());
}

}  // namespace

std::u16string WorkspaceErrorText(bool loading, const std::u16string& path,
                                  const XmlParseResult& result) {
  std::u16string text = loading ? u"The workspace could not be loaded from\n"
                                : u"The workspace could not be saved to\n";
  text += path;
  text += u"\n\n";
  text += XmlErrorText(result.error);
  if (result.line > 0) {
    text += u" (line " + FormatInt(result.line) + u", column " + FormatInt(result.column) + u")";
  }
  return text;
}

namespace {

// The row icons, 24 x 24, shared by every row.
constexpr int kRowIconSize = 24;

HICON LoadRowIcon(HINSTANCE instance, int id) {
  return static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, kRowIconSize, kRowIconSize, 0));
}

HFONT CreateRowFont() {
  return CreateFontW(15, 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"blb");
}

}  // namespace

FrameWindow::FrameWindow(HINSTANCE instance)
    : instance_(instance),
      checkIcon_(LoadRowIcon(instance, IDI_CHECK)),
      crossIcon_(LoadRowIcon(instance, IDI_CROSS)),
      rowFont_(CreateRowFont()) {}

FrameWindow::~FrameWindow() = default;

bool FrameWindow::RegisterClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = kFrameClassName;
  return RegisterWindowClass(wc);
}

bool FrameWindow::Create(HMENU menu) {
  windowMenu_ = GetSubMenu(menu, kWindowMenuPosition);
  return WindowBase::Create(0, kFrameClassName, kAppTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                            menu, instance_) != nullptr;
}

void FrameWindow::SyncSettingsMenu() {
  HMENU menu = GetMenu(hwnd());
  CheckMenuItem(menu, IDM_STARTUP_AUTOMATICALLY,
                MF_BYCOMMAND | (IsAutostartEnabled() ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_KEEP_SIZE, MF_BYCOMMAND | (keepSize_ == 1 ? MF_CHECKED : MF_UNCHECKED));
}

void FrameWindow::AddTrayIcon() {
  tray_.Add(hwnd(), LoadIconW(instance_, MAKEINTRESOURCEW(IDI_APP)));
}

void FrameWindow::CreateStatusBar() {
  statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, -100, -100, 10, 10,
                               hwnd(), nullptr, instance_, nullptr);
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int third = client.right / 3;
  const std::array<int, 3> edges{third, 2 * third, 4 * third};
  SendMessageW(statusBar_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  RECT bar{};
  GetClientRect(statusBar_, &bar);
  statusBarHeight_ = bar.bottom;
  MoveWindow(mdiClient_, 0, 0, client.right, client.bottom - statusBarHeight_, TRUE);
}

void FrameWindow::RefreshTaskWindows() {
  const std::uint64_t now = LocalNowTicks();
  bool overdue = false;
  for (const auto& entry : workspace_.ListWindows) {
    if (!entry->window) continue;
    if (UpdateColourSpan(*entry->window, now)) overdue = true;
    Win32View(*entry->window).RefreshTasks(now);
  }
  if (overdue && !pulse_.Running()) pulse_.Start();
  if (!overdue && pulse_.Running()) pulse_.Stop();
}

std::unique_ptr<ListWindowView> FrameWindow::CreateView(CGenWindow& list) {
  return std::make_unique<ListWindow>(*this, list);
}

void FrameWindow::AddTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) {
  if (!taskWindowsMenu_) {
    taskWindowsMenu_ = CreatePopupMenu();
    InsertMenuW(windowMenu_, SeparatorPosition(windowMenu_), MF_BYPOSITION | MF_POPUP | MF_STRING,
                reinterpret_cast<UINT_PTR>(taskWindowsMenu_), kTaskWindowsMenuText);
  }
  AppendMenuW(taskWindowsMenu_, MF_STRING, commandId, win32::Wide(title));
}

void FrameWindow::RemoveTaskWindowsItem(std::uint32_t commandId) {
  if (taskWindowsMenu_) DeleteMenu(taskWindowsMenu_, commandId, MF_BYCOMMAND);
}

void FrameWindow::RenameTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) {
  if (!taskWindowsMenu_) return;
  // ModifyMenuW sets the check state from its flags: the item's own is carried over.
  const UINT checked = GetMenuState(taskWindowsMenu_, commandId, MF_BYCOMMAND) & MF_CHECKED;
  ModifyMenuW(taskWindowsMenu_, commandId, MF_BYCOMMAND | MF_STRING | checked, commandId,
              win32::Wide(title));
}

void FrameWindow::RemoveTaskWindowsMenu() {
  if (!taskWindowsMenu_) return;
  const int position = PopupPosition(windowMenu_, taskWindowsMenu_);
  // Deleting the item destroys the popup with it.
  if (position >= 0) DeleteMenu(windowMenu_, position, MF_BYPOSITION);
  taskWindowsMenu_ = nullptr;
}

void FrameWindow::CheckTaskWindowsItem(std::uint32_t commandId, bool checked) {
  CheckMenuItem(GetMenu(hwnd()), commandId, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void FrameWindow::ShowError(const std::u16string& text) {
  MessageBoxW(hwnd(), win32::Wide(text), L"Error", MB_ICONERROR);
}

WindowRect FrameWindow::FrameRect() const {
  RECT rect{};
  GetWindowRect(hwnd(), &rect);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void FrameWindow::MoveFrame(const WindowRect& rect) {
  SetWindowPos(hwnd(), nullptr, rect.x, rect.y, rect.width, rect.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrameWindow::UncheckTaskWindow(HWND window) {
  for (const auto& entry : workspace_.ListWindows) {
    if (entry->window && Win32View(*entry->window).hwnd() == window) {
      CheckTaskWindowsItem(entry->commandId, false);
    }
  }
}

LRESULT FrameWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate();
    case WM_DESTROY: return OnDestroy();
    case WM_SIZE: return OnSize(LOWORD(lParam), HIWORD(lParam));
    case WM_CLOSE: return OnClose();
    case WM_TIMER: return OnTimer();
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION: return OnEndSession(wParam != FALSE);
    case WM_COMMAND: return OnCommand(msg, wParam, lParam);
    case WM_QV_TRAY: return OnTray(msg, wParam, lParam);
    default: return OnOtherMessage(msg, wParam, lParam);
  }
}

LRESULT FrameWindow::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcW(hwnd(), mdiClient_, msg, wParam, lParam);
}

LRESULT FrameWindow::OnTray(UINT msg, WPARAM wParam, LPARAM lParam) {
  OnTrayMouse(hwnd(), static_cast<UINT>(lParam));
  return DefaultHandling(msg, wParam, lParam);
}

// The shell's registered message cannot be a case of the switch.
LRESULT FrameWindow::OnOtherMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == taskbarCreated_ && taskbarCreated_ != 0) tray_.Restore();
  return DefaultHandling(msg, wParam, lParam);
}

LRESULT FrameWindow::OnCreate() {
  CLIENTCREATESTRUCT ccs{};
  ccs.hWindowMenu = nullptr;
  ccs.idFirstChild = ID_FIRST_MDI_CHILD;
  mdiClient_ = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0,
                               0, 0, 0, hwnd(), nullptr, instance_, &ccs);
  if (!mdiClient_) return -1;
  SetTimer(hwnd(), IDT_REFRESH, kRefreshPeriodMs, nullptr);
  // An elevated frame takes the hand-over command from the instance that started it, which
  // runs at a lower integrity level and is otherwise kept from posting to it.
  ChangeWindowMessageFilterEx(hwnd(), WM_COMMAND, MSGFLT_ALLOW, nullptr);
  return 0;
}

LRESULT FrameWindow::OnDestroy() {
  SaveAtExit();
  PostQuitMessage(0);
  return 0;
}

LRESULT FrameWindow::OnSize(WORD width, WORD height) {
  if (statusBar_) SendMessageW(statusBar_, WM_SIZE, 0, 0);
  if (!mdiClient_) return 0;
  RECT client{};
  GetClientRect(hwnd(), &client);
  MoveWindow(mdiClient_, 0, 0, client.right, client.bottom - statusBarHeight_, TRUE);
  bool anyMaximized = false;
  for (const auto& entry : workspace_.ListWindows) {
    if (entry->window && Win32View(*entry->window).maximized()) anyMaximized = true;
  }
  if (keepSize_ == 0) {
    lastClientWidth_ = width;
    lastClientHeight_ = height;
    return 0;
  }
  if (width < kMinScaledWidth || height < kMinScaledHeight) return 0;
  SendMessageW(mdiClient_, WM_SETREDRAW, FALSE, 0);
  const double sx = lastClientWidth_ == 0 ? 1.0 : static_cast<double>(width) / lastClientWidth_;
  const double sy = lastClientHeight_ == 0 ? 1.0 : static_cast<double>(height) / lastClientHeight_;
  for (const auto& entry : workspace_.ListWindows) {
    if (entry->window) Win32View(*entry->window).ScaleRestoreRect(sx, sy);
  }
  SendMessageW(mdiClient_, WM_MDIICONARRANGE, 0, 0);
  lastClientWidth_ = width;
  lastClientHeight_ = height;
  SendMessageW(mdiClient_, WM_SETREDRAW, TRUE, 0);
  if (anyMaximized) return 0;
  for (const auto& entry : workspace_.ListWindows) {
    if (entry->window) {
      SendMessageW(Win32View(*entry->window).hwnd(), WM_SIZE, SIZE_QV_RELAYOUT, 0);
    }
  }
  InvalidateRect(mdiClient_, nullptr, TRUE);
  return 0;
}

LRESULT FrameWindow::OnClose() {
  ShowWindow(hwnd(), SW_HIDE);
  return 0;
}

LRESULT FrameWindow::OnTimer() {
  RefreshTaskWindows();
  return 0;
}

LRESULT FrameWindow::OnEndSession(bool ending) {
  if (ending) SaveAtExit();
  return 0;
}

LRESULT FrameWindow::OnCommand(UINT msg, WPARAM wParam, LPARAM lParam) {
  static constexpr win32::Command<FrameWindow> kCommands[] = {
      {IDM_EXIT, &FrameWindow::OnExit},
      {IDM_CASCADE, &FrameWindow::OnCascade},
      {IDM_TILE, &FrameWindow::OnTile},
      {IDM_KEEP_SIZE, &FrameWindow::OnToggleKeepSize},
      {IDM_NEW_WORKSPACE, &FrameWindow::OnNewWorkspace},
      {IDM_LOAD_WORKSPACE, &FrameWindow::OnLoadWorkspace},
      {IDM_SAVE_WORKSPACE, &FrameWindow::OnSaveWorkspace},
      {IDM_EDIT_TASK_WINDOWS, &FrameWindow::OnEditTaskWindows},
      {IDM_ABOUT, &FrameWindow::OnAbout},
      {IDM_TRAY_SHOW, &FrameWindow::OnTrayShow},
      {IDM_TRAY_HIDE, &FrameWindow::OnTrayHide},
      {IDM_TRAY_EXIT, &FrameWindow::OnTrayExit},
      {IDM_STARTUP_AUTOMATICALLY, &FrameWindow::OnToggleStartup},
  };
  const WORD id = LOWORD(wParam);
  if (win32::RunCommand<FrameWindow>(kCommands, id, *this)) return 0;
  // The list windows' ids are looked up, not taken from a range: after removals they need not
  // be consecutive.
  if (FindEntryByCommandId(workspace_, id)) {
    ToggleTaskWindow(id);
    return 0;
  }
  return DefaultHandling(msg, wParam, lParam);
}

void FrameWindow::OnExit() {
  Destroy();
}

void FrameWindow::OnCascade() {
  SendMessageW(mdiClient_, WM_MDICASCADE, 0, 0);
  RecordAllRestoreRects();
}

void FrameWindow::OnTile() {
  SendMessageW(mdiClient_, WM_MDITILE, MDITILE_VERTICAL, 0);
  RecordAllRestoreRects();
}

void FrameWindow::OnToggleKeepSize() {
  const bool checked = GetMenuState(GetMenu(hwnd()), IDM_KEEP_SIZE, MF_BYCOMMAND) & MF_CHECKED;
  keepSize_ = checked ? 0 : 1;
  SyncSettingsMenu();
}

void FrameWindow::OnNewWorkspace() {
  ClearWorkspace(workspace_);
}

// The chosen file is read whole before anything is cleared: a file that cannot be loaded
// leaves the workspace as it was, so the save at exit cannot replace it with nothing.
void FrameWindow::OnLoadWorkspace() {
  const NullableText path = ChooseWorkspaceFile(hwnd(), false);
  if (!path) return;
  XmlParseResult result;
  const XmlNode root = ReadWorkspaceFile(*path, &result);
  if (root.IsEmpty()) {
    ShowError(WorkspaceErrorText(true, *path, result));
    return;
  }
  ClearWorkspace(workspace_);
  LoadWorkspaceTree(workspace_, root);
}

void FrameWindow::OnSaveWorkspace() {
  const NullableText path = ChooseWorkspaceFile(hwnd(), true);
  if (!path) return;
  XmlParseResult result;
  result.error = SaveWorkspace(workspace_, *path);
  if (result.error != XmlError::NoError) ShowError(WorkspaceErrorText(false, *path, result));
}

void FrameWindow::OnEditTaskWindows() {
  TaskWindowsDialog dialog(workspace_);
  dialog.RunModal(instance_, IDD_TASK_WINDOWS, hwnd());
}

void FrameWindow::OnAbout() {
  AboutDialog dialog;
  dialog.RunModal(instance_, IDD_ABOUT, hwnd());
}

void FrameWindow::OnTrayShow() {
  ShowWindow(hwnd(), SW_RESTORE);
}

void FrameWindow::OnTrayHide() {
  ShowWindow(hwnd(), SW_HIDE);
}

// The same end as File > Exit: the save at destruction, then the loop ends.
void FrameWindow::OnTrayExit() {
  SendMessageW(hwnd(), WM_DESTROY, 0, 0);
}

// A toggle of what the registry holds. Without administrator rights an elevated copy of the
// program makes the change: the workspace is saved first, so that the copy loads what this
// instance has, and this instance then ends without saving again over what the copy may
// have saved by then.
void FrameWindow::OnToggleStartup() {
  const std::wstring path = ProgramPath();
  if (path.empty()) {
    SyncSettingsMenu();
    return;
  }
  if (!IsAdministrator()) {
    if (!SaveWithRetry()) return;
    HANDLE process = nullptr;
    const DWORD error = Autostart().launchElevated(hwnd(), path.c_str(), &process);
    if (error == ERROR_SUCCESS) {
      const bool handedOver = HandOverToElevated(process);
      if (process) CloseHandle(process);
      if (!handedOver) {
        MessageBoxW(hwnd(),
                    L"Unable to set automatic startup - the elevated copy of the program did "
                    L"not start",
                    L"Error", MB_ICONHAND);
        return;
      }
      savedAtExit_ = true;
      SendMessageW(hwnd(), WM_DESTROY, 0, 0);
      return;
    }
    if (error == ERROR_CANCELLED) {
      MessageBoxW(hwnd(), L"Unable to set automatic startup - elevation was canceled by user",
                  L"Error", MB_ICONHAND);
      return;
    }
  }
  ChangeAutostart();
}

namespace {

struct FrameSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindProcessFrame(HWND window, LPARAM lParam) {
  auto& search = *reinterpret_cast<FrameSearch*>(lParam);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != search.processId) return TRUE;
  wchar_t className[64] = {};
  wchar_t title[64] = {};
  GetClassNameW(window, className, 64);
  GetWindowTextW(window, title, 64);
  if (lstrcmpW(className, kFrameClassName) != 0 || lstrcmpW(title, kAppTitle) != 0) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

// Waits without serving this instance's messages: nothing may change the workspace after the
// save the new copy loads.
bool FrameWindow::HandOverToElevated(HANDLE process) {
  const DWORD processId = process ? GetProcessId(process) : 0;
  if (processId == 0) return false;
  const ULONGLONG deadline = GetTickCount64() + kHandOverWaitMs;
  for (;;) {
    FrameSearch search{processId, nullptr};
    EnumWindows(FindProcessFrame, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      return PostMessageW(search.found, WM_COMMAND, IDM_STARTUP_AUTOMATICALLY, 0) != FALSE;
    }
    if (GetTickCount64() >= deadline) return false;
    // A copy that has ended will make no frame.
    if (WaitForSingleObject(process, kHandOverPollMs) == WAIT_OBJECT_0) return false;
  }
}

void FrameWindow::ChangeAutostart() {
  if (IsAutostartEnabled()) {
    DeleteAutostartValue();
  } else if (Autostart().writeValue(L"\"" + ProgramPath() + L"\"") == ERROR_ACCESS_DENIED) {
    MessageBoxW(hwnd(),
                L"Access denied - you have not permission for this action,\nplease try again "
                L"as administrator",
                L"Error", MB_ICONHAND);
  }
  SyncSettingsMenu();
}

void FrameWindow::ToggleTaskWindow(std::uint32_t commandId) {
  const UINT state = GetMenuState(taskWindowsMenu_, commandId, MF_BYCOMMAND);
  if (state == 0) {
    CheckTaskWindowsItem(commandId, true);
    ShowTaskWindow(commandId, true);
  } else if (state == MF_CHECKED) {
    CheckTaskWindowsItem(commandId, false);
    ShowTaskWindow(commandId, false);
  }
}

void FrameWindow::ShowTaskWindow(std::uint32_t commandId, bool show) {
  const ListEntry* entry = FindEntryByCommandId(workspace_, commandId);
  if (!entry || !entry->window) return;
  CGenWindow& list = *entry->window;
  ListWindow& view = Win32View(list);
  list.visible = show ? 1 : 0;
  ShowWindow(view.hwnd(), show ? SW_SHOW : SW_HIDE);
  if (show) {
    SetFocus(view.hwnd());
  } else {
    UncheckTaskWindow(view.hwnd());
  }
}

void FrameWindow::RecordAllRestoreRects() {
  for (const auto& entry : workspace_.ListWindows) {
    if (entry->window) Win32View(*entry->window).RecordRestoreRect();
  }
}

// A failed save has left the previous file as it was, so Cancel loses only this session's
// changes.
void FrameWindow::SaveAtExit() {
  if (savedAtExit_) return;
  savedAtExit_ = true;
  SaveWithRetry();
}

bool FrameWindow::SaveWithRetry() {
  for (;;) {
    XmlParseResult result;
    result.error = SaveWorkspace(workspace_, workspaceFile_);
    if (result.error == XmlError::NoError) return true;
    const std::u16string text = WorkspaceErrorText(false, workspaceFile_, result);
    if (MessageBoxW(hwnd(), win32::Wide(text), L"Error", MB_RETRYCANCEL | MB_ICONERROR) !=
        IDRETRY) {
      return false;
    }
  }
}

}  // namespace qv
