#pragma once
// The two dialogs that manage the list windows: the task-windows dialog lists them with their
// types and offers New, Edit and Delete; the properties dialog sets one window's name, its type
// (only when new) and the log windows its closed tasks go to. Each change is made when the
// properties dialog ends with OK or when a deletion is confirmed.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "model/workspace_model.h"
#include "windows/win32/dialog_base.h"

namespace qv {

// The text of a list-view item however long: a fixed buffer would cut long titles short.
std::u16string ListViewItemText(HWND listView, int item, int subItem);

// Rows and entries are tied by command id, looked up on use: a row whose entry went away then
// refers to nothing instead of to freed memory.
class WindowPropertiesDialog : public win32::DialogBase {
 public:
  // For the entry of that command id, or for a new window without one.
  WindowPropertiesDialog(Workspace& ws, std::optional<std::uint32_t> commandId)
      : ws_(ws), commandId_(commandId) {}

 protected:
  bool OnInit() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  ListEntry* Entry() const;
  void FillTypes(const CGenWindow* window);
  void FillLogWindows(const CGenWindow* window);
  void OnOk();

  Workspace& ws_;
  std::optional<std::uint32_t> commandId_;
};

class TaskWindowsDialog : public win32::DialogBase {
 public:
  explicit TaskWindowsDialog(Workspace& ws) : ws_(ws) {}

 protected:
  bool OnInit() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND List() const { return GetDlgItem(hwnd(), IDC_WINDOW_LIST); }
  void FillList();
  INT_PTR OnNotify(const NMHDR& header);
  void EnableRowButtons(bool enable);
  int SelectedRow() const;
  ListEntry* RowEntry(int row) const;
  void OnNew();
  void OnEdit();
  void OnDelete();

  Workspace& ws_;
};

}  // namespace qv
