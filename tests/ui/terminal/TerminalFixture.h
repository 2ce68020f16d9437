// The real main window connected to null-modem pairs, with the test as the device on the peer
// ends. The window runs on a thread of its own (DialogHost); the application object's main window
// is the dialog, so the Connect button's announcements reach it, where they are recorded.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/NullModem.h"
#include "tests/ui/support/DialogHost.h"
#include "tests/ui/support/LumetraDlgProbe.h"
#include "tests/ui/terminal/CommStateRecorder.h"

// The system's files for "记录到文件", whose flushes fail while bFlushFails is set (a USB stick
// pulled). One for all windows; each test starts with it working.
class TestLogFiles : public LogFileApi {
public:
    static TestLogFiles& Instance();
    HANDLE Create(LPCWSTR pszPath) override { return SystemLogFileApi().Create(pszPath); }
    BOOL Write(HANDLE hFile, const void* pBytes, DWORD nCount, DWORD* pnWritten) override
    {
        return SystemLogFileApi().Write(hFile, pBytes, nCount, pnWritten);
    }
    BOOL Flush(HANDLE hFile) override;
    BOOL Close(HANDLE hFile) override { return SystemLogFileApi().Close(hFile); }

    std::atomic<bool> bFlushFails{false};
};

// The main window with the receive formatter and pacer opened up, the announcements it gets
// recorded, and its file dialogs ("记录到文件", "发送文件", "保存接收区") answered by the test; on the
// system's ports unless given others.
class TerminalDlg : public LumetraDlgProbe {
public:
    explicit TerminalDlg(ISerialPortApi& ports = SystemSerialPortApi::Instance())
        : LumetraDlgProbe(nullptr, TestLogFiles::Instance(), ports)
    {
    }
    using CLumetraDlg::m_receiveFormatter;
    using CLumetraDlg::m_receivePacer;

    // What the save dialog answers: a path, or nothing (cancelled). Dialog thread only.
    std::optional<std::wstring> m_logPathAnswer;
    int m_nLogPathQuestions = 0;
    bool AskLogFilePath(CString& strPath) override;
    // What the open dialog of "发送文件" and the save dialog of "保存接收区" answer.
    std::optional<std::wstring> m_sendFileAnswer;
    std::optional<std::wstring> m_saveReceiveAnswer;
    bool AskSendFilePath(CString& strPath) override;
    bool AskSaveReceivePath(CString& strPath) override;

    struct Announcement {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Announcement> m_announcements;   // dialog thread only

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

bool operator==(const TerminalDlg::Announcement& a, const TerminalDlg::Announcement& b);
std::ostream& operator<<(std::ostream& os, const TerminalDlg::Announcement& a);

class TerminalTest : public ::testing::Test {
protected:
    static constexpr int kFirstCom = 5;
    static constexpr int kSecondCom = 6;
    static constexpr int kMissingCom = 7;   // never mapped: opening it fails
    static constexpr DWORD kWaitMs = 10000;

    void SetUp() override;
    void TearDown() override;

    DialogHost<TerminalDlg>& Host() { return *m_pHost; }
    testsupport::PeerPort& Peer(int nCom) { return *m_peers.at(nCom); }
    DWORD DialogThreadId() const;

    void SelectPort(int nCom) { m_pHost->SelectComboItem(IDC_PORT_LIST, nCom - 1, true); }
    // Selects the port, clicks Connect and expects the port open.
    void Connect(int nCom);
    // Clicks Connect and presses OK on every message box it shows; returns their texts.
    std::vector<std::wstring> ClickConnectAndDismissBoxes();
    // Clicks Connect while open and expects the port closed.
    void Disconnect();
    // Types the send text and the interval, then ticks "指令循环发送".
    void StartCyclicSend(const std::wstring& text, const std::wstring& interval);
    bool IsOpen();

    std::wstring ReceiveText() { return m_pHost->Text(IDC_RECEIVE_EDIT); }
    bool WaitForReceiveText(const std::wstring& text, DWORD nTimeLimitMs = kWaitMs);
    // Bytes the window has taken from its port object so far (read from the port and handled).
    DWORD BytesRead();
    bool WaitForBytesRead(DWORD nCount, DWORD nTimeLimitMs = kWaitMs);
    std::vector<TerminalDlg::Announcement> Announcements();

    // The line settings of a COM port's program end, read (or changed by `edit`) through a second
    // handle.
    DCB LineState(int nCom);
    void EditLineState(int nCom, const std::function<void(DCB&)>& edit);

    // Message and other boxes the dialog shows right now.
    int VisibleBoxCount() const;

    CommStateRecorder m_commStates;

private:
    // Fails the test and closes every box the dialog still shows, so a fault that stacks boxes
    // ends the test instead of hanging it.
    void CloseLeftoverBoxes();

    std::unique_ptr<DialogHost<TerminalDlg>> m_pHost;
    std::map<int, std::unique_ptr<testsupport::PeerPort>> m_peers;
};
