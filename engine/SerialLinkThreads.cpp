#include "engine/SerialLink.h"
#include "engine/DrainWait.h"

#include <process.h>

#include <algorithm>

namespace
{
// Bits on the line per byte, near enough (start, 8 data, stop).
constexpr DWORD kBitsPerByte = 10;
// TerminateThread only starts the ending; how long StopWorker then waits for it to finish.
constexpr DWORD kTerminateWait = 1000;

bool IsAlive(HANDLE hThread)
{
    return hThread && ::WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT;
}
} // namespace

bool CSerialLink::StartWorkers()
{
    if (m_hMonitorThread || m_hReceiveThread || m_hTransmitThread)
        return false;
    m_bRunning = true;
    const unsigned flags = (m_dwMode & MODE_START_SUSPENDED) ? CREATE_SUSPENDED : 0;

    struct Worker
    {
        DWORD dwBit;
        unsigned(__stdcall* pEntry)(void*);
        HANDLE& hThread;
        DWORD& dwId;
    };
    Worker workers[] = {
        {MODE_MONITOR_THREAD, &CSerialLink::MonitorThreadEntry, m_hMonitorThread, m_dwMonitorThreadId},
        {MODE_RX_THREAD, &CSerialLink::ReceiveThreadEntry, m_hReceiveThread, m_dwReceiveThreadId},
        {MODE_TX_THREAD, &CSerialLink::TransmitThreadEntry, m_hTransmitThread, m_dwTransmitThreadId},
    };
    unsigned ids[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i)
    {
        if (m_dwMode & workers[i].dwBit)
            workers[i].hThread = reinterpret_cast<HANDLE>(
                ::_beginthreadex(nullptr, 0, workers[i].pEntry, this, flags, &ids[i]));
    }
    m_bWorkersSuspended = flags != 0;
    for (int i = 0; i < 3; ++i)
    {
        if (!(m_dwMode & workers[i].dwBit))
            continue;
        workers[i].dwId = ids[i];
        if (!workers[i].hThread)
        {
            StopWorkers(STOP_WAIT);
            return false;
        }
        if (m_dwMode & MODE_HIGH_PRIORITY)
            ::SetThreadPriority(workers[i].hThread, THREAD_PRIORITY_ABOVE_NORMAL);
    }
    return true;
}

bool CSerialLink::ResumeWorkers()
{
    if (!m_bWorkersSuspended)
        return false;
    m_bWorkersSuspended = false;
    for (HANDLE hThread : {m_hMonitorThread, m_hReceiveThread, m_hTransmitThread})
    {
        if (hThread)
            ::ResumeThread(hThread);
    }
    return true;
}

bool CSerialLink::CanDrainTransmitBuffer()
{
    if (m_bWorkersSuspended)
        return false;
    // The overlapped monitor leaves the transmit buffer to a transmit worker; the polled one
    // sends it in any case.
    const bool bMonitorSends =
        !(m_dwMode & MODE_TX_THREAD) || !(m_dwMode & MODE_OVERLAPPED);
    return IsAlive(m_hTransmitThread) || (bMonitorSends && IsAlive(m_hMonitorThread));
}

// A slow line makes progress less often than the fixed limit: the overlapped road hands the
// port a whole chunk per write, and nothing leaves the buffer until that write completes.
DWORD CSerialLink::TransmitStallLimit()
{
    DCB dcb = {};
    dcb.DCBlength = sizeof(dcb);
    if (!m_pApi->GetCommState(m_hPort, &dcb) || dcb.BaudRate == 0)
        return kDrainStallMs;
    const ULONGLONG chunkMs =
        static_cast<ULONGLONG>(TRANSMIT_CHUNK) * kBitsPerByte * 1000 / dcb.BaudRate;
    return static_cast<DWORD>(std::max<ULONGLONG>(kDrainStallMs, 2 * chunkMs));
}

// Bounded: ends when nothing is left to send, when no live worker can send it, or when it
// stalls. Bytes the blocking road has taken but not yet written are still to send. The count
// and the in-flight bytes are read together under the buffer's lock, where a run moves from
// one to the other.
void CSerialLink::WaitForTransmitBufferToDrain()
{
    WaitWhileShrinking(
        [this] {
            BlockBuffer::Guard guard(m_txBuffer);
            return m_txBuffer.m_dwCount + m_dwTransmitInFlight;
        },
        [this] { return CanDrainTransmitBuffer(); }, TransmitStallLimit());
}

bool CSerialLink::StopWorker(HANDLE& hThread, HANDLE hWake, DWORD dwWait)
{
    if (!hThread)
        return true;
    ::SetEvent(hWake);
    if (::WaitForSingleObject(hThread, dwWait) != WAIT_OBJECT_0)
    {
        if (!::TerminateThread(hThread, 0))
            return false;
        ::WaitForSingleObject(hThread, kTerminateWait);
    }
    ::CloseHandle(hThread);
    hThread = nullptr;
    return true;
}

bool CSerialLink::StopWorkers(DWORD dwWait)
{
    if (!m_hMonitorThread && !m_hReceiveThread && !m_hTransmitThread)
        return false;
    if ((m_dwMode & MODE_DRAIN_ON_CLOSE) && (m_dwMode & MODE_TX_BUFFER))
        WaitForTransmitBufferToDrain();
    m_bRunning = false;
    m_bStopping = true;
    if (m_dwMode & MODE_OVERLAPPED)
        m_pApi->SetCommMask(m_hPort, 0);
    // Workers that never ran see the cleared flag at their first test and end by themselves.
    if (m_bWorkersSuspended)
        ResumeWorkers();
    const bool bStopped = StopWorker(m_hMonitorThread, m_hMonitorWake, dwWait) &&
                          StopWorker(m_hReceiveThread, m_hReceiveWake, dwWait) &&
                          StopWorker(m_hTransmitThread, m_hTransmitWake, dwWait);
    m_bStopping = false;
    return bStopped;
}

unsigned __stdcall CSerialLink::MonitorThreadEntry(void* pLink)
{
    CSerialLink* pThis = static_cast<CSerialLink*>(pLink);
    const unsigned result = (pThis->m_dwMode & MODE_OVERLAPPED) ? pThis->MonitorLoopOverlapped()
                                                                : pThis->MonitorLoopPolled();
    ::_endthreadex(result);
    return result;
}

unsigned __stdcall CSerialLink::ReceiveThreadEntry(void* pLink)
{
    const unsigned result = static_cast<CSerialLink*>(pLink)->ReceiveLoop();
    ::_endthreadex(result);
    return result;
}

unsigned __stdcall CSerialLink::TransmitThreadEntry(void* pLink)
{
    const unsigned result = static_cast<CSerialLink*>(pLink)->TransmitLoop();
    ::_endthreadex(result);
    return result;
}
