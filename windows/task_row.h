#pragma once
// The controls of one task's row in a list window's pane: the check mark (task windows only),
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

class TaskRowWindow final : public TaskRow {
 public:
  // Null when a control cannot be made; then whatever was made is gone again.
  static std::unique_ptr<TaskRowWindow> Create(TaskItem& item, ListWindow& owner, bool logRow);
  ~TaskRowWindow() override;

  void Adopt(CGenWindow& newOwner) override;
  // Lays the buttons out in the row's rectangle in pane coordinates.
  void Place(const RECT& row);
  // The name on the main button, and every button shown and repainted.
  void Refresh();
  // The check mark blinks while the deadline has passed (remaining time below 0); the list
  // window's one blink timer drives every blinking row.
  void UpdateBlink(double remaining);
  // Whether the pulse has moved the level since the check mark was last drawn.
  bool NeedsBlink() const;
  // The check mark at the new level, as a top-down 32-bit image of checkRect()'s size, into
  // out; false when there is no kept face of that size, and the button paints itself instead.
  bool TintBlink(std::uint32_t* out);
  // Where the check button sits in the pane.
  const RECT& checkRect() const { return checkRect_; }

  TaskItem& item() const { return item_; }
  HWND mainButton() const { return main_.get(); }
  HWND checkButton() const { return check_.get(); }
  HWND crossButton() const { return cross_.get(); }
  bool blinking() const { return blinking_; }

  // The row whose button this is, or null.
  static TaskRowWindow* FromButton(HWND button);

 private:
  TaskRowWindow(TaskItem& item, ListWindow& owner) : item_(item), owner_(&owner) {}
  bool MakeMainButton(HWND pane);
  bool MakeCheckButton(HWND pane);
  bool MakeCrossButton(HWND pane);
  void StopBlink();

  static LRESULT CALLBACK MainProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR row);
  static LRESULT CALLBACK CheckProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR row);
  LRESULT OnMainButtonUp(WPARAM wParam, LPARAM lParam);
  LRESULT OnMainTooltip(NMHDR& header, WPARAM wParam, LPARAM lParam);
  LRESULT OnCheckTooltip(NMHDR& header, WPARAM wParam, LPARAM lParam);
  void PaintCheck();

  TaskItem& item_;
  ListWindow* owner_;
  win32::WindowHandle mainTip_;
  win32::WindowHandle checkTip_;
  win32::WindowHandle main_;
  win32::WindowHandle check_;
  win32::WindowHandle cross_;
  win32::FontHandle font_;
  std::u16string shownName_;
  bool nameShown_ = false;
  bool blinking_ = false;
  // Where the check button sits in the pane.
  RECT checkRect_{};
  // The level the check mark was last painted at; a blink draws only when the pulse has moved
  // it, which is one tick in three.
  std::int32_t paintedLevel_ = -1;
  // While blinking: the untinted face of the last paint.
  std::vector<std::uint32_t> face_;
  std::vector<std::uint32_t> tinted_;
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
