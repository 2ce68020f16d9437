#include "engine/OverlappedWriteQueue.h"
#include "engine/CriticalSectionGuard.h"

#include <algorithm>
#include <cstring>
#include <new>

OverlappedWriteQueue::OverlappedWriteQueue()
    : m_pApi(nullptr), m_hPort(INVALID_HANDLE_VALUE), m_pInFlight(nullptr), m_hWait(nullptr),
      m_bClosing(false), m_cbUnsent(0)
{
    ::InitializeCriticalSection(&m_cs);
}

OverlappedWriteQueue::~OverlappedWriteQueue()
{
    // Finish ran before the port closed: no chain runs and nothing waits. A record it abandoned
    // is not here; only spares are freed.
    for (Record* pRecord : m_spare)
        FreeRecord(pRecord);
    ::DeleteCriticalSection(&m_cs);
}

void OverlappedWriteQueue::FreeRecord(Record* pRecord)
{
    if (pRecord->ov.hEvent)
        ::CloseHandle(pRecord->ov.hEvent);
    delete[] pRecord->pData;
    delete pRecord;
}

// A spare record with room for n bytes, or a new one; null when memory or an event is missing.
OverlappedWriteQueue::Record* OverlappedWriteQueue::TakeRecord(DWORD n)
{
    Record* pRecord = nullptr;
    if (!m_spare.empty())
    {
        pRecord = m_spare.back();
        m_spare.pop_back();
    }
    else
    {
        pRecord = new (std::nothrow) Record{};
        if (!pRecord)
            return nullptr;
        pRecord->ov.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!pRecord->ov.hEvent)
        {
            FreeRecord(pRecord);
            return nullptr;
        }
    }
    if (pRecord->cbCapacity < n)
    {
        BYTE* pData = new (std::nothrow) BYTE[n];
        if (!pData)
        {
            m_spare.push_back(pRecord);
            return nullptr;
        }
        delete[] pRecord->pData;
        pRecord->pData = pData;
        pRecord->cbCapacity = n;
    }
    HANDLE hEvent = pRecord->ov.hEvent;
    std::memset(&pRecord->ov, 0, sizeof(pRecord->ov));
    pRecord->ov.hEvent = hEvent;
    return pRecord;
}

// Under the lock. Hands the record to the port: true when the write finished at once (the
// record is spare again) or is pending (it is in flight, with a wait for its end); false when
// it failed at once.
bool OverlappedWriteQueue::Start(Record* pRecord, DWORD* pWritten)
{
    *pWritten = 0;
    if (m_pApi->WriteFile(m_hPort, pRecord->pData, pRecord->cbData, pWritten, &pRecord->ov))
    {
        m_cbUnsent += pRecord->cbData - std::min(*pWritten, pRecord->cbData);
        m_spare.push_back(pRecord);
        return true;
    }
    const DWORD dwError = m_pApi->GetLastError();
    if (dwError != ERROR_IO_PENDING)
    {
        m_spare.push_back(pRecord);
        return false;
    }
    m_pInFlight = pRecord;
    // Should the wait not register, the next Issue reaps this write and moves the chain on.
    if (!::RegisterWaitForSingleObject(&m_hWait, pRecord->ov.hEvent, OnInFlightDone, this,
                                       INFINITE, WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD))
        m_hWait = nullptr;
    return true;
}

// Under the lock, with m_pInFlight set. *pTransferred: what a finished write sent.
bool OverlappedWriteQueue::InFlightFinished(DWORD* pTransferred)
{
    *pTransferred = 0;
    return m_pApi->GetOverlappedResult(m_hPort, &m_pInFlight->ov, pTransferred, FALSE) ||
           m_pApi->GetLastError() != ERROR_IO_INCOMPLETE;
}

// Under the lock, with no wait registered. Reaps the write in flight once it has finished, then
// starts waiting writes in order until one stays pending or none is left. A waiting write that
// fails at once is dropped.
void OverlappedWriteQueue::Advance()
{
    if (m_pInFlight)
    {
        DWORD dwTransferred = 0;
        if (!InFlightFinished(&dwTransferred))
            return;
        m_cbUnsent += m_pInFlight->cbData - std::min(dwTransferred, m_pInFlight->cbData);
        m_spare.push_back(m_pInFlight);
        m_pInFlight = nullptr;
    }
    while (!m_pInFlight && !m_waiting.empty())
    {
        Record* pRecord = m_waiting.front();
        m_waiting.pop_front();
        DWORD dwWritten = 0;
        if (!Start(pRecord, &dwWritten))
            m_cbUnsent += pRecord->cbData;
    }
}

// Runs on the thread pool's wait thread once the write in flight has completed.
VOID CALLBACK OverlappedWriteQueue::OnInFlightDone(PVOID pContext, BOOLEAN)
{
    OverlappedWriteQueue* pQueue = static_cast<OverlappedWriteQueue*>(pContext);
    CriticalSectionGuard guard(pQueue->m_cs);
    if (pQueue->m_bClosing)
        return; // Finish unregisters this wait and takes over the write
    // The one-shot wait has fired; this releases it once the callback has returned.
    ::UnregisterWaitEx(pQueue->m_hWait, nullptr);
    pQueue->m_hWait = nullptr;
    pQueue->Advance();
}

bool OverlappedWriteQueue::Issue(ISerialPortApi& api, HANDLE hPort, const void* pSource, DWORD n,
                                 DWORD* pWritten)
{
    CriticalSectionGuard guard(m_cs);
    *pWritten = 0;
    if (m_bClosing)
        return false;
    m_pApi = &api;
    m_hPort = hPort;
    if (!m_hWait)
        Advance(); // no chain runs: reap a finished write and send what waits behind it
    Record* pRecord = TakeRecord(n);
    if (!pRecord)
        return false;
    std::memcpy(pRecord->pData, pSource, n);
    pRecord->cbData = n;
    if (m_pInFlight)
    {
        m_waiting.push_back(pRecord);
        return true;
    }
    return Start(pRecord, pWritten);
}

DWORD OverlappedWriteQueue::OutstandingBytes()
{
    CriticalSectionGuard guard(m_cs);
    if (!m_hWait && !m_bClosing)
        Advance(); // as in Issue: without a wait nobody else would move the chain on
    DWORD cbOutstanding = m_pInFlight ? m_pInFlight->cbData : 0;
    for (const Record* pRecord : m_waiting)
        cbOutstanding += pRecord->cbData;
    return cbOutstanding;
}

DWORD OverlappedWriteQueue::TakeUnsentBytes()
{
    CriticalSectionGuard guard(m_cs);
    if (!m_hWait && !m_bClosing)
        Advance();
    const DWORD cbUnsent = m_cbUnsent;
    m_cbUnsent = 0;
    return cbUnsent;
}

bool OverlappedWriteQueue::Finish(DWORD dwWaitMs)
{
    HANDLE hWait = nullptr;
    {
        CriticalSectionGuard guard(m_cs);
        m_bClosing = true;
        hWait = m_hWait;
        m_hWait = nullptr;
    }
    // Outside the lock: this waits for a callback already running, which takes the lock.
    if (hWait)
        ::UnregisterWaitEx(hWait, INVALID_HANDLE_VALUE);

    CriticalSectionGuard guard(m_cs);
    m_spare.insert(m_spare.end(), m_waiting.begin(), m_waiting.end());
    m_waiting.clear();
    bool bFinished = true;
    if (m_pInFlight)
    {
        m_pApi->CancelIoEx(m_hPort, &m_pInFlight->ov);
        ::WaitForSingleObject(m_pInFlight->ov.hEvent, dwWaitMs);
        DWORD dwTransferred = 0;
        if (InFlightFinished(&dwTransferred))
            m_spare.push_back(m_pInFlight);
        else
            bFinished = false; // abandoned for good: its bytes and record must outlive it
        m_pInFlight = nullptr;
    }
    m_cbUnsent = 0; // a close discards what waits; nobody asks after it
    m_bClosing = false;
    return bFinished;
}
