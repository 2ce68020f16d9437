#include "engine/SerialLink.h"

#include <algorithm>

namespace
{
// A pending read looks at the stop request this often.
constexpr DWORD kReadStopPoll = 20;
// How long a drainer waits for the previous in-place write before giving up for this call.
constexpr DWORD kStagedWriteWait = 50;
} // namespace

bool CSerialLink::QueryLineErrors(DWORD* pErrors, COMSTAT* pStat)
{
    if (!m_pApi->ClearCommError(m_hPort, pErrors, pStat))
        return false;
    m_dwKeptErrors |= *pErrors;
    return true;
}

void CSerialLink::ClearLineErrors(DWORD dwPurge, COMSTAT* pStat)
{
    DWORD dwErrors = 0;
    if (QueryLineErrors(&dwErrors, pStat) && dwErrors != 0)
        m_pApi->PurgeComm(m_hPort, dwPurge);
}

// Waits for the pending read on m_olRead. A stop request cancels it, so a worker inside a read
// ends within the stop wait. *pCount is what the system reports transferred; a failed read (a
// purge or cancel, the port gone, or Wine's ERROR_TIMEOUT for "nothing arrived") gives what it
// reports, normally 0.
void CSerialLink::WaitForPendingRead(DWORD* pCount)
{
    while (::WaitForSingleObject(m_olRead.hEvent, kReadStopPoll) == WAIT_TIMEOUT)
    {
        if (m_bStopping)
        {
            m_pApi->CancelIoEx(m_hPort, &m_olRead);
            break;
        }
    }
    *pCount = 0;
    m_pApi->GetOverlappedResult(m_hPort, &m_olRead, pCount, TRUE);
}

DWORD CSerialLink::RawRead(void* pDest, DWORD n)
{
    if (!IsOpen() || n == 0)
        return 0;
    COMSTAT stat = {};
    ClearLineErrors(PURGE_RXABORT, &stat);
    // Bytes already queued are taken as they are: waiting on for the rest of n would hold the
    // caller (on the direct road, the window's thread) until the read time-out while a slow
    // device trickles data. With nothing queued the read waits for data as the time-outs allow.
    if (stat.cbInQue != 0)
        n = std::min(n, stat.cbInQue);
    DWORD dwCount = 0;
    if (!(m_dwMode & MODE_OVERLAPPED))
    {
        m_pApi->ReadFile(m_hPort, pDest, n, &dwCount, nullptr);
    }
    else if (!m_pApi->ReadFile(m_hPort, pDest, n, &dwCount, &m_olRead))
    {
        const DWORD dwError = m_pApi->GetLastError();
        dwCount = 0;
        if (dwError == ERROR_IO_PENDING)
            WaitForPendingRead(&dwCount);
    }
    dwCount = std::min(dwCount, n);
    m_dwBytesRead += dwCount;
    return dwCount;
}

DWORD CSerialLink::RawWrite(const void* pSource, DWORD n)
{
    if (!IsOpen() || n == 0)
        return 0;
    ClearLineErrors(PURGE_TXABORT, nullptr);
    DWORD dwWritten = 0;
    if (!(m_dwMode & MODE_OVERLAPPED))
    {
        m_pApi->WriteFile(m_hPort, pSource, n, &dwWritten, nullptr);
        m_dwBytesWritten += dwWritten;
        return dwWritten;
    }
    // The queue writes a copy, so the caller may release its bytes now; a pending write, or one
    // waiting its turn behind it, counts as sent.
    if (!m_directWrites.Issue(*m_pApi, m_hPort, pSource, n, &dwWritten))
        return 0;
    m_dwBytesWritten += n;
    return dwWritten;
}

DWORD CSerialLink::FillReceiveBuffer(DWORD n)
{
    BlockBuffer::Guard guard(m_rxBuffer);
    if (n == 0)
        return 0;
    // Counts derive from the driver queue; "unavailable" (all bits set) or anything absurd is
    // cut to one queue's worth.
    n = std::min(n, m_dwInQueue);
    // RawRead takes no more than the driver reports queued, so that it never waits; a driver that
    // reports less than it holds (Wine's pseudo-terminals report at most 4 KiB) is read again
    // while bytes stay queued, up to n, so a fast line is taken as fast as it comes.
    DWORD dwTotal = 0;
    while (dwTotal < n)
    {
        BYTE* pSpace = m_rxBuffer.Reserve(n - dwTotal);
        if (!pSpace)
            break;
        const DWORD dwCount = RawRead(pSpace, n - dwTotal);
        const BlockBuffer::Block* pTail = m_rxBuffer.Tail();
        if (dwCount > pTail->dwCapacity - pTail->dwWrite)
            break;
        m_rxBuffer.Commit(dwCount);
        dwTotal += dwCount;
        const DWORD dwQueued = dwCount != 0 && dwTotal < n ? QueuedCount() : 0;
        if (dwQueued == 0 || dwQueued == COUNT_UNAVAILABLE)
            break;
    }
    if (dwTotal != 0)
    {
        const ULONGLONG nNow = ::GetTickCount64();
        const ULONGLONG nLastEmpty = m_nRxLastEmpty;
        m_rxRuns.push_back({dwTotal, {nNow, nLastEmpty > m_nRxLastFill ? nLastEmpty - m_nRxLastFill : 0, 0}});
        m_nRxLastFill = nNow;
    }
    if (m_dwRxBound != 0 && m_rxBuffer.m_dwCount > m_dwRxBound)
    {
        const DWORD dwDropped = m_rxBuffer.Consume(nullptr, m_rxBuffer.m_dwCount - m_dwRxBound);
        ForgetReceivedRuns(dwDropped);
        m_dwRxOverflow += dwDropped;
    }
    return dwTotal;
}

void CSerialLink::ForgetReceivedRuns(DWORD dwCount)
{
    while (dwCount != 0 && !m_rxRuns.empty())
    {
        ReceivedRun& run = m_rxRuns.front();
        const DWORD dwTaken = std::min(dwCount, run.dwCount);
        run.dwCount -= dwTaken;
        dwCount -= dwTaken;
        if (run.dwCount == 0)
            m_rxRuns.pop_front();
    }
}

DWORD CSerialLink::ReadReceived(void* pDest, DWORD n, ReceiveTiming* pTiming)
{
    BlockBuffer::Guard guard(m_rxBuffer);
    // Bytes taken from the buffer's head by other means (its own Consume) leave runs behind them.
    DWORD dwRunBytes = 0;
    for (const ReceivedRun& run : m_rxRuns)
        dwRunBytes += run.dwCount;
    if (dwRunBytes > m_rxBuffer.m_dwCount)
        ForgetReceivedRuns(dwRunBytes - m_rxBuffer.m_dwCount);
    const DWORD dwLost = m_dwRxOverflow;
    m_dwRxOverflow = 0;
    if (m_rxRuns.empty())
    {
        *pTiming = ReceiveTiming{0, 0, dwLost};
        return 0;
    }
    const ReceivedRun run = m_rxRuns.front();
    *pTiming = run.timing;
    pTiming->nLostBefore = dwLost;
    const DWORD dwTaken = m_rxBuffer.Consume(pDest, std::min(n, run.dwCount));
    ForgetReceivedRuns(dwTaken);
    // The rest of the fill follows these bytes without a gap.
    if (dwTaken < run.dwCount)
        m_rxRuns.front().timing.nQuietBefore = 0;
    return dwTaken;
}

void CSerialLink::SetReceiveBound(DWORD dwBound)
{
    BlockBuffer::Guard guard(m_rxBuffer);
    m_dwRxBound = dwBound;
}

bool CSerialLink::SetDriverQueues(DWORD dwInQueue, DWORD dwOutQueue)
{
    if (!IsOpen() || !m_pApi->SetupComm(m_hPort, dwInQueue, dwOutQueue))
        return false;
    BlockBuffer::Guard guard(m_rxBuffer);
    m_dwInQueue = dwInQueue;
    return true;
}

bool CSerialLink::FinishStagedWrite(DWORD dwWaitMs)
{
    if (!m_bStagedWritePending)
        return true;
    if (::WaitForSingleObject(m_olWrite.hEvent, dwWaitMs) != WAIT_OBJECT_0)
        return false;
    DWORD dwTransferred = 0;
    if (!m_pApi->GetOverlappedResult(m_hPort, &m_olWrite, &dwTransferred, FALSE) &&
        m_pApi->GetLastError() == ERROR_IO_INCOMPLETE)
        return false;
    m_bStagedWritePending = false;
    ::operator delete(m_pStagedBlock);
    m_pStagedBlock = nullptr;
    return true;
}

// Overlapped road: writes one run of the head block in place. The bytes leave the buffer at
// once (a pending write counts as sent), but the memory under a pending write is kept: a run
// that empties its block takes the block out of the chain until the write finishes, and a run
// that does not is protected because the next drain first waits for this write.
DWORD CSerialLink::DrainInPlace()
{
    if (!FinishStagedWrite(kStagedWriteWait))
        return 0;
    BlockBuffer::Guard guard(m_txBuffer);
    if (m_txBuffer.m_dwCount == 0)
        return 0;
    BlockBuffer::Block* pHead = m_txBuffer.m_pHead;
    const DWORD dwUnread = pHead ? pHead->dwWrite - pHead->dwRead : 0;
    const DWORD dwRun = std::min(dwUnread, TRANSMIT_CHUNK);
    bool bPending = false;
    if (IsOpen() && dwRun != 0)
    {
        ClearLineErrors(PURGE_TXABORT, nullptr);
        DWORD dwWritten = 0;
        const BOOL bDone = m_pApi->WriteFile(m_hPort, pHead->Data() + pHead->dwRead, dwRun,
                                             &dwWritten, &m_olWrite);
        const DWORD dwError = bDone ? ERROR_SUCCESS : m_pApi->GetLastError();
        bPending = dwError == ERROR_IO_PENDING;
        if (bDone || bPending)
            m_dwBytesWritten += dwRun;
    }
    if (bPending)
    {
        m_bStagedWritePending = true;
        if (dwRun == dwUnread)
        {
            m_pStagedBlock = m_txBuffer.DetachHead();
            return dwRun;
        }
    }
    return m_txBuffer.Consume(nullptr, dwRun);
}

// Blocking road: takes up to one chunk (possibly across blocks) and writes it outside the
// buffer's lock. A write that makes no progress ends the attempt; the rest of the run is
// dropped, as the port no longer takes data. So does a stop request: each attempt can last the
// whole write time-out, and a slow line needs several for one chunk, so the worker leaves after
// the attempt under way instead of outliving the stop wait (and being ended inside the write,
// holding m_csTransmit). Until then the unwritten bytes count as in flight, which the drain
// before a close waits for.
DWORD CSerialLink::DrainFromCopy()
{
    BYTE run[TRANSMIT_CHUNK];
    DWORD dwTaken = 0;
    {
        BlockBuffer::Guard guard(m_txBuffer);
        dwTaken = m_txBuffer.Consume(run, TRANSMIT_CHUNK);
        m_dwTransmitInFlight = dwTaken;
    }
    DWORD dwSent = 0;
    while (dwSent < dwTaken && !m_bStopping)
    {
        const DWORD dwWritten = RawWrite(run + dwSent, dwTaken - dwSent);
        if (dwWritten == 0)
            break;
        dwSent += dwWritten;
        m_dwTransmitInFlight -= dwWritten;
    }
    m_dwTransmitInFlight = 0;
    return dwTaken;
}

DWORD CSerialLink::DrainTransmitBuffer()
{
    if (m_txBuffer.Size() == 0)
        return 0;
    // One drainer at a time, so runs reach the port in the order they left the buffer.
    CriticalSectionGuard order(m_csTransmit);
    return (m_dwMode & MODE_OVERLAPPED) ? DrainInPlace() : DrainFromCopy();
}

DWORD CSerialLink::Read(void* pDest)
{
    if (!(m_dwMode & MODE_RX_BUFFER))
        return RawRead(pDest, READ_CHUNK);
    BlockBuffer::Guard guard(m_rxBuffer);
    const DWORD dwTaken = m_rxBuffer.Consume(pDest, READ_CHUNK);
    ForgetReceivedRuns(dwTaken);
    return dwTaken;
}

bool CSerialLink::HasBytesToRead()
{
    if (m_dwMode & MODE_RX_BUFFER)
        return m_rxBuffer.Size() != 0;
    const DWORD dwQueued = QueuedCount();
    return dwQueued != 0 && dwQueued != COUNT_UNAVAILABLE;
}

DWORD CSerialLink::Write(const void* pSource, DWORD n)
{
    if (n == 0 || !(m_dwMode & MODE_TX_BUFFER))
        return RawWrite(pSource, n);
    BlockBuffer::Guard guard(m_txBuffer);
    if (m_txBuffer.Append(pSource, n) != n)
        return 0;
    if ((m_dwMode & MODE_TX_THREAD) || !(m_dwMode & MODE_OVERLAPPED))
        ::SetEvent(m_hMonitorWake);
    else if (IsOpen())
        m_pApi->SetCommMask(m_hPort, m_dwEventMask); // ends the monitor's wait: it sends a run
    return 0;
}

// Runs in Close before the purge: the purge would end the direct write in flight, and the
// chain would then hand the next waiting one to a port that is closing.
void CSerialLink::FinishDirectWritesOnClose()
{
    m_directWrites.Finish(STOP_WAIT);
}

// Runs in Close after the purge, before the handle is closed: no write may outlive the port
// with memory that is freed under it.
void CSerialLink::FinishStagedWriteOnClose()
{
    // Staged writes exist only in overlapped mode. In blocking mode the lock is not taken at
    // all: a worker ended by force inside a blocking write may have left it held.
    if (!(m_dwMode & MODE_OVERLAPPED))
        return;
    CriticalSectionGuard order(m_csTransmit);
    if (!m_bStagedWritePending)
        return;
    m_pApi->CancelIoEx(m_hPort, nullptr);
    if (!FinishStagedWrite(STOP_WAIT))
    {
        // Abandoned: the memory under the write is never freed. A run that did not empty its
        // block left the block at the head of the chain; take it out of reach of the buffer.
        if (!m_pStagedBlock && m_txBuffer.m_pHead)
        {
            BlockBuffer::Guard guard(m_txBuffer);
            m_txBuffer.DetachHead();
        }
        m_pStagedBlock = nullptr;
        m_bStagedWritePending = false;
    }
}
