// The receive area: received bytes appended as text, the pause option and the clear button.
#include "ui/LumetraDlg.h"

LRESULT CLumetraDlg::OnCommReceive(WPARAM wParam, LPARAM /*lParam*/)
{
    if (!m_Comm.IsOpen())
        return 0;
    // Notifications still queued for the previous port of a reconnect carry its number.
    if (static_cast<int>(wParam) != m_Comm.PortNumber())
        return 1;
    // Dispatched by the loop of an exchange's validation message: returns at once instead of
    // nesting another exchange (and another message). The monitor keeps notifying while bytes
    // are queued, so nothing is lost.
    if (m_bReadingControls)
        return 1;

    // Notifications that queued up meanwhile say nothing new: the monitor keeps posting while
    // bytes remain queued (and every 10 ms while a vanished port fails its status query). Left
    // in the queue, each would hold the window for a read of its own, and a backlog that grows
    // faster than it is handled would keep the user's clicks and keys waiting behind it for good.
    MSG queued;
    while (::PeekMessageW(&queued, m_hWnd, CSerialLink::CNM_RECEIVE, CSerialLink::CNM_RECEIVE,
                          PM_REMOVE)) {
    }

    ReadControls();
    BYTE chunk[CSerialLink::READ_CHUNK];   // the decoder takes the count: no terminator needed
    do {
        const DWORD nRead = m_Comm.Read(chunk);
        if (m_bPauseDisplay)
            m_receiveDecoder.Reset();   // paused bytes are dropped, with any character they end
        else
            m_strReceive += m_receiveDecoder.Decode(chunk, nRead).c_str();
        ScrollReceiveToEnd();
        // The text only grows here, so the refresh appends the new tail, which leaves the caret
        // at the end and the end in view.
        UpdateData(FALSE);
    } while ((m_Comm.Mode() & CSerialLink::MODE_RX_BUFFER) != 0 && m_Comm.ReceiveBuffer().Size() != 0);
    return 1;
}

void CLumetraDlg::ScrollReceiveToEnd()
{
    CWnd* pReceive = GetDlgItem(IDC_RECEIVE_EDIT);
    const int nLength = pReceive->GetWindowTextLength();
    pReceive->SendMessage(EM_SETSEL, static_cast<WPARAM>(nLength), static_cast<LPARAM>(nLength));
    pReceive->SendMessage(EM_SCROLLCARET, 0, 0);
}

void CLumetraDlg::OnBnClickedClearReceive()
{
    m_strReceive.Empty();
    m_receiveDecoder.Reset();
    UpdateData(FALSE);
}
