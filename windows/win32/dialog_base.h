#pragma once
// The base of every dialog of the program: the dialog procedure finds the object from the
// dialog's user data, stored at WM_INITDIALOG, and hands it each message. No exception leaves
// the dialog procedure: one that escapes a handler counts as a message not handled.

#include <windows.h>

namespace qv::win32 {

class DialogBase {
 public:
  DialogBase() = default;
  virtual ~DialogBase() = default;
  DialogBase(const DialogBase&) = delete;
  DialogBase& operator=(const DialogBase&) = delete;

  // Runs the dialog of that template modally; its result, or -1 when it cannot be made.
  INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner);
  HWND hwnd() const { return hwnd_; }

 protected:
  // WM_INITDIALOG: true lets the dialog manager give the focus to the first control.
  virtual bool OnInit() { return true; }
  // WM_COMMAND; true when handled. By default OK and Cancel end the dialog with their id.
  virtual bool OnCommand(WORD id, WORD code, HWND control);
  // Every message; the default hands WM_INITDIALOG and WM_COMMAND to the two above.
  virtual INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void End(INT_PTR result);

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

}  // namespace qv::win32
