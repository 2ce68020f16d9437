// "发送文件" against the fake device: one piece waits behind the one the port is sending, a stop
// hands nothing more, and a file that fails to open or to read half-way is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/FakeSerialDevice.h"
#include "ui/send/FileSender.h"

namespace {

using Call = FakeSerialDevice::Call;
using Progress = CFileSender::Progress;

constexpr DWORD kPiece = 100;
constexpr DWORD kPatience = 5000;

std::string Pattern(size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    return bytes;
}

// A file in memory; its reads can be made to fail from a given one on.
class MemoryFile : public SendFileApi {
public:
    explicit MemoryFile(std::string bytes) : m_bytes(std::move(bytes)) {}

    HANDLE Open(LPCWSTR /*pszPath*/) override
    {
        if (m_dwOpenError != 0) {
            ::SetLastError(m_dwOpenError);
            return INVALID_HANDLE_VALUE;
        }
        ++m_nOpen;
        m_nAt = 0;
        return kHandle;
    }
    BOOL GetSize(HANDLE hFile, LARGE_INTEGER* pSize) override
    {
        pSize->QuadPart = static_cast<LONGLONG>(m_bytes.size());
        return hFile == kHandle;
    }
    BOOL Read(HANDLE hFile, void* pBytes, DWORD nCount, DWORD* pnRead) override
    {
        if (hFile != kHandle || m_nOpen != 1)
            return FALSE;
        if (++m_nReads >= m_nFailingRead) {
            ::SetLastError(ERROR_CRC);
            return FALSE;
        }
        *pnRead = static_cast<DWORD>(std::min<size_t>(nCount, m_bytes.size() - m_nAt));
        m_bytes.copy(static_cast<char*>(pBytes), *pnRead, m_nAt);
        m_nAt += *pnRead;
        return TRUE;
    }
    BOOL Close(HANDLE hFile) override
    {
        m_nOpen -= hFile == kHandle ? 1 : 0;
        return TRUE;
    }

    bool IsOpen() const { return m_nOpen != 0; }
    int m_nFailingRead = 1 << 30;   // the first read that fails, counted from 1
    DWORD m_dwOpenError = 0;

private:
    const HANDLE kHandle = reinterpret_cast<HANDLE>(0x5E4D);
    std::string m_bytes;
    size_t m_nAt = 0;
    int m_nOpen = 0;
    int m_nReads = 0;
};

class FileSenderTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
        ASSERT_TRUE(link.Open(4));
        device.ClearCalls();
    }
    // The write in flight completes, having carried at most nMostCarried bytes (fewer: its
    // time-out ended it); the port object notices on a pool thread of its own and hands the
    // device the next write waiting, if any.
    void LineSendsTheWriteGoingOut(DWORD nMostCarried = MAXDWORD)
    {
        const DWORD nPending = link.PendingWriteBytes();
        ASSERT_NE(0u, nPending);
        device.CompletePendingWrites(nMostCarried);
        const ULONGLONG nEnd = ::GetTickCount64() + kPatience;
        while (link.PendingWriteBytes() == nPending && ::GetTickCount64() < nEnd)
            ::Sleep(1);
        ASSERT_LT(link.PendingWriteBytes(), nPending);
    }

    // Starts the file with the line busy: the first pump hands over the first two pieces.
    void StartWithTheLineBusy(CFileSender& sender)
    {
        ASSERT_TRUE(sender.Start(L"C:\\data.bin", kPiece, error));
        device.SetWritesPend(true);
        EXPECT_EQ(Progress::Sending, sender.Pump(link, 8, nTaken, error));
    }

    FakeSerialDevice device;
    CSerialLink link{device};
    ULONGLONG nTaken = 0;
    FileSendError error;
};

TEST_F(FileSenderTest, OnePieceWaitsBehindTheOneGoingOutUntilTheFileIsSentExactly)
{
    const std::string bytes = Pattern(3 * kPiece + 42);
    MemoryFile file(bytes);
    CFileSender sender(file);
    ASSERT_TRUE(sender.Start(L"C:\\data.bin", kPiece, error));
    EXPECT_EQ(bytes.size(), sender.FileSize());
    device.SetWritesPend(true);

    // Handed after each pump, the line sending one write at a time: never more than two pieces
    // ahead of it, and the send not finished while the last piece is still going out.
    const ULONGLONG handed[] = { 2 * kPiece, 3 * kPiece, 3 * kPiece + 42, 3 * kPiece + 42 };
    for (const ULONGLONG nHanded : handed) {
        EXPECT_EQ(Progress::Sending, sender.Pump(link, 8, nTaken, error));
        EXPECT_EQ(nHanded, nTaken);
        EXPECT_LE(link.PendingWriteBytes(), 2 * kPiece);
        LineSendsTheWriteGoingOut();
    }
    EXPECT_EQ(Progress::Finished, sender.Pump(link, 8, nTaken, error));
    EXPECT_FALSE(sender.IsSending());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(bytes == device.Output()) << "the far end differs";
    EXPECT_EQ(bytes.size(), sender.BytesSent());

    // A line that takes each piece at once still gets at most the pieces one pump may hand over.
    MemoryFile again(bytes);
    CFileSender fast(again);
    ASSERT_TRUE(fast.Start(L"C:\\data.bin", kPiece, error));
    device.SetWritesPend(false);
    device.ClearCalls();
    EXPECT_EQ(Progress::Sending, fast.Pump(link, 2, nTaken, error));
    EXPECT_EQ(2u, device.CountCalls(Call::WriteFile));
}

TEST_F(FileSenderTest, StopHandsNothingMoreAndClosesTheFile)
{
    MemoryFile file(Pattern(5 * kPiece));
    CFileSender sender(file);
    ASSERT_NO_FATAL_FAILURE(StartWithTheLineBusy(sender));
    sender.Stop();
    EXPECT_FALSE(file.IsOpen());
    LineSendsTheWriteGoingOut();
    LineSendsTheWriteGoingOut();
    EXPECT_EQ(0u, link.PendingWriteBytes());
    EXPECT_EQ(Progress::Finished, sender.Pump(link, 8, nTaken, error));
    EXPECT_EQ(2u, device.CountCalls(Call::WriteFile));
    EXPECT_EQ(Pattern(2 * kPiece), device.Output()) << "only the pieces handed before the stop";
}

TEST_F(FileSenderTest, AFileThatCannotBeOpenedOrReadIsReportedWithItsNameAndTheSystemsCode)
{
    MemoryFile missing(Pattern(10));
    missing.m_dwOpenError = ERROR_FILE_NOT_FOUND;
    CFileSender sender(missing);
    EXPECT_FALSE(sender.Start(L"C:\\missing.bin", kPiece, error));
    EXPECT_EQ(L"C:\\missing.bin", error.strPath);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error.dwError);
    EXPECT_FALSE(sender.IsSending());

    MemoryFile failing(Pattern(5 * kPiece));
    failing.m_nFailingRead = 3;
    CFileSender halfway(failing);
    ASSERT_TRUE(halfway.Start(L"C:\\bad-sector.bin", kPiece, error));
    error = FileSendError();
    EXPECT_EQ(Progress::ReadFailed, halfway.Pump(link, 8, nTaken, error));
    EXPECT_EQ(L"C:\\bad-sector.bin", error.strPath);
    EXPECT_EQ(static_cast<DWORD>(ERROR_CRC), error.dwError);
    EXPECT_FALSE(failing.IsOpen());
    EXPECT_EQ(Pattern(2 * kPiece), device.Output()) << "what was read before the failure went";
    EXPECT_EQ(2u * kPiece, nTaken);
}

// A port that takes nothing (a device pulled out) ends the send instead of retrying every tick.
TEST_F(FileSenderTest, APortThatRefusesAPieceEndsTheSend)
{
    MemoryFile file(Pattern(5 * kPiece));
    CFileSender sender(file);
    ASSERT_TRUE(sender.Start(L"C:\\data.bin", kPiece, error));
    EXPECT_EQ(Progress::Sending, sender.Pump(link, 1, nTaken, error));
    device.RemoveDevice();
    EXPECT_EQ(Progress::PortRefused, sender.Pump(link, 8, nTaken, error));
    EXPECT_FALSE(sender.IsSending());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(kPiece, nTaken) << "only what the port took counts";
}

// A write that its time-out ended (the far end stopped reading) left bytes unsent: the send stops
// and says how many, instead of going on with a hole in the file and ending as if whole.
TEST_F(FileSenderTest, BytesAStalledLineLeftUnsentStopTheSendAndAreNotCounted)
{
    MemoryFile file(Pattern(5 * kPiece));
    CFileSender sender(file);
    ASSERT_NO_FATAL_FAILURE(StartWithTheLineBusy(sender));
    LineSendsTheWriteGoingOut(30);

    EXPECT_EQ(Progress::BytesUnsent, sender.Pump(link, 8, nTaken, error));
    EXPECT_EQ(kPiece - 30, error.nUnsent);
    EXPECT_EQ(L"C:\\data.bin", error.strPath);
    EXPECT_FALSE(sender.IsSending());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(kPiece + 30, sender.BytesSent()) << "the second piece, still going out, and what the first carried";
    EXPECT_EQ(2u, device.CountCalls(Call::WriteFile)) << "nothing handed after the stall";
}

TEST(FilePieceBytes, AboutATenthOfASecondOfTheLineWithinBounds)
{
    const struct { DWORD nBaud; DWORD nBytes; } cases[] = {
        { 110, kSmallestFilePiece }, { 9600, 96 }, { 115200, 1152 }, { 3000000, kLargestFilePiece },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.nBytes, FilePieceBytes(c.nBaud)) << c.nBaud;
}

}  // namespace
