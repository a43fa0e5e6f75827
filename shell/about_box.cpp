#include "shell/about_box.h"

#include <shellapi.h>

#include <string>

#include "resources/resource.h"
#include "windows/win32/owners.h"

namespace qv {
namespace {

// Both records live in movable global memory blocks, locked for each access, and hold only
// plain values: the target text is a separate allocation the block points to.
struct LinkData {
  std::wstring* target;
  WNDPROC previous;
};

struct LinkDialogData {
  WNDPROC previous;
  HFONT font;  // made at the first paint of a link
  HBRUSH background;
};

OpenLinkFunction openLink = ::ShellExecuteW;

template <typename Record>
HGLOBAL NewBlock(const Record& record) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(Record));
  if (!block) return nullptr;
  *static_cast<Record*>(GlobalLock(block)) = record;
  GlobalUnlock(block);
  win32::CountLive(win32::LiveKind::Memory, +1);
  return block;
}

void FreeBlock(HGLOBAL block) {
  GlobalFree(block);
  win32::CountLive(win32::LiveKind::Memory, -1);
}

// A copy of the record in the block, or false when the window carries none.
template <typename Record>
bool ReadBlock(HWND window, const wchar_t* property, Record* record) {
  HGLOBAL block = GetPropW(window, property);
  if (!block) return false;
  const auto* locked = static_cast<const Record*>(GlobalLock(block));
  if (!locked) return false;
  *record = *locked;
  GlobalUnlock(block);
  return true;
}

template <typename Record>
void WriteBlock(HWND window, const wchar_t* property, const Record& record) {
  HGLOBAL block = GetPropW(window, property);
  auto* locked = block ? static_cast<Record*>(GlobalLock(block)) : nullptr;
  if (!locked) return;
  *locked = record;
  GlobalUnlock(block);
}

// Underlined, otherwise the font the control paints with, measured in its device context.
HFONT MakeLinkFont(HDC dc, HWND control) {
  HFONT own = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  win32::ScopedSelect select(dc, own ? static_cast<HGDIOBJ>(own) : GetCurrentObject(dc, OBJ_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  LOGFONTW font{};
  font.lfHeight = metrics.tmHeight;
  font.lfWeight = metrics.tmWeight;
  font.lfItalic = metrics.tmItalic;
  font.lfStrikeOut = metrics.tmStruckOut;
  font.lfCharSet = metrics.tmCharSet;
  font.lfPitchAndFamily = metrics.tmPitchAndFamily;
  font.lfUnderline = TRUE;
  GetTextFaceW(dc, LF_FACESIZE, font.lfFaceName);
  HFONT made = CreateFontIndirectW(&font);
  if (made) win32::CountLive(win32::LiveKind::Gdi, +1);
  return made;
}

void DeleteGdiObject(HGDIOBJ object) {
  if (!object) return;
  DeleteObject(object);
  win32::CountLive(win32::LiveKind::Gdi, -1);
}

WNDPROC Subclass(HWND window, WNDPROC procedure) {
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

WNDPROC Procedure(HWND window) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

// The window gets its own procedure back with the property: the messages that follow its
// WM_DESTROY (WM_NCDESTROY above all, where a dialog frees what the dialog manager holds for
// it) must reach that procedure, not DefWindowProcW.
LRESULT OnLinkDestroy(HWND control, const LinkData& link) {
  FreeBlock(RemovePropW(control, kLinkProperty));
  Subclass(control, link.previous);
  const LRESULT result = CallWindowProcW(link.previous, control, WM_DESTROY, 0, 0);
  delete link.target;
  return result;
}

LRESULT CALLBACK LinkProcedure(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
  LinkData link{};
  if (!ReadBlock(control, kLinkProperty, &link)) {
    return DefWindowProcW(control, msg, wParam, lParam);
  }
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
      return TRUE;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_LBUTTONDOWN: {
      HWND parent = GetParent(control);
      openLink(parent ? parent : control, L"open", link.target->c_str(), nullptr, nullptr,
               SW_SHOWNORMAL);
      break;
    }
    case WM_DESTROY: return OnLinkDestroy(control, link);
    default: break;
  }
  return CallWindowProcW(link.previous, control, msg, wParam, lParam);
}

LRESULT OnLinkColour(HWND dialog, LinkDialogData& data, HDC dc, HWND control) {
  SetTextColor(dc, kLinkColour);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  if (!data.font) {
    data.font = MakeLinkFont(dc, control);
    WriteBlock(dialog, kLinkDialogProperty, data);
  }
  // A static may select its own font after asking for its colours (Wine's does): given the
  // link font as its own, it paints underlined either way.
  if (reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) != data.font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(data.font), FALSE);
  }
  SelectObject(dc, data.font);
  return reinterpret_cast<LRESULT>(data.background);
}

LRESULT OnLinkDialogDestroy(HWND dialog, const LinkDialogData& data) {
  FreeBlock(RemovePropW(dialog, kLinkDialogProperty));
  Subclass(dialog, data.previous);
  DeleteGdiObject(data.background);
  DeleteGdiObject(data.font);
  return CallWindowProcW(data.previous, dialog, WM_DESTROY, 0, 0);
}

LRESULT CALLBACK LinkDialogProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  LinkDialogData data{};
  if (!ReadBlock(dialog, kLinkDialogProperty, &data)) {
    return DefWindowProcW(dialog, msg, wParam, lParam);
  }
  HWND control = reinterpret_cast<HWND>(lParam);
  switch (msg) {
    case WM_CTLCOLORSTATIC:
      if (GetPropW(control, kLinkProperty)) {
        return OnLinkColour(dialog, data, reinterpret_cast<HDC>(wParam), control);
      }
      break;
    case WM_DESTROY: return OnLinkDialogDestroy(dialog, data);
    default: break;
  }
  return CallWindowProcW(data.previous, dialog, msg, wParam, lParam);
}

void AttachLink(HWND control) {
  LinkData link{};
  if (ReadBlock(control, kLinkProperty, &link)) {
    *link.target = kWebSiteAddress;
    return;
  }
  link = {new std::wstring(kWebSiteAddress), Procedure(control)};
  HGLOBAL block = NewBlock(link);
  if (!block || !SetPropW(control, kLinkProperty, block)) {
    if (block) FreeBlock(block);
    delete link.target;
    return;
  }
  Subclass(control, LinkProcedure);
}

void AttachLinkDialog(HWND dialog) {
  if (GetPropW(dialog, kLinkDialogProperty)) return;
  HBRUSH background = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  if (!background) return;
  win32::CountLive(win32::LiveKind::Gdi, +1);
  HGLOBAL block = NewBlock(LinkDialogData{Procedure(dialog), nullptr, background});
  if (!block || !SetPropW(dialog, kLinkDialogProperty, block)) {
    if (block) FreeBlock(block);
    DeleteGdiObject(background);
    return;
  }
  Subclass(dialog, LinkDialogProcedure);
}

}  // namespace

void SetOpenLinkFunction(OpenLinkFunction open) {
  openLink = open ? open : ::ShellExecuteW;
}

void MakeHyperlink(HWND dialog) {
  HWND control = GetDlgItem(dialog, IDC_ABOUT_LINK);
  if (!control) return;
  SetWindowTextW(control, kWebSiteAddress);
  AttachLink(control);
  AttachLinkDialog(dialog);
}

bool AboutDialog::OnInit() {
  MakeHyperlink(hwnd());
  return true;
}

}  // namespace qv
