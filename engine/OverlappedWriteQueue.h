#pragma once

#include "engine/SerialPortApi.h"

#include <deque>
#include <vector>

// Overlapped writes of the direct road that may still be in flight. Each write owns a copy of
// its bytes and its own OVERLAPPED with its own event, so the caller may release its buffer the
// moment the write is issued and no record is reused while the port still works on it. Finished
// records are kept for reuse, so a steady stream of writes allocates nothing.
//
// Thread use: any thread may issue; the owner's Close finishes. The queue's lock covers both.
class OverlappedWriteQueue
{
public:
    OverlappedWriteQueue();
    ~OverlappedWriteQueue();
    OverlappedWriteQueue(const OverlappedWriteQueue&) = delete;
    OverlappedWriteQueue& operator=(const OverlappedWriteQueue&) = delete;

    // Reaps finished writes, then issues WriteFile on a copy of the n bytes. False when the
    // write failed at once (or no record could be made); true when it finished at once or is
    // pending, with *pWritten holding what WriteFile stored (0 while pending).
    bool Issue(ISerialPortApi& api, HANDLE hPort, const void* pSource, DWORD n, DWORD* pWritten);

    // Number of writes not yet seen to finish.
    size_t InFlight();

    // Waits until every write in flight has finished, at most dwWaitMs in all (the caller has
    // already cancelled them). A write still running then is abandoned, never freed, since the
    // port may still read its bytes. False when one had to be abandoned.
    bool Finish(ISerialPortApi& api, HANDLE hPort, DWORD dwWaitMs);

private:
    struct Record
    {
        OVERLAPPED ov;
        BYTE* pData;
        DWORD cbCapacity;
    };

    void ReapFinished(ISerialPortApi& api, HANDLE hPort);
    Record* TakeRecord(DWORD n);
    static void FreeRecord(Record* pRecord);

    CRITICAL_SECTION m_cs;
    std::deque<Record*> m_inFlight; // issue order
    std::vector<Record*> m_spare;
};
