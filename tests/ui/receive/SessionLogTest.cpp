// The session log: bytes reach the file exactly as given while the log is still open, failures
// come back with the file's name and the system's reason, and the offered file name.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "ui/receive/LogFlushSchedule.h"
#include "ui/receive/SessionLog.h"

namespace {

std::wstring TempFilePath(const wchar_t* pszName)
{
    wchar_t szFolder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, szFolder);
    return std::wstring(szFolder) + pszName + std::to_wstring(::GetCurrentProcessId());
}

std::string FileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD nRead = 0;
    while (::ReadFile(hFile, buffer, sizeof buffer, &nRead, nullptr) && nRead > 0)
        bytes.append(buffer, nRead);
    ::CloseHandle(hFile);
    return bytes;
}

// Polls until the condition holds or five seconds have passed.
template <typename Condition>
bool WaitFor(Condition condition)
{
    const ULONGLONG nEnd = ::GetTickCount64() + 5000;
    while (!condition()) {
        if (::GetTickCount64() > nEnd)
            return false;
        ::Sleep(5);
    }
    return true;
}

void Write(CSessionLog& log, const std::string& bytes)
{
    log.Write(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
}

class SessionLogTest : public ::testing::Test {
protected:
    void TearDown() override { ::DeleteFileW(path.c_str()); }

    const std::wstring path = TempFilePath(L"lumetra-log-test-");
};

TEST_F(SessionLogTest, BytesReachTheFileExactlyAsGivenBeforeTheLogCloses)
{
    const std::string first("AT\r\n\0\xFF", 6);
    const std::string second(100000, '\0');
    {
        HANDLE hOld = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD nWritten = 0;
        ::WriteFile(hOld, "old text", 8, &nWritten, nullptr);
        ::CloseHandle(hOld);
    }
    CSessionLog log;
    SessionLogError error;
    ASSERT_TRUE(log.Open(path.c_str(), error)) << error.dwError;
    EXPECT_EQ("", FileBytes(path)) << "an existing file is emptied";
    Write(log, first);
    EXPECT_TRUE(WaitFor([&] { return FileBytes(path) == first; })) << "not written while open";
    Write(log, second);
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    EXPECT_TRUE(FileBytes(path) == first + second);
    EXPECT_FALSE(log.TakeFailure(error));
}

TEST_F(SessionLogTest, FileThatCannotBeMadeIsReportedWithItsNameAndTheSystemsReason)
{
    const std::wstring folder = TempFilePath(L"lumetra-log-folder-");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const struct { std::wstring path; DWORD dwError; } cases[] = {
        { TempFilePath(L"no-such-folder-") + L"\\session.log", ERROR_PATH_NOT_FOUND },
        { folder, ERROR_ACCESS_DENIED },   // a folder is no file
    };
    for (const auto& c : cases) {
        CSessionLog log;
        SessionLogError error;
        EXPECT_FALSE(log.Open(c.path.c_str(), error));
        EXPECT_FALSE(log.IsOpen());
        EXPECT_EQ(c.path, error.strPath);
        EXPECT_EQ(c.dwError, error.dwError);
        EXPECT_EQ(SystemErrorText(c.dwError), error.strReason);
        EXPECT_NE(std::wstring::npos, error.strReason.find_first_not_of(L"0123456789 ")) << "no words from the system";
    }
    ::RemoveDirectoryW(folder.c_str());
}

// Writes through the system, until told to fail as a full disk does.
class FillingDisk : public LogFileApi {
public:
    HANDLE Create(LPCWSTR pszPath) override { return SystemLogFileApi().Create(pszPath); }
    BOOL Write(HANDLE hFile, const void* pBytes, DWORD nCount, DWORD* pnWritten) override
    {
        if (!bFull)
            return SystemLogFileApi().Write(hFile, pBytes, nCount, pnWritten);
        *pnWritten = 0;
        ::SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    BOOL Flush(HANDLE hFile) override
    {
        ::Sleep(nFlushMs);
        if (!bFlushFails)
            return SystemLogFileApi().Flush(hFile);
        ::SetLastError(ERROR_NOT_READY);   // a USB stick pulled
        return FALSE;
    }
    BOOL Close(HANDLE hFile) override { return SystemLogFileApi().Close(hFile); }

    std::atomic<bool> bFull{false};
    std::atomic<bool> bFlushFails{false};
    std::atomic<DWORD> nFlushMs{0};   // a network share that takes its time to fail
};

TEST_F(SessionLogTest, WriteThatFailsLaterIsReportedOnceAndWhatWasWrittenStays)
{
    FillingDisk disk;
    CSessionLog log(disk);
    SessionLogError error;
    ASSERT_TRUE(log.Open(path.c_str(), error));
    Write(log, "kept");
    ASSERT_TRUE(WaitFor([&] { return FileBytes(path) == "kept"; }));
    EXPECT_FALSE(log.TakeFailure(error));

    disk.bFull = true;
    Write(log, "lost");
    ASSERT_TRUE(WaitFor([&] { return log.TakeFailure(error); }));
    EXPECT_EQ(path, error.strPath);
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), error.dwError);
    EXPECT_EQ(SystemErrorText(ERROR_DISK_FULL), error.strReason);
    EXPECT_FALSE(log.TakeFailure(error)) << "reported once";

    disk.bFull = false;
    Write(log, "after");
    log.Close();
    EXPECT_EQ("kept", FileBytes(path));
}

TEST_F(SessionLogTest, FlushThatFailsAtCloseIsReportedOnceAfterIt)
{
    FillingDisk disk;
    CSessionLog log(disk);
    SessionLogError error;
    ASSERT_TRUE(log.Open(path.c_str(), error));
    disk.bFlushFails = true;
    Write(log, "last");
    log.Close();
    ASSERT_TRUE(log.TakeFailure(error)) << "the last flush failed unseen";
    EXPECT_EQ(path, error.strPath);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), error.dwError);
    EXPECT_FALSE(log.TakeFailure(error)) << "reported once";
    EXPECT_EQ("last", FileBytes(path));

    // A flush that fails after Close has stopped waiting: reported once the writer has ended.
    EXPECT_FALSE(log.IsFinishing());
    disk.nFlushMs = 1500;   // three times what Close waits
    ASSERT_TRUE(log.Open(path.c_str(), error));
    Write(log, "slow");
    log.Close();
    EXPECT_TRUE(log.IsFinishing());
    ASSERT_TRUE(WaitFor([&] { return !log.IsFinishing(); }));
    EXPECT_TRUE(log.TakeFailure(error)) << "the last flush failed unseen";
}

// Times in milliseconds of a fake clock.
TEST(LogFlushSchedule, FlushIsDueOneIntervalAfterTheFirstUnflushedWrite)
{
    CLogFlushSchedule flushes;
    EXPECT_EQ(INFINITE, flushes.WaitMs(0)) << "nothing written: no flush, no wake";
    flushes.Written(21);
    flushes.Written(500);
    flushes.Written(924);
    EXPECT_FALSE(flushes.IsDue(1020));
    EXPECT_EQ(1021u - 924u, flushes.WaitMs(924)) << "due a second after the first write, not the last";
    EXPECT_TRUE(flushes.IsDue(1021));
    EXPECT_EQ(0u, flushes.WaitMs(5000)) << "overdue";
    flushes.Flushed();
    EXPECT_FALSE(flushes.IsPending());
    EXPECT_EQ(INFINITE, flushes.WaitMs(5000));
    flushes.Written(7000);
    EXPECT_EQ(1000u, flushes.WaitMs(7000));
}

TEST(SessionLogName, OfferedNameCarriesTheDateAndTime)
{
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 1;
    time.wDay = 8;
    time.wHour = 7;
    time.wMinute = 5;
    time.wSecond = 9;
    time.wMilliseconds = 999;
    EXPECT_EQ(L"Lumetra_20260108_070509.log", SuggestDatedFileName(time, L"log"));
}

}  // namespace
