// CLumetraDlg: the terminal's main window, a modal dialog on template IDD_LUMETRA_DIALOG. It owns
// the port object, fills the five line-settings lists, connects with the chosen settings, shows
// received bytes as text and sends the typed text once or on a timer. It holds no serial logic of
// its own: everything on the port goes through m_Comm, whose notifications arrive as messages.
// It wires two roads, each without a window of its own: ui/receive/ (bytes read -> text for the
// area, the session log) and ui/send/ (send text -> bytes). The options group (hex, time stamps,
// line ending, counters, session log) is wired in LumetraDlgOptions.cpp, its two file buttons
// ("发送文件", "保存接收区") in LumetraDlgFiles.cpp; the group of the line's own signals (DTR, RTS,
// flow control, status lines, line errors: ui/signals/) in LumetraDlgSignals.cpp; the line of
// ports present (ui/ports/) in LumetraDlgPorts.cpp.
#pragma once

#include <string>

#include "engine/SerialLink.h"
#include "engine/SystemSerialPortApi.h"
#include "framework/Framework.h"
#include "resources/resource.h"
#include "ui/receive/HeldReceiveText.h"
#include "ui/receive/ReceiveFormatter.h"
#include "ui/receive/ReceivePacer.h"
#include "ui/receive/SessionLog.h"
#include "ui/signals/LineErrorCounts.h"
#include "ui/signals/ModemStatusLines.h"
#include "ui/signals/OutputLine.h"
#include "ui/send/FileSender.h"

class CLumetraDlg : public CDialog {
public:
    // logFiles: where "记录到文件" writes (the system's files; tests make them fail at will).
    // ports: the serial ports the window connects to (the system's; tests give a scripted one).
    explicit CLumetraDlg(CWnd* pParent = nullptr, LogFileApi& logFiles = SystemLogFileApi(),
                         ISerialPortApi& ports = SystemSerialPortApi::Instance());
    ~CLumetraDlg() override;

    enum { IDD = IDD_LUMETRA_DIALOG };

    // Sent to the main window when the Connect button has opened (wParam: port number) or closed
    // the port. Nothing handles them; they announce the state to whoever subclasses the window.
    static constexpr UINT WM_PORT_OPENED = WM_USER + 100;
    static constexpr UINT WM_PORT_CLOSED = WM_USER + 101;
    static constexpr int PORT_COUNT = 255;   // the port list offers "COM1" to "COM255"
    static constexpr UINT_PTR CYCLIC_SEND_TIMER = 1;
    // Due when text held back on a busy line is to be shown (see CReceivePacer).
    static constexpr UINT_PTR RECEIVE_REFRESH_TIMER = 2;
    // While the port or the session log is open: the counters and the log's health are looked at
    // once per refresh interval, whether or not received text brings a refresh.
    static constexpr UINT_PTR OPTIONS_TIMER = 3;
    // While "发送文件" sends: each tick hands the port its next pieces (see CFileSender).
    static constexpr UINT_PTR SEND_FILE_TIMER = 4;

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
    afx_msg void OnBnClickedHexDisplay();
    afx_msg void OnBnClickedTimestamps();
    afx_msg void OnBnClickedLogToFile();
    afx_msg void OnBnClickedClearCounts();
    afx_msg void OnBnClickedDtr();
    afx_msg void OnBnClickedRts();
    afx_msg LRESULT OnCommCts(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCommDsr(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCommRing(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCommRlsd(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCommError(WPARAM wParam, LPARAM lParam);
    afx_msg void OnBnClickedSendFile();
    afx_msg void OnBnClickedSaveReceive();
    afx_msg void OnCbnDropdownPort();
    afx_msg BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);
    afx_msg void OnNMClickPresentPorts(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

    // Asks where "记录到文件" writes, with the system's save dialog; false when cancelled.
    // Virtual so that tests answer it without a dialog.
    virtual bool AskLogFilePath(CString& strPath);
    // Which file "发送文件" sends (the open dialog) and where "保存接收区" writes (the save dialog,
    // a dated name suggested, overwriting asked); false when cancelled. Virtual for the same reason.
    virtual bool AskSendFilePath(CString& strPath);
    virtual bool AskSaveReceivePath(CString& strPath);
    // The system's save dialog for a new file: a dated name with the extension suggested,
    // overwriting asked; false when cancelled.
    bool AskNewFilePath(LPCWSTR pszExtension, LPCWSTR pszFilter, CString& strPath);

    void ConfigurePort(DWORD nBaud);
    void ClosePort();
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

    // Takes every byte the port object has staged (see LumetraDlgReceive.cpp).
    void TakeStagedBytes();
    // Text has joined what is held: true when it is to be shown now; otherwise the refresh timer
    // is set to show it (see CReceivePacer).
    bool HeldTextDueNow();
    // "显示发送": the bytes a send handed to the port join the receive area's text, after every
    // byte received before them.
    void ShowSentBytes(const std::string& bytes);
    // Whether the receive text ends inside a line (not empty, not after an LF).
    bool AreaEndsInsideLine() const;
    // The receive road's step beyond the area (LumetraDlgOptions.cpp). Every chunk read, shown
    // or not: counted and logged exactly as read.
    void TakeReceivedBytes(const BYTE* pBytes, DWORD nCount);
    // With each refresh of the receive area and each OPTIONS_TIMER tick: the counters shown, a
    // failed log reported.
    void RefreshOptions();
    // Runs OPTIONS_TIMER while the port or the log is open (or a closed log's writer still
    // finishing), and stops it once none is.
    void WatchOptions();
    bool OptionsNeedWatching();
    // A write or flush of the log that failed, once: the log stops and the user is told.
    void ReportLogFailure();
    // The display options as the members hold them, given to the formatter.
    void ApplyReceiveOptions();
    // The bytes a send puts on the port; false when the text cannot be sent, after telling the
    // user once (and ending cyclic sending, whose next ticks would only repeat the message).
    bool ComposeSend(std::string& bytes);
    // Hands the bytes to the port, counts them and shows them with "显示发送".
    void WriteSendBytes(const std::string& bytes);
    void ShowCounters();
    // "发送文件" (LumetraDlgFiles.cpp): a tick's pieces; the end of a send, stopped or done; and
    // the progress figure, shown with the counters.
    void PumpFileSend();
    void StopFileSend();
    void EndFileSend();
    void ShowFileProgress();
    // Bytes counted in 发送 that the port did not send (a write ended by its time-out).
    void DiscountUnsentBytes(DWORD nUnsent);
    void StopSessionLog();
    // Asks the system which ports are present and shows them in the line below the window.
    void ShowPresentPorts();

    // The line's signals (LumetraDlgSignals.cpp). At connect, once the line settings are applied:
    // the DTR and RTS the user chose are set, the others read back, and the status lines read.
    void ConnectLineSignals();
    // At disconnect: the status lines are unknown again; the boxes keep what they show.
    void ForgetModemStatus();
    // A click on the DTR or RTS box: set at once while connected, else kept for the next connect.
    void OnOutputLineClicked(COutputLine& line, int nID, bool (CSerialLink::*pSet)(bool), LPCWSTR pszName);
    // One status line, as a notification reports it: shown if it is about the open port.
    LRESULT ShowModemLine(WPARAM wParam, CModemStatusLines::Line line, LPARAM lParam);
    void ShowOutputLine(const COutputLine& line, int nID);
    void ShowModemStatus();
    // The one message for lines a port would not set (names such as "DTR" or "DTR、RTS").
    void ReportRefusedLines(const std::wstring& names);

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

    // The options group's members, exchanged after the original ones.
    BOOL m_bHexDisplay;
    BOOL m_bTimestamps;
    UINT m_nPacketGap;      // milliseconds of quiet that end a packet in hex display
    BOOL m_bHexSend;
    BOOL m_bSendNewLine;
    BOOL m_bLogToFile;      // follows m_sessionLog.IsOpen() whenever a handler returns
    CComboBox m_cbCheck;    // "校验": the list of check values, in the order of SendCheck
    int m_nCheck;           // its selection, a SendCheck
    BOOL m_bShowSent;       // "显示发送"

    // The group of the line's signals. The flow-control list is read from the control at connect,
    // as the port list is; the DTR and RTS boxes show what m_dtrLine and m_rtsLine hold.
    CComboBox m_cbFlowControl;
    COutputLine m_dtrLine{ true };   // before the first connect: the usual levels of a port just opened
    COutputLine m_rtsLine{ true };
    CModemStatusLines m_modemStatus;
    LineErrorCounts m_lineErrors;        // since start or "计数清零"
    LineErrorCounts m_shownLineErrors;   // what the three counters show

    // Received bytes to receive text: a character of the ANSI code page split across two chunks
    // waits here for its second part; hex and time stamps when ticked.
    CReceiveFormatter m_receiveFormatter;
    // Text read from the port and not yet shown, and when it is to be shown. Pause and "清空接受区"
    // drop it, disconnecting shows it, closing the window drops it with the window.
    CHeldReceiveText m_receiveHeld;
    CReceivePacer m_receivePacer;
    CSessionLog m_sessionLog;
    ULONGLONG m_nReceivedCount = 0;   // bytes read from the port, paused ones included
    ULONGLONG m_nSentCount = 0;       // bytes handed to the port
    ULONGLONG m_nShownReceived = 0;   // what the two counters show
    ULONGLONG m_nShownSent = 0;
    CFileSender m_fileSender;
    ULONGLONG m_nShownFileSent = ~0ULL;   // what the progress figure shows (none yet)
    ULONGLONG m_nShownFileSize = ~0ULL;
    // The markup the line of ports present shows, so an unchanged list is not set again.
    std::wstring m_presentPortsMarkup;
    // Set while ReadControls runs (see there), and whether its last exchange was refused.
    bool m_bReadingControls = false;
    bool m_bControlsRefused = false;
};
