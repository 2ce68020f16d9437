#include "engine/OverlappedWriteQueue.h"
#include "engine/CriticalSectionGuard.h"

#include <cstring>
#include <new>

OverlappedWriteQueue::OverlappedWriteQueue()
{
    ::InitializeCriticalSection(&m_cs);
}

OverlappedWriteQueue::~OverlappedWriteQueue()
{
    // Records still in flight here were abandoned by Finish on purpose; only spares are freed.
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

// Writes finish in the order they were issued; stop at the first one still running.
void OverlappedWriteQueue::ReapFinished(ISerialPortApi& api, HANDLE hPort)
{
    while (!m_inFlight.empty())
    {
        Record* pRecord = m_inFlight.front();
        DWORD dwTransferred = 0;
        if (!api.GetOverlappedResult(hPort, &pRecord->ov, &dwTransferred, FALSE) &&
            api.GetLastError() == ERROR_IO_INCOMPLETE)
            return;
        m_inFlight.pop_front();
        m_spare.push_back(pRecord);
    }
}

bool OverlappedWriteQueue::Issue(ISerialPortApi& api, HANDLE hPort, const void* pSource, DWORD n,
                                 DWORD* pWritten)
{
    CriticalSectionGuard guard(m_cs);
    *pWritten = 0;
    ReapFinished(api, hPort);
    Record* pRecord = TakeRecord(n);
    if (!pRecord)
        return false;
    std::memcpy(pRecord->pData, pSource, n);
    if (api.WriteFile(hPort, pRecord->pData, n, pWritten, &pRecord->ov))
    {
        m_spare.push_back(pRecord);
        return true;
    }
    const DWORD dwError = api.GetLastError();
    if (dwError != ERROR_IO_PENDING)
    {
        m_spare.push_back(pRecord);
        return false;
    }
    m_inFlight.push_back(pRecord);
    return true;
}

size_t OverlappedWriteQueue::InFlight()
{
    CriticalSectionGuard guard(m_cs);
    return m_inFlight.size();
}

bool OverlappedWriteQueue::Finish(ISerialPortApi& api, HANDLE hPort, DWORD dwWaitMs)
{
    CriticalSectionGuard guard(m_cs);
    const DWORD dwStart = ::GetTickCount();
    for (Record* pRecord : m_inFlight)
    {
        const DWORD dwElapsed = ::GetTickCount() - dwStart;
        ::WaitForSingleObject(pRecord->ov.hEvent, dwElapsed < dwWaitMs ? dwWaitMs - dwElapsed : 0);
    }
    ReapFinished(api, hPort);
    // Whatever still runs is left alone for good: its bytes and record must outlive it.
    const bool bAllFinished = m_inFlight.empty();
    m_inFlight.clear();
    return bAllFinished;
}
