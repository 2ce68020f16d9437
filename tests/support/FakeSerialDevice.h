#pragma once

#include "engine/SerialPortApi.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// A scripted serial device behind the engine's port seam, for deterministic tests.
//
// It keeps an input queue, captures output, holds comm state, time-outs, modem lines (the DTR and
// RTS outputs it is told to set, the status inputs it is given) and error flags, and implements overlapped I/O with Windows semantics: an operation that pends resets
// its OVERLAPPED's event and later completes by setting it; a pending WaitCommEvent completes
// on an event in its mask, and SetCommMask completes it with an empty mask. Time never passes:
// a read that would wait for its time-out completes at once with what is there (or stays
// pending when told to), and writes complete at once unless told to stay pending. The one
// exception stands for a slow line: a blocking write can be told to take a while.
// Every call is logged with its arguments; any call can be made to fail with an error code.
class FakeSerialDevice : public ISerialPortApi
{
public:
    enum class Call
    {
        CreateFileW, SetupComm, GetCommTimeouts, SetCommTimeouts, GetCommState, SetCommState,
        PurgeComm, ClearCommError, ReadFile, WriteFile, GetOverlappedResult, GetLastError,
        WaitCommEvent, SetCommMask, GetCommModemStatus, ClearCommBreak, FlushFileBuffers,
        CloseHandle, CancelIoEx, EscapeCommFunction
    };

    struct CallRecord
    {
        Call call;
        HANDLE hFile;
        std::wstring path;      // CreateFileW
        DWORD args[4];          // the call's DWORD arguments, in order
        const void* pointer;    // the OVERLAPPED (or COMSTAT for ClearCommError), may be null
        std::string bytes;      // WriteFile: the bytes as they were when the call was made
        COMMTIMEOUTS timeouts;  // SetCommTimeouts
        DWORD threadId;
    };

    // Whether an overlapped read of an empty input queue completes at once with 0 bytes (its
    // time-out ran out) or stays pending until input arrives or the test ends it.
    enum class EmptyRead { CompleteAtOnce, Pend };

    FakeSerialDevice();
    ~FakeSerialDevice() override;

    // Script.
    void PushInput(const std::string& bytes);
    void SetModemStatus(DWORD dwStatus);
    void SetCommStateRecord(const DCB& dcb);        // what GetCommState reports from now on
    void SetErrorFlags(DWORD dwErrors);
    void RaiseEvents(DWORD dwEvents);
    void FailCall(Call call, DWORD dwError, int times = -1); // -1: every call from now on
    void ClearFaults();
    void SetEmptyRead(EmptyRead mode);
    void SetWritesPend(bool bPend);                 // overlapped writes stay pending
    void SetBlockingWriteLimit(DWORD dwLimit);      // a blocking write takes at most this many
    void SetBlockingWriteTime(DWORD dwMs);          // a blocking write lasts this long
    void SetTxEmptyOnWrite(bool bRaise);            // raise EV_TXEMPTY when a write completes
    // As a driver that honours the write time-outs: a write carries only the bytes whose time on
    // the line (at the current line settings) fits its total time-out, and then completes with
    // that count. The time is reckoned, not waited for.
    void SetWriteTimeoutsHonoured(bool bHonoured);
    // As Wine's pseudo-terminals: the input queue's count is reported as at most dwLimit bytes.
    void SetReportedInputLimit(DWORD dwLimit);
    // Copies their bytes now, in issue order. A line that stalls: each carries at most dwMostEach
    // bytes and completes with that count, as a write that its time-out ended.
    size_t CompletePendingWrites(DWORD dwMostEach = MAXDWORD);
    bool EndPendingRead(DWORD dwError);             // completes it with no bytes and dwError
    bool EndPendingWait(DWORD dwError);             // completes it with an empty mask
    void RemoveDevice();                            // later calls fail as for a vanished device
    // Runs action once, on the calling thread, as the next WaitCommEvent is entered: before the
    // device looks at anything and outside its lock, so the action may call into the engine.
    void RunBeforeNextWait(std::function<void()> action);

    // Observe.
    std::string Output();
    std::vector<CallRecord> Calls();
    std::vector<Call> CallSequence();
    size_t CountCalls(Call call);
    void ClearCalls();
    bool WaitForCallCount(Call call, size_t count, DWORD dwTimeoutMs);
    bool WaitForPendingWait(DWORD dwTimeoutMs);
    bool IsOpen();
    DWORD CommMask();
    COMMTIMEOUTS Timeouts();
    DCB CommStateRecord();                          // as the last SetCommState left it
    bool DtrOn();                                   // as EscapeCommFunction last set them
    bool RtsOn();
    size_t PendingWriteCount();
    size_t InputSize();

    // The seam.
    HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                       LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                       DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) override;
    BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) override;
    BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) override;
    BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) override;
    BOOL GetCommState(HANDLE hFile, LPDCB lpDCB) override;
    BOOL SetCommState(HANDLE hFile, LPDCB lpDCB) override;
    BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) override;
    BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) override;
    BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                  LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) override;
    BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                   LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) override;
    BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                             LPDWORD lpNumberOfBytesTransferred, BOOL bWait) override;
    DWORD GetLastError() override;
    BOOL WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped) override;
    BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) override;
    BOOL GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat) override;
    BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) override;
    BOOL ClearCommBreak(HANDLE hFile) override;
    BOOL FlushFileBuffers(HANDLE hFile) override;
    BOOL CloseHandle(HANDLE hObject) override;
    BOOL CancelIoEx(HANDLE hFile, LPOVERLAPPED lpOverlapped) override;

private:
    struct PendingRead
    {
        OVERLAPPED* pOv;
        BYTE* pDest;
        DWORD n;
    };
    struct PendingWrite
    {
        OVERLAPPED* pOv;
        const BYTE* pSource;
        DWORD n;
    };
    struct PendingWait
    {
        OVERLAPPED* pOv;
        DWORD* pMask;
    };
    using Lock = std::unique_lock<std::mutex>;

    CallRecord& Log(Call call, HANDLE hFile);
    // The error to fail this call with (0: go ahead): an injected fault, a bad handle or a
    // removed device.
    DWORD FaultFor(Call call, HANDLE hFile);
    static BOOL Fail(Lock& lock, DWORD dwError);
    static void Start(OVERLAPPED* pOv);
    static void Complete(OVERLAPPED* pOv, DWORD dwError, DWORD dwBytes);
    DWORD TakeInput(BYTE* pDest, DWORD n);
    void Occur(DWORD dwEvents);
    void WriteCompleted();
    DWORD BytesWithinWriteTimeout(DWORD n) const;
    void AbortPending(OVERLAPPED* pOnly, DWORD dwError, bool bReads, bool bWrites, bool bWaits);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<CallRecord> m_calls;
    std::map<Call, std::pair<DWORD, int>> m_faults;
    HANDLE m_hOpen;
    unsigned m_nextHandle;
    bool m_bRemoved;
    std::deque<BYTE> m_input;
    std::string m_output;
    DWORD m_dwModemStatus;
    bool m_bDtr;
    bool m_bRts;
    DWORD m_dwErrors;
    DWORD m_dwMask;
    DWORD m_dwHistory;
    DCB m_dcb;
    COMMTIMEOUTS m_timeouts;
    EmptyRead m_emptyRead;
    bool m_bWritesPend;
    DWORD m_dwBlockingWriteLimit;
    DWORD m_dwBlockingWriteTime;
    bool m_bTxEmptyOnWrite;
    bool m_bWriteTimeoutsHonoured;
    DWORD m_dwReportedInputLimit = MAXDWORD;
    std::vector<PendingRead> m_reads;
    std::deque<PendingWrite> m_writes;
    std::vector<PendingWait> m_waits;
    std::function<void()> m_beforeNextWait;
};
