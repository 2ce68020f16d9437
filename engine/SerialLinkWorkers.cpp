#include "engine/SerialLink.h"

namespace
{
constexpr DWORD kMonitorPass = 10;   // overlapped monitor's pass while bytes are queued
constexpr DWORD kPolledWait = 50;    // polled monitor's wait on its wake event
constexpr DWORD kReceivePass = 50;   // receive worker's pass
constexpr DWORD kTransmitWait = 200; // transmit worker's wait on its wake event
} // namespace

DWORD CSerialLink::QueuedCount()
{
    if (!IsOpen())
        return COUNT_UNAVAILABLE;
    DWORD dwErrors = 0;
    COMSTAT stat = {};
    if (!QueryLineErrors(&dwErrors, &stat))
        return COUNT_UNAVAILABLE;
    return stat.cbInQue;
}

void CSerialLink::NoteQueueEmpty()
{
    m_nRxLastEmpty = ::GetTickCount64();
}

void CSerialLink::ReceiveStep(DWORD dwFill, DWORD dwQueued)
{
    DWORD dwAvailable = dwQueued;
    if (m_dwMode & MODE_RX_BUFFER)
    {
        FillReceiveBuffer(dwFill);
        dwAvailable = m_rxBuffer.Size();
    }
    if (dwAvailable >= m_dwRxThreshold)
        NotifyReceive();
}

void CSerialLink::DispatchEvents(DWORD dwEvents)
{
    if ((dwEvents & EV_RXCHAR) && !(m_dwMode & MODE_RX_THREAD))
    {
        const DWORD dwQueued = QueuedCount();
        // 32-bit arithmetic: an unavailable count asks for 62 bytes.
        if (dwQueued != 0)
            ReceiveStep(2 * dwQueued + 64, dwQueued);
    }
    if (dwEvents & EV_TXEMPTY)
    {
        if (MonitorSendsTransmitBuffer() && TransmitPending())
            DrainTransmitBuffer();
        NotifyTxEmpty();
    }
    if (dwEvents & EV_RXFLAG)
        NotifyRxFlag();
    if (dwEvents & EV_CTS)
        NotifyCts();
    if (dwEvents & EV_DSR)
        NotifyDsr();
    if (dwEvents & EV_RING)
        NotifyRing();
    if (dwEvents & EV_RLSD)
        NotifyRlsd();
    if (dwEvents & EV_BREAK)
        NotifyBreak();
    // Errors that a count query or a read took from the port are reported with the next pass:
    // while bytes keep arriving the monitor polls, and no EV_ERR comes until the line is quiet.
    if ((dwEvents & EV_ERR) || ((m_dwEventMask & EV_ERR) && m_dwKeptErrors != 0))
        NotifyError();
}

// Waits for the comm event started on m_olWait, or for a stop request (the monitor wake event
// with the running flag clear), which cancels the wait so the worker can end at once. False
// when WaitCommEvent failed or the completed wait reports a failure.
bool CSerialLink::WaitForCommEventOrStop(DWORD* pEvents)
{
    if (m_pApi->WaitCommEvent(m_hPort, pEvents, &m_olWait))
        return true;
    if (m_pApi->GetLastError() != ERROR_IO_PENDING)
        return false;
    // Write hands staged bytes over by ending a pending wait with SetCommMask, which does nothing
    // while no wait is pending: bytes staged after the loop last looked and before this wait
    // started would sit until some unrelated event. Now that the wait is pending, look again and
    // end it as Write would; bytes staged from here on find the wait pending and end it themselves.
    if (MonitorSendsTransmitBuffer() && TransmitPending())
        m_pApi->SetCommMask(m_hPort, m_dwEventMask);
    const HANDLE handles[2] = {m_olWait.hEvent, m_hMonitorWake};
    while (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
    {
        // Writes may set the wake event as a nudge; only a stop request ends the wait here.
        ::ResetEvent(m_hMonitorWake);
        if (!m_bRunning)
        {
            m_pApi->CancelIoEx(m_hPort, &m_olWait);
            break;
        }
    }
    DWORD dwUnused = 0;
    // Reaped before returning: the system writes *pEvents when the wait completes.
    return m_pApi->GetOverlappedResult(m_hPort, &m_olWait, &dwUnused, TRUE) != FALSE;
}

unsigned CSerialLink::MonitorLoopOverlapped()
{
    if (!IsOpen())
        return 1;
    if (!m_pApi->SetCommMask(m_hPort, m_dwEventMask))
        return 1;
    if (!m_bRunning)
        return 0;
    const bool bSendsTransmitBuffer = MonitorSendsTransmitBuffer();
    do
    {
        if (!IsOpen())
            return 0;
        DWORD dwEvents = 0;
        bool bWaited = false;
        // Bytes staged while no wait was pending (during the last pass) woke nobody: Write's
        // SetCommMask ends only a pending wait (bytes staged just before the wait starts are
        // caught by the wait itself). With bytes to send, the pass does not wait but sends a run
        // below; while the previous run is still being written, the drain's wait for it paces
        // these passes.
        if (QueuedCount() != 0)
        {
            // Bytes wait in the driver (or the count is unknown): poll instead of waiting.
            ::Sleep(kMonitorPass);
            dwEvents = EV_RXCHAR;
        }
        else
        {
            NoteQueueEmpty();
            if (!(bSendsTransmitBuffer && TransmitPending()))
            {
                bWaited = WaitForCommEventOrStop(&dwEvents);
                if (!bWaited)
                    dwEvents = 0; // a failed wait reports no events
                // The wait began with nothing queued: the line was quiet until it ended.
                NoteQueueEmpty();
            }
        }
        if (dwEvents != 0)
            DispatchEvents(dwEvents);
        // A pass without an event set from the port (an empty or failed wait, or a polling
        // pass) sends one run itself: no EV_TXEMPTY comes through such passes, and where
        // WaitCommEvent cannot wait (Wine's pseudo-terminals) it never comes at all.
        DWORD dwSent = 0;
        if ((dwEvents == 0 || !bWaited) && bSendsTransmitBuffer && TransmitPending())
            dwSent = DrainTransmitBuffer();
        // An empty or failed wait that found nothing to send sleeps, so a port whose wait ends
        // at once does not make the loop spin.
        if (dwEvents == 0 && dwSent == 0 && m_bRunning)
            ::Sleep(kMonitorPass);
    } while (m_bRunning);
    return 0;
}

unsigned CSerialLink::MonitorLoopPolled()
{
    if (!IsOpen())
        return 1;
    if (!m_bRunning)
        return 0;
    do
    {
        if (!IsOpen())
            return 0;
        const DWORD dwWake = ::WaitForSingleObject(m_hMonitorWake, kPolledWait);
        if (!m_bRunning)
            return 0;
        if (dwWake == WAIT_OBJECT_0)
        {
            while ((m_dwMode & MODE_TX_BUFFER) && TransmitPending() && m_bRunning)
                DrainTransmitBuffer();
            ::ResetEvent(m_hMonitorWake);
        }
        else if (dwWake == WAIT_TIMEOUT)
        {
            const DWORD dwQueued = QueuedCount();
            if (dwQueued != 0)
                ReceiveStep(dwQueued, dwQueued);
            else
                NoteQueueEmpty();
            if ((m_dwMode & MODE_TX_BUFFER) && TransmitPending())
                DrainTransmitBuffer();
        }
    } while (m_bRunning);
    return 0;
}

unsigned CSerialLink::ReceiveLoop()
{
    if (!m_bRunning)
        return 0;
    do
    {
        ::Sleep(kReceivePass);
        const DWORD dwQueued = QueuedCount();
        if (dwQueued != 0)
            ReceiveStep(dwQueued, dwQueued);
        else
            NoteQueueEmpty();
    } while (m_bRunning);
    return 0;
}

unsigned CSerialLink::TransmitLoop()
{
    if (!m_bRunning)
        return 0;
    do
    {
        const DWORD dwWake = ::WaitForSingleObject(m_hTransmitWake, kTransmitWait);
        while (m_bRunning && TransmitPending())
            DrainTransmitBuffer();
        if (dwWake == WAIT_OBJECT_0)
            ::ResetEvent(m_hTransmitWake);
    } while (m_bRunning);
    return 0;
}
