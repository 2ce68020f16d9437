#include "engine/SerialLink.h"
#include "engine/DrainWait.h"
#include "engine/SystemSerialPortApi.h"
#include "engine/WriteTimeout.h"

#include <cstring>

namespace
{
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kThreadBits =
    CSerialLink::MODE_MONITOR_THREAD | CSerialLink::MODE_RX_THREAD | CSerialLink::MODE_TX_THREAD;
constexpr DWORD kFlushBits = CSerialLink::MODE_FLUSH_ON_CLOSE | CSerialLink::MODE_DRAIN_ON_CLOSE;
} // namespace

CSerialLink::CSerialLink() : CSerialLink(SystemSerialPortApi::Instance()) {}

CSerialLink::CSerialLink(ISerialPortApi& api) : m_bRunning(false), m_pApi(&api)
{
    CSerialLink::Init();
    m_dwMode = MODE_DEFAULT;
}

CSerialLink::~CSerialLink()
{
    if (IsOpen())
        CSerialLink::Close(STOP_WAIT);
    // A worker that could be neither stopped nor ended still uses the events and buffers:
    // wait for it rather than free them under it. Workers end within their bounded passes.
    for (HANDLE hThread : {m_hMonitorThread, m_hReceiveThread, m_hTransmitThread})
    {
        if (hThread)
        {
            ::WaitForSingleObject(hThread, INFINITE);
            ::CloseHandle(hThread);
        }
    }
    CSerialLink::Release();
}

void CSerialLink::Init()
{
    ::InitializeCriticalSection(&m_csGeneral);
    std::memset(m_szPortName, 0, sizeof(m_szPortName));
    std::memset(&m_dcb, 0, sizeof(m_dcb));
    m_dcb.DCBlength = sizeof(DCB);
    m_dwBytesRead = 0;
    m_dwBytesWritten = 0;
    m_dwEventMask = DEFAULT_EVENT_MASK;
    m_hMonitorThread = m_hReceiveThread = m_hTransmitThread = nullptr;
    m_dwMonitorThreadId = m_dwReceiveThreadId = m_dwTransmitThreadId = 0;
    m_hNotifyWnd = nullptr;
    m_dwRxThreshold = 0;
    m_dwNotifyThreadId = 0;
    m_pScratch = nullptr;
    m_hPort = INVALID_HANDLE_VALUE;
    m_nPort = -1;
    std::memset(&m_olRead, 0, sizeof(m_olRead));
    std::memset(&m_olWrite, 0, sizeof(m_olWrite));
    std::memset(&m_olWait, 0, sizeof(m_olWait));
    m_olRead.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_olWrite.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_olWait.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hMonitorWake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hReceiveWake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hTransmitWake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

    m_bStopping = false;
    m_bWorkersSuspended = false;
    m_dwTransmitInFlight = 0;
    m_dwKeptErrors = 0;
    ::InitializeCriticalSection(&m_csTransmit);
    m_bStagedWritePending = false;
    m_pStagedBlock = nullptr;
    m_dwInQueue = QUEUE_SIZE;
    m_dwRxBound = 0;
    m_dwRxOverflow = 0;
    m_nRxLastFill = 0;
    m_nRxLastEmpty = 0;
}

void CSerialLink::Release()
{
    for (HANDLE hEvent : {m_olRead.hEvent, m_olWrite.hEvent, m_olWait.hEvent, m_hMonitorWake,
                          m_hReceiveWake, m_hTransmitWake})
    {
        if (hEvent)
            ::CloseHandle(hEvent);
    }
    delete[] m_pScratch;
    ::DeleteCriticalSection(&m_csGeneral);
    ::DeleteCriticalSection(&m_csTransmit);
}

bool CSerialLink::SetMode(DWORD dwMode)
{
    if (IsOpen())
        return false;
    m_dwMode = dwMode;
    return true;
}

bool CSerialLink::Open(int nPort)
{
    if (nPort < 1 || nPort > 1024)
        return false;
    // Every event is needed by some road; refuse to run with one missing.
    for (HANDLE hEvent : {m_olRead.hEvent, m_olWrite.hEvent, m_olWait.hEvent, m_hMonitorWake,
                          m_hReceiveWake, m_hTransmitWake})
    {
        if (!hEvent)
            return false;
    }
    m_nPort = nPort;
    ::wsprintfW(m_szPortName, L"\\\\.\\COM%d", nPort);
    if (!CreatePort())
        return false;
    if (!SetupPort())
    {
        Close(STOP_WAIT);
        return false;
    }
    if ((m_dwMode & kThreadBits) && !StartWorkers())
    {
        Close(STOP_WAIT);
        return false;
    }
    return true;
}

bool CSerialLink::CreatePort()
{
    if (IsOpen())
        Close(STOP_WAIT);
    DWORD dwFlags = FILE_ATTRIBUTE_NORMAL;
    if (m_dwMode & MODE_OVERLAPPED)
        dwFlags |= FILE_FLAG_OVERLAPPED;
    m_hPort = m_pApi->CreateFileW(m_szPortName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, dwFlags, nullptr);
    return IsOpen();
}

bool CSerialLink::SetupPort()
{
    if (!IsOpen())
        return false;
    if (!m_pApi->SetupComm(m_hPort, QUEUE_SIZE, QUEUE_SIZE))
        return false;
    m_dwInQueue = QUEUE_SIZE;   // no worker runs yet: no lock needed
    if (!m_pApi->GetCommTimeouts(m_hPort, &m_timeouts))
        return false;
    const bool bOverlapped = (m_dwMode & MODE_OVERLAPPED) != 0;
    m_timeouts.ReadIntervalTimeout = 100;
    m_timeouts.ReadTotalTimeoutMultiplier = 0;
    m_timeouts.ReadTotalTimeoutConstant = bOverlapped ? 500 : 250;
    m_timeouts.WriteTotalTimeoutMultiplier = bOverlapped ? kLeastWriteMsPerByte : 0;
    m_timeouts.WriteTotalTimeoutConstant = bOverlapped ? 10000 : 250;
    if (!m_pApi->SetCommTimeouts(m_hPort, &m_timeouts))
        return false;
    return m_pApi->PurgeComm(m_hPort, kPurgeAll) != FALSE;
}

bool CSerialLink::ApplyPortState(DCB dcb)
{
    if (!IsOpen() || !m_pApi->SetCommState(m_hPort, &dcb))
        return false;
    return FitWriteTimeoutToLine(dcb);
}

// A write ends at its total time-out with what has gone out by then, and on the overlapped road
// it has already counted as sent in full: the per-byte allowance must cover a byte's time at the
// line's rate. The blocking road keeps its short fixed time-out: its writes report what they
// wrote, and a drain that goes on attempt by attempt can stop between them.
bool CSerialLink::FitWriteTimeoutToLine(const DCB& dcb)
{
    if (!(m_dwMode & MODE_OVERLAPPED))
        return true;
    const DWORD dwMsPerByte = WriteMsPerByte(dcb);
    if (dwMsPerByte == m_timeouts.WriteTotalTimeoutMultiplier)
        return true;
    COMMTIMEOUTS timeouts = m_timeouts;
    timeouts.WriteTotalTimeoutMultiplier = dwMsPerByte;
    if (!m_pApi->SetCommTimeouts(m_hPort, &timeouts))
        return false;
    m_timeouts = timeouts;
    return true;
}

void CSerialLink::Close(DWORD dwWait)
{
    if (!IsOpen())
        return;
    StopWorkers(dwWait);
    if (m_dwMode & kFlushBits)
    {
        // Direct writes still waiting their turn are part of the output to flush: let the queue
        // hand them to the port first (bounded; the port may no longer take data).
        WaitWhileShrinking([this] { return m_directWrites.OutstandingBytes(); }, [] { return true; });
        m_pApi->FlushFileBuffers(m_hPort);
    }
    FinishDirectWritesOnClose();
    m_pApi->PurgeComm(m_hPort, kPurgeAll);
    FinishStagedWriteOnClose();
    m_pApi->CloseHandle(m_hPort);
    m_hPort = INVALID_HANDLE_VALUE;
    m_dwKeptErrors = 0;   // the next port's errors are its own
}
