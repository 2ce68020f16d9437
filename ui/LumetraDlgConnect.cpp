// The Connect button: opens the chosen port and applies the chosen line settings, or closes it.
#include "ui/LumetraDlg.h"

#include "ui/LineSettings.h"
#include "ui/signals/FlowControl.h"

namespace {

const wchar_t kConnectCaption[] = L"连接";
const wchar_t kDisconnectCaption[] = L"断开";
const DWORD kFastLineBaud = 115200;
const DWORD kFastLineInQueue = 64 * 1024;

// Announces the connection state to the application's main window; nothing handles it there.
void SendToMainWindow(UINT message, WPARAM wParam)
{
    if (CWnd* pMainWnd = AfxGetMainWnd())
        pMainWnd->SendMessage(message, wParam, 0);
}

}  // namespace

void CLumetraDlg::OnBnClickedConnect()
{
    ReadControls();
    const int nPort = m_cbPort.GetCurSel() + 1;   // the list holds "COM1".."COM255" in order

    if (m_Comm.IsOpen()) {
        StopFileSend();
        ClosePort();
        SendToMainWindow(WM_PORT_CLOSED, 0);
        return;
    }

    // A typed rate the line cannot take is refused before the port is touched.
    DWORD nBaud = 0;
    if (!ParseTypedBaudRate(m_strBaud, nBaud)) {
        CString strMessage;
        strMessage.Format(L"波特率“%s”无效：请输入 1 到 %lu 之间的整数。", m_strBaud.GetString(),
                          static_cast<unsigned long>(kLargestBaudRate));
        ReportError(strMessage);
        return;
    }

    if (m_Comm.Open(nPort)) {
        WatchOptions();
        SendToMainWindow(WM_PORT_OPENED, static_cast<WPARAM>(m_Comm.PortNumber()));
        SendDlgItemMessage(IDC_CONNECT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kDisconnectCaption));
    } else {
        CString strMessage;
        strMessage.Format(L"打开COM%d口失败!", nPort);
        ReportError(strMessage);
    }
    ConfigurePort(nBaud);
}

// nBaud: the rate checked from the box's text. The line settings read it again from its plain
// decimal text, not from the box: a padded or long text (blanks, leading zeros) would be cut
// before it is read.
void CLumetraDlg::ConfigurePort(DWORD nBaud)
{
    if (!m_Comm.IsOpen())
        return;
    ReadControls();

    // The flow-control list is read from the control, as the port list is: with 不变 the
    // port's flow fields go back exactly as it reported them.
    DCB* pState = m_Comm.ReadPortState();
    if (pState != nullptr
        && SetLineSettings(*pState, std::to_wstring(nBaud).c_str(), m_nDataBits, m_nStopBits, m_nParity)
        && SetFlowControl(*pState, m_cbFlowControl.GetCurSel()) && m_Comm.ApplyPortState(*pState)) {
        // Above the terminal's rates the default driver queue holds only milliseconds of the
        // line: give it a quarter of a second at 3 Mbaud. A driver that keeps its own size is
        // no failure.
        if (pState->BaudRate > kFastLineBaud)
            m_Comm.SetDriverQueues(kFastLineInQueue, CSerialLink::QUEUE_SIZE);
        ConnectLineSignals();
        return;
    }

    // Closed before the message: the timers that its box's loop goes on dispatching (a cyclic
    // send) must find no port with the settings just refused.
    ClosePort();
    ReportError(L"配置串口失败");
}

// What was read before the line closed is counted, logged and shown now, never with the next
// port's bytes; a part character then waits for bytes that will not come, and is dropped.
void CLumetraDlg::ClosePort()
{
    m_Comm.Close(CSerialLink::STOP_WAIT);
    TakeStagedBytes();
    ShowHeldReceiveText();
    DropHeldReceiveText();
    RefreshOptions();
    WatchOptions();
    ForgetModemStatus();
    SendDlgItemMessage(IDC_CONNECT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kConnectCaption));
}
