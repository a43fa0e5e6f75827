#pragma once
// A list window's MDI child: the Win32 side of ListWindowView. It keeps how it was last sized
// (minimized, maximized, the rectangle to restore and to scale) for the frame.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "model/list_window.h"
#include "model/window_seam.h"
#include "model/workspace_model.h"
#include "windows/win32/owners.h"
#include "windows/win32/window_base.h"

namespace qv {

class TaskRowWindow;

// What a list window needs from the frame around it.
class ListWindowHost {
 public:
  virtual HINSTANCE Instance() const = 0;
  virtual HWND MdiClient() const = 0;
  virtual HWND Frame() const = 0;
  // The window hid itself: its "Task Windows" item loses its check mark.
  virtual void UncheckTaskWindow(HWND window) = 0;
  virtual Workspace& TheWorkspace() = 0;
  // The icons of every row's check and cross buttons; either may be null.
  virtual HICON CheckIcon() const = 0;
  virtual HICON CrossIcon() const = 0;
  // The font of every row's name.
  virtual HFONT RowFont() const = 0;
  // Where the toolbar's reports are written.
  virtual std::u16string ReportFolder() const = 0;

 protected:
  ~ListWindowHost() = default;
};

// Position relative to the MDI client's window rectangle. Doubles, so that scaling again and
// again adds up no rounding.
struct RestoreRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

inline constexpr wchar_t kTaskWindowClass[] = L"KestrovaTaskWnd";
inline constexpr wchar_t kLogWindowClass[] = L"KestrovaLogWnd";

class ListWindow : public win32::WindowBase, public ListWindowView {
 public:
  ListWindow(ListWindowHost& host, CGenWindow& list);
  ~ListWindow() override;

  bool Create(const std::u16string& title, const WindowRect& rect) override;
  bool Exists() const override { return hwnd() != nullptr; }
  std::u16string Title() const override;
  void SetTitle(const std::u16string& title) override;
  WindowRect Rect() const override;
  void Show(bool show) override;
  void TasksChanged() override;

  // Sizes the pane and the scroll bar to the window and places the rows; PositionTasks only
  // places them for the scroll position. Rows are made for the tasks in view and released for
  // the rest: a hidden or minimized window has none.
  void LayoutTasks();
  void PositionTasks();
  // The name, blink and buttons of every row in view, shown and repainted; now is
  // LocalNowTicks, read once for the pass.
  void RefreshTasks(std::uint64_t now);
  void RefreshTasks();

  void RecordRestoreRect();
  // Multiplies the stored rectangle and, unless the window is minimized or maximized, moves
  // the window there (floor of the place, ceiling of the size).
  void ScaleRestoreRect(double sx, double sy);

  bool minimized() const { return minimized_; }
  bool maximized() const { return maximized_; }
  const RestoreRect& restoreRect() const { return restoreRect_; }
  HWND pane() const { return pane_; }
  HWND toolbar() const { return toolbar_; }
  HWND scrollBar() const { return scrollBar_; }
  // The one tooltip of every row's buttons.
  HWND tooltip() const { return tooltip_.get(); }
  // The rows in view, top to bottom.
  std::vector<TaskRowWindow*> Rows() const;
  CGenWindow& list() const { return list_; }
  ListWindowHost& host() const { return host_; }

  // The list window a window is, or null.
  static ListWindow* FromWindow(HWND window);

 private:
  static bool RegisterClassFor(HINSTANCE instance, bool log);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) override;

  LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnWindowPosChanged(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnSizingOrMoving(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnClose();
  LRESULT OnMdiActivate();
  LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseWheel(WPARAM wParam);
  LRESULT OnNotify(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnCommand(UINT msg, WPARAM wParam, LPARAM lParam);

  bool CreateToolbar();
  void CheckSortButtons();
  void ShowSortMenu(int button);
  void OnNewTask();
  void OnSortAscent();
  void OnSortDescent();
  void OnPdfReport();
  void OnTextReport();
  void OnHtmlReport();
  int ScrollPosition() const;
  bool ShowsRows() const;
  bool PlaceRows(std::size_t count, const RECT& pane);
  // The row of the task at this index, which must be in view.
  TaskRowWindow& RowAt(std::size_t index) const;

  static LRESULT CALLBACK PaneProc(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR window);
  LRESULT OnPanePaint();
  // The blink runs while any row blinks: one timer for the window, not one for each row.
  void UpdateBlinkTimer(bool anyBlinking);
  void OnBlinkTimer();
  LRESULT OnPaneCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaneNotify(WPARAM wParam, LPARAM lParam);

  ListWindowHost& host_;
  CGenWindow& list_;
  HWND toolbar_ = nullptr;  // children: they go with the window
  HWND scrollBar_ = nullptr;
  HWND pane_ = nullptr;
  win32::WindowHandle tooltip_;  // a popup: not destroyed with the window
  // The row of the task at index k in view is rows_[k % rows_.size()], so that scrolling
  // leaves each task in its row; the rows in view start at firstRow_.
  std::vector<std::unique_ptr<TaskRowWindow>> rows_;
  std::size_t firstRow_ = 0;
  // Shown or hidden by ShowWindow; unlike WS_VISIBLE, which WM_SETREDRAW also clears.
  bool shown_ = false;
  win32::ImageListHandle images_;
  bool rowFailureShown_ = false;
  bool blinkTimer_ = false;
  // The check marks of one blink tick, one run of adjacent rows after another.
  std::vector<std::uint32_t> blinkImage_;
  bool minimized_ = false;
  bool maximized_ = false;
  RestoreRect restoreRect_;
};

// The Win32 view behind a list made by the frame.
ListWindow& Win32View(const CGenWindow& list);

}  // namespace qv
