#pragma once
// The program's one top-level window: the MDI frame around the list windows. It is the
// workspace's host: it owns the workspace, the "Task Windows" menu, the status bar, the
// once-a-second refresh and the pulse worker.

#include <windows.h>

#include <memory>
#include <string>

#include "model/workspace_model.h"
#include "shell/pulse.h"
#include "shell/tray_icon.h"
#include "windows/list_window.h"
#include "windows/win32/owners.h"
#include "windows/win32/window_base.h"
#include "xml/xml_error.h"

namespace qv {

inline constexpr wchar_t kFrameClassName[] = L"KestrovaMdiFrame";
inline constexpr wchar_t kAppTitle[] = L"Quorvane beta";
inline constexpr wchar_t kTaskWindowsMenuText[] = L"Task Windows";

class FrameWindow : public win32::WindowBase, public WorkspaceHost, public ListWindowHost {
 public:
  // Loads the icons every row shares.
  explicit FrameWindow(HINSTANCE instance);
  ~FrameWindow() override;

  static bool RegisterClass(HINSTANCE instance);
  // Makes the frame, hidden, with the given menu, which the window then owns; its creation
  // makes the MDI client and starts the refresh timer.
  bool Create(HMENU menu);

  // Where the workspace is saved when the frame ends or the session ends, and where the
  // reports go.
  void SetStoragePaths(const std::u16string& workspaceFile, const std::u16string& reportFolder) {
    workspaceFile_ = workspaceFile;
    reportFolder_ = reportFolder;
  }
  // The check marks of "Startup automatically", from the registry, and "Keep size".
  void SyncSettingsMenu();
  void CreateStatusBar();
  void AddTrayIcon();
  void RemoveTrayIcon() { tray_.Remove(); }
  // Every list window's deadline scale and rows; the pulse worker runs while any task of any
  // list is overdue.
  void RefreshTaskWindows();

  Workspace& workspace() { return workspace_; }
  HWND statusBar() const { return statusBar_; }
  HMENU taskWindowsMenu() const { return taskWindowsMenu_; }
  bool pulseRunning() const { return pulse_.Running(); }

  // WorkspaceHost
  std::unique_ptr<ListWindowView> CreateView(CGenWindow& list) override;
  void AddTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) override;
  void RemoveTaskWindowsItem(std::uint32_t commandId) override;
  void RenameTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) override;
  void RemoveTaskWindowsMenu() override;
  void CheckTaskWindowsItem(std::uint32_t commandId, bool checked) override;
  void ShowError(const std::u16string& text) override;
  WindowRect FrameRect() const override;
  void MoveFrame(const WindowRect& rect) override;
  std::int32_t KeepSize() const override { return keepSize_; }
  void SetKeepSize(std::int32_t keepSize) override { keepSize_ = keepSize; }

  // ListWindowHost
  HINSTANCE Instance() const override { return instance_; }
  HWND MdiClient() const override { return mdiClient_; }
  HWND Frame() const override { return hwnd(); }
  void UncheckTaskWindow(HWND window) override;
  Workspace& TheWorkspace() override { return workspace_; }
  HICON CheckIcon() const override { return checkIcon_.get(); }
  HICON CrossIcon() const override { return crossIcon_.get(); }
  HFONT RowFont() const override { return rowFont_.get(); }
  std::u16string ReportFolder() const override { return reportFolder_; }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) override;

  LRESULT OnCreate();
  LRESULT OnDestroy();
  LRESULT OnSize(WORD width, WORD height);
  LRESULT OnClose();
  LRESULT OnTimer();
  LRESULT OnEndSession(bool ending);
  LRESULT OnCommand(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnTray(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnOtherMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  void OnExit();
  void OnCascade();
  void OnTile();
  void OnToggleKeepSize();
  void OnNewWorkspace();
  void OnLoadWorkspace();
  void OnSaveWorkspace();
  void OnEditTaskWindows();
  void OnAbout();
  void OnTrayShow();
  void OnTrayHide();
  void OnTrayExit();
  void OnToggleStartup();
  // Hands the autostart command to the elevated copy just started: true when it reached that
  // copy's frame, so this instance may end.
  bool HandOverToElevated(HANDLE process);
  void ChangeAutostart();
  void ToggleTaskWindow(std::uint32_t commandId);
  void ShowTaskWindow(std::uint32_t commandId, bool show);
  void RecordAllRestoreRects();
  // The save at the end of the session or of the program: once, with Retry offered when it
  // fails.
  void SaveAtExit();
  // Saves to the workspace file, offering Retry while it fails; false when the user gave up.
  bool SaveWithRetry();

  HINSTANCE instance_;
  HWND mdiClient_ = nullptr;         // a child: goes with the frame
  HWND statusBar_ = nullptr;         // a child: goes with the frame
  HMENU windowMenu_ = nullptr;       // part of the frame's menu
  HMENU taskWindowsMenu_ = nullptr;  // owned by the Window menu it sits in
  std::int32_t statusBarHeight_ = 0;
  std::int32_t keepSize_ = 0;
  WORD lastClientWidth_ = 0;
  WORD lastClientHeight_ = 0;
  std::u16string workspaceFile_;
  std::u16string reportFolder_;
  win32::IconHandle checkIcon_;
  win32::IconHandle crossIcon_;
  win32::FontHandle rowFont_;
  bool savedAtExit_ = false;
  PulseWorker pulse_;
  TrayIcon tray_;
  // Sent to every top-level window when the notification area is made anew.
  UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // Last, so that its list windows go first, while the frame is whole.
  Workspace workspace_{*this};
};

// The message a failed load or save shows: the file and the error, with the position in the
// file for a parse error.
std::u16string WorkspaceErrorText(bool loading, const std::u16string& path,
                                  const XmlParseResult& result);

}  // namespace qv
