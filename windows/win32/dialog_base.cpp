#include "windows/win32/dialog_base.h"

#include "windows/win32/owners.h"

namespace qv::win32 {

INT_PTR DialogBase::RunModal(HINSTANCE instance, int templateId, HWND owner) {
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, Procedure,
                         reinterpret_cast<LPARAM>(this));
}

bool DialogBase::OnCommand(WORD id, WORD, HWND) {
  if (id != IDOK && id != IDCANCEL) return false;
  End(id);
  return true;
}

INT_PTR DialogBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: return OnInit();
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    default: return FALSE;
  }
}

void DialogBase::End(INT_PTR result) {
  EndDialog(hwnd_, result);
}

INT_PTR CALLBACK DialogBase::Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  DialogBase* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<DialogBase*>(lParam);
    self->hwnd_ = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    CountLive(LiveKind::Window, +1);
  } else {
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(dialog, DWLP_USER));
  }
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  try {
    result = self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    CountLive(LiveKind::Window, -1);
  }
  return result;
}

}  // namespace qv::win32
