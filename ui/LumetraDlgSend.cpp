// The send area: the typed text sent once or on the cyclic-send timer.
#include "ui/LumetraDlg.h"

#include "ui/send/SendBacklog.h"

namespace {

const wchar_t kLineBehindMessage[] = L"串口尚未发完之前的数据，请稍后再发送";

}  // namespace

void CLumetraDlg::OnBnClickedSend()
{
    if (!m_Comm.IsOpen())
        return;
    ReadControls();

    // The port object copies the bytes for its overlapped write, so they may go when this returns.
    std::string bytes;
    if (!ComposeSend(bytes))   // bad hex text: the user has been told, the text stays
        return;
    // A tick reaches this only with nothing pending, so only clicks are ever refused; the text
    // stays for a later click.
    if (!ClickMaySend(m_Comm.PendingWriteBytes(), static_cast<DWORD>(bytes.size()))) {
        ReportError(kLineBehindMessage);
        return;
    }
    WriteSendBytes(bytes);

    if (m_bClearAfterSend) {
        m_strSend.Empty();
        UpdateData(FALSE);
    }
}

// The check box alone, by its own exchange: a refused exchange of the whole window stops at the
// interval box, before it reaches the check box.
BOOL CLumetraDlg::ReadCyclicSendBox()
{
    CDataExchange dx(this, TRUE);
    DDX_Check(&dx, IDC_CYCLIC_SEND, m_bCyclicSend);
    return m_bCyclicSend;
}

void CLumetraDlg::OnBnClickedCyclicSend()
{
    const BOOL bRead = ReadControls();
    if (!bRead)
        ReadCyclicSendBox();
    // Unticking stops cyclic sending whatever the interval box holds; ticking starts it only with
    // an interval that was read (a refused one has shown its message).
    if (!m_bCyclicSend)
        KillTimer(CYCLIC_SEND_TIMER);
    else if (bRead && m_nInterval < 0)   // a pasted sign: as a timer's interval, about 50 days
        ReportError(L"循环发送的间隔不能是负数，请输入毫秒数（0 或更大）。");
    else if (bRead)
        SetTimer(CYCLIC_SEND_TIMER, static_cast<UINT>(m_nInterval));
}

void CLumetraDlg::OnTimer(UINT_PTR nIDEvent)
{
    // Left running while a validation message is up, so the refresh follows once it has gone.
    if (nIDEvent == RECEIVE_REFRESH_TIMER) {
        if (!m_bReadingControls)
            RefreshReceiveArea();
        return;
    }
    // Sending a file exchanges nothing, so its ticks go on while a validation message is up.
    if (nIDEvent == SEND_FILE_TIMER) {
        PumpFileSend();
        return;
    }
    // While text is held, its refresh (due within the interval) shows the counters with it, so a
    // count shown is never ahead of the text shown.
    if (nIDEvent == OPTIONS_TIMER) {
        // Asked first: a writer that ends meanwhile has left its failure for this refresh.
        const bool bGoesOn = OptionsNeedWatching();
        if (!m_bReadingControls && !m_receivePacer.IsHolding())
            RefreshOptions();
        if (!bGoesOn)
            KillTimer(OPTIONS_TIMER);
        return;
    }
    // A tick dispatched by the loop of an exchange's validation message sends nothing: each would
    // stack another exchange and another message.
    if (nIDEvent == CYCLIC_SEND_TIMER && !m_bReadingControls) {
        // The box is the switch: a tick that finds it unticked ends cyclic sending, unsent.
        // A tick that finds the line still taking an earlier send sends nothing (not even an
        // exchange): cyclic sends never queue behind a line slower than the interval.
        if (!ReadCyclicSendBox()) {
            KillTimer(CYCLIC_SEND_TIMER);
        } else if (TickMaySend(m_Comm.PendingWriteBytes())) {
            m_bControlsRefused = false;
            OnBnClickedSend();
            // A refused number entry is replaced by the number last taken: left empty, it would
            // bring the message back at every tick, before the user could type a number.
            if (m_bControlsRefused) {
                CDataExchange dx(this, FALSE);
                DDX_Text(&dx, IDC_INTERVAL_EDIT, m_nInterval);
                DDX_Text(&dx, IDC_PACKET_GAP_EDIT, m_nPacketGap);
            }
        }
    }
    CDialog::OnTimer(nIDEvent);
}
