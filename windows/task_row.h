#pragma once
// The controls of a task's row in a list window's pane: the check mark (task windows only),
// tinted by the time left and blinking once the deadline has passed; the main button with the
// task's name, which opens the editor when clicked and moves the task when dragged onto
// another list window; and the cross.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/task_item.h"
#include "windows/win32/owners.h"

namespace qv {

class ListWindow;

// The pure-red pixels of a 32-bit top-down image (0x00RRGGBB), inside a border of two pixels,
// tinted for a deadline level: 0 red, 255 yellow, 510 green.
void TintPureRed(std::uint32_t* pixels, int width, int height, std::int32_t level);
// The header of a 32-bit top-down image.
BITMAPINFO TopDownImage(int width, int height);

// One row slot of a list window's pane: the controls of a row, showing whichever task of the
// list it is pointed at. The list window keeps slots only for the rows in view.
class TaskRowWindow {
 public:
  // A row at its place in pane coordinates; null when a control cannot be made, and then
  // whatever was made is gone again. A log list's rows have no check mark.
  static std::unique_ptr<TaskRowWindow> Create(ListWindow& owner, const RECT& place);
  ~TaskRowWindow();
  TaskRowWindow(const TaskRowWindow&) = delete;
  TaskRowWindow& operator=(const TaskRowWindow&) = delete;

  // From now on the row shows this task of its list.
  void Point(TaskItem& item);
  // Lays the buttons out in the row's rectangle in pane coordinates.
  void Place(const RECT& row);
  // The name on the main button, and every button repainted; now is LocalNowTicks.
  void Refresh(std::uint64_t now);
  // The check mark blinks while the deadline has passed (remaining time below 0); the list
  // window's one blink timer drives every blinking row.
  void UpdateBlink(double remaining);
  // Whether the pulse has moved the level since the check mark was last drawn.
  bool NeedsBlink(std::uint64_t now) const;
  // The check mark at the new level, as a top-down 32-bit image of checkRect()'s size, into
  // out; false when there is no kept face of that size, and the button paints itself instead.
  bool TintBlink(std::uint32_t* out, std::uint64_t now);
  // The text of the pane's tooltip for one of the row's buttons, handed out with the tip's
  // width and timing for that button.
  void HandOutTooltip(NMHDR& header) const;
  // Where the check button sits in the pane.
  const RECT& checkRect() const { return checkRect_; }

  TaskItem& item() const { return *item_; }
  HWND mainButton() const { return main_.get(); }
  HWND checkButton() const { return check_.get(); }
  HWND crossButton() const { return cross_.get(); }
  bool blinking() const { return blinking_; }

  // The row whose button this is, or null.
  static TaskRowWindow* FromButton(HWND button);

 private:
  explicit TaskRowWindow(ListWindow& owner) : owner_(owner) {}
  HWND MakeButton(win32::WindowHandle& button, DWORD style, const RECT& place);
  void StopBlink();
  std::int32_t Level(std::uint64_t now) const;

  static LRESULT CALLBACK MainProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR row);
  static LRESULT CALLBACK CheckProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR row);
  LRESULT OnMainButtonUp(WPARAM wParam, LPARAM lParam);
  void PaintCheck();

  ListWindow& owner_;
  TaskItem* item_ = nullptr;
  win32::WindowHandle main_;
  win32::WindowHandle check_;
  win32::WindowHandle cross_;
  std::u16string shownName_;
  bool nameShown_ = false;
  bool blinking_ = false;
  // Where the row and its check button sit in the pane.
  RECT placed_{};
  RECT checkRect_{};
  // The level the check mark was last painted at; a blink draws only when the pulse has moved
  // it, which is one tick in three.
  std::int32_t paintedLevel_ = -1;
  // While blinking: the untinted face of the last paint.
  std::vector<std::uint32_t> face_;
  int faceWidth_ = 0;
  int faceHeight_ = 0;
};

// For tests of a system that refuses windows: while it lives, only the given number of row
// controls are made, and every later one fails as on a full window quota. One at a time.
class ScopedRowControlLimit {
 public:
  explicit ScopedRowControlLimit(int controlsLeft);
  ~ScopedRowControlLimit();
  ScopedRowControlLimit(const ScopedRowControlLimit&) = delete;
  ScopedRowControlLimit& operator=(const ScopedRowControlLimit&) = delete;
};

}  // namespace qv
