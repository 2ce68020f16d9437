// The send area: the typed text sent once or on the cyclic-send timer.
#include "ui/LumetraDlg.h"

#include "ui/SendTextEncoder.h"

void CLumetraDlg::OnBnClickedSend()
{
    if (!m_Comm.IsOpen())
        return;
    UpdateData(TRUE);

    // The port object copies the bytes for its overlapped write, so they may go when this returns.
    const std::string bytes = EncodeSendText(m_strSend);
    m_Comm.Write(bytes.data(), static_cast<DWORD>(bytes.size()));

    if (m_bClearAfterSend) {
        m_strSend.Empty();
        UpdateData(FALSE);
    }
}

void CLumetraDlg::OnBnClickedCyclicSend()
{
    UpdateData(TRUE);
    if (m_bCyclicSend)
        SetTimer(CYCLIC_SEND_TIMER, static_cast<UINT>(m_nInterval));
    else
        KillTimer(CYCLIC_SEND_TIMER);
}

void CLumetraDlg::OnTimer(UINT_PTR nIDEvent)
{
    // A tick during an exchange's validation message (its own or a notification's) sends nothing:
    // the message's loop dispatches ticks, and each would stack another message.
    if (nIDEvent == CYCLIC_SEND_TIMER && !m_bInTick && !m_bInReceive) {
        m_bInTick = true;
        OnBnClickedSend();
        m_bInTick = false;
    }
    CDialog::OnTimer(nIDEvent);
}
