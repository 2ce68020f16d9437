#include "framework/CDialog.h"

#include "framework/CWinApp.h"

namespace {

// Messages whose dialog-procedure result is the message result itself; every other handled
// message reports its result through DWLP_MSGRESULT.
bool IsAnsweredDirectly(UINT message)
{
    switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return true;
    default:
        return false;
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_pParentWnd(pParentWnd)
{
}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd)
{
    if (!IS_INTRESOURCE(lpszTemplateName)) {
        m_strTemplateName = lpszTemplateName;
        m_lpszTemplateName = m_strTemplateName;
    }
}

CDialog::~CDialog()
{
    // A window that outlives its object must not lead the dialog procedure to a dead object.
    if (m_hWnd != nullptr && ::GetWindowLongPtrW(m_hWnd, DWLP_USER) == reinterpret_cast<LONG_PTR>(this))
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
}

INT_PTR CDialog::DoModal()
{
    HWND hWndOwner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    CWnd* pMainWnd = AfxGetMainWnd();
    if (hWndOwner == nullptr && pMainWnd != nullptr && pMainWnd != this)
        hWndOwner = pMainWnd->GetSafeHwnd();
    return ::DialogBoxParamW(AfxGetResourceHandle(), m_lpszTemplateName, hWndOwner, &CDialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_hWnd == nullptr)
        return 0;
    // DefDlgProcW first offers the message to the dialog procedure; the flag makes that one
    // call decline, so the dialog manager's own processing runs.
    m_bBypassDialogProc = true;
    return ::DefDlgProcW(m_hWnd, message, wParam, lParam);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        pDlg->m_hWnd = hWnd;
        const MSG msg = { hWnd, message, wParam, lParam, 0, { 0, 0 } };
        CurrentMessageScope scope(pDlg, &msg);
        return pDlg->OnInitDialog();
    }

    CDialog* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    if (pDlg == nullptr)
        return FALSE;
    if (pDlg->m_bBypassDialogProc) {
        pDlg->m_bBypassDialogProc = false;
        return FALSE;
    }

    LRESULT lResult = 0;
    const BOOL bHandled = pDlg->OnWndMsg(message, wParam, lParam, &lResult);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        pDlg->OnWindowGone();
    }
    if (!bHandled)
        return FALSE;
    if (IsAnsweredDirectly(message))
        return static_cast<INT_PTR>(lResult);
    ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}
