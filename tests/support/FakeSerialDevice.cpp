#include "tests/support/FakeSerialDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace
{
// Marks an OVERLAPPED whose operation has not finished (the system's STATUS_PENDING).
constexpr ULONG_PTR kPending = 0x103;
// A waiting GetOverlappedResult gives up after this long, so a broken test fails, not hangs.
constexpr DWORD kHangGuardMs = 30000;
} // namespace

FakeSerialDevice::FakeSerialDevice()
    : m_hOpen(INVALID_HANDLE_VALUE), m_nextHandle(0x5E40), m_bRemoved(false), m_dwModemStatus(0),
      m_bDtr(false), m_bRts(false), m_dwErrors(0), m_dwMask(0), m_dwHistory(0), m_dcb(), m_timeouts(),
      m_emptyRead(EmptyRead::CompleteAtOnce), m_bWritesPend(false),
      m_dwBlockingWriteLimit(MAXDWORD), m_dwBlockingWriteTime(0), m_bTxEmptyOnWrite(true),
      m_bWriteTimeoutsHonoured(false)
{
    m_dcb.DCBlength = sizeof(DCB);
    m_dcb.BaudRate = CBR_9600;
    m_dcb.ByteSize = 8;
    m_dcb.fBinary = TRUE;
}

FakeSerialDevice::~FakeSerialDevice() = default;

// ---- script -------------------------------------------------------------------------------

void FakeSerialDevice::PushInput(const std::string& bytes)
{
    Lock lock(m_mutex);
    m_input.insert(m_input.end(), bytes.begin(), bytes.end());
    if (!m_reads.empty() && !m_input.empty())
    {
        PendingRead read = m_reads.front();
        m_reads.clear();
        Complete(read.pOv, ERROR_SUCCESS, TakeInput(read.pDest, read.n));
    }
    Occur(EV_RXCHAR);
    m_changed.notify_all();
}

void FakeSerialDevice::SetModemStatus(DWORD dwStatus)
{
    Lock lock(m_mutex);
    m_dwModemStatus = dwStatus;
}

void FakeSerialDevice::SetCommStateRecord(const DCB& dcb)
{
    Lock lock(m_mutex);
    m_dcb = dcb;
}

void FakeSerialDevice::SetErrorFlags(DWORD dwErrors)
{
    Lock lock(m_mutex);
    m_dwErrors = dwErrors;
}

void FakeSerialDevice::RaiseEvents(DWORD dwEvents)
{
    Lock lock(m_mutex);
    Occur(dwEvents);
    m_changed.notify_all();
}

void FakeSerialDevice::FailCall(Call call, DWORD dwError, int times)
{
    Lock lock(m_mutex);
    m_faults[call] = {dwError, times};
}

void FakeSerialDevice::ClearFaults()
{
    Lock lock(m_mutex);
    m_faults.clear();
}

void FakeSerialDevice::SetEmptyRead(EmptyRead mode)
{
    Lock lock(m_mutex);
    m_emptyRead = mode;
}

void FakeSerialDevice::SetWritesPend(bool bPend)
{
    Lock lock(m_mutex);
    m_bWritesPend = bPend;
}

void FakeSerialDevice::SetBlockingWriteLimit(DWORD dwLimit)
{
    Lock lock(m_mutex);
    m_dwBlockingWriteLimit = dwLimit;
}

void FakeSerialDevice::SetBlockingWriteTime(DWORD dwMs)
{
    Lock lock(m_mutex);
    m_dwBlockingWriteTime = dwMs;
}

void FakeSerialDevice::SetTxEmptyOnWrite(bool bRaise)
{
    Lock lock(m_mutex);
    m_bTxEmptyOnWrite = bRaise;
}

void FakeSerialDevice::SetWriteTimeoutsHonoured(bool bHonoured)
{
    Lock lock(m_mutex);
    m_bWriteTimeoutsHonoured = bHonoured;
}

void FakeSerialDevice::SetReportedInputLimit(DWORD dwLimit)
{
    Lock lock(m_mutex);
    m_dwReportedInputLimit = dwLimit;
}

size_t FakeSerialDevice::CompletePendingWrites(DWORD dwMostEach)
{
    Lock lock(m_mutex);
    const size_t count = m_writes.size();
    for (const PendingWrite& write : m_writes)
    {
        const DWORD dwCarried = std::min(write.n, dwMostEach);
        m_output.append(reinterpret_cast<const char*>(write.pSource), dwCarried);
        Complete(write.pOv, ERROR_SUCCESS, dwCarried);
    }
    m_writes.clear();
    if (count)
        WriteCompleted();
    m_changed.notify_all();
    return count;
}

bool FakeSerialDevice::EndPendingRead(DWORD dwError)
{
    Lock lock(m_mutex);
    if (m_reads.empty())
        return false;
    AbortPending(nullptr, dwError, true, false, false);
    return true;
}

bool FakeSerialDevice::EndPendingWait(DWORD dwError)
{
    Lock lock(m_mutex);
    if (m_waits.empty())
        return false;
    AbortPending(nullptr, dwError, false, false, true);
    return true;
}

void FakeSerialDevice::RemoveDevice()
{
    Lock lock(m_mutex);
    m_bRemoved = true;
    AbortPending(nullptr, ERROR_BROKEN_PIPE, true, false, false);
    AbortPending(nullptr, ERROR_NOT_READY, false, true, true);
}

void FakeSerialDevice::RunBeforeNextWait(std::function<void()> action)
{
    Lock lock(m_mutex);
    m_beforeNextWait = std::move(action);
}

// ---- observe ------------------------------------------------------------------------------

std::string FakeSerialDevice::Output()
{
    Lock lock(m_mutex);
    return m_output;
}

std::vector<FakeSerialDevice::CallRecord> FakeSerialDevice::Calls()
{
    Lock lock(m_mutex);
    return m_calls;
}

std::vector<FakeSerialDevice::Call> FakeSerialDevice::CallSequence()
{
    Lock lock(m_mutex);
    std::vector<Call> sequence;
    for (const CallRecord& record : m_calls)
        sequence.push_back(record.call);
    return sequence;
}

size_t FakeSerialDevice::CountCalls(Call call)
{
    Lock lock(m_mutex);
    return std::count_if(m_calls.begin(), m_calls.end(),
                         [call](const CallRecord& record) { return record.call == call; });
}

void FakeSerialDevice::ClearCalls()
{
    Lock lock(m_mutex);
    m_calls.clear();
}

bool FakeSerialDevice::WaitForCallCount(Call call, size_t count, DWORD dwTimeoutMs)
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs), [&] {
        return static_cast<size_t>(std::count_if(m_calls.begin(), m_calls.end(),
                                                 [call](const CallRecord& record) {
                                                     return record.call == call;
                                                 })) >= count;
    });
}

bool FakeSerialDevice::WaitForPendingWait(DWORD dwTimeoutMs)
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs),
                              [&] { return !m_waits.empty(); });
}

bool FakeSerialDevice::IsOpen()
{
    Lock lock(m_mutex);
    return m_hOpen != INVALID_HANDLE_VALUE;
}

DWORD FakeSerialDevice::CommMask()
{
    Lock lock(m_mutex);
    return m_dwMask;
}

COMMTIMEOUTS FakeSerialDevice::Timeouts()
{
    Lock lock(m_mutex);
    return m_timeouts;
}

DCB FakeSerialDevice::CommStateRecord()
{
    Lock lock(m_mutex);
    return m_dcb;
}

bool FakeSerialDevice::DtrOn()
{
    Lock lock(m_mutex);
    return m_bDtr;
}

bool FakeSerialDevice::RtsOn()
{
    Lock lock(m_mutex);
    return m_bRts;
}

size_t FakeSerialDevice::PendingWriteCount()
{
    Lock lock(m_mutex);
    return m_writes.size();
}

size_t FakeSerialDevice::InputSize()
{
    Lock lock(m_mutex);
    return m_input.size();
}

// ---- internals (called with the mutex held) -----------------------------------------------

FakeSerialDevice::CallRecord& FakeSerialDevice::Log(Call call, HANDLE hFile)
{
    CallRecord record{};
    record.call = call;
    record.hFile = hFile;
    record.threadId = ::GetCurrentThreadId();
    m_calls.push_back(record);
    m_changed.notify_all();
    return m_calls.back();
}

DWORD FakeSerialDevice::FaultFor(Call call, HANDLE hFile)
{
    auto fault = m_faults.find(call);
    if (fault != m_faults.end() && fault->second.second != 0)
    {
        if (fault->second.second > 0)
            --fault->second.second;
        return fault->second.first;
    }
    if (call == Call::CreateFileW || call == Call::GetLastError)
        return ERROR_SUCCESS;
    if (hFile == INVALID_HANDLE_VALUE || hFile != m_hOpen)
        return ERROR_INVALID_HANDLE;
    if (m_bRemoved && call != Call::CloseHandle && call != Call::GetOverlappedResult)
        return ERROR_NOT_READY;
    return ERROR_SUCCESS;
}

// Leaves the lock first: the error must be the last thing set on this thread.
BOOL FakeSerialDevice::Fail(Lock& lock, DWORD dwError)
{
    lock.unlock();
    ::SetLastError(dwError);
    return FALSE;
}

void FakeSerialDevice::Start(OVERLAPPED* pOv)
{
    pOv->Internal = kPending;
    pOv->InternalHigh = 0;
    if (pOv->hEvent)
        ::ResetEvent(pOv->hEvent);
}

// The fake keeps a Win32 error code (not a status) in Internal; only it reads the field back.
void FakeSerialDevice::Complete(OVERLAPPED* pOv, DWORD dwError, DWORD dwBytes)
{
    pOv->Internal = dwError;
    pOv->InternalHigh = dwBytes;
    if (pOv->hEvent)
        ::SetEvent(pOv->hEvent);
}

DWORD FakeSerialDevice::TakeInput(BYTE* pDest, DWORD n)
{
    const DWORD dwCount = static_cast<DWORD>(std::min<size_t>(n, m_input.size()));
    std::copy(m_input.begin(), m_input.begin() + dwCount, pDest);
    m_input.erase(m_input.begin(), m_input.begin() + dwCount);
    return dwCount;
}

// Events outside the mask are not recorded; with no wait pending they wait for the next one.
void FakeSerialDevice::Occur(DWORD dwEvents)
{
    m_dwHistory |= dwEvents & m_dwMask;
    if (m_dwHistory == 0 || m_waits.empty())
        return;
    PendingWait wait = m_waits.front();
    m_waits.clear();
    *wait.pMask = m_dwHistory;
    m_dwHistory = 0;
    Complete(wait.pOv, ERROR_SUCCESS, sizeof(DWORD));
}

void FakeSerialDevice::WriteCompleted()
{
    if (m_bTxEmptyOnWrite && m_writes.empty())
        Occur(EV_TXEMPTY);
}

// Both write time-outs 0 mean none; a baud rate of 0 carries everything.
DWORD FakeSerialDevice::BytesWithinWriteTimeout(DWORD n) const
{
    const ULONGLONG limitMs = m_timeouts.WriteTotalTimeoutConstant +
                              static_cast<ULONGLONG>(m_timeouts.WriteTotalTimeoutMultiplier) * n;
    if (!m_bWriteTimeoutsHonoured || limitMs == 0 || m_dcb.BaudRate == 0)
        return n;
    // In half bits, so that one and a half stop bits count exactly.
    const ULONGLONG stopHalfBits =
        m_dcb.StopBits == ONESTOPBIT ? 2 : m_dcb.StopBits == ONE5STOPBITS ? 3 : 4;
    const ULONGLONG halfBitsPerByte =
        2 * (1 + m_dcb.ByteSize + (m_dcb.Parity != NOPARITY ? 1 : 0)) + stopHalfBits;
    const ULONGLONG fits = limitMs * m_dcb.BaudRate * 2 / (1000 * halfBitsPerByte);
    return static_cast<DWORD>(std::min<ULONGLONG>(n, fits));
}

void FakeSerialDevice::AbortPending(OVERLAPPED* pOnly, DWORD dwError, bool bReads, bool bWrites,
                                    bool bWaits)
{
    auto abort = [&](auto& pending) {
        for (auto it = pending.begin(); it != pending.end();)
        {
            if (pOnly && it->pOv != pOnly)
            {
                ++it;
                continue;
            }
            Complete(it->pOv, dwError, 0);
            it = pending.erase(it);
        }
    };
    if (bReads)
        abort(m_reads);
    if (bWrites)
        abort(m_writes);
    if (bWaits)
        abort(m_waits);
    m_changed.notify_all();
}

// ---- the seam -----------------------------------------------------------------------------

HANDLE FakeSerialDevice::CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess,
                                     DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                                     DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                                     HANDLE)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::CreateFileW, INVALID_HANDLE_VALUE);
    record.path = lpFileName ? lpFileName : L"";
    record.args[0] = dwDesiredAccess;
    record.args[1] = dwShareMode;
    record.args[2] = dwCreationDisposition;
    record.args[3] = dwFlagsAndAttributes;
    if (DWORD dwError = FaultFor(Call::CreateFileW, INVALID_HANDLE_VALUE))
    {
        Fail(lock, dwError);
        return INVALID_HANDLE_VALUE;
    }
    if (m_hOpen != INVALID_HANDLE_VALUE)
    {
        Fail(lock, ERROR_ACCESS_DENIED); // one handle at a time, like an exclusive port
        return INVALID_HANDLE_VALUE;
    }
    m_hOpen = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(m_nextHandle++));
    m_bRemoved = false;
    m_dwMask = 0;
    m_dwHistory = 0;
    return m_hOpen;
}

BOOL FakeSerialDevice::SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::SetupComm, hFile);
    record.args[0] = dwInQueue;
    record.args[1] = dwOutQueue;
    if (DWORD dwError = FaultFor(Call::SetupComm, hFile))
        return Fail(lock, dwError);
    return TRUE;
}

BOOL FakeSerialDevice::GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts)
{
    Lock lock(m_mutex);
    Log(Call::GetCommTimeouts, hFile);
    if (DWORD dwError = FaultFor(Call::GetCommTimeouts, hFile))
        return Fail(lock, dwError);
    *lpCommTimeouts = m_timeouts;
    return TRUE;
}

BOOL FakeSerialDevice::SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::SetCommTimeouts, hFile);
    record.timeouts = *lpCommTimeouts;
    if (DWORD dwError = FaultFor(Call::SetCommTimeouts, hFile))
        return Fail(lock, dwError);
    m_timeouts = *lpCommTimeouts;
    return TRUE;
}

BOOL FakeSerialDevice::GetCommState(HANDLE hFile, LPDCB lpDCB)
{
    Lock lock(m_mutex);
    Log(Call::GetCommState, hFile);
    if (DWORD dwError = FaultFor(Call::GetCommState, hFile))
        return Fail(lock, dwError);
    *lpDCB = m_dcb;
    return TRUE;
}

BOOL FakeSerialDevice::SetCommState(HANDLE hFile, LPDCB lpDCB)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::SetCommState, hFile);
    record.args[0] = lpDCB->BaudRate;
    record.args[1] = lpDCB->ByteSize;
    record.args[2] = lpDCB->Parity;
    record.args[3] = lpDCB->StopBits;
    if (DWORD dwError = FaultFor(Call::SetCommState, hFile))
        return Fail(lock, dwError);
    if (lpDCB->ByteSize < 5 || lpDCB->ByteSize > 8)
        return Fail(lock, ERROR_INVALID_PARAMETER);
    m_dcb = *lpDCB;
    return TRUE;
}

BOOL FakeSerialDevice::PurgeComm(HANDLE hFile, DWORD dwFlags)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::PurgeComm, hFile);
    record.args[0] = dwFlags;
    if (DWORD dwError = FaultFor(Call::PurgeComm, hFile))
        return Fail(lock, dwError);
    AbortPending(nullptr, ERROR_OPERATION_ABORTED, (dwFlags & PURGE_RXABORT) != 0,
                 (dwFlags & PURGE_TXABORT) != 0, false);
    if (dwFlags & PURGE_RXCLEAR)
        m_input.clear();
    return TRUE;
}

BOOL FakeSerialDevice::ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::ClearCommError, hFile);
    record.pointer = lpStat;
    if (DWORD dwError = FaultFor(Call::ClearCommError, hFile))
        return Fail(lock, dwError);
    if (lpErrors)
        *lpErrors = m_dwErrors;
    m_dwErrors = 0;
    if (lpStat)
    {
        std::memset(lpStat, 0, sizeof(*lpStat));
        lpStat->cbInQue = static_cast<DWORD>(std::min<size_t>(m_input.size(), m_dwReportedInputLimit));
        for (const PendingWrite& write : m_writes)
            lpStat->cbOutQue += write.n;
    }
    return TRUE;
}

BOOL FakeSerialDevice::ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::ReadFile, hFile);
    record.args[0] = nNumberOfBytesToRead;
    record.pointer = lpOverlapped;
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    if (DWORD dwError = FaultFor(Call::ReadFile, hFile))
        return Fail(lock, dwError);
    BYTE* pDest = static_cast<BYTE*>(lpBuffer);
    if (lpOverlapped)
    {
        Start(lpOverlapped);
        if (m_input.empty() && m_emptyRead == EmptyRead::Pend)
        {
            m_reads.push_back({lpOverlapped, pDest, nNumberOfBytesToRead});
            m_changed.notify_all();
            return Fail(lock, ERROR_IO_PENDING);
        }
        const DWORD dwCount = TakeInput(pDest, nNumberOfBytesToRead);
        Complete(lpOverlapped, ERROR_SUCCESS, dwCount);
        if (lpNumberOfBytesRead)
            *lpNumberOfBytesRead = dwCount;
        return TRUE;
    }
    const DWORD dwCount = TakeInput(pDest, nNumberOfBytesToRead);
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = dwCount;
    return TRUE;
}

BOOL FakeSerialDevice::WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                 LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::WriteFile, hFile);
    record.args[0] = nNumberOfBytesToWrite;
    record.pointer = lpOverlapped;
    const BYTE* pSource = static_cast<const BYTE*>(lpBuffer);
    record.bytes.assign(reinterpret_cast<const char*>(pSource), nNumberOfBytesToWrite);
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    if (DWORD dwError = FaultFor(Call::WriteFile, hFile))
        return Fail(lock, dwError);
    const DWORD dwCarried = BytesWithinWriteTimeout(nNumberOfBytesToWrite);
    if (lpOverlapped)
    {
        Start(lpOverlapped);
        if (m_bWritesPend)
        {
            // The bytes are read when the write completes, as a driver would.
            m_writes.push_back({lpOverlapped, pSource, dwCarried});
            m_changed.notify_all();
            return Fail(lock, ERROR_IO_PENDING);
        }
        m_output.append(reinterpret_cast<const char*>(pSource), dwCarried);
        Complete(lpOverlapped, ERROR_SUCCESS, dwCarried);
        if (lpNumberOfBytesWritten)
            *lpNumberOfBytesWritten = dwCarried;
        WriteCompleted();
        return TRUE;
    }
    // The line's time passes outside the lock, so the device stays usable meanwhile.
    if (const DWORD dwMs = m_dwBlockingWriteTime)
    {
        lock.unlock();
        ::Sleep(dwMs);
        lock.lock();
    }
    // A blocking write that takes fewer bytes stands for one whose time-out ran out.
    const DWORD dwCount = std::min(dwCarried, m_dwBlockingWriteLimit);
    m_output.append(reinterpret_cast<const char*>(pSource), dwCount);
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = dwCount;
    WriteCompleted();
    return TRUE;
}

BOOL FakeSerialDevice::GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                                           LPDWORD lpNumberOfBytesTransferred, BOOL bWait)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::GetOverlappedResult, hFile);
    record.args[0] = bWait;
    record.pointer = lpOverlapped;
    if (DWORD dwError = FaultFor(Call::GetOverlappedResult, hFile))
        return Fail(lock, dwError);
    if (lpOverlapped->Internal == kPending)
    {
        if (!bWait)
            return Fail(lock, ERROR_IO_INCOMPLETE);
        lock.unlock();
        if (::WaitForSingleObject(lpOverlapped->hEvent, kHangGuardMs) != WAIT_OBJECT_0)
        {
            ::SetLastError(ERROR_TIMEOUT);
            return FALSE;
        }
        lock.lock();
    }
    *lpNumberOfBytesTransferred = static_cast<DWORD>(lpOverlapped->InternalHigh);
    if (lpOverlapped->Internal != ERROR_SUCCESS)
        return Fail(lock, static_cast<DWORD>(lpOverlapped->Internal));
    return TRUE;
}

DWORD FakeSerialDevice::GetLastError()
{
    const DWORD dwError = ::GetLastError();
    Lock lock(m_mutex);
    Log(Call::GetLastError, INVALID_HANDLE_VALUE).args[0] = dwError;
    lock.unlock();
    ::SetLastError(dwError);
    return dwError;
}

BOOL FakeSerialDevice::WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped)
{
    std::function<void()> before;
    {
        Lock lock(m_mutex);
        before.swap(m_beforeNextWait);
    }
    if (before)
        before();
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::WaitCommEvent, hFile);
    record.pointer = lpOverlapped;
    if (DWORD dwError = FaultFor(Call::WaitCommEvent, hFile))
        return Fail(lock, dwError);
    if (!lpOverlapped || m_dwMask == 0 || !m_waits.empty())
        return Fail(lock, ERROR_INVALID_PARAMETER);
    Start(lpOverlapped);
    if (m_dwHistory != 0)
    {
        *lpEvtMask = m_dwHistory;
        m_dwHistory = 0;
        Complete(lpOverlapped, ERROR_SUCCESS, sizeof(DWORD));
        return TRUE;
    }
    *lpEvtMask = 0;
    m_waits.push_back({lpOverlapped, lpEvtMask});
    m_changed.notify_all();
    return Fail(lock, ERROR_IO_PENDING);
}

BOOL FakeSerialDevice::SetCommMask(HANDLE hFile, DWORD dwEvtMask)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::SetCommMask, hFile);
    record.args[0] = dwEvtMask;
    if (DWORD dwError = FaultFor(Call::SetCommMask, hFile))
        return Fail(lock, dwError);
    m_dwMask = dwEvtMask;
    m_dwHistory &= dwEvtMask;
    for (const PendingWait& wait : m_waits)
    {
        *wait.pMask = 0;
        Complete(wait.pOv, ERROR_SUCCESS, sizeof(DWORD));
    }
    m_waits.clear();
    return TRUE;
}

BOOL FakeSerialDevice::GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat)
{
    Lock lock(m_mutex);
    Log(Call::GetCommModemStatus, hFile);
    if (DWORD dwError = FaultFor(Call::GetCommModemStatus, hFile))
        return Fail(lock, dwError);
    *lpModemStat = m_dwModemStatus;
    return TRUE;
}

BOOL FakeSerialDevice::EscapeCommFunction(HANDLE hFile, DWORD dwFunc)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::EscapeCommFunction, hFile);
    record.args[0] = dwFunc;
    if (DWORD dwError = FaultFor(Call::EscapeCommFunction, hFile))
        return Fail(lock, dwError);
    switch (dwFunc)
    {
    case SETDTR: m_bDtr = true; break;
    case CLRDTR: m_bDtr = false; break;
    case SETRTS: m_bRts = true; break;
    case CLRRTS: m_bRts = false; break;
    default: break; // the break and XON/XOFF functions change nothing the fake keeps
    }
    return TRUE;
}

BOOL FakeSerialDevice::ClearCommBreak(HANDLE hFile)
{
    Lock lock(m_mutex);
    Log(Call::ClearCommBreak, hFile);
    if (DWORD dwError = FaultFor(Call::ClearCommBreak, hFile))
        return Fail(lock, dwError);
    return TRUE;
}

BOOL FakeSerialDevice::FlushFileBuffers(HANDLE hFile)
{
    Lock lock(m_mutex);
    Log(Call::FlushFileBuffers, hFile);
    if (DWORD dwError = FaultFor(Call::FlushFileBuffers, hFile))
        return Fail(lock, dwError);
    lock.unlock();
    CompletePendingWrites(); // flushing waits until queued output is sent
    return TRUE;
}

BOOL FakeSerialDevice::CloseHandle(HANDLE hObject)
{
    Lock lock(m_mutex);
    Log(Call::CloseHandle, hObject);
    if (DWORD dwError = FaultFor(Call::CloseHandle, hObject))
        return Fail(lock, dwError);
    AbortPending(nullptr, ERROR_OPERATION_ABORTED, true, true, true);
    m_hOpen = INVALID_HANDLE_VALUE;
    return TRUE;
}

BOOL FakeSerialDevice::CancelIoEx(HANDLE hFile, LPOVERLAPPED lpOverlapped)
{
    Lock lock(m_mutex);
    CallRecord& record = Log(Call::CancelIoEx, hFile);
    record.pointer = lpOverlapped;
    if (DWORD dwError = FaultFor(Call::CancelIoEx, hFile))
        return Fail(lock, dwError);
    const size_t pending = m_reads.size() + m_writes.size() + m_waits.size();
    AbortPending(lpOverlapped, ERROR_OPERATION_ABORTED, true, true, true);
    if (pending == m_reads.size() + m_writes.size() + m_waits.size())
        return Fail(lock, ERROR_NOT_FOUND);
    return TRUE;
}
