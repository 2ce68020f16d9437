// 200 Connect/Disconnect clicks while devsim streams into the port: no click hangs, data arrives
// in every connected spell, and the process ends with the handles and threads it had after a
// warm-up.
#include "tests/faults/FaultFixture.h"
#include "tests/pty/ProcessCensus.h"
#include "tests/support/WinePath.h"

#include <algorithm>

namespace {

constexpr int kCycles = 200;
// Cycles before the census that the end is compared with: Wine creates some objects of its own
// on first use (the first port opens, timers, the edit control's buffers).
constexpr int kWarmUpCycles = 10;
// Handles Wine may still create lazily after the warm-up; anything the port object leaked per
// cycle would show as 190 or more.
constexpr int kHandleSlack = 4;
constexpr int kDeviceCom = 15;   // devsim's COM number: the peer end of the first pair
constexpr DWORD kDevsimStartLimitMs = 30000;   // a new Wine process can take seconds
constexpr DWORD kStreamCommandTimeLimitMs = 10000;
constexpr DWORD kDataTimeLimitMs = 5000;

// devsim playing the device on a COM number, ended when the object goes.
class DevsimProcess {
public:
    explicit DevsimProcess(int nCom)
    {
        std::wstring commandLine = L"\"" + testsupport::WinePathOfUnixFile(DEVSIM_EXE) + L"\" --port " + std::to_wstring(nCom) + L" --no-status";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_process))
            m_process = {};
    }
    ~DevsimProcess()
    {
        if (m_process.hProcess == nullptr)
            return;
        ::TerminateProcess(m_process.hProcess, 0);
        ::WaitForSingleObject(m_process.hProcess, 10000);
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }
    DevsimProcess(const DevsimProcess&) = delete;
    DevsimProcess& operator=(const DevsimProcess&) = delete;

    bool IsRunning() const
    {
        return m_process.hProcess != nullptr && ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
    }

private:
    PROCESS_INFORMATION m_process = {};
};

struct Census {
    int nHandles;
    int nThreads;
};

// The least of a few readings: the test's own clicks finish on the dialog's thread a moment after
// the test has its answer, and their synchronisation objects go with them, so one reading may
// count a few handles that are already on their way out.
Census TakeCensus()
{
    constexpr int kReadings = 10;
    constexpr DWORD kReadingGapMs = 20;
    Census least = { ptytest::CountHandles(), ptytest::CountThreads() };
    for (int nReading = 1; nReading < kReadings; ++nReading) {
        ::Sleep(kReadingGapMs);
        least.nHandles = std::min(least.nHandles, ptytest::CountHandles());
        least.nThreads = std::min(least.nThreads, ptytest::CountThreads());
    }
    return least;
}

TEST_F(FaultTest, TwoHundredConnectCyclesWhileTheDeviceStreamsHangNothingAndLeakNothing)
{
    ASSERT_EQ("ok", m_control.Alias(kDeviceCom, kFirstCom));
    Peer(kFirstCom).Close();   // devsim plays the device on that end now
    Connect(kFirstCom);
    DevsimProcess devsim(kDeviceCom);
    ASSERT_TRUE(devsim.IsRunning());
    ASSERT_TRUE(WaitForReceiveTextContaining(L"devsim", kDevsimStartLimitMs)) << "no greeting from devsim";
    Host().SetText(IDC_SEND_EDIT, L"STREAM 1000000000 50000\r\n");
    Host().Click(IDC_SEND);
    ASSERT_TRUE(WaitForReceiveTextContaining(L"00000000 ", kStreamCommandTimeLimitMs)) << "devsim does not stream";
    Disconnect();

    Census start = {};
    Census connected = {};   // the census sees what one connection holds
    DWORD nWorstConnectMs = 0, nWorstDisconnectMs = 0, nWorstFirstDataMs = 0;
    const DWORD nReadBefore = BytesRead();
    const ULONGLONG nCyclesStart = ::GetTickCount64();
    for (int nCycle = 0; nCycle < kCycles; ++nCycle) {
        SCOPED_TRACE(testing::Message() << "cycle " << nCycle);
        if (nCycle == kWarmUpCycles)
            start = TakeCensus();

        nWorstConnectMs = std::max(nWorstConnectMs, TimedClick(IDC_CONNECT));
        ASSERT_EQ(L"断开", Host().Text(IDC_CONNECT));
        const DWORD nRead = BytesRead();
        const ULONGLONG nConnected = ::GetTickCount64();
        ASSERT_TRUE(WaitForBytesRead(nRead + 1, kDataTimeLimitMs)) << "no data while connected";
        nWorstFirstDataMs = std::max(nWorstFirstDataMs, static_cast<DWORD>(::GetTickCount64() - nConnected));
        if (nCycle == kWarmUpCycles)
            connected = TakeCensus();

        nWorstDisconnectMs = std::max(nWorstDisconnectMs, TimedClick(IDC_CONNECT));
        ASSERT_EQ(L"连接", Host().Text(IDC_CONNECT));
        // The user keeps the receive area short, so every cycle costs the same.
        Host().Click(IDC_CLEAR_RECEIVE);
    }
    const ULONGLONG nCyclesMs = ::GetTickCount64() - nCyclesStart;
    ASSERT_TRUE(devsim.IsRunning());

    // A worker that has been told to end may need a moment to leave the thread list.
    Census end = TakeCensus();
    dialog_host::WaitUntil([&] { return (end = TakeCensus()).nThreads <= start.nThreads; }, kWaitMs);
    Figure("%d connect/disconnect cycles in %llu ms; worst Connect %lu ms, worst Disconnect %lu ms, "
           "worst wait for the first data %lu ms; %lu bytes read in all",
           kCycles, nCyclesMs, nWorstConnectMs, nWorstDisconnectMs, nWorstFirstDataMs, BytesRead() - nReadBefore);
    Figure("after %d warm-up cycles: %d handles, %d threads (%d and %d while connected); after all %d cycles: "
           "%d handles, %d threads (handle slack allowed %d)",
           kWarmUpCycles, start.nHandles, start.nThreads, connected.nHandles, connected.nThreads, kCycles,
           end.nHandles, end.nThreads, kHandleSlack);
    ASSERT_GT(start.nHandles, 0) << "the handle table cannot be read";
    ASSERT_GT(connected.nThreads, start.nThreads) << "the census does not see the port's worker";
    ASSERT_GT(connected.nHandles, start.nHandles) << "the census does not see the port's handles";
    EXPECT_LE(end.nThreads, start.nThreads);
    EXPECT_LE(end.nHandles, start.nHandles + kHandleSlack);
}

}  // namespace
