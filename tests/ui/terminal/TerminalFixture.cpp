#include "tests/ui/terminal/TerminalFixture.h"

#include <cwchar>
#include <ostream>

#include "framework/CWinApp.h"

namespace {

CWinApp& TestApp()
{
    static CWinApp app;
    return app;
}

HANDLE OpenSecondHandle(int nCom)
{
    wchar_t szPath[32];
    std::swprintf(szPath, 32, L"\\\\.\\COM%d", nCom);
    return ::CreateFileW(szPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

struct OwnedBoxesContext {
    HWND hWndOwner;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectOwnedBox(HWND hWnd, LPARAM lParam)
{
    OwnedBoxesContext* pContext = reinterpret_cast<OwnedBoxesContext*>(lParam);
    wchar_t szClass[16] = L"";
    ::GetClassNameW(hWnd, szClass, 16);
    if (::GetWindow(hWnd, GW_OWNER) == pContext->hWndOwner && ::IsWindowVisible(hWnd) && std::wcscmp(szClass, L"#32770") == 0)
        pContext->boxes.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> OwnedBoxes(HWND hWndOwner)
{
    OwnedBoxesContext context = { hWndOwner, {} };
    ::EnumWindows(&CollectOwnedBox, reinterpret_cast<LPARAM>(&context));
    return context.boxes;
}

}  // namespace

TestLogFiles& TestLogFiles::Instance()
{
    static TestLogFiles files;
    return files;
}

BOOL TestLogFiles::Flush(HANDLE hFile)
{
    if (!bFlushFails)
        return SystemLogFileApi().Flush(hFile);
    ::SetLastError(ERROR_NOT_READY);
    return FALSE;
}

BOOL TerminalDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_PORT_OPENED || message == WM_PORT_CLOSED)
        m_announcements.push_back({ message, wParam, lParam });
    return LumetraDlgProbe::OnWndMsg(message, wParam, lParam, pResult);
}

bool TerminalDlg::AskLogFilePath(CString& strPath)
{
    ++m_nLogPathQuestions;
    if (!m_logPathAnswer)
        return false;
    strPath = m_logPathAnswer->c_str();
    return true;
}

namespace {

bool Answer(const std::optional<std::wstring>& answer, CString& strPath)
{
    if (!answer)
        return false;
    strPath = answer->c_str();
    return true;
}

}  // namespace

bool TerminalDlg::AskSendFilePath(CString& strPath)
{
    return Answer(m_sendFileAnswer, strPath);
}

bool TerminalDlg::AskSaveReceivePath(CString& strPath)
{
    return Answer(m_saveReceiveAnswer, strPath);
}

bool operator==(const TerminalDlg::Announcement& a, const TerminalDlg::Announcement& b)
{
    return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

std::ostream& operator<<(std::ostream& os, const TerminalDlg::Announcement& a)
{
    return os << "{" << a.message << ", " << a.wParam << ", " << a.lParam << "}";
}

void TerminalTest::SetUp()
{
    for (const testsupport::NullModem& modem : testsupport::AvailableNullModems()) {
        if (modem.comNumber != kFirstCom && modem.comNumber != kSecondCom)
            continue;
        auto pPeer = std::make_unique<testsupport::PeerPort>(modem.peerPath);
        ASSERT_TRUE(pPeer->IsOpen()) << "peer of COM" << modem.comNumber;
        pPeer->Drain();
        m_peers[modem.comNumber] = std::move(pPeer);
    }
    ASSERT_EQ(2u, m_peers.size()) << "null-modem pairs on COM5 and COM6 expected in LUMETRA_NULL_MODEMS";
    ASSERT_TRUE(m_commStates.IsInstalled());
    TestLogFiles::Instance().bFlushFails = false;

    m_pHost = std::make_unique<DialogHost<TerminalDlg>>([] {
        auto pDlg = std::make_unique<TerminalDlg>();
        TestApp().m_pMainWnd = pDlg.get();
        return pDlg;
    });
    ASSERT_TRUE(m_pHost->IsRunning());
}

void TerminalTest::TearDown()
{
    if (m_pHost != nullptr && m_pHost->IsRunning())
        CloseLeftoverBoxes();
    m_pHost.reset();   // ends the dialog; its port object closes an open port
    TestApp().m_pMainWnd = nullptr;
}

DWORD TerminalTest::DialogThreadId() const
{
    return ::GetWindowThreadProcessId(m_pHost->Window(), nullptr);
}

void TerminalTest::Connect(int nCom)
{
    SelectPort(nCom);
    m_pHost->Click(IDC_CONNECT);
    ASSERT_EQ(L"断开", m_pHost->Text(IDC_CONNECT));
    ASSERT_TRUE(IsOpen());
}

std::vector<std::wstring> TerminalTest::ClickConnectAndDismissBoxes()
{
    std::vector<std::wstring> texts;
    auto click = m_pHost->ClickAsync(IDC_CONNECT);
    const ULONGLONG nEnd = ::GetTickCount64() + kWaitMs;
    while (!DialogHostBase::Wait(click, 20)) {
        if (::GetTickCount64() >= nEnd) {
            ADD_FAILURE() << "the Connect button's handler did not return";
            break;
        }
        if (HWND hWndBox = m_pHost->FindOwnedBox()) {
            texts.push_back(testsupport::ReadBox(hWndBox).text);
            DialogHostBase::PressOk(hWndBox);
        }
    }
    return texts;
}

void TerminalTest::Disconnect()
{
    m_pHost->Click(IDC_CONNECT);
    ASSERT_EQ(L"连接", m_pHost->Text(IDC_CONNECT));
    ASSERT_FALSE(IsOpen());
}

void TerminalTest::StartCyclicSend(const std::wstring& text, const std::wstring& interval)
{
    m_pHost->SetText(IDC_SEND_EDIT, text);
    m_pHost->SetText(IDC_INTERVAL_EDIT, interval);
    m_pHost->Click(IDC_CYCLIC_SEND);
}

bool TerminalTest::IsOpen()
{
    return m_pHost->Invoke([](TerminalDlg& dlg) { return dlg.m_Comm.IsOpen(); });
}

bool TerminalTest::WaitForReceiveText(const std::wstring& text, DWORD nTimeLimitMs)
{
    return dialog_host::WaitUntil([&] { return ReceiveText() == text; }, nTimeLimitMs);
}

DWORD TerminalTest::BytesRead()
{
    // Read from the port and no longer staged for the window: both under the stage's lock, which
    // a fill holds from its read to its commit.
    return m_pHost->Invoke([](TerminalDlg& dlg) {
        CSerialLink::BlockBuffer::Guard guard(dlg.m_Comm.ReceiveBuffer());
        return dlg.m_Comm.BytesRead() - dlg.m_Comm.ReceiveBuffer().Size();
    });
}

bool TerminalTest::WaitForBytesRead(DWORD nCount, DWORD nTimeLimitMs)
{
    return dialog_host::WaitUntil([&] { return BytesRead() >= nCount; }, nTimeLimitMs);
}

std::vector<TerminalDlg::Announcement> TerminalTest::Announcements()
{
    return m_pHost->Invoke([](TerminalDlg& dlg) { return dlg.m_announcements; });
}

DCB TerminalTest::LineState(int nCom)
{
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    HANDLE hPort = OpenSecondHandle(nCom);
    EXPECT_NE(INVALID_HANDLE_VALUE, hPort) << "second handle to COM" << nCom;
    if (hPort == INVALID_HANDLE_VALUE)
        return dcb;
    EXPECT_TRUE(::GetCommState(hPort, &dcb));
    ::CloseHandle(hPort);
    return dcb;
}

void TerminalTest::EditLineState(int nCom, const std::function<void(DCB&)>& edit)
{
    HANDLE hPort = OpenSecondHandle(nCom);
    ASSERT_NE(INVALID_HANDLE_VALUE, hPort) << "second handle to COM" << nCom;
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    EXPECT_TRUE(::GetCommState(hPort, &dcb));
    edit(dcb);
    EXPECT_TRUE(::SetCommState(hPort, &dcb));
    ::CloseHandle(hPort);
}

int TerminalTest::VisibleBoxCount() const
{
    return static_cast<int>(OwnedBoxes(m_pHost->Window()).size());
}

void TerminalTest::CloseLeftoverBoxes()
{
    if (OwnedBoxes(m_pHost->Window()).empty())
        return;
    ADD_FAILURE() << "the test left message boxes open";
    // Stop what could open more (ticks, notifications), then close them all at once: boxes nested
    // in each other's loops only go when the newest has gone.
    m_pHost->InvokeAsync([](TerminalDlg& dlg) {
        dlg.KillTimer(CLumetraDlg::CYCLIC_SEND_TIMER);
        dlg.m_Comm.Close(500);
        return true;
    });
    dialog_host::WaitUntil([this] {
        for (HWND hWndBox : OwnedBoxes(m_pHost->Window()))
            ::PostMessageW(hWndBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return OwnedBoxes(m_pHost->Window()).empty();
    }, kWaitMs);
}
