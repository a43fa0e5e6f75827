#pragma once
// The narrow seam between the list-window model and real windows. The Win32 program gives each
// list window an MDI child and the frame's "Task Windows" menu; the headless implementation
// (model/headless.h) keeps the same state in memory for tests and quorvane-cli.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qv {

class CGenWindow;

// Position and size relative to the MDI client.
struct WindowRect {
  std::int32_t x;
  std::int32_t y;
  std::int32_t width;
  std::int32_t height;

  friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// A window's title is read into 512 characters: up to 511 characters arrive whole, exactly
// 512 lose the last one, and a longer title reads as empty.
inline constexpr std::size_t kTitleReadLimit = 512;
std::u16string ReadTitleWithLimit(std::u16string_view title);

// The window of one list. Destroying the view destroys the window.
class ListWindowView {
 public:
  virtual ~ListWindowView() = default;

  // Makes the window once; false when it already exists or cannot be made.
  virtual bool Create(const std::u16string& title, const WindowRect& rect) = 0;
  virtual bool Exists() const = 0;
  // The window's title is the one place the list's title is kept; read with the limit above.
  virtual std::u16string Title() const = 0;
  virtual void SetTitle(const std::u16string& title) = 0;
  virtual WindowRect Rect() const = 0;
  virtual void Show(bool show) = 0;
  // The tasks were added, removed or reordered: lay the rows in view out again. No row may
  // show a task that has left the list once this returns.
  virtual void TasksChanged() = 0;
};

// The frame around the list windows.
class WorkspaceHost {
 public:
  virtual ~WorkspaceHost() = default;

  virtual std::unique_ptr<ListWindowView> CreateView(CGenWindow& list) = 0;
  // The "Task Windows" menu: made with its first item, removed whole when the workspace is
  // cleared.
  virtual void AddTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) = 0;
  virtual void RemoveTaskWindowsItem(std::uint32_t commandId) = 0;
  // A renamed window's item takes its new title and keeps its id and check mark.
  virtual void RenameTaskWindowsItem(std::uint32_t commandId, const std::u16string& title) = 0;
  virtual void RemoveTaskWindowsMenu() = 0;
  virtual void CheckTaskWindowsItem(std::uint32_t commandId, bool checked) = 0;
  // A message box with the caption "Error", owned by the frame.
  virtual void ShowError(const std::u16string& text) = 0;

  // The frame's placement in screen coordinates (x and y are its left and top edges). Moving
  // it keeps its place in the z-order.
  virtual WindowRect FrameRect() const = 0;
  virtual void MoveFrame(const WindowRect& rect) = 0;
  // The frame's "keep size" setting, saved with the workspace as a plain number.
  virtual std::int32_t KeepSize() const = 0;
  virtual void SetKeepSize(std::int32_t keepSize) = 0;
};

}  // namespace qv
