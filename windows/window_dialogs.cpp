#include "windows/window_dialogs.h"

#include <commctrl.h>

#include <array>

#include "resources/resource.h"
#include "windows/win32/command_table.h"
#include "windows/win32/convert.h"

namespace qv {
namespace {

struct TypeName {
  const wchar_t* text;
  ListType type;
};
constexpr std::array<TypeName, 3> kTypeNames{{
    {L"General", ListType::Task},
    {L"Custom", ListType::Custom},
    {L"Log", ListType::Log},
}};

const wchar_t* TypeText(std::uint32_t type) {
  for (const TypeName& name : kTypeNames) {
    if (static_cast<std::uint32_t>(name.type) == type) return name.text;
  }
  return nullptr;
}

struct Column {
  const wchar_t* header;
  int format;
  int width;
};
// Each goes in at position 0, so the last one here ends up leftmost.
constexpr std::array<Column, 3> kTaskWindowsColumns{{
    {L"Logging to:", LVCFMT_CENTER, 100},
    {L"Type", LVCFMT_LEFT, 110},
    {L"Name", LVCFMT_CENTER, 270},
}};
constexpr Column kLogColumn{L"Available for:", LVCFMT_LEFT, 170};

constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);
// Long enough for most titles at the first try; the read grows it until the text fits.
constexpr std::size_t kFirstItemTextChars = 256;

HINSTANCE InstanceOf(HWND window) {
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

void AddExtendedStyle(HWND listView, DWORD style) {
  const auto current =
      static_cast<DWORD>(SendMessageW(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, current | style);
}

void InsertColumn(HWND listView, const Column& column) {
  LVCOLUMNW info{};
  info.mask = LVCF_FMT | LVCF_TEXT;
  info.fmt = column.format;
  info.pszText = const_cast<wchar_t*>(column.header);
  SendMessageW(listView, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(listView, LVM_SETCOLUMNWIDTH, 0, column.width);
}

// A row at the top; the row's index, or -1.
int InsertRowAtTop(HWND listView, const std::u16string& text, LPARAM data) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.pszText = const_cast<wchar_t*>(win32::Wide(text));
  item.lParam = data;
  return static_cast<int>(
      SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetItemText(HWND listView, int row, int subItem, const wchar_t* text) {
  LVITEMW item{};
  item.iSubItem = subItem;
  item.pszText = const_cast<wchar_t*>(text);
  SendMessageW(listView, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

int RowCount(HWND listView) {
  return static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
}

bool RowChecked(HWND listView, int row) {
  return (SendMessageW(listView, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) &
          LVIS_STATEIMAGEMASK) == kChecked;
}

void CheckRow(HWND listView, int row) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = kChecked;
  SendMessageW(listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

std::u16string ListViewItemText(HWND listView, int row, int subItem) {
  std::u16string text(kFirstItemTextChars, u'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = win32::Wide(text.data());
    item.cchTextMax = static_cast<int>(text.size());
    const auto copied = static_cast<std::size_t>(
        SendMessageW(listView, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    // A copy that fills the buffer up to its terminator may have been cut.
    if (copied + 1 < text.size()) {
      text.resize(copied);
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// The properties dialog.

ListEntry* WindowPropertiesDialog::Entry() const {
  return commandId_ ? FindEntryByCommandId(ws_, *commandId_) : nullptr;
}

bool WindowPropertiesDialog::OnInit() {
  const HWND logList = GetDlgItem(hwnd(), IDC_LOG_LIST);
  AddExtendedStyle(logList, LVS_EX_CHECKBOXES);
  InsertColumn(logList, kLogColumn);
  const ListEntry* entry = Entry();
  const CGenWindow* window = entry ? entry->window.get() : nullptr;
  FillTypes(window);
  if (entry) {
    EnableWindow(GetDlgItem(hwnd(), IDC_WINDOW_TYPE), FALSE);
    if (window) win32::SetText(GetDlgItem(hwnd(), IDC_WINDOW_NAME), window->Title());
  }
  // A log window logs nowhere.
  if (entry && (!window || window->IsLog())) {
    EnableWindow(logList, FALSE);
    return true;
  }
  EnableWindow(logList, TRUE);
  FillLogWindows(window);
  return true;
}

void WindowPropertiesDialog::FillTypes(const CGenWindow* window) {
  const HWND combo = GetDlgItem(hwnd(), IDC_WINDOW_TYPE);
  for (const TypeName& name : kTypeNames) {
    const auto index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.text));
    SendMessageW(combo, CB_SETITEMDATA, index, static_cast<LPARAM>(name.type));
  }
  const wchar_t* selected = L"Custom";
  if (commandId_) selected = window ? TypeText(window->type) : nullptr;
  if (selected) {
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(selected));
  }
}

void WindowPropertiesDialog::FillLogWindows(const CGenWindow* window) {
  const HWND logList = GetDlgItem(hwnd(), IDC_LOG_LIST);
  for (const auto& entry : ws_.ListWindows) {
    if (!entry->window || !entry->window->IsLog()) continue;
    const std::u16string title = entry->window->Title();
    const int row = InsertRowAtTop(logList, title, 0);
    if (row >= 0 && window && HasLogLink(*window, title)) CheckRow(logList, row);
  }
}

bool WindowPropertiesDialog::OnCommand(WORD id, WORD code, HWND control) {
  if (id != IDOK) return DialogBase::OnCommand(id, code, control);
  OnOk();
  return true;
}

void WindowPropertiesDialog::OnOk() {
  const HWND combo = GetDlgItem(hwnd(), IDC_WINDOW_TYPE);
  auto type = static_cast<std::uint32_t>(ListType::Task);
  const auto selection = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (selection != CB_ERR) {
    type = static_cast<std::uint32_t>(SendMessageW(combo, CB_GETITEMDATA, selection, 0));
  }
  NullableText name = win32::WindowText(GetDlgItem(hwnd(), IDC_WINDOW_NAME));
  if (name->empty()) name.reset();

  ListEntry* entry = Entry();
  if (entry && entry->window && name) {
    // Task windows name their log windows by title: they follow the rename.
    if (entry->window->IsLog()) RenameLogLinkEverywhere(ws_, entry->window->Title(), *name);
    entry->window->view().SetTitle(*name);
  }
  if (!commandId_) {
    entry = AddListWindow(ws_, type, name);
    if (!entry) {
      End(IDOK);
      return;
    }
    commandId_ = entry->commandId;
  }
  if (entry && entry->window) {
    CGenWindow& window = *entry->window;
    ClearLogLinks(window);
    const HWND logList = GetDlgItem(hwnd(), IDC_LOG_LIST);
    const int rows = RowCount(logList);
    for (int row = 0; row < rows; ++row) {
      if (RowChecked(logList, row)) AddLogLink(window, ListViewItemText(logList, row, 0));
    }
  }
  End(IDOK);
}

// The task-windows dialog.

bool TaskWindowsDialog::OnInit() {
  EnableRowButtons(false);
  AddExtendedStyle(List(), LVS_EX_AUTOSIZECOLUMNS);
  for (const Column& column : kTaskWindowsColumns) InsertColumn(List(), column);
  SendMessageW(hwnd(), WM_QV_FILL_WINDOW_LIST, 0, 0);
  return true;
}

INT_PTR TaskWindowsDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_QV_FILL_WINDOW_LIST: FillList(); return TRUE;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    default: return DialogBase::HandleMessage(msg, wParam, lParam);
  }
}

void TaskWindowsDialog::FillList() {
  const HWND list = List();
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (const auto& entry : ws_.ListWindows) {
    if (!entry->window) continue;
    const int row = InsertRowAtTop(list, entry->window->Title(), entry->commandId);
    if (row < 0) continue;
    if (const wchar_t* type = TypeText(entry->window->type)) SetItemText(list, row, 1, type);
  }
}

INT_PTR TaskWindowsDialog::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != List() || header.code != static_cast<UINT>(NM_CLICK)) return FALSE;
  EnableRowButtons(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0);
  return TRUE;
}

void TaskWindowsDialog::EnableRowButtons(bool enable) {
  EnableWindow(GetDlgItem(hwnd(), IDC_EDIT_WINDOW), enable);
  EnableWindow(GetDlgItem(hwnd(), IDC_DELETE_WINDOW), enable);
}

int TaskWindowsDialog::SelectedRow() const {
  return static_cast<int>(
      SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

ListEntry* TaskWindowsDialog::RowEntry(int row) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (row < 0 || !SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
    return nullptr;
  }
  return FindEntryByCommandId(ws_, static_cast<std::uint32_t>(item.lParam));
}

bool TaskWindowsDialog::OnCommand(WORD id, WORD code, HWND control) {
  static constexpr win32::Command<TaskWindowsDialog> kCommands[] = {
      {IDC_NEW_WINDOW, &TaskWindowsDialog::OnNew},
      {IDC_EDIT_WINDOW, &TaskWindowsDialog::OnEdit},
      {IDC_DELETE_WINDOW, &TaskWindowsDialog::OnDelete},
  };
  if (win32::RunCommand<TaskWindowsDialog>(kCommands, id, *this)) return true;
  return DialogBase::OnCommand(id, code, control);
}

void TaskWindowsDialog::OnNew() {
  WindowPropertiesDialog properties(ws_, std::nullopt);
  properties.RunModal(InstanceOf(hwnd()), IDD_WINDOW_PROPERTIES, hwnd());
  SendMessageW(hwnd(), WM_QV_FILL_WINDOW_LIST, 0, 0);
}

void TaskWindowsDialog::OnEdit() {
  const int row = SelectedRow();
  const ListEntry* entry = RowEntry(row);
  if (!entry) return;
  const std::uint32_t commandId = entry->commandId;
  WindowPropertiesDialog properties(ws_, commandId);
  if (properties.RunModal(InstanceOf(hwnd()), IDD_WINDOW_PROPERTIES, hwnd()) != IDOK) return;
  entry = FindEntryByCommandId(ws_, commandId);
  if (!entry || !entry->window) return;
  const std::u16string title = entry->window->Title();
  SetItemText(List(), row, 0, win32::Wide(title));
  ws_.host.RenameTaskWindowsItem(commandId, title);
}

void TaskWindowsDialog::OnDelete() {
  const int row = SelectedRow();
  if (row < 0) return;
  if (MessageBoxW(hwnd(), L"Do you really want to delete the selected item?", L"Delete",
                  MB_YESNO) != IDYES) {
    return;
  }
  // The window and its tasks go with the entry: what stays on screen is what is saved.
  if (const ListEntry* entry = RowEntry(row)) RemoveListEntry(ws_, entry->commandId);
  SendMessageW(List(), LVM_DELETEITEM, row, 0);
}

}  // namespace qv
