#include "ui/receive/SessionLog.h"

#include <process.h>

#include <cwchar>

#include "engine/CriticalSectionGuard.h"
#include "engine/SerialLink.h"

#include "ui/receive/LogFlushSchedule.h"

// Shared by the window thread and the writer; lives until both have let it go.
struct CSessionLog::State {
    State(LogFileApi& api, HANDLE hFile, const std::wstring& strPath)
        : api(api), hFile(hFile), strPath(strPath)
    {
        ::InitializeCriticalSection(&lock);
    }
    ~State()
    {
        ::DeleteCriticalSection(&lock);
        if (hWake != nullptr)
            ::CloseHandle(hWake);
    }

    LogFileApi& api;
    const HANDLE hFile;             // written and closed by the writer alone
    const std::wstring strPath;
    HANDLE hWake = nullptr;         // auto-reset: bytes wait, or the log closes
    CRITICAL_SECTION lock;          // guards the three below
    std::string waiting;            // appended by the window thread, taken by the writer
    bool bClosing = false;          // set by the window thread
    DWORD dwFailure = 0;            // set by the writer: the first failed write's error
};

CSessionLog::CSessionLog(LogFileApi& api) : m_api(api)
{
}

CSessionLog::~CSessionLog()
{
    Close();
    if (m_hFinishing != nullptr)
        ::CloseHandle(m_hFinishing);   // it ends by itself, with its own share of the state
}

bool CSessionLog::Open(LPCWSTR pszPath, SessionLogError& error)
{
    Close();
    error = SessionLogError();
    error.strPath = pszPath;

    m_state.reset();
    const HANDLE hFile = m_api.Create(pszPath);
    if (hFile == INVALID_HANDLE_VALUE) {
        error.dwError = ::GetLastError();
        error.strReason = SystemErrorText(error.dwError);
        return false;
    }
    auto state = std::make_shared<State>(m_api, hFile, error.strPath);
    state->hWake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    DWORD dwError = ::GetLastError();
    // The writer owns one reference, handed over through the thread's parameter.
    auto* pWriterRef = new std::shared_ptr<State>(state);
    if (state->hWake != nullptr) {
        m_hWriter = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &WriterMain, pWriterRef, 0, nullptr));
        dwError = ::GetLastError();
    }
    if (m_hWriter == nullptr) {
        delete pWriterRef;
        m_api.Close(hFile);
        error.dwError = dwError;
        error.strReason = SystemErrorText(dwError);
        return false;
    }
    m_state = state;
    m_bFailureTaken = false;
    return true;
}

void CSessionLog::Write(const BYTE* pBytes, DWORD nCount)
{
    if (!IsOpen() || nCount == 0)
        return;
    bool bWake = false;
    {
        CriticalSectionGuard guard(m_state->lock);
        if (m_state->dwFailure != 0)
            return;
        // The writer is woken once for what piles up while it writes.
        bWake = m_state->waiting.empty();
        m_state->waiting.append(reinterpret_cast<const char*>(pBytes), nCount);
    }
    if (bWake)
        ::SetEvent(m_state->hWake);
}

bool CSessionLog::TakeFailure(SessionLogError& error)
{
    if (m_state == nullptr || m_bFailureTaken)
        return false;
    DWORD dwFailure = 0;
    {
        CriticalSectionGuard guard(m_state->lock);
        dwFailure = m_state->dwFailure;
    }
    if (dwFailure == 0)
        return false;
    m_bFailureTaken = true;
    error.strPath = m_state->strPath;
    error.dwError = dwFailure;
    error.strReason = SystemErrorText(dwFailure);
    return true;
}

void CSessionLog::Close()
{
    if (!IsOpen())
        return;
    {
        CriticalSectionGuard guard(m_state->lock);
        m_state->bClosing = true;
    }
    ::SetEvent(m_state->hWake);
    if (m_hFinishing != nullptr)
        ::CloseHandle(m_hFinishing);   // an earlier log's: its failure can no longer be asked for
    m_hFinishing = m_hWriter;
    m_hWriter = nullptr;
    ::WaitForSingleObject(m_hFinishing, CSerialLink::STOP_WAIT);
    IsFinishing();
}

bool CSessionLog::IsFinishing()
{
    if (m_hFinishing != nullptr && ::WaitForSingleObject(m_hFinishing, 0) != WAIT_TIMEOUT) {
        ::CloseHandle(m_hFinishing);
        m_hFinishing = nullptr;
    }
    return m_hFinishing != nullptr;
}

unsigned __stdcall CSessionLog::WriterMain(void* pParameter)
{
    std::shared_ptr<State> state;
    {
        std::unique_ptr<std::shared_ptr<State>> pRef(static_cast<std::shared_ptr<State>*>(pParameter));
        state.swap(*pRef);
    }
    std::string batch;
    bool bClosing = false;
    bool bFailed = false;
    CLogFlushSchedule flushes;
    while (!bClosing) {
        ::WaitForSingleObject(state->hWake, flushes.WaitMs(::GetTickCount64()));
        {
            CriticalSectionGuard guard(state->lock);
            batch.swap(state->waiting);
            bClosing = state->bClosing;
        }
        DWORD dwError = 0;
        for (size_t nDone = 0; dwError == 0 && nDone < batch.size();) {
            DWORD nWritten = 0;
            const BOOL bWritten = state->api.Write(state->hFile, batch.data() + nDone,
                                                   static_cast<DWORD>(batch.size() - nDone), &nWritten);
            dwError = bWritten ? 0 : ::GetLastError();
            if (bWritten && nWritten == 0)
                dwError = ERROR_WRITE_FAULT;
            nDone += nWritten;
        }
        const ULONGLONG nNow = ::GetTickCount64();
        if (!batch.empty())
            flushes.Written(nNow);
        batch.clear();
        if (dwError == 0 && (flushes.IsDue(nNow) || (bClosing && flushes.IsPending()))) {
            if (!state->api.Flush(state->hFile))
                dwError = ::GetLastError();
            flushes.Flushed();
        }
        if (dwError != 0 && !bFailed) {
            bFailed = true;
            CriticalSectionGuard guard(state->lock);
            state->dwFailure = dwError;
        }
    }
    state->api.Close(state->hFile);
    return 0;
}

std::wstring SystemErrorText(DWORD dwError)
{
    wchar_t szText[512] = L"";
    DWORD nLength = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                     dwError, 0, szText, 512, nullptr);
    while (nLength > 0 && (szText[nLength - 1] == L'\r' || szText[nLength - 1] == L'\n' || szText[nLength - 1] == L' '))
        --nLength;
    if (nLength == 0)
        return L"错误 " + std::to_wstring(dwError);
    return std::wstring(szText, nLength);
}

std::wstring SuggestDatedFileName(const SYSTEMTIME& localTime, LPCWSTR pszExtension)
{
    wchar_t szName[64];
    std::swprintf(szName, 64, L"Lumetra_%04u%02u%02u_%02u%02u%02u.", localTime.wYear,
                  localTime.wMonth, localTime.wDay, localTime.wHour, localTime.wMinute, localTime.wSecond);
    return szName + std::wstring(pszExtension);
}
