// Reading windows the way a user sees them, from any thread: their text, and the boxes (message
// boxes, About boxes) a window shows. Also the keyboard as a user presses it. Plain Win32, no
// GoogleTest, shared by every tier that drives real windows.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Window text through WM_GETTEXT, whatever its length (works across threads).
std::wstring WindowText(HWND hWnd);
std::wstring ClassName(HWND hWnd);

// A visible dialog-class window (#32770) owned by hWndOwner, null when there is none.
HWND FindOwnedBox(HWND hWndOwner);

// A message box or other dialog box as the user sees it.
struct ShownBox {
    HWND hWnd = nullptr;
    std::wstring caption;
    std::wstring text;        // a message box's message (static 0xFFFF); empty for other boxes
    UINT nIconStyle = 0;      // the MB_ICON... style its icon shows; 0 for none, ~0u for another icon
};
ShownBox ReadBox(HWND hWndBox);

// Posts a key press (down and up) to a window, as the keyboard would, so the dialog manager's
// keyboard handling (Enter -> IDOK, Escape -> IDCANCEL) sees it.
void PostKey(HWND hWnd, UINT nVirtualKey);

}  // namespace testsupport
