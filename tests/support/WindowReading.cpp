#include "tests/support/WindowReading.h"

namespace testsupport {

namespace {

const wchar_t kDialogClass[] = L"#32770";
const int kMessageBoxTextId = 0xFFFF;   // the static that holds a message box's text

struct FindBoxContext {
    HWND hWndOwner;
    HWND hWndFound;
};

BOOL CALLBACK FindOwnedBoxProc(HWND hWnd, LPARAM lParam)
{
    FindBoxContext* pContext = reinterpret_cast<FindBoxContext*>(lParam);
    if (hWnd == pContext->hWndOwner || ::GetWindow(hWnd, GW_OWNER) != pContext->hWndOwner
        || !::IsWindowVisible(hWnd) || ClassName(hWnd) != kDialogClass)
        return TRUE;
    pContext->hWndFound = hWnd;
    return FALSE;
}

// A message box shows its icon in a static control (id 0x0014 on Windows, 0x0440 in Wine); the
// icon tells the style.
UINT IconStyleOf(HWND hWndBox)
{
    HWND hWndIcon = ::GetDlgItem(hWndBox, 0x0014);
    if (hWndIcon == nullptr)
        hWndIcon = ::GetDlgItem(hWndBox, 0x0440);
    if (hWndIcon == nullptr || !::IsWindowVisible(hWndIcon))
        return 0;
    HICON hIcon = reinterpret_cast<HICON>(::SendMessageW(hWndIcon, STM_GETICON, 0, 0));
    const struct { LPCWSTR pszIcon; UINT nStyle; } icons[] = {
        { IDI_EXCLAMATION, MB_ICONEXCLAMATION }, { IDI_HAND, MB_ICONHAND },
        { IDI_QUESTION, MB_ICONQUESTION }, { IDI_ASTERISK, MB_ICONASTERISK },
    };
    for (const auto& icon : icons) {
        if (hIcon == ::LoadIconW(nullptr, icon.pszIcon))
            return icon.nStyle;
    }
    return hIcon != nullptr ? ~0u : 0;
}

}  // namespace

std::wstring WindowText(HWND hWnd)
{
    const int nLength = static_cast<int>(::SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(nLength) + 1, L'\0');
    const int nCopied = static_cast<int>(::SendMessageW(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    text.resize(static_cast<size_t>(nCopied));
    return text;
}

std::wstring ClassName(HWND hWnd)
{
    wchar_t szClass[64] = L"";
    ::GetClassNameW(hWnd, szClass, 64);
    return szClass;
}

HWND FindOwnedBox(HWND hWndOwner)
{
    if (hWndOwner == nullptr)
        return nullptr;
    FindBoxContext context = { hWndOwner, nullptr };
    ::EnumWindows(&FindOwnedBoxProc, reinterpret_cast<LPARAM>(&context));
    return context.hWndFound;
}

ShownBox ReadBox(HWND hWndBox)
{
    ShownBox box;
    box.hWnd = hWndBox;
    box.caption = WindowText(hWndBox);
    if (HWND hWndText = ::GetDlgItem(hWndBox, kMessageBoxTextId))
        box.text = WindowText(hWndText);
    box.nIconStyle = IconStyleOf(hWndBox);
    return box;
}

void PostKey(HWND hWnd, UINT nVirtualKey)
{
    const LPARAM lParam = static_cast<LPARAM>(::MapVirtualKeyW(nVirtualKey, MAPVK_VK_TO_VSC) << 16) | 1;
    ::PostMessageW(hWnd, WM_KEYDOWN, nVirtualKey, lParam);
    ::PostMessageW(hWnd, WM_KEYUP, nVirtualKey, lParam | static_cast<LPARAM>(0xC0000000));
}

}  // namespace testsupport
