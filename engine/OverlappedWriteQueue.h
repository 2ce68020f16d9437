#pragma once

#include "engine/SerialPortApi.h"

#include <deque>
#include <vector>

// Overlapped writes of the direct road, handed to the port one at a time in issue order.
//
// Each write owns a copy of its bytes and its own OVERLAPPED with its own event, so the caller
// may release its buffer the moment Issue returns and no record is reused while the port still
// works on it. Finished records are kept for reuse, so a steady stream of writes allocates
// nothing.
//
// Why one at a time: a Windows serial driver keeps pending writes in order, but Wine's
// pseudo-terminals do not. Wine writes what fits at once and queues only the rest, so a later
// write can overtake pending ones and even land between the two halves of a partial write.
// While a write is in flight, later ones therefore wait here, and a one-shot thread-pool wait on
// the in-flight write's event issues the next when it completes; the caller never waits.
//
// Thread use: any thread may issue; the thread pool's wait thread advances the chain; the
// owner's Close finishes. The queue's lock covers all three.
class OverlappedWriteQueue
{
public:
    OverlappedWriteQueue();
    ~OverlappedWriteQueue();
    OverlappedWriteQueue(const OverlappedWriteQueue&) = delete;
    OverlappedWriteQueue& operator=(const OverlappedWriteQueue&) = delete;

    // Copies the n bytes into a record. With no write in flight, WriteFile is called at once:
    // true when it finished at once (*pWritten = what it stored) or is pending (*pWritten = 0),
    // false when it failed at once. Otherwise the record waits its turn: true, *pWritten = 0.
    // False too when no record could be made. A queued write that later fails at once is
    // dropped and the next one goes ahead; nobody is left to hear of it.
    bool Issue(ISerialPortApi& api, HANDLE hPort, const void* pSource, DWORD n, DWORD* pWritten);

    // Bytes of the writes not yet completed: the one in flight, counted whole until it
    // completes, and those waiting behind it. Reaps a finished write first when no wait watches
    // it, so a write that has ended never counts.
    DWORD OutstandingBytes();

    // Bytes of writes issued here that the port did not send, taken since the last call: what a
    // write that ended at its time-out (a stalled line) left unsent, and the whole of a waiting
    // write that failed once its turn came. The caller counted them as sent. Reaps as above.
    DWORD TakeUnsentBytes();

    // Ends the queue's work on the port before it is closed: stops the chain, discards the
    // writes still waiting (their bytes never reached the port; a close purges anyway), cancels
    // the one in flight and waits at most dwWaitMs for it. A write still running then is
    // abandoned, never freed, since the port may still read its bytes. False when one had to be
    // abandoned. Issue fails while Finish runs.
    bool Finish(DWORD dwWaitMs);

private:
    struct Record
    {
        OVERLAPPED ov;
        BYTE* pData;
        DWORD cbCapacity;
        DWORD cbData;
    };

    static VOID CALLBACK OnInFlightDone(PVOID pContext, BOOLEAN bTimedOut);
    bool Start(Record* pRecord, DWORD* pWritten);
    void Advance();
    bool InFlightFinished(DWORD* pTransferred);
    Record* TakeRecord(DWORD n);
    static void FreeRecord(Record* pRecord);

    CRITICAL_SECTION m_cs;
    // The port of the last Issue, for the chain and Finish.
    ISerialPortApi* m_pApi;
    HANDLE m_hPort;
    Record* m_pInFlight;           // the one write the port holds, or null
    HANDLE m_hWait;                // one-shot wait on m_pInFlight's event, or null
    bool m_bClosing;               // set by Finish while it stops the chain
    std::deque<Record*> m_waiting; // issue order
    DWORD m_cbUnsent;              // see TakeUnsentBytes; dropped by Finish
    std::vector<Record*> m_spare;
};
