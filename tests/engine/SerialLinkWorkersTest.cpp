#include "tests/engine/LinkUnderTest.h"
#include "tests/support/NotificationRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Call = FakeSerialDevice::Call;

namespace
{
constexpr DWORD kPatience = 5000; // generous bound for anything a worker should do "soon"

std::string Pattern(size_t n, int seed = 0)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 13 + seed) & 0xFF);
    return bytes;
}

// Compares without printing kilobytes of binary on a mismatch.
void ExpectSameBytes(const std::string& expected, const std::string& actual)
{
    EXPECT_EQ(expected.size(), actual.size());
    EXPECT_TRUE(expected == actual) << "contents differ";
}

bool WaitForOutputSize(FakeSerialDevice& device, size_t size)
{
    const DWORD start = GetTickCount();
    while (device.Output().size() < size)
    {
        if (GetTickCount() - start > kPatience)
            return false;
        device.WaitForCallCount(Call::WriteFile, device.CountCalls(Call::WriteFile) + 1, 100);
    }
    return true;
}

// Real worker threads on the fake device; notifications go to this test's thread.
class Workers : public testing::Test
{
protected:
    void OpenWithMode(DWORD mode)
    {
        link.SetNotifyThread(GetCurrentThreadId());
        ASSERT_TRUE(link.SetMode(mode));
        ASSERT_TRUE(link.Open(5));
    }
    // After each CNM_RECEIVE, reads through Read until nothing is left, until `expected` bytes
    // came. (A staged receive notifies once per fill, so the reader empties the buffer.)
    std::string ReceiveThroughNotifications(size_t expected)
    {
        std::string got;
        const DWORD start = GetTickCount();
        while (got.size() < expected && GetTickCount() - start < kPatience)
        {
            auto messages = recorder.WaitFor(CSerialLink::CNM_RECEIVE, CSerialLink::CNM_RECEIVE, 500);
            for (const auto& message : messages)
            {
                EXPECT_EQ(5u, message.wParam);
                EXPECT_EQ(0, message.lParam);
            }
            if (messages.empty())
                continue;
            char buffer[1024];
            while (const DWORD n = link.Read(buffer))
                got.append(buffer, n);
        }
        return got;
    }

    FakeSerialDevice device;
    NotificationRecorder recorder;
    LinkUnderTest link{device};
};
} // namespace

TEST_F(Workers, OverlappedMonitorWaitsForEventsWithTheEventMask)
{
    OpenWithMode(CSerialLink::MODE_DEFAULT);
    ASSERT_TRUE(device.WaitForPendingWait(kPatience));
    const auto calls = device.Calls();
    const auto mask = std::find_if(calls.begin(), calls.end(),
                                   [](const auto& record) { return record.call == Call::SetCommMask; });
    ASSERT_NE(calls.end(), mask);
    EXPECT_EQ(0x1FDu, mask->args[0]);
    link.Close(500);
    EXPECT_EQ(nullptr, link.m_hMonitorThread);
}

TEST_F(Workers, WindowModeReceivesThroughNotificationsAndRead)
{
    OpenWithMode(CSerialLink::MODE_DEFAULT);
    ASSERT_TRUE(device.WaitForPendingWait(kPatience));
    const std::string input = Pattern(2500);
    device.PushInput(input);
    ExpectSameBytes(input, ReceiveThroughNotifications(input.size()));
    // With everything read, the monitor goes back to waiting for events.
    EXPECT_TRUE(device.WaitForPendingWait(kPatience));
}

// Wine's pseudo-terminals cannot wait for comm events: the monitor must keep receiving
// through its 10 ms passes.
TEST_F(Workers, ReceivingGoesOnWhenWaitCommEventAlwaysFails)
{
    device.FailCall(Call::WaitCommEvent, ERROR_INVALID_HANDLE);
    OpenWithMode(CSerialLink::MODE_DEFAULT);
    ASSERT_TRUE(device.WaitForCallCount(Call::WaitCommEvent, 2, kPatience));
    const std::string input = Pattern(1500);
    device.PushInput(input);
    ExpectSameBytes(input, ReceiveThroughNotifications(input.size()));
    link.Close(500);
    EXPECT_EQ(nullptr, link.m_hMonitorThread);
}

TEST_F(Workers, ReceivingGoesOnWhenEveryWaitEndsCancelled)
{
    device.FailCall(Call::GetOverlappedResult, ERROR_OPERATION_ABORTED);
    OpenWithMode(CSerialLink::MODE_DEFAULT);
    ASSERT_TRUE(device.WaitForPendingWait(kPatience));
    device.EndPendingWait(ERROR_OPERATION_ABORTED);
    const std::string input = Pattern(700);
    device.PushInput(input);
    ExpectSameBytes(input, ReceiveThroughNotifications(input.size()));
}

TEST_F(Workers, MonitorEndsWithOneWhenTheEventMaskIsRefused)
{
    device.FailCall(Call::SetCommMask, ERROR_INVALID_PARAMETER);
    OpenWithMode(CSerialLink::MODE_DEFAULT);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(link.m_hMonitorThread, kPatience));
    DWORD code = 0;
    GetExitCodeThread(link.m_hMonitorThread, &code);
    EXPECT_EQ(1u, code);
    EXPECT_EQ(0u, device.CountCalls(Call::WaitCommEvent));
    EXPECT_TRUE(link.IsOpen()) << "the port stays open";
}

// The overlapped monitor sends staged bytes one run at a time, each once the previous write has
// completed, and waits for events again only when nothing is left to send.
TEST_F(Workers, StagedRunsFollowEachCompletedWriteThenTheMonitorWaitsAgain)
{
    device.SetWritesPend(true);
    OpenWithMode(CSerialLink::MODE_DEFAULT | CSerialLink::MODE_TX_BUFFER);
    ASSERT_TRUE(device.WaitForPendingWait(kPatience));
    const std::string bytes = Pattern(3000);
    link.Write(bytes.data(), 3000);
    for (size_t run = 1; run <= 3; ++run)
    {
        ASSERT_TRUE(device.WaitForCallCount(Call::WriteFile, run, kPatience));
        EXPECT_EQ(1u, device.PendingWriteCount()) << "run " << run;
        device.CompletePendingWrites();
    }
    ExpectSameBytes(bytes, device.Output());
    std::vector<DWORD> sizes;
    for (const auto& record : device.Calls())
    {
        if (record.call == Call::WriteFile)
            sizes.push_back(record.args[0]);
    }
    EXPECT_EQ((std::vector<DWORD>{1024, 1024, 952}), sizes);
    EXPECT_TRUE(device.WaitForPendingWait(kPatience));
    const auto messages = recorder.WaitFor(CSerialLink::CNM_TXEMPTY, CSerialLink::CNM_TXEMPTY, kPatience);
    EXPECT_FALSE(messages.empty());
}

// Stands for a Write on another thread that lands while the monitor dispatches the events of a
// completed wait: the CTS hook holds the monitor until the test has written.
class WriteDuringDispatchLink : public LinkUnderTest
{
public:
    using LinkUnderTest::LinkUnderTest;
    // The hook uses the events: stop the monitor while they still exist.
    ~WriteDuringDispatchLink() override
    {
        Close(STOP_WAIT);
        CloseHandle(m_hDispatching);
        CloseHandle(m_hWritten);
    }
    void NotifyCts() override
    {
        SetEvent(m_hDispatching);
        WaitForSingleObject(m_hWritten, kPatience);
        CSerialLink::NotifyCts();
    }

    HANDLE m_hDispatching = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE m_hWritten = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// Write's SetCommMask wakes only a pending wait. Bytes staged while none is pending must still
// go out on an idle line, where no further event would end the next wait.
TEST(WorkersWakeUp, BytesStagedDuringDispatchAreSentWithoutAnotherEvent)
{
    FakeSerialDevice device;
    device.SetTxEmptyOnWrite(false);
    WriteDuringDispatchLink link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_DEFAULT | CSerialLink::MODE_TX_BUFFER));
    ASSERT_TRUE(link.Open(5));
    ASSERT_TRUE(device.WaitForPendingWait(kPatience));
    device.RaiseEvents(EV_CTS);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(link.m_hDispatching, kPatience));
    link.Write("late", 4);
    SetEvent(link.m_hWritten);
    EXPECT_TRUE(WaitForOutputSize(device, 4)) << "the staged bytes were never sent";
    EXPECT_EQ("late", device.Output());
}

// The other gap of the same hand-over: a Write that lands after the monitor found nothing staged
// and before its WaitCommEvent is pending.
TEST(WorkersWakeUp, BytesStagedJustBeforeTheWaitStartsAreSentWithoutAnotherEvent)
{
    FakeSerialDevice device;
    device.SetTxEmptyOnWrite(false);
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_DEFAULT | CSerialLink::MODE_TX_BUFFER));
    device.RunBeforeNextWait([&link] { link.Write("late", 4); });
    ASSERT_TRUE(link.Open(5));
    EXPECT_TRUE(WaitForOutputSize(device, 4)) << "the staged bytes were never sent";
    EXPECT_EQ("late", device.Output());
}

TEST_F(Workers, StagedSendingGoesOnWhenWaitCommEventAlwaysFails)
{
    device.FailCall(Call::WaitCommEvent, ERROR_INVALID_HANDLE);
    OpenWithMode(CSerialLink::MODE_DEFAULT | CSerialLink::MODE_TX_BUFFER);
    const std::string bytes = Pattern(5000);
    link.Write(bytes.data(), 5000);
    ASSERT_TRUE(WaitForOutputSize(device, bytes.size()));
    ExpectSameBytes(bytes, device.Output());
}

TEST_F(Workers, OverlappedTransmitWorkerSendsAndTheMonitorLeavesItAlone)
{
    OpenWithMode(CSerialLink::MODE_DEFAULT | CSerialLink::MODE_TX_BUFFER | CSerialLink::MODE_TX_THREAD);
    ASSERT_TRUE(device.WaitForPendingWait(kPatience));
    const std::string bytes = Pattern(2100);
    link.Write(bytes.data(), 2100);
    ASSERT_TRUE(WaitForOutputSize(device, bytes.size()));
    ExpectSameBytes(bytes, device.Output());
    for (const auto& record : device.Calls())
    {
        if (record.call == Call::WriteFile)
        {
            EXPECT_EQ(link.m_hTransmitThread ? GetThreadId(link.m_hTransmitThread) : 0, record.threadId);
        }
    }
}

TEST_F(Workers, PolledMonitorWokenSendsEveryChunk)
{
    OpenWithMode(CSerialLink::MODE_MONITOR_THREAD | CSerialLink::MODE_TX_BUFFER);
    const std::string bytes = Pattern(3500);
    link.Write(bytes.data(), 3500);
    ASSERT_TRUE(WaitForOutputSize(device, bytes.size()));
    ExpectSameBytes(bytes, device.Output());
}

// Polled monitor and transmit worker both drain in blocking mode: runs keep their order.
TEST_F(Workers, TwoBlockingDrainersKeepTheOrder)
{
    device.SetBlockingWriteLimit(97);
    OpenWithMode(CSerialLink::MODE_MONITOR_THREAD | CSerialLink::MODE_TX_BUFFER |
                 CSerialLink::MODE_TX_THREAD);
    std::string expected;
    for (int i = 0; i < 200; ++i)
    {
        const std::string bytes = Pattern(50 + (i * 37) % 900, i);
        expected += bytes;
        link.Write(bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    ASSERT_TRUE(WaitForOutputSize(device, expected.size()));
    ExpectSameBytes(expected, device.Output());
}

TEST_F(Workers, PolledMonitorReceivesIntoTheBuffer)
{
    OpenWithMode(CSerialLink::MODE_MONITOR_THREAD | CSerialLink::MODE_RX_BUFFER);
    const std::string input = Pattern(3000);
    device.PushInput(input);
    ExpectSameBytes(input, ReceiveThroughNotifications(input.size()));
}

TEST_F(Workers, ReceiveWorkerFillsTheBufferBesideTheMonitor)
{
    OpenWithMode(CSerialLink::MODE_DEFAULT | CSerialLink::MODE_RX_BUFFER | CSerialLink::MODE_RX_THREAD);
    ASSERT_TRUE(device.WaitForPendingWait(kPatience));
    const std::string input = Pattern(2000);
    device.PushInput(input);
    ExpectSameBytes(input, ReceiveThroughNotifications(input.size()));
    for (const auto& record : device.Calls())
    {
        if (record.call == Call::ReadFile)
        {
            EXPECT_EQ(GetThreadId(link.m_hReceiveThread), record.threadId);
        }
    }
}

// A worker stuck in a pending read (nothing arrives, the count is unknown) is cancelled by the
// stop, so it ends by itself well within the wait instead of being killed.
TEST_F(Workers, StopCancelsAWorkersPendingRead)
{
    device.SetEmptyRead(FakeSerialDevice::EmptyRead::Pend);
    device.FailCall(Call::ClearCommError, ERROR_NOT_READY);
    OpenWithMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_RX_BUFFER | CSerialLink::MODE_RX_THREAD);
    ASSERT_TRUE(device.WaitForCallCount(Call::ReadFile, 1, kPatience));
    const DWORD start = GetTickCount();
    EXPECT_TRUE(link.StopWorkers(10000));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(nullptr, link.m_hReceiveThread);
    const auto calls = device.Calls();
    const auto cancel = std::find_if(calls.begin(), calls.end(),
                                     [](const auto& record) { return record.call == Call::CancelIoEx; });
    ASSERT_NE(calls.end(), cancel);
    EXPECT_EQ(&link.m_olRead, cancel->pointer);
}

// The overlapped monitor ends at once on a stop even if the port never completes its wait.
TEST_F(Workers, StopEndsAMonitorWhoseWaitNeverCompletes)
{
    OpenWithMode(CSerialLink::MODE_DEFAULT);
    ASSERT_TRUE(device.WaitForPendingWait(kPatience));
    device.FailCall(Call::SetCommMask, ERROR_GEN_FAILURE); // the stop's mask 0 does nothing
    const DWORD start = GetTickCount();
    EXPECT_TRUE(link.StopWorkers(10000));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(1u, device.CountCalls(Call::CancelIoEx));
}

TEST_F(Workers, TransmitWorkerWokenByStopSendsNothingMore)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_TX_BUFFER | CSerialLink::MODE_TX_THREAD);
    link.Close(500);
    link.Write("late", 4);
    EXPECT_EQ(4u, link.TransmitBuffer().Size());
    EXPECT_EQ("", device.Output());
}

TEST_F(Workers, ReopenCyclesLeaveNoWorkerBehind)
{
    for (int i = 0; i < 20; ++i)
    {
        OpenWithMode(0x3F);
        link.Write("x", 1);
        device.PushInput("y");
        link.Close(500);
        ASSERT_EQ(nullptr, link.m_hMonitorThread);
        ASSERT_EQ(nullptr, link.m_hReceiveThread);
        ASSERT_EQ(nullptr, link.m_hTransmitThread);
    }
}
