#include "LumetraWindow.h"

#include "resources/MainCaption.h"

#include <vector>

namespace {

const wchar_t kDialogClass[] = L"#32770";
const wchar_t kMainCaption[] = L"" LUMETRA_MAIN_CAPTION;
const wchar_t kErrorCaption[] = L"错误";
const int kMessageBoxTextId = 0xFFFF;

std::wstring WindowTextOf(HWND hWnd, DWORD timeoutMs)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length))
        return std::wstring();
    std::vector<wchar_t> buffer(length + 1);
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(hWnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_NORMAL, timeoutMs, &copied))
        return std::wstring();
    return std::wstring(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
}

struct ErrorBoxSearch {
    DWORD dwProcessId;
    HWND hFound;
};

BOOL CALLBACK FindErrorBox(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<ErrorBoxSearch*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    wchar_t szClass[16] = {};
    wchar_t szCaption[16] = {};
    if (dwProcessId == pSearch->dwProcessId && ::GetClassNameW(hWnd, szClass, 16) > 0
        && std::wstring(szClass) == kDialogClass && ::GetWindowTextW(hWnd, szCaption, 16) > 0
        && std::wstring(szCaption) == kErrorCaption) {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND LumetraWindow::Find(DWORD timeoutMs)
{
    const DWORD dwStart = ::GetTickCount();
    for (;;) {
        HWND hDlg = ::FindWindowW(kDialogClass, kMainCaption);
        if (hDlg != nullptr || ::GetTickCount() - dwStart >= timeoutMs)
            return hDlg;
        ::Sleep(100);
    }
}

LumetraWindow::LumetraWindow(HWND hDlg) : m_hDlg(hDlg) {}

DWORD LumetraWindow::ProcessId() const
{
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(m_hDlg, &dwProcessId);
    return dwProcessId;
}

std::wstring LumetraWindow::ControlText(int nID, DWORD timeoutMs) const
{
    return WindowTextOf(Control(nID), timeoutMs);
}

long LumetraWindow::ReceiveLength(DWORD timeoutMs) const
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(Control(kReceive), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length))
        return -1;
    return static_cast<long>(length);
}

std::wstring LumetraWindow::ReceiveFirstLine(size_t nMaxChars, DWORD timeoutMs) const
{
    // EM_GETLINE reads the buffer's size from its first WORD and copies without a terminator.
    std::vector<wchar_t> buffer(nMaxChars > 1 ? nMaxChars : 1);
    *reinterpret_cast<WORD*>(buffer.data()) = static_cast<WORD>(buffer.size());
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(Control(kReceive), EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_NORMAL, timeoutMs, &copied))
        return std::wstring();
    return std::wstring(buffer.data(), copied < buffer.size() ? copied : buffer.size());
}

void LumetraWindow::Click(int nID) const
{
    ::PostMessageW(m_hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), reinterpret_cast<LPARAM>(Control(nID)));
}

std::wstring LumetraWindow::ErrorBoxText() const
{
    ErrorBoxSearch search = { ProcessId(), nullptr };
    ::EnumWindows(FindErrorBox, reinterpret_cast<LPARAM>(&search));
    if (search.hFound == nullptr)
        return std::wstring();
    return WindowTextOf(::GetDlgItem(search.hFound, kMessageBoxTextId), 1000);
}
