#include "tests/engine/LinkUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using Call = FakeSerialDevice::Call;

namespace
{
std::vector<Call> Sequence(FakeSerialDevice& device, std::vector<Call> ignore = {Call::GetLastError})
{
    std::vector<Call> sequence;
    for (Call call : device.CallSequence())
    {
        if (std::find(ignore.begin(), ignore.end(), call) == ignore.end())
            sequence.push_back(call);
    }
    return sequence;
}

// A link whose worker loops only report that they ran (on which thread, at which priority,
// whether the running flag was set) and then wait for the stop request.
class WorkerProbeLink : public LinkUnderTest
{
public:
    using LinkUnderTest::LinkUnderTest;
    // The loops use the members below: stop them while those still exist.
    ~WorkerProbeLink() override
    {
        Close(STOP_WAIT);
        CloseHandle(m_ran);
    }

    struct Run
    {
        std::string loop;
        int priority;
        bool running;
    };

    std::vector<Run> Runs()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_runs;
    }
    bool WaitForRuns(size_t count, DWORD dwTimeoutMs)
    {
        const DWORD start = GetTickCount();
        while (Runs().size() < count)
        {
            if (GetTickCount() - start > dwTimeoutMs)
                return false;
            WaitForSingleObject(m_ran, 50);
        }
        return true;
    }

    unsigned MonitorLoopOverlapped() override { return Probe("MonitorLoopOverlapped", m_hMonitorWake); }
    unsigned MonitorLoopPolled() override { return Probe("MonitorLoopPolled", m_hMonitorWake); }
    unsigned ReceiveLoop() override { return Probe("ReceiveLoop", m_hReceiveWake); }
    unsigned TransmitLoop() override { return Probe("TransmitLoop", m_hTransmitWake); }

private:
    unsigned Probe(const char* loop, HANDLE hWake)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_runs.push_back({loop, GetThreadPriority(GetCurrentThread()), m_bRunning.load()});
        }
        SetEvent(m_ran);
        while (m_bRunning)
            WaitForSingleObject(hWake, INFINITE);
        // Sampled again at the end: the priority is raised once all workers are created.
        std::lock_guard<std::mutex> lock(m_mutex);
        for (Run& run : m_runs)
        {
            if (run.loop == loop)
                run.priority = GetThreadPriority(GetCurrentThread());
        }
        return 0;
    }

    std::mutex m_mutex;
    std::vector<Run> m_runs;
    HANDLE m_ran = CreateEventW(nullptr, FALSE, FALSE, nullptr);
};

std::vector<std::string> LoopNames(const std::vector<WorkerProbeLink::Run>& runs)
{
    std::vector<std::string> names;
    for (const auto& run : runs)
        names.push_back(run.loop);
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST(SerialLinkLifecycle, ConstructionDefaults)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    EXPECT_EQ(3u, link.Mode());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(-1, link.PortNumber());
    EXPECT_EQ(0u, link.ReceiveBuffer().Size());
    EXPECT_EQ(1024u, link.ReceiveBuffer().m_dwMinBlock);
    EXPECT_EQ(1024u, link.TransmitBuffer().m_dwMinBlock);
    EXPECT_EQ(nullptr, link.ReadPortState());
    EXPECT_FALSE(link.ApplyPortState(DCB{}));
    EXPECT_TRUE(device.Calls().empty());
}

TEST(SerialLinkLifecycle, OpenOverlappedMakesTheExactCalls)
{
    FakeSerialDevice device;
    WorkerProbeLink link(device);
    ASSERT_TRUE(link.Open(3));
    const auto calls = device.Calls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(Call::CreateFileW, calls[0].call);
    EXPECT_EQ(L"\\\\.\\COM3", calls[0].path);
    EXPECT_EQ(0xC0000000u, calls[0].args[0]);
    EXPECT_EQ(0u, calls[0].args[1]);
    EXPECT_EQ(static_cast<DWORD>(OPEN_EXISTING), calls[0].args[2]);
    EXPECT_EQ(0x40000080u, calls[0].args[3]);
    EXPECT_EQ(Call::SetupComm, calls[1].call);
    EXPECT_EQ(4096u, calls[1].args[0]);
    EXPECT_EQ(4096u, calls[1].args[1]);
    EXPECT_EQ(Call::GetCommTimeouts, calls[2].call);
    EXPECT_EQ(Call::SetCommTimeouts, calls[3].call);
    const COMMTIMEOUTS& t = calls[3].timeouts;
    EXPECT_EQ((std::vector<DWORD>{100, 0, 500, 1, 10000}),
              (std::vector<DWORD>{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                                  t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                                  t.WriteTotalTimeoutConstant}));
    EXPECT_EQ(Call::PurgeComm, calls[4].call);
    EXPECT_EQ(15u, calls[4].args[0]);
    EXPECT_EQ(5u, calls.size()) << "Open itself sets no event mask or line settings";
    EXPECT_EQ(3, link.PortNumber());
    EXPECT_TRUE(link.IsOpen());
}

TEST(SerialLinkLifecycle, OpenBlockingUsesBlockingFlagsAndTimeouts)
{
    FakeSerialDevice device;
    WorkerProbeLink link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_MONITOR_THREAD));
    ASSERT_TRUE(link.Open(7));
    const auto calls = device.Calls();
    EXPECT_EQ(0x80u, calls[0].args[3]);
    const COMMTIMEOUTS& t = calls[3].timeouts;
    EXPECT_EQ((std::vector<DWORD>{100, 0, 250, 0, 250}),
              (std::vector<DWORD>{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                                  t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                                  t.WriteTotalTimeoutConstant}));
}

TEST(SerialLinkLifecycle, OutOfRangeNumbersChangeNothing)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    for (int number : {0, -1, 1025})
    {
        SCOPED_TRACE(number);
        EXPECT_FALSE(link.Open(number));
        EXPECT_EQ(-1, link.PortNumber());
    }
    EXPECT_TRUE(device.Calls().empty());

    ASSERT_TRUE(link.Open(1024));
    EXPECT_EQ(L"\\\\.\\COM1024", device.Calls()[0].path);
    link.Close(500);
    EXPECT_FALSE(link.Open(1025));
    EXPECT_EQ(1024, link.PortNumber());
}

TEST(SerialLinkLifecycle, MissingDeviceLeavesClosedButKeepsTheNumber)
{
    FakeSerialDevice device;
    device.FailCall(Call::CreateFileW, ERROR_FILE_NOT_FOUND);
    LinkUnderTest link(device);
    EXPECT_FALSE(link.Open(9));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(9, link.PortNumber());
    EXPECT_EQ(std::vector<Call>{Call::CreateFileW}, Sequence(device));
}

class SetupFailure : public testing::TestWithParam<Call>
{
};

TEST_P(SetupFailure, ClosesThePortAgain)
{
    FakeSerialDevice device;
    device.FailCall(GetParam(), ERROR_GEN_FAILURE, 1);
    LinkUnderTest link(device);
    EXPECT_FALSE(link.Open(2));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(device.IsOpen());
    auto sequence = Sequence(device);
    ASSERT_GE(sequence.size(), 3u);
    EXPECT_EQ(GetParam(), sequence[sequence.size() - 3]) << "the failing call ends setup";
    EXPECT_EQ(Call::PurgeComm, sequence[sequence.size() - 2]);
    EXPECT_EQ(Call::CloseHandle, sequence.back());
    EXPECT_EQ(0u, device.CountCalls(Call::SetCommMask)) << "no worker was started";
}

INSTANTIATE_TEST_SUITE_P(EachStep, SetupFailure,
                         testing::Values(Call::SetupComm, Call::GetCommTimeouts,
                                         Call::SetCommTimeouts, Call::PurgeComm));

TEST(SerialLinkLifecycle, CloseOnAClosedObjectMakesNoCall)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    link.Close(500);
    EXPECT_TRUE(device.Calls().empty());

    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(1));
    link.Close(500);
    device.ClearCalls();
    link.Close(500);
    EXPECT_TRUE(device.Calls().empty());
    EXPECT_EQ(1, link.PortNumber()) << "Close keeps the number";
}

TEST(SerialLinkLifecycle, NoWorkerModeClosesWithPurgeAndClose)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(1));
    EXPECT_EQ(nullptr, link.m_hMonitorThread);
    device.ClearCalls();
    EXPECT_FALSE(link.StopWorkers(500)) << "no worker to stop";
    EXPECT_TRUE(device.Calls().empty());
    link.Close(500);
    EXPECT_EQ((std::vector<Call>{Call::PurgeComm, Call::CloseHandle}), Sequence(device));
}

TEST(SerialLinkLifecycle, OpenOnAnOpenObjectClosesTheOldPortFirst)
{
    FakeSerialDevice device;
    WorkerProbeLink link(device);
    ASSERT_TRUE(link.Open(3));
    ASSERT_TRUE(link.WaitForRuns(1, 5000));
    device.ClearCalls();

    ASSERT_TRUE(link.Open(4));
    auto sequence = Sequence(device);
    const auto close = std::find(sequence.begin(), sequence.end(), Call::CloseHandle);
    const auto create = std::find(sequence.begin(), sequence.end(), Call::CreateFileW);
    ASSERT_NE(sequence.end(), close);
    EXPECT_LT(close, create);
    EXPECT_EQ(L"\\\\.\\COM4", device.Calls()[create - sequence.begin()].path);

    device.FailCall(Call::CreateFileW, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(link.Open(5));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(nullptr, link.m_hMonitorThread);
}

TEST(SerialLinkLifecycle, MissingEventRefusesToOpen)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    CloseHandle(link.m_hTransmitWake);
    link.m_hTransmitWake = nullptr;
    EXPECT_FALSE(link.Open(3));
    EXPECT_EQ(-1, link.PortNumber());
    EXPECT_TRUE(device.Calls().empty());
}

TEST(SerialLinkLifecycle, ModeWordCannotChangeWhileOpen)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(3));
    EXPECT_FALSE(link.SetMode(CSerialLink::MODE_DEFAULT));
    EXPECT_EQ(CSerialLink::MODE_OVERLAPPED, link.Mode());
    link.Close(500);
    EXPECT_TRUE(link.SetMode(CSerialLink::MODE_DEFAULT));
}

TEST(SerialLinkLifecycle, PortStateRoundTripsThroughTheOpenPort)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(3));
    DCB* state = link.ReadPortState();
    ASSERT_NE(nullptr, state);
    state->BaudRate = CBR_115200;
    state->ByteSize = 7;
    EXPECT_TRUE(link.ApplyPortState(*state));
    EXPECT_EQ(CBR_115200, link.ReadPortState()->BaudRate);
    state->ByteSize = 3;
    EXPECT_FALSE(link.ApplyPortState(*state)) << "the device refuses 3 data bits";
    device.FailCall(Call::GetCommState, ERROR_GEN_FAILURE);
    EXPECT_EQ(nullptr, link.ReadPortState());
}

struct WorkerCase
{
    DWORD mode;
    std::vector<std::string> loops;
};

class WorkerStart : public testing::TestWithParam<WorkerCase>
{
};

TEST_P(WorkerStart, StartsExactlyTheWorkersOfTheModeWord)
{
    FakeSerialDevice device;
    WorkerProbeLink link(device);
    ASSERT_TRUE(link.SetMode(GetParam().mode));
    ASSERT_TRUE(link.Open(3));
    ASSERT_TRUE(link.WaitForRuns(GetParam().loops.size(), 5000));
    EXPECT_EQ(GetParam().loops, LoopNames(link.Runs()));
    const bool anyWorker = !GetParam().loops.empty();
    if (anyWorker)
    {
        EXPECT_FALSE(link.StartWorkers()) << "a second start is refused";
    }
    EXPECT_EQ(anyWorker, link.StopWorkers(500));
    EXPECT_EQ(nullptr, link.m_hMonitorThread);
    EXPECT_EQ(nullptr, link.m_hReceiveThread);
    EXPECT_EQ(nullptr, link.m_hTransmitThread);
    const int priority = (GetParam().mode & CSerialLink::MODE_HIGH_PRIORITY)
                             ? THREAD_PRIORITY_ABOVE_NORMAL
                             : THREAD_PRIORITY_NORMAL;
    for (const auto& run : link.Runs())
    {
        EXPECT_TRUE(run.running) << run.loop;
        EXPECT_EQ(priority, run.priority) << run.loop;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, WorkerStart,
    testing::Values(WorkerCase{0x002, {}}, WorkerCase{0x003, {"MonitorLoopOverlapped"}},
                    WorkerCase{0x001, {"MonitorLoopPolled"}}, WorkerCase{0x012, {"ReceiveLoop"}},
                    WorkerCase{0x022, {"TransmitLoop"}},
                    WorkerCase{0x033, {"MonitorLoopOverlapped", "ReceiveLoop", "TransmitLoop"}},
                    WorkerCase{0x0B1, {"MonitorLoopPolled", "ReceiveLoop", "TransmitLoop"}},
                    WorkerCase{0x083, {"MonitorLoopOverlapped"}}));

TEST(SerialLinkLifecycle, SuspendedWorkersRunOnlyWhenResumed)
{
    FakeSerialDevice device;
    WorkerProbeLink link(device);
    ASSERT_TRUE(link.SetMode(0x073));
    ASSERT_TRUE(link.Open(3));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(link.m_hMonitorThread, 0));
    EXPECT_TRUE(link.Runs().empty());
    EXPECT_TRUE(link.ResumeWorkers());
    EXPECT_FALSE(link.ResumeWorkers()) << "nothing left to resume";
    ASSERT_TRUE(link.WaitForRuns(3, 5000));
    link.Close(500);
}

TEST(SerialLinkLifecycle, SuspendedWorkersNeverResumedEndByThemselvesOnClose)
{
    FakeSerialDevice device;
    WorkerProbeLink link(device);
    ASSERT_TRUE(link.SetMode(0x073));
    ASSERT_TRUE(link.Open(3));
    link.Close(500);
    EXPECT_FALSE(link.IsOpen());
    // Each loop ran and saw the cleared flag: none was killed before it started.
    const auto runs = link.Runs();
    EXPECT_EQ(3u, runs.size());
    for (const auto& run : runs)
        EXPECT_FALSE(run.running);
}

TEST(SerialLinkLifecycle, DestroyingAnOpenObjectClosesThePort)
{
    FakeSerialDevice device;
    {
        WorkerProbeLink link(device);
        ASSERT_TRUE(link.Open(3));
        ASSERT_TRUE(link.WaitForRuns(1, 5000));
        device.ClearCalls();
    }
    EXPECT_FALSE(device.IsOpen());
    auto sequence = Sequence(device);
    EXPECT_EQ((std::vector<Call>{Call::SetCommMask, Call::PurgeComm, Call::CloseHandle}), sequence);
    EXPECT_EQ(0u, device.Calls()[0].args[0]) << "the pending event wait is ended first";
}

// With MODE_DRAIN_ON_CLOSE the real workers empty the transmit buffer before the port is
// flushed, purged and closed.
TEST(SerialLinkLifecycle, DrainOnCloseSendsEverythingThenFlushes)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_MONITOR_THREAD | CSerialLink::MODE_OVERLAPPED |
                             CSerialLink::MODE_TX_BUFFER | CSerialLink::MODE_DRAIN_ON_CLOSE));
    ASSERT_TRUE(link.Open(3));
    ASSERT_TRUE(device.WaitForPendingWait(5000));
    std::string bytes(3000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    EXPECT_EQ(0u, link.Write(bytes.data(), static_cast<DWORD>(bytes.size())));
    link.Close(500);
    EXPECT_EQ(bytes, device.Output());
    EXPECT_EQ(0u, link.TransmitBuffer().Size());
    auto sequence = Sequence(device);
    const auto flush = std::find(sequence.begin(), sequence.end(), Call::FlushFileBuffers);
    ASSERT_NE(sequence.end(), flush);
    EXPECT_EQ(Call::PurgeComm, *(flush + 1));
}

TEST(SerialLinkLifecycle, DrainOnCloseWithoutASenderLeavesTheBytes)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    // Only a receive worker runs: nobody sends the transmit buffer, so Close does not wait.
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_TX_BUFFER |
                             CSerialLink::MODE_RX_THREAD | CSerialLink::MODE_DRAIN_ON_CLOSE));
    ASSERT_TRUE(link.Open(3));
    link.Write("abc", 3);
    link.Close(500);
    EXPECT_EQ(3u, link.TransmitBuffer().Size());
    EXPECT_EQ("", device.Output());
    EXPECT_EQ(1u, device.CountCalls(Call::FlushFileBuffers));
}

TEST(SerialLinkLifecycle, FlushOnCloseFlushesBeforePurging)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_FLUSH_ON_CLOSE));
    ASSERT_TRUE(link.Open(3));
    device.ClearCalls();
    link.Close(500);
    EXPECT_EQ((std::vector<Call>{Call::FlushFileBuffers, Call::PurgeComm, Call::CloseHandle}),
              Sequence(device));
}
