#include "tests/framework/EditHost.h"

namespace {

const DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
const int kEditWidth = 351;    // about 234 x 169 dialog units at 9 points
const int kEditHeight = 275;

}  // namespace

EditHost::EditHost(int nEdits)
    : m_hFont(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体"))
{
    m_host.Attach(::CreateWindowExW(0, L"STATIC", L"Edit host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    (kEditWidth + 10) * nEdits + 40, kEditHeight + 60, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
    for (int nID = 1; nID <= nEdits; ++nID) {
        HWND hWndEdit = ::CreateWindowExW(0, L"EDIT", L"", kEditStyle, 10 + (nID - 1) * (kEditWidth + 10), 10,
                                          kEditWidth, kEditHeight, m_host.GetSafeHwnd(),
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(nID)),
                                          ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(hWndEdit, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    }
}

EditHost::~EditHost()
{
    ::DestroyWindow(m_host.Detach());
    ::DeleteObject(m_hFont);
}

CString TextOf(HWND hWnd)
{
    CString text;
    const int nLength = ::GetWindowTextLengthW(hWnd);
    text.ReleaseBuffer(::GetWindowTextW(hWnd, text.GetBuffer(nLength + 1), nLength + 1));
    return text;
}
