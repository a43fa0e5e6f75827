#pragma once
// A list window's MDI child: the Win32 side of ListWindowView. It keeps how it was last sized
// (minimized, maximized, the rectangle to restore and to scale) for the frame.

#include <windows.h>

#include <memory>
#include <string>

#include "model/list_window.h"
#include "model/window_seam.h"
#include "windows/win32/window_base.h"

namespace qv {

// What a list window needs from the frame around it.
class ListWindowHost {
 public:
  virtual HINSTANCE Instance() const = 0;
  virtual HWND MdiClient() const = 0;
  virtual HWND Frame() const = 0;
  // The window hid itself: its "Task Windows" item loses its check mark.
  virtual void UncheckTaskWindow(HWND window) = 0;

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
  std::unique_ptr<TaskRow> CreateRow(TaskItem& item, bool logRow) override;
  void TasksChanged() override;

  void RecordRestoreRect();
  // Multiplies the stored rectangle and, unless the window is minimized or maximized, moves
  // the window there (floor of the place, ceiling of the size).
  void ScaleRestoreRect(double sx, double sy);

  bool minimized() const { return minimized_; }
  bool maximized() const { return maximized_; }
  const RestoreRect& restoreRect() const { return restoreRect_; }

 private:
  static bool RegisterClassFor(HINSTANCE instance, bool log);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) override;

  LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnSizingOrMoving(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnClose();
  LRESULT OnMdiActivate();

  ListWindowHost& host_;
  CGenWindow& list_;
  bool minimized_ = false;
  bool maximized_ = false;
  RestoreRect restoreRect_;
};

// The Win32 view behind a list made by the frame.
ListWindow& Win32View(const CGenWindow& list);

}  // namespace qv
