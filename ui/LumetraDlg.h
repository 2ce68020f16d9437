// CLumetraDlg: the terminal's main window, a modal dialog on template IDD_LUMETRA_DIALOG. It owns
// the port object, fills the five line-settings lists, connects with the chosen settings, shows
// received bytes as text and sends the typed text once or on a timer. It holds no serial logic of
// its own: everything on the port goes through m_Comm, whose notifications arrive as messages.
#pragma once

#include <string>

#include "engine/SerialLink.h"
#include "framework/Framework.h"
#include "resources/resource.h"
#include "ui/ReceivePacer.h"
#include "ui/ReceiveTextDecoder.h"

class CLumetraDlg : public CDialog {
public:
    explicit CLumetraDlg(CWnd* pParent = nullptr);
    ~CLumetraDlg() override;

    enum { IDD = IDD_LUMETRA_DIALOG };

    // Sent to the main window when the Connect button has opened (wParam: port number) or closed
    // the port. Nothing handles them; they announce the state to whoever subclasses the window.
    static constexpr UINT WM_PORT_OPENED = WM_USER + 100;
    static constexpr UINT WM_PORT_CLOSED = WM_USER + 101;
    static constexpr UINT_PTR CYCLIC_SEND_TIMER = 1;
    // Due when text held back on a busy line is to be shown (see CReceivePacer).
    static constexpr UINT_PTR RECEIVE_REFRESH_TIMER = 2;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg LRESULT OnCommReceive(WPARAM wParam, LPARAM lParam);
    afx_msg void OnBnClickedConnect();
    afx_msg void OnBnClickedSend();
    afx_msg void OnBnClickedClearReceive();
    afx_msg void OnBnClickedCyclicSend();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

    void ConfigurePort();
    // Reads the controls and shows the held text; ShowHeldReceiveText does the latter alone.
    void RefreshReceiveArea();
    void ShowHeldReceiveText();
    void DropHeldReceiveText();
    void ScrollReceiveToEnd();
    // Drops the oldest lines of the receive text, member and control, once it is past its bound.
    void TrimReceiveText();
    BOOL ReadControls();
    BOOL ReadCyclicSendBox();
    // A failure the user must see: a message box with the caption "错误", an OK button, no icon.
    void ReportError(LPCWSTR pszMessage);

    // Declared order is construction order.
    CComboBox m_cbStopBits;
    CComboBox m_cbDataBits;
    CComboBox m_cbParity;
    CComboBox m_cbBaud;
    CComboBox m_cbPort;
    HICON m_hIcon;
    CSerialLink m_Comm;
    CString m_strBaud;
    int m_nDataBits;
    int m_nStopBits;
    int m_nParity;
    BOOL m_bPauseDisplay;
    BOOL m_bCyclicSend;
    BOOL m_bClearAfterSend;
    CString m_strReceive;
    CString m_strSend;
    int m_nInterval;

    // A character of the ANSI code page split across two chunks waits here for its second part.
    CReceiveTextDecoder m_receiveDecoder;
    // Text read from the port and not yet shown, and when it is to be shown. Pause and "清空接受区"
    // drop it, disconnecting shows it, closing the window drops it with the window.
    std::wstring m_receiveHeld;
    CReceivePacer m_receivePacer;
    // Set while ReadControls runs (see there), and whether its last exchange was refused.
    bool m_bReadingControls = false;
    bool m_bControlsRefused = false;
};
