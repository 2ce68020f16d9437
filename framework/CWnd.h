// CWnd: a C++ object bound to a window handle (m_hWnd). Most methods are one call to the window
// API on m_hWnd. A CWnd never destroys its window; dialogs end through CDialog::EndDialog and
// their controls go with them.
//
// Messages reach a CWnd only through a dialog procedure (see CDialog): OnWndMsg() looks the
// message up in the object's message map and calls the handler. Inside a handler:
// - Default() runs the system's default processing of the message being handled;
// - the base handlers here (OnPaint, OnSysCommand, OnTimer, OnClose, OnDestroy, OnQueryDragIcon)
//   run the default processing of their own message with the arguments given, so a handler
//   "passes the message on" by calling e.g. CDialog::OnSysCommand(nID, lParam);
// - DefWindowProc() is what both use: ::DefWindowProcW here, the dialog manager's default
//   processing in CDialog.
// An unhandled WM_COMMAND from a menu, accelerator or button (notification code 0, id below
// 0xF000) is offered to the application object's map as well, so an application can handle
// commands such as ID_HELP for all its windows.
//
// GetDlgItem() returns a pointer to a CWnd wrapper owned by this object; it stays valid until
// this window is destroyed (WM_NCDESTROY) or this object is. Do not keep it longer.
// UpdateData()/DoDataExchange(): see DataExchange.h.
#pragma once

#include <windows.h>
#include <memory>
#include <vector>

#include "framework/CMenu.h"
#include "framework/CString.h"
#include "framework/ExchangedEditTexts.h"
#include "framework/MessageMap.h"

class CDataExchange;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    BOOL Attach(HWND hWndNew);        // FALSE if already attached or hWndNew is null
    HWND Detach();

    // Messages
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::SendMessageW(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::PostMessageW(m_hWnd, message, wParam, lParam); }

    // Children
    CWnd* GetDlgItem(int nID) const;                  // null when there is no such child
    void GetDlgItem(int nID, HWND* phWnd) const { *phWnd = ChildById(nID); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::SendMessageW(ChildById(nID), message, wParam, lParam); }
    void SetDlgItemText(int nID, LPCTSTR lpszString)
        { ::SendMessageW(ChildById(nID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpszString)); }
    int GetDlgItemText(int nID, CString& rString) const;

    // Text
    void SetWindowText(LPCTSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const
        { return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount); }
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

    // Timers (WM_TIMER to this window when lpfnTimer is null)
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr)
        { return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

    // A message box owned by this window; a null caption means the application's name.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // State and geometry
    CMenu* GetSystemMenu(BOOL bRevert);               // null when there is none (or bRevert)
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
        { return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                     reinterpret_cast<LPARAM>(hIcon))); }
    HICON GetIcon(BOOL bBigIcon) const
        { return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0)); }

    // Dialog data exchange: TRUE reads the controls into the members (and validates), FALSE writes
    // the members to the controls. Returns FALSE when validation stopped the exchange.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Looks the message up in the map chain and calls its handler. FALSE when no entry matches.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Base handlers: default processing of their message.
    afx_msg void OnPaint();
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg HCURSOR OnQueryDragIcon();

    // Called once the window has been destroyed (WM_NCDESTROY): forgets the handle and the
    // wrappers that belonged to it.
    virtual void OnWindowGone();

    // Makes a message the window's current one (the one Default() processes) while a handler
    // runs; restores the previous one afterwards, so nested dispatch is safe.
    class CurrentMessageScope {
    public:
        CurrentMessageScope(CWnd* pWnd, const MSG* pMsg) : m_pWnd(pWnd), m_pPrevious(pWnd->m_pCurrentMsg)
            { m_pWnd->m_pCurrentMsg = pMsg; }
        ~CurrentMessageScope() { m_pWnd->m_pCurrentMsg = m_pPrevious; }
        CurrentMessageScope(const CurrentMessageScope&) = delete;
        CurrentMessageScope& operator=(const CurrentMessageScope&) = delete;

    private:
        CWnd* m_pWnd;
        const MSG* m_pPrevious;
    };

private:
    friend class CDataExchange;

    HWND ChildById(int nID) const;   // null when there is no such child

    const MSG* m_pCurrentMsg = nullptr;   // message being dispatched, for Default()
    CExchangedEditTexts m_exchangedEditTexts;   // what this window's exchanges last wrote
    mutable std::vector<std::unique_ptr<CWnd>> m_childWrappers;
    CMenu m_systemMenu;                   // wrapper handed out by GetSystemMenu; never owns the menu
};
