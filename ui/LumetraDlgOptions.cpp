// The options group: hex display and time stamps (CReceiveFormatter), hex send, the check value
// and the line ending (ComposeSendBytes), the byte counters (and beside them the line-error
// counters), and "记录到文件" (CSessionLog). The window only wires them into the receive and send
// roads; each keeps its logic in its own class.
#include "ui/LumetraDlg.h"

#include <string>

#include "ui/send/SendComposer.h"

namespace {

const wchar_t kLogFileFilter[] = L"记录文件 (*.log)|*.log|所有文件 (*.*)|*.*||";

CString CounterText(LPCWSTR pszLabel, ULONGLONG nCount)
{
    return CString(pszLabel) + std::to_wstring(nCount).c_str();
}

// The list holds the checks in SendCheck's order; no selection is none.
SendCheck SendCheckFromList(int nIndex)
{
    const bool bListed = nIndex > 0 && nIndex <= static_cast<int>(SendCheck::Xor8);
    return bListed ? static_cast<SendCheck>(nIndex) : SendCheck::None;
}

// pszFormat takes the file's path, then the system's reason.
CString LogErrorText(LPCWSTR pszFormat, const SessionLogError& error)
{
    CString strText;
    strText.Format(pszFormat, error.strPath.c_str(), error.strReason.c_str());
    return strText;
}

}  // namespace

void CLumetraDlg::TakeReceivedBytes(const BYTE* pBytes, DWORD nCount)
{
    m_nReceivedCount += nCount;
    m_sessionLog.Write(pBytes, nCount);
}

// A failed log is reported here, once, and not where the writer found it: that is another
// thread, and a box must not open in the middle of a read.
void CLumetraDlg::RefreshOptions()
{
    ShowCounters();
    ReportLogFailure();
}

void CLumetraDlg::ReportLogFailure()
{
    SessionLogError error;
    if (!m_sessionLog.TakeFailure(error))
        return;
    // Stopped before the box: notifications dispatched by its loop find nothing more to report.
    StopSessionLog();
    ReportError(LogErrorText(L"写入记录文件“%s”失败，记录已停止：%s", error));
}

// A closed log whose writer its disk still holds may yet report the failure of its last flush.
bool CLumetraDlg::OptionsNeedWatching()
{
    return m_Comm.IsOpen() || m_sessionLog.IsOpen() || m_sessionLog.IsFinishing();
}

void CLumetraDlg::WatchOptions()
{
    if (OptionsNeedWatching())
        SetTimer(OPTIONS_TIMER, CReceivePacer::kIntervalMs);
    else
        KillTimer(OPTIONS_TIMER);
}

void CLumetraDlg::ApplyReceiveOptions()
{
    m_receiveFormatter.SetHex(m_bHexDisplay != FALSE);
    m_receiveFormatter.SetTimestamps(m_bTimestamps != FALSE);
    m_receiveFormatter.SetPacketGap(m_nPacketGap);
}

// The two boxes alone: a click takes effect even while another box holds a refused entry.
void CLumetraDlg::OnBnClickedHexDisplay()
{
    CDataExchange dx(this, TRUE);
    DDX_Check(&dx, IDC_HEX_DISPLAY, m_bHexDisplay);
    ApplyReceiveOptions();
}

void CLumetraDlg::OnBnClickedTimestamps()
{
    CDataExchange dx(this, TRUE);
    DDX_Check(&dx, IDC_TIMESTAMPS, m_bTimestamps);
    ApplyReceiveOptions();
}

bool CLumetraDlg::ComposeSend(std::string& bytes)
{
    SendOptions options;
    options.bHex = m_bHexSend != FALSE;
    options.bLineEnding = m_bSendNewLine != FALSE;
    options.check = SendCheckFromList(m_nCheck);
    SendHexError error;
    if (ComposeSendBytes(m_strSend, options, bytes, error))
        return true;

    // Cyclic sending ends before the message, so no tick comes while it is up.
    KillTimer(CYCLIC_SEND_TIMER);
    m_bCyclicSend = FALSE;
    CDataExchange dx(this, FALSE);
    DDX_Check(&dx, IDC_CYCLIC_SEND, m_bCyclicSend);

    CString strMessage;
    strMessage.Format(error.bUnpaired ? L"十六进制发送：第 %u 个字符“%s”缺少配对的另一位数字，未发送。"
                                      : L"十六进制发送：第 %u 个字符“%s”不是十六进制数字，未发送。",
                      static_cast<unsigned>(error.nPosition), error.strCharacter.c_str());
    ReportError(strMessage);
    // The character is selected in the send text, ready to be corrected.
    CWnd* pSend = GetDlgItem(IDC_SEND_EDIT);
    pSend->SendMessage(EM_SETSEL, error.nIndex, error.nIndex + error.strCharacter.size());
    ::SetFocus(pSend->GetSafeHwnd());
    return false;
}

// Counts what the port took or queued: a write it refused at once (a vanished port) adds nothing.
void CLumetraDlg::WriteSendBytes(const std::string& bytes)
{
    const DWORD nBefore = m_Comm.BytesWritten();
    m_Comm.Write(bytes.data(), static_cast<DWORD>(bytes.size()));
    const DWORD nTaken = m_Comm.BytesWritten() - nBefore;   // unsigned: right across the wrap at 4 GiB
    m_nSentCount += nTaken;
    ShowCounters();
    if (nTaken != 0)
        ShowSentBytes(bytes);
}

void CLumetraDlg::ShowCounters()
{
    // A write that its time-out ended (a stalled line) sent only part of its bytes: 发送 counts
    // what went. While a file goes, its sender takes them, and stops.
    if (!m_fileSender.IsSending())
        DiscountUnsentBytes(m_Comm.TakeUnsentWriteBytes());
    if (m_nShownReceived != m_nReceivedCount) {
        SetDlgItemText(IDC_RECEIVE_COUNT, CounterText(L"接收：", m_nReceivedCount));
        m_nShownReceived = m_nReceivedCount;
    }
    if (m_nShownSent != m_nSentCount) {
        SetDlgItemText(IDC_SEND_COUNT, CounterText(L"发送：", m_nSentCount));
        m_nShownSent = m_nSentCount;
    }
    if (m_shownLineErrors != m_lineErrors) {
        SetDlgItemText(IDC_FRAME_ERRORS, CounterText(L"帧错误：", m_lineErrors.nFraming));
        SetDlgItemText(IDC_PARITY_ERRORS, CounterText(L"校验错误：", m_lineErrors.nParity));
        SetDlgItemText(IDC_OVERRUN_ERRORS, CounterText(L"溢出：", m_lineErrors.nOverrun));
        m_shownLineErrors = m_lineErrors;
    }
    ShowFileProgress();
}

void CLumetraDlg::OnBnClickedClearCounts()
{
    m_nReceivedCount = 0;
    m_nSentCount = 0;
    m_lineErrors = LineErrorCounts();
    ShowCounters();
}

// Ticking asks for the file and starts logging; unticking, cancelling or a file that cannot be
// made leaves the box unticked and no log open.
void CLumetraDlg::OnBnClickedLogToFile()
{
    CDataExchange dx(this, TRUE);
    DDX_Check(&dx, IDC_LOG_TO_FILE, m_bLogToFile);
    if (m_sessionLog.IsOpen() == (m_bLogToFile != FALSE))
        return;
    CString strPath;
    if (!m_bLogToFile || !AskLogFilePath(strPath)) {
        StopSessionLog();
        ReportLogFailure();   // the last write or flush, at the untick
        return;
    }
    SessionLogError error;
    if (!m_sessionLog.Open(strPath, error)) {
        StopSessionLog();
        ReportError(LogErrorText(L"无法创建记录文件“%s”：%s", error));
    }
    WatchOptions();
}

void CLumetraDlg::StopSessionLog()
{
    m_sessionLog.Close();
    m_bLogToFile = FALSE;
    CDataExchange dx(this, FALSE);
    DDX_Check(&dx, IDC_LOG_TO_FILE, m_bLogToFile);
    WatchOptions();
}

bool CLumetraDlg::AskLogFilePath(CString& strPath)
{
    return AskNewFilePath(L"log", kLogFileFilter, strPath);
}
