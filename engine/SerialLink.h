#pragma once

#include "engine/CriticalSectionGuard.h"
#include "engine/OverlappedWriteQueue.h"
#include "engine/SerialPortApi.h"

#include <windows.h>

#include <atomic>
#include <deque>

// One serial port, opened by number, with up to three worker threads (monitor, receive,
// transmit), overlapped or blocking I/O, optional receive and transmit staging buffers, and
// notification messages to a window and/or a thread. The mode word selects the behaviour.
//
// Threads: the owner constructs and destroys the object and calls Open, Close, the setters and
// the inline operations while no worker runs; Read and Write may be called at any time. Workers
// only post messages and touch the port, the two buffers (under their own locks) and the
// in-flight write records.
class CSerialLink
{
public:
    // Mode word bits.
    static constexpr DWORD MODE_MONITOR_THREAD = 0x001;
    static constexpr DWORD MODE_OVERLAPPED = 0x002;
    static constexpr DWORD MODE_RX_BUFFER = 0x004;
    static constexpr DWORD MODE_TX_BUFFER = 0x008;
    static constexpr DWORD MODE_RX_THREAD = 0x010;
    static constexpr DWORD MODE_TX_THREAD = 0x020;
    static constexpr DWORD MODE_START_SUSPENDED = 0x040;
    static constexpr DWORD MODE_HIGH_PRIORITY = 0x080;
    static constexpr DWORD MODE_FLUSH_ON_CLOSE = 0x100;
    static constexpr DWORD MODE_DRAIN_ON_CLOSE = 0x200;
    static constexpr DWORD MODE_DEFAULT = MODE_MONITOR_THREAD | MODE_OVERLAPPED;

    // Notification messages; wParam is always the port number.
    static constexpr UINT CNM_RECEIVE = WM_USER + 618;
    static constexpr UINT CNM_CTS = WM_USER + 619;
    static constexpr UINT CNM_DSR = WM_USER + 620;
    static constexpr UINT CNM_RING = WM_USER + 621;
    static constexpr UINT CNM_RLSD = WM_USER + 622;
    static constexpr UINT CNM_BREAK = WM_USER + 623;
    static constexpr UINT CNM_TXEMPTY = WM_USER + 624;
    static constexpr UINT CNM_ERROR = WM_USER + 625;
    static constexpr UINT CNM_RXFLAG = WM_USER + 626;
    static constexpr UINT CNM_AUX1 = WM_USER + 627;
    static constexpr UINT CNM_AUX3 = WM_USER + 628;
    static constexpr UINT CNM_AUX4 = WM_USER + 629;
    static constexpr UINT CNM_AUX2 = WM_USER + 630;
    static constexpr UINT CNM_AUX5 = WM_USER + 631;

    static constexpr DWORD DEFAULT_EVENT_MASK = EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR |
                                                EV_RLSD | EV_BREAK | EV_ERR | EV_RING;
    static constexpr DWORD READ_CHUNK = 1023;     // most bytes one Read delivers
    static constexpr DWORD TRANSMIT_CHUNK = 1024; // most bytes one DrainTransmitBuffer sends
    static constexpr DWORD QUEUE_SIZE = 4096;     // driver queues each way; largest single fill
    static constexpr DWORD COUNT_UNAVAILABLE = 0xFFFFFFFF;
    // What every stop or close allows each worker, and Close the writes still in flight after
    // they have been cancelled.
    static constexpr DWORD STOP_WAIT = 500;

    // FIFO of bytes in a singly linked chain of heap blocks. Only Size locks by itself; callers
    // that share a buffer hold a Guard around every other operation and compound step.
    class BlockBuffer
    {
    public:
        // Header of one heap allocation; the block's data bytes follow it directly.
        struct Block
        {
            DWORD dwRead;     // first unread byte
            DWORD dwWrite;    // one past the last byte written
            DWORD dwCapacity; // data bytes
            Block* pNext;     // toward the tail
            BYTE* Data() { return reinterpret_cast<BYTE*>(this + 1); }
            const BYTE* Data() const { return reinterpret_cast<const BYTE*>(this + 1); }
        };

        class Guard : private CriticalSectionGuard
        {
        public:
            explicit Guard(BlockBuffer& buffer) : CriticalSectionGuard(buffer.m_cs) {}
        };

        BlockBuffer();
        virtual ~BlockBuffer();
        BlockBuffer(const BlockBuffer&) = delete;
        BlockBuffer& operator=(const BlockBuffer&) = delete;

        // Copies n bytes in at the tail. Returns n, or 0 with nothing changed when a needed
        // block cannot be allocated.
        DWORD Append(const void* pSource, DWORD n);
        // Writable space for n bytes at the tail (see Commit), or null: for n = 0 on a buffer
        // without blocks, or when a needed block cannot be allocated.
        BYTE* Reserve(DWORD n);
        // Makes k bytes written at the last Reserve's pointer part of the buffer.
        void Commit(DWORD k);
        // Removes up to n bytes from the head, copying them out unless pDest is null.
        DWORD Consume(void* pDest, DWORD n);
        // The count, read under the lock.
        DWORD Size();
        void Clear();

        // Inspection of the chain; valid only while the caller holds the lock.
        const Block* Head() const { return m_pHead; }
        const Block* Tail() const { return m_pTail; }

    private:
        friend class CSerialLink;

        static Block* AllocateBlock(DWORD dwCapacity);
        void LinkAtTail(Block* pBlock);
        // Unlinks the head block with its unread bytes and hands it to the caller.
        Block* DetachHead();

        Block* m_pHead;
        Block* m_pTail;
        DWORD m_dwCount;

    public:
        DWORD m_dwMinBlock; // least capacity of a new block; the owner may set it after construction

    private:
        CRITICAL_SECTION m_cs;
    };

    // Uses the real serial ports.
    CSerialLink();
    // Uses api for every port call; api must outlive the object.
    explicit CSerialLink(ISerialPortApi& api);
    virtual ~CSerialLink();
    CSerialLink(const CSerialLink&) = delete;
    CSerialLink& operator=(const CSerialLink&) = delete;

    // Lifecycle (virtual table order matters: derived classes replace any of these).
    virtual void Close(DWORD dwWait);
    virtual void Init();
    virtual void Release();
    virtual bool CreatePort();
    virtual bool SetupPort();

    // Notifications: each hook posts one CNM_ message through Notify.
    virtual void Notify(UINT message, LPARAM lParam, bool post);
    virtual void NotifyReceive();
    virtual void NotifyDsr();
    virtual void NotifyCts();
    virtual void NotifyBreak();
    virtual void NotifyTxEmpty();
    virtual void NotifyError();
    virtual void NotifyRing();
    virtual void NotifyRlsd();
    virtual void NotifyRxFlag();
    virtual void NotifyAux1();
    virtual void NotifyAux2();
    virtual void NotifyAux3();
    virtual void NotifyAux4();
    virtual void NotifyAux5();

    // Worker bodies.
    virtual void DispatchEvents(DWORD dwEvents);
    virtual unsigned MonitorLoopOverlapped();
    virtual unsigned MonitorLoopPolled();
    virtual unsigned ReceiveLoop();
    virtual unsigned TransmitLoop();

    bool Open(int nPort);
    bool StartWorkers();
    bool StopWorkers(DWORD dwWait);
    // Lets workers created with MODE_START_SUSPENDED run. False when there were none to resume.
    bool ResumeWorkers();

    static unsigned __stdcall MonitorThreadEntry(void* pLink);
    static unsigned __stdcall ReceiveThreadEntry(void* pLink);
    static unsigned __stdcall TransmitThreadEntry(void* pLink);

    // Port I/O.
    DWORD RawRead(void* pDest, DWORD n);
    DWORD RawWrite(const void* pSource, DWORD n);
    DWORD FillReceiveBuffer(DWORD n);
    DWORD DrainTransmitBuffer();
    DWORD Read(void* pDest);
    // When the bytes of one fill arrived, for a reader that comes late.
    struct ReceiveTiming
    {
        ULONGLONG nArrival;   // GetTickCount64 when the fill read them from the port
        // How long the line was surely quiet before them: from the fill before (its last byte
        // had arrived by then) to the last moment the workers saw the driver's queue empty. 0
        // when they never saw it empty in between (bytes kept coming), and for the second and
        // later pieces of one fill.
        ULONGLONG nQuietBefore;
        // Set by ReadReceived only: bytes the bound dropped since the last read. The bound drops
        // the oldest, so they came between the bytes read last and these.
        DWORD nLostBefore;
    };
    // With MODE_RX_BUFFER: up to n bytes from the receive buffer, all staged by one fill, with
    // their timing. 0 when the buffer is empty (pTiming->nLostBefore still says). Any thread.
    DWORD ReadReceived(void* pDest, DWORD n, ReceiveTiming* pTiming);
    // Most bytes the receive buffer holds (0, the default: no bound). Past it a fill drops the
    // oldest bytes, so a reader that stops reading cannot make it grow without limit; ReadReceived
    // tells where.
    void SetReceiveBound(DWORD dwBound);
    // Driver queue sizes (SetupComm) for the open port, for lines faster than the default
    // queues carry between two monitor passes; fills then take up to dwInQueue bytes at a time.
    bool SetDriverQueues(DWORD dwInQueue, DWORD dwOutQueue);
    // Whether Read would find bytes at once: in the receive buffer (MODE_RX_BUFFER), else queued
    // in the driver. A direct read with none queued waits for the read time-out.
    bool HasBytesToRead();
    DWORD Write(const void* pSource, DWORD n);
    // Bytes that Write has handed to the port on the direct road (MODE_TX_BUFFER clear) and the
    // port has not finished: the write in flight, counted whole until it completes (or its write
    // time-out ends it), and those waiting their turn behind it. 0 once the port has taken every
    // write, and after Close. A caller that must not run ahead of the line asks this before
    // writing. With MODE_TX_BUFFER the bytes wait in TransmitBuffer() instead. Any thread.
    DWORD PendingWriteBytes() { return m_directWrites.OutstandingBytes(); }
    // Bytes of direct overlapped writes that BytesWritten counted and the port did not send, taken
    // since the last call: what a write ended by its time-out (the line stalled: a far end that
    // stopped reading, CTS held low) or by a purge (line errors found by a later write) left
    // unsent, and the whole of a write that failed when its turn came. Dropped by Close. Any
    // thread.
    DWORD TakeUnsentWriteBytes() { return m_directWrites.TakeUnsentBytes(); }

    bool IsOpen() const { return m_hPort != INVALID_HANDLE_VALUE; }
    int PortNumber() const { return m_nPort; }
    void SetNotifyWindow(HWND hWnd) { m_hNotifyWnd = hWnd; }
    DCB* ReadPortState()
    {
        return IsOpen() && m_pApi->GetCommState(m_hPort, &m_dcb) ? &m_dcb : nullptr;
    }
    // The line's own signals, beyond the data (SerialLinkLines.cpp). Each is one call on the
    // port; false when the port is closed or refuses (a virtual port may have no modem lines).
    // Sets the DTR or RTS output line (EscapeCommFunction SETDTR/CLRDTR, SETRTS/CLRRTS).
    bool SetDtr(bool bOn);
    bool SetRts(bool bOn);
    // The input lines now (GetCommModemStatus): MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON.
    bool ReadModemStatus(DWORD* pStatus);
    // Applies the line settings (SetCommState). On the overlapped road the write time-out then
    // follows the new rate (FitWriteTimeoutToLine). False when the port is closed or the device
    // refuses either.
    bool ApplyPortState(DCB dcb);

    // Settings for reuse beyond the terminal window; set them while the port is closed.
    void SetNotifyThread(DWORD dwThreadId) { m_dwNotifyThreadId = dwThreadId; }
    void SetReceiveThreshold(DWORD dwThreshold) { m_dwRxThreshold = dwThreshold; }
    void SetEventMask(DWORD dwEventMask) { m_dwEventMask = dwEventMask; }
    // Refused (false) while the port is open.
    bool SetMode(DWORD dwMode);

    DWORD Mode() const { return m_dwMode; }
    BlockBuffer& ReceiveBuffer() { return m_rxBuffer; }
    BlockBuffer& TransmitBuffer() { return m_txBuffer; }
    // Totals since construction; they wrap. Written without a lock by the I/O roads.
    DWORD BytesRead() const { return m_dwBytesRead; }
    DWORD BytesWritten() const { return m_dwBytesWritten; }

protected:
    // The driver's input-queue count, or COUNT_UNAVAILABLE when the port is closed or the
    // query fails.
    DWORD QueuedCount();
    // Fills the receive buffer (MODE_RX_BUFFER) and raises NotifyReceive when the threshold is
    // reached.
    void ReceiveStep(DWORD dwFill, DWORD dwQueued);
    // Clears pending line errors, purging with dwPurge when there were any.
    void ClearLineErrors(DWORD dwPurge, COMSTAT* pStat);
    // ClearCommError for the engine's own needs (the queued count, the start of a read or a
    // write). Reading the flags clears them on the port, so the flags found are kept for the next
    // NotifyError instead of being lost. False when the call fails.
    bool QueryLineErrors(DWORD* pErrors, COMSTAT* pStat);
    LPARAM ModemLine(DWORD dwBit);
    bool FitWriteTimeoutToLine(const DCB& dcb);
    // Takes dwCount bytes off the front of the arrival runs, as the receive buffer's head went.
    // Caller holds the receive buffer's lock.
    void ForgetReceivedRuns(DWORD dwCount);
    // A worker saw the driver's input queue empty now.
    void NoteQueueEmpty();
    bool TransmitPending() { return m_txBuffer.Size() != 0; }
    // Whether the overlapped monitor sends the transmit buffer (no transmit worker does).
    bool MonitorSendsTransmitBuffer() const
    {
        return (m_dwMode & MODE_TX_BUFFER) && !(m_dwMode & MODE_TX_THREAD);
    }
    bool CanDrainTransmitBuffer();
    void WaitForTransmitBufferToDrain();
    // How long the drain before a close waits without progress: at least 2000 ms, and at least
    // twice the time one transmit chunk takes at the port's current baud rate.
    DWORD TransmitStallLimit();
    DWORD DrainInPlace();
    DWORD DrainFromCopy();
    // Finishes the staged in-place write; false while it is still running after dwWaitMs.
    bool FinishStagedWrite(DWORD dwWaitMs);
    void FinishDirectWritesOnClose();
    void FinishStagedWriteOnClose();
    void WaitForPendingRead(DWORD* pCount);
    bool WaitForCommEventOrStop(DWORD* pEvents);
    bool StopWorker(HANDLE& hThread, HANDLE hWake, DWORD dwWait);

    // Written by the owner while no worker runs; read by everyone.
    DWORD m_dwMode;
    HANDLE m_hPort;
    int m_nPort;
    WCHAR m_szPortName[64];
    CRITICAL_SECTION m_csGeneral; // kept for derived classes; nothing here takes it
    DCB m_dcb;
    COMMTIMEOUTS m_timeouts;
    BYTE* m_pScratch; // owned; freed by Release when set
    BlockBuffer m_rxBuffer;
    BlockBuffer m_txBuffer;
    // Added to by the I/O roads without a lock.
    DWORD m_dwBytesRead;
    DWORD m_dwBytesWritten;
    // Written by StartWorkers/StopWorkers; workers read it afresh at every test.
    std::atomic<bool> m_bRunning;
    DWORD m_dwEventMask;
    HANDLE m_hMonitorThread;
    DWORD m_dwMonitorThreadId;
    HANDLE m_hMonitorWake;
    HANDLE m_hReceiveThread;
    DWORD m_dwReceiveThreadId;
    HANDLE m_hReceiveWake;
    HANDLE m_hTransmitThread;
    DWORD m_dwTransmitThreadId;
    HANDLE m_hTransmitWake;
    HWND m_hNotifyWnd;
    DWORD m_dwNotifyThreadId;
    DWORD m_dwRxThreshold;
    OVERLAPPED m_olRead;
    OVERLAPPED m_olWrite; // the staged road's in-place write
    OVERLAPPED m_olWait;

    // Implementation state beyond the fields above.
    ISerialPortApi* m_pApi;
    // Set by StopWorkers while it waits for the workers: a pending read gives up at once.
    std::atomic<bool> m_bStopping;
    bool m_bWorkersSuspended; // created suspended and not resumed yet (owner only)
    // Serialises DrainTransmitBuffer callers so runs reach the port in the order they left the
    // buffer; also guards the staged write state below. Taken before the transmit buffer's lock.
    CRITICAL_SECTION m_csTransmit;
    // Bytes the blocking road has taken from the transmit buffer and not yet written: set under
    // the buffer's lock when a run is taken, lowered by the drainer after each write attempt.
    std::atomic<DWORD> m_dwTransmitInFlight;
    bool m_bStagedWritePending;           // m_olWrite is in flight
    BlockBuffer::Block* m_pStagedBlock;   // emptied block held until that write finishes
    OverlappedWriteQueue m_directWrites;  // the direct road's writes, one in flight at a time
    DWORD m_dwInQueue;                    // the driver's input queue as last set: most one fill takes

    // When the bytes of the receive buffer arrived: one run per fill, oldest first, together as
    // long as the buffer. All three guarded by the receive buffer's lock.
    struct ReceivedRun
    {
        DWORD dwCount;
        ReceiveTiming timing;
    };
    std::deque<ReceivedRun> m_rxRuns;
    DWORD m_dwRxBound;
    DWORD m_dwRxOverflow;
    ULONGLONG m_nRxLastFill;                // when the last fill read bytes
    // Written by the workers whenever they see the driver's queue empty; read by fills.
    std::atomic<ULONGLONG> m_nRxLastEmpty;
    // Error flags that QueryLineErrors took from the port and no NotifyError has reported yet:
    // or-ed in by whichever thread queried, taken whole by NotifyError, dropped when the port closes.
    std::atomic<DWORD> m_dwKeptErrors;
};
