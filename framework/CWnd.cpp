#include "framework/CWnd.h"

#include "framework/CWinApp.h"
#include "framework/DataExchange.h"

CWnd::~CWnd()
{
    m_systemMenu.Detach();
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (m_hWnd != nullptr || hWndNew == nullptr)
        return FALSE;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

// ::GetDlgItem asks the window manager for the list of children every time (under Wine a round
// trip to its server, and an exchange looks up every control); a dialog's controls live as long
// as it does, so a child found once is found again among the wrappers, as long as it is still
// this window's child with that id.
CWnd* CWnd::GetDlgItem(int nID) const
{
    for (const std::unique_ptr<CWnd>& pChild : m_childWrappers) {
        const HWND hWndChild = pChild->m_hWnd;
        if (::GetDlgCtrlID(hWndChild) == nID && ::IsWindow(hWndChild) && ::GetParent(hWndChild) == m_hWnd)
            return pChild.get();
    }
    HWND hWndChild = ::GetDlgItem(m_hWnd, nID);
    if (hWndChild == nullptr)
        return nullptr;
    m_childWrappers.push_back(std::make_unique<CWnd>());
    m_childWrappers.back()->m_hWnd = hWndChild;
    return m_childWrappers.back().get();
}

HWND CWnd::ChildById(int nID) const
{
    const CWnd* pChild = GetDlgItem(nID);
    return pChild != nullptr ? pChild->m_hWnd : nullptr;
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    HWND hWndChild = ChildById(nID);
    if (hWndChild == nullptr)
        return 0;
    const int nLength = ::GetWindowTextLengthW(hWndChild);
    rString.ReleaseBuffer(::GetWindowTextW(hWndChild, rString.GetBuffer(nLength + 1), nLength + 1));
    return rString.GetLength();
}

void CWnd::GetWindowText(CString& rString) const
{
    const int nLength = ::GetWindowTextLengthW(m_hWnd);
    rString.ReleaseBuffer(::GetWindowTextW(m_hWnd, rString.GetBuffer(nLength + 1), nLength + 1));
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    return ::MessageBoxW(m_hWnd, lpszText, lpszCaption != nullptr ? lpszCaption : AfxGetAppName(), nType);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert)
{
    HMENU hMenu = ::GetSystemMenu(m_hWnd, bRevert);
    if (hMenu == nullptr)
        return nullptr;
    m_systemMenu.m_hMenu = hMenu;
    return &m_systemMenu;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.HasFailed();
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    UINT nCode = 0;
    UINT nID = 0;
    if (message == WM_COMMAND) {
        nID = LOWORD(wParam);
        nCode = lParam == 0 ? 0 : HIWORD(wParam);   // menus and accelerators are plain commands
    } else if (message == WM_NOTIFY) {
        const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        if (pHeader == nullptr)
            return FALSE;
        nID = static_cast<UINT>(pHeader->idFrom);
        nCode = pHeader->code;
    }

    CCmdTarget* pTarget = this;
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(message, nCode, nID);
    if (pEntry == nullptr && message == WM_COMMAND && nCode == 0 && nID < 0xF000 && AfxGetApp() != nullptr) {
        pTarget = AfxGetApp();
        pEntry = pTarget->FindMessageEntry(message, nCode, nID);
    }
    if (pEntry == nullptr)
        return FALSE;

    const MSG msg = { m_hWnd, message, wParam, lParam, 0, { 0, 0 } };
    CurrentMessageScope scope(this, &msg);
    *pResult = pEntry->pfnHandler(pTarget, wParam, lParam);
    return TRUE;
}

LRESULT CWnd::Default()
{
    if (m_pCurrentMsg == nullptr)
        return 0;
    const MSG msg = *m_pCurrentMsg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void CWnd::OnPaint() { DefWindowProc(WM_PAINT, 0, 0); }
void CWnd::OnClose() { DefWindowProc(WM_CLOSE, 0, 0); }
void CWnd::OnDestroy() { DefWindowProc(WM_DESTROY, 0, 0); }
void CWnd::OnSysCommand(UINT nID, LPARAM lParam) { DefWindowProc(WM_SYSCOMMAND, nID, lParam); }
void CWnd::OnTimer(UINT_PTR nIDEvent) { DefWindowProc(WM_TIMER, nIDEvent, 0); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(DefWindowProc(WM_QUERYDRAGICON, 0, 0)); }

void CWnd::OnWindowGone()
{
    m_hWnd = nullptr;
    m_childWrappers.clear();
    m_exchangedEditTexts.Clear();
    m_systemMenu.Detach();
}
