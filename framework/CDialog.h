// CDialog: a modal dialog built from a dialog template in the application's resources.
//
// DoModal() runs the dialog (DialogBoxParamW) and returns the value given to EndDialog(), or -1
// when the dialog could not be created. With no parent, the dialog is owned by the application's
// main window, unless that window is this dialog or does not exist.
//
// The dialog procedure finds this object through the window: WM_INITDIALOG stores `this` in the
// window's DWLP_USER slot and sets m_hWnd; WM_NCDESTROY (and the destructor, if the window still
// exists) clears both. Messages before WM_INITDIALOG (WM_SETFONT, creation messages) are not
// dispatched. Every other message goes through the message map (see MessageMap.h):
// - WM_INITDIALOG calls OnInitDialog(); its BOOL is returned directly (TRUE: the system sets the
//   focus to the first tab stop);
// - a handled message's result goes back to the sender directly for the messages whose dialog
//   procedure result is the message result (WM_QUERYDRAGICON, WM_CTLCOLOR..., WM_COMPAREITEM,
//   WM_VKEYTOITEM, WM_CHARTOITEM), and through DWLP_MSGRESULT for all others;
// - an unhandled message gets the dialog manager's default processing.
// Default processing from inside a handler (Default(), CWnd::On... base handlers) calls
// DefDlgProcW and lets that one call bypass the dialog procedure, so it does not come back here.
//
// The default handlers: OnInitDialog() writes the members to the controls (UpdateData(FALSE)) and
// returns TRUE; OnOK() (IDOK, also Enter) ends with IDOK only if UpdateData(TRUE) succeeds;
// OnCancel() (IDCANCEL, also Escape and the Close box) ends with IDCANCEL.
#pragma once

#include <windows.h>

#include "framework/CString.h"
#include "framework/CWnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

protected:
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    LPCTSTR m_lpszTemplateName;   // MAKEINTRESOURCE(id) or a name held in m_strTemplateName
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    CString m_strTemplateName;
    bool m_bBypassDialogProc = false;   // set for the one DefDlgProcW call made by DefWindowProc
};
