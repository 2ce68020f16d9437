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

// The file name box of the system's file dialogs (cmb13 of the Explorer style, edt1 of the old).
const int kFileNameIds[] = { 0x047C, 0x0480 };

BOOL CALLBACK FindFileDialog(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<ErrorBoxSearch*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    wchar_t szClass[16] = {};
    if (dwProcessId != pSearch->dwProcessId || !::IsWindowVisible(hWnd) || ::GetClassNameW(hWnd, szClass, 16) == 0
        || std::wstring(szClass) != kDialogClass)
        return TRUE;
    for (int nID : kFileNameIds) {
        if (::GetDlgItem(hWnd, nID) != nullptr) {
            pSearch->hFound = hWnd;
            return FALSE;
        }
    }
    return TRUE;
}

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
        // Visible only once WM_INITDIALOG has run: before that the controls may still be empty.
        HWND hDlg = ::FindWindowW(kDialogClass, kMainCaption);
        if (hDlg != nullptr && ::IsWindowVisible(hDlg))
            return hDlg;
        if (::GetTickCount() - dwStart >= timeoutMs)
            return nullptr;
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

std::wstring LumetraWindow::ReceiveStart(size_t nMaxChars, DWORD timeoutMs) const
{
    // A WM_GETTEXT with a small buffer, not EM_GETLINE: Wine answers EM_GETLINE across processes
    // with a reply of tens of kilobytes whatever the line, and a reply that large, written while
    // a signal reaches the answering thread (as Wine's completions of Lumetra's overlapped reads
    // do), is cut short and ends that thread ("wine client error: partial write").
    std::vector<wchar_t> buffer(nMaxChars + 1);
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(Control(kReceive), WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_NORMAL, timeoutMs, &copied))
        return std::wstring();
    return std::wstring(buffer.data(), copied < buffer.size() ? copied : nMaxChars);
}

bool LumetraWindow::SetControlText(int nID, const std::wstring& text, DWORD timeoutMs) const
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(Control(nID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                                 timeoutMs, &result) != 0;
}

void LumetraWindow::Click(int nID) const
{
    ::PostMessageW(m_hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), reinterpret_cast<LPARAM>(Control(nID)));
}

bool LumetraWindow::SetCheck(int nID, bool bChecked, DWORD timeoutMs) const
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(Control(nID), BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_NORMAL,
                                 timeoutMs, &result)
        && ::SendMessageTimeoutW(m_hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(Control(nID)), SMTO_NORMAL, timeoutMs, &result);
}

bool LumetraWindow::IsChecked(int nID, DWORD timeoutMs) const
{
    DWORD_PTR state = 0;
    return ::SendMessageTimeoutW(Control(nID), BM_GETCHECK, 0, 0, SMTO_NORMAL, timeoutMs, &state)
        && state == BST_CHECKED;
}

HWND LumetraWindow::FileDialog() const
{
    ErrorBoxSearch search = { ProcessId(), nullptr };
    ::EnumWindows(FindFileDialog, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

void LumetraWindow::AnswerFileDialog(HWND hFileDialog, const std::wstring& path, DWORD timeoutMs)
{
    for (int nID : kFileNameIds) {
        DWORD_PTR result = 0;
        if (HWND hName = ::GetDlgItem(hFileDialog, nID))
            ::SendMessageTimeoutW(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, timeoutMs, &result);
    }
    ::PostMessageW(hFileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void LumetraWindow::ClickCheckBox(int nID, bool bChecked) const
{
    ::PostMessageW(Control(nID), BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED, 0);
    Click(nID);
}

std::wstring LumetraWindow::ErrorBoxText() const
{
    ErrorBoxSearch search = { ProcessId(), nullptr };
    ::EnumWindows(FindErrorBox, reinterpret_cast<LPARAM>(&search));
    if (search.hFound == nullptr)
        return std::wstring();
    return WindowTextOf(::GetDlgItem(search.hFound, kMessageBoxTextId), 1000);
}
