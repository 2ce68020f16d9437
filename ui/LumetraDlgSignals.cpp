// The group of the line's own signals: the DTR and RTS boxes (COutputLine), the status-line
// indicators (CModemStatusLines) and the line-error counters (LineErrorCounts, shown with the byte
// counters by ShowCounters). The flow-control list is applied by ConfigurePort with the other
// line settings. The window only wires them: every call on the port goes through m_Comm.
#include "ui/LumetraDlg.h"

namespace {

const int kIndicatorIds[CModemStatusLines::kLineCount] = { IDC_CTS_STATE, IDC_DSR_STATE, IDC_RI_STATE, IDC_DCD_STATE };

// At connect: a line the user chose is set, one left alone shows the level the port reports.
// The name of a line the port refused is added to refused.
void ConnectOutputLine(CSerialLink& comm, COutputLine& line, bool (CSerialLink::*pSet)(bool),
                       bool bPortLevel, LPCWSTR pszName, std::wstring& refused)
{
    if (!line.IsChosen()) {
        line.PortHas(bPortLevel);
        return;
    }
    if ((comm.*pSet)(line.Shown()))
        return;
    line.Refused(bPortLevel);
    if (!refused.empty())
        refused += L"、";
    refused += pszName;
}

}  // namespace

void CLumetraDlg::ConnectLineSignals()
{
    std::wstring refused;
    // The levels the port reports with its line settings. Where it cannot report them, the boxes
    // keep what they show.
    const DCB* pState = m_Comm.ReadPortState();
    ConnectOutputLine(m_Comm, m_dtrLine, &CSerialLink::SetDtr, pState ? DtrLevelOf(*pState) : m_dtrLine.Shown(),
                      L"DTR", refused);
    ConnectOutputLine(m_Comm, m_rtsLine, &CSerialLink::SetRts, pState ? RtsLevelOf(*pState) : m_rtsLine.Shown(),
                      L"RTS", refused);
    ShowOutputLine(m_dtrLine, IDC_DTR);
    ShowOutputLine(m_rtsLine, IDC_RTS);

    // A port without modem lines cannot tell: its indicators stay unknown.
    DWORD dwStatus = 0;
    if (m_Comm.ReadModemStatus(&dwStatus))
        m_modemStatus.Read(dwStatus);
    else
        m_modemStatus.Forget();
    ShowModemStatus();

    if (!refused.empty())
        ReportRefusedLines(refused);
}

void CLumetraDlg::ForgetModemStatus()
{
    m_modemStatus.Forget();
    ShowModemStatus();
}

void CLumetraDlg::OnBnClickedDtr()
{
    OnOutputLineClicked(m_dtrLine, IDC_DTR, &CSerialLink::SetDtr, L"DTR");
}

void CLumetraDlg::OnBnClickedRts()
{
    OnOutputLineClicked(m_rtsLine, IDC_RTS, &CSerialLink::SetRts, L"RTS");
}

void CLumetraDlg::OnOutputLineClicked(COutputLine& line, int nID, bool (CSerialLink::*pSet)(bool), LPCWSTR pszName)
{
    BOOL bTicked = FALSE;
    {
        CDataExchange dx(this, TRUE);
        DDX_Check(&dx, nID, bTicked);
    }
    const bool bOn = bTicked != FALSE;
    if (!m_Comm.IsOpen() || (m_Comm.*pSet)(bOn)) {
        line.Choose(bOn);
        ShowOutputLine(line, nID);
        return;
    }
    // The line keeps the level it had, which the box showed before the click.
    line.Refused(line.Shown());
    ShowOutputLine(line, nID);
    ReportRefusedLines(pszName);
}

void CLumetraDlg::ReportRefusedLines(const std::wstring& names)
{
    CString strMessage;
    strMessage.Format(L"此串口不能设置 %s 线（虚拟串口常没有调制解调器控制线），线路保持端口原有的状态。",
                      names.c_str());
    ReportError(strMessage);
}

void CLumetraDlg::ShowOutputLine(const COutputLine& line, int nID)
{
    BOOL bTicked = line.Shown() ? TRUE : FALSE;
    CDataExchange dx(this, FALSE);
    DDX_Check(&dx, nID, bTicked);
}

LRESULT CLumetraDlg::OnCommCts(WPARAM wParam, LPARAM lParam)
{
    return ShowModemLine(wParam, CModemStatusLines::kCts, lParam);
}

LRESULT CLumetraDlg::OnCommDsr(WPARAM wParam, LPARAM lParam)
{
    return ShowModemLine(wParam, CModemStatusLines::kDsr, lParam);
}

LRESULT CLumetraDlg::OnCommRing(WPARAM wParam, LPARAM lParam)
{
    return ShowModemLine(wParam, CModemStatusLines::kRing, lParam);
}

LRESULT CLumetraDlg::OnCommRlsd(WPARAM wParam, LPARAM lParam)
{
    return ShowModemLine(wParam, CModemStatusLines::kDcd, lParam);
}

// Notifications still queued when the port closed, or for the previous port of a reconnect, are
// not about the line the indicators show. The port object reports a line as off when it could not
// read the status: a port that cannot tell shows unknown.
LRESULT CLumetraDlg::ShowModemLine(WPARAM wParam, CModemStatusLines::Line line, LPARAM lParam)
{
    if (!m_Comm.IsOpen() || static_cast<int>(wParam) != m_Comm.PortNumber())
        return 0;
    DWORD dwStatus = 0;
    if (m_Comm.ReadModemStatus(&dwStatus))
        m_modemStatus.Set(line, lParam != 0);
    else
        m_modemStatus.Forget();
    ShowModemStatus();
    return 0;
}

void CLumetraDlg::ShowModemStatus()
{
    for (int line = 0; line < CModemStatusLines::kLineCount; ++line) {
        const auto which = static_cast<CModemStatusLines::Line>(line);
        SetDlgItemText(kIndicatorIds[line],
                       CModemStatusLines::IndicatorText(which, m_modemStatus.StateOf(which)).c_str());
    }
}

// Errors that happened on the line count even when their notification arrives after a
// disconnect; those of the previous port of a reconnect to another number do not.
LRESULT CLumetraDlg::OnCommError(WPARAM wParam, LPARAM lParam)
{
    if (static_cast<int>(wParam) != m_Comm.PortNumber())
        return 0;
    m_lineErrors.Add(static_cast<DWORD>(lParam));
    ShowCounters();
    return 0;
}
