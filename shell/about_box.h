#pragma once
// The About box, and the hyperlink a static text of a dialog is turned into: blue, underlined,
// with the hand cursor, opening its address with the default program when clicked. The link
// is made of two window properties and two subclassed procedures, with no class of its own.

#include <windows.h>

#include "windows/win32/dialog_base.h"

namespace qv {

inline constexpr wchar_t kWebSiteAddress[] = L"https://quorvane.example/";
// The properties a link control and its dialog carry.
inline constexpr wchar_t kLinkProperty[] = L"href_dat";
inline constexpr wchar_t kLinkDialogProperty[] = L"href_dlg";
inline constexpr COLORREF kLinkColour = RGB(0, 0, 255);

// How a click opens the address: ShellExecuteW unless a test has put its recorder here.
using OpenLinkFunction = HINSTANCE(WINAPI*)(HWND owner, LPCWSTR verb, LPCWSTR target,
                                            LPCWSTR parameters, LPCWSTR folder, INT show);
void SetOpenLinkFunction(OpenLinkFunction open);

// Turns the dialog's control IDC_ABOUT_LINK into a link to the web site. Called again, it
// only refreshes the text and the target.
void MakeHyperlink(HWND dialog);

class AboutDialog : public win32::DialogBase {
 protected:
  bool OnInit() override;
};

}  // namespace qv
