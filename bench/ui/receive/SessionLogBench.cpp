// The window thread's cost of logging a long session, in chunks of one Read (1023 bytes), handed
// to CSessionLog (a copy into its buffer; its writer thread does the disk) against WriteFile per
// chunk on the calling thread: 8 MiB to a local file, and 256 KiB to a disk that takes 20 ms per
// write (a stalling USB stick or network drive). Prints mean and worst microseconds per chunk
// and their ratios in this run; the worst case is what a user would feel as a held window.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/receive/SessionLog.h"

namespace {

constexpr DWORD kChunk = 1023;
constexpr DWORD kLocalTotal = 8 * 1024 * 1024;
constexpr DWORD kSlowTotal = 256 * 1024;
constexpr DWORD kSlowWriteMillis = 20;

// The system's calls, each write held up first.
class SlowDisk : public LogFileApi {
public:
    HANDLE Create(LPCWSTR pszPath) override { return SystemLogFileApi().Create(pszPath); }
    BOOL Write(HANDLE hFile, const void* pBytes, DWORD nCount, DWORD* pnWritten) override
    {
        ::Sleep(kSlowWriteMillis);
        return SystemLogFileApi().Write(hFile, pBytes, nCount, pnWritten);
    }
    BOOL Flush(HANDLE hFile) override { return SystemLogFileApi().Flush(hFile); }
    BOOL Close(HANDLE hFile) override { return SystemLogFileApi().Close(hFile); }
};

struct Figures {
    double dMeanMicros;
    double dWorstMicros;
};

template <typename WriteChunk>
Figures Measure(DWORD nTotal, WriteChunk writeChunk)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<BYTE> chunk(kChunk);
    for (DWORD i = 0; i < kChunk; ++i)
        chunk[i] = static_cast<BYTE>(i * 7);
    double dSum = 0;
    double dWorst = 0;
    DWORD nChunks = 0;
    for (DWORD nDone = 0; nDone < nTotal; nDone += kChunk, ++nChunks) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        writeChunk(chunk.data(), kChunk);
        ::QueryPerformanceCounter(&end);
        const double dMicros = 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        dSum += dMicros;
        dWorst = std::max(dWorst, dMicros);
    }
    return { dSum / nChunks, dWorst };
}

// Both ways over one disk; false when a file cannot be made.
bool Compare(const wchar_t* pszDisk, LogFileApi& api, DWORD nTotal, const std::wstring& folder)
{
    const std::wstring logPath = folder + L"bench-session-log.bin";
    const std::wstring directPath = folder + L"bench-direct-write.bin";

    HANDLE hDirect = api.Create(directPath.c_str());
    if (hDirect == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"cannot create %ls\n", directPath.c_str());
        return false;
    }
    const Figures direct = Measure(nTotal, [&api, hDirect](const BYTE* pBytes, DWORD nCount) {
        DWORD nWritten = 0;
        api.Write(hDirect, pBytes, nCount, &nWritten);
    });
    api.Close(hDirect);

    CSessionLog log(api);
    SessionLogError error;
    if (!log.Open(logPath.c_str(), error)) {
        std::fwprintf(stderr, L"cannot create %ls: %ls\n", logPath.c_str(), error.strReason.c_str());
        return false;
    }
    const Figures logged = Measure(nTotal, [&log](const BYTE* pBytes, DWORD nCount) { log.Write(pBytes, nCount); });
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    log.Close();
    ::QueryPerformanceCounter(&end);
    const double dCloseMillis = 1e3 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);

    std::wprintf(L"%ls, %lu KiB: microseconds per chunk on the calling thread\n", pszDisk, nTotal / 1024);
    std::wprintf(L"  WriteFile per chunk:  mean %9.1f  worst %9.1f\n", direct.dMeanMicros, direct.dWorstMicros);
    std::wprintf(L"  session log (thread): mean %9.1f  worst %9.1f   (ratio mean %.3f, worst %.3f); Close %.1f ms\n",
                 logged.dMeanMicros, logged.dWorstMicros, logged.dMeanMicros / direct.dMeanMicros,
                 logged.dWorstMicros / direct.dWorstMicros, dCloseMillis);
    ::DeleteFileW(logPath.c_str());
    ::DeleteFileW(directPath.c_str());
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    wchar_t szFolder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, szFolder);
    const std::wstring folder = argc > 1 ? std::wstring(argv[1]) + L"\\" : szFolder;
    SlowDisk slowDisk;
    return Compare(L"local file", SystemLogFileApi(), kLocalTotal, folder) &&
                   Compare(L"disk taking 20 ms per write", slowDisk, kSlowTotal, folder)
               ? 0
               : 1;
}
