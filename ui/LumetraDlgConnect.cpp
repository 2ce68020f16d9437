// The Connect button: opens the chosen port and applies the chosen line settings, or closes it.
#include "ui/LumetraDlg.h"

#include "ui/LineSettings.h"
#include "ui/signals/FlowControl.h"

namespace {

const wchar_t kConnectCaption[] = L"连接";
const wchar_t kDisconnectCaption[] = L"断开";

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
        m_Comm.Close(CSerialLink::STOP_WAIT);
        ShowHeldReceiveText();   // what was read before the line closed, with the counters
        DropHeldReceiveText();   // a part character waits for bytes that will not come
        RefreshOptions();
        WatchOptions();
        ForgetModemStatus();
        SendToMainWindow(WM_PORT_CLOSED, 0);
        SendDlgItemMessage(IDC_CONNECT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kConnectCaption));
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
    ConfigurePort();
}

void CLumetraDlg::ConfigurePort()
{
    if (!m_Comm.IsOpen())
        return;
    ReadControls();

    // The flow-control list is read from the control, as the port list is: with 不变 the
    // port's flow fields go back exactly as it reported them.
    DCB* pState = m_Comm.ReadPortState();
    if (pState != nullptr && SetLineSettings(*pState, m_strBaud, m_nDataBits, m_nStopBits, m_nParity)
        && SetFlowControl(*pState, m_cbFlowControl.GetCurSel()) && m_Comm.ApplyPortState(*pState)) {
        ConnectLineSignals();
        return;
    }

    ReportError(L"配置串口失败");
    m_Comm.Close(CSerialLink::STOP_WAIT);
    DropHeldReceiveText();
    WatchOptions();
    SendDlgItemMessage(IDC_CONNECT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kConnectCaption));
}
