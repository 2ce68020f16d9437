#include "tests/engine/LinkUnderTest.h"
#include "tests/support/NotificationRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Call = FakeSerialDevice::Call;
using Names = std::vector<std::string>;

namespace
{
constexpr DWORD kAllEvents = EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD |
                             EV_BREAK | EV_ERR | EV_RING;

// DispatchEvents called directly on an open port with no workers.
class Dispatch : public testing::Test
{
protected:
    void OpenWithMode(DWORD mode)
    {
        ASSERT_TRUE(link.SetMode(mode));
        ASSERT_TRUE(link.Open(6));
        device.ClearCalls();
    }

    FakeSerialDevice device;
    HookRecordingLink link{device};
};
} // namespace

TEST_F(Dispatch, FullMaskRunsEveryActionInOrder)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_RX_BUFFER |
                 CSerialLink::MODE_TX_BUFFER);
    device.PushInput("in");
    link.Write("out", 3);
    link.DispatchEvents(kAllEvents | 0x8000); // unknown bits are ignored
    EXPECT_EQ((Names{"Receive", "TxEmpty", "RxFlag", "Cts", "Dsr", "Ring", "Rlsd", "Break", "Error"}),
              link.HookNames());
    const auto hooks = link.Hooks();
    EXPECT_EQ(1u, hooks[0].readsBefore) << "the receive step fills before it notifies";
    EXPECT_EQ(0u, hooks[0].writesBefore);
    EXPECT_EQ(1u, hooks[1].writesBefore) << "a transmit chunk goes out before NotifyTxEmpty";
    EXPECT_EQ("out", device.Output());
    EXPECT_EQ(2u, link.ReceiveBuffer().Size());
}

TEST_F(Dispatch, EmptyMaskDoesNothing)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED);
    link.DispatchEvents(0);
    EXPECT_TRUE(link.HookNames().empty());
    EXPECT_TRUE(device.Calls().empty());
}

TEST_F(Dispatch, NothingQueuedMeansNoReceiveButOtherBitsStillRun)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_RX_BUFFER);
    link.DispatchEvents(EV_RXCHAR | EV_CTS);
    EXPECT_EQ((Names{"Cts"}), link.HookNames());
    EXPECT_EQ(0u, device.CountCalls(Call::ReadFile));
}

TEST_F(Dispatch, UnavailableCountFillsSixtyTwoAndNotifiesWhateverTheThreshold)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_RX_BUFFER);
    device.PushInput("abc");
    device.FailCall(Call::ClearCommError, ERROR_NOT_READY);
    link.DispatchEvents(EV_RXCHAR);
    const auto calls = device.Calls();
    const auto read = std::find_if(calls.begin(), calls.end(),
                                   [](const auto& record) { return record.call == Call::ReadFile; });
    ASSERT_NE(calls.end(), read);
    EXPECT_EQ(62u, read->args[0]);
    EXPECT_EQ((Names{"Receive"}), link.HookNames());
}

TEST_F(Dispatch, UnavailableCountReachesAnyThresholdWithoutBuffer)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED);
    link.SetReceiveThreshold(0xFFFFFFFF);
    device.FailCall(Call::ClearCommError, ERROR_NOT_READY);
    link.DispatchEvents(EV_RXCHAR);
    EXPECT_EQ((Names{"Receive"}), link.HookNames());
}

TEST_F(Dispatch, ThresholdIsReachedByEquality)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED);
    link.SetReceiveThreshold(10);
    device.PushInput(std::string(9, 'x'));
    link.DispatchEvents(EV_RXCHAR);
    EXPECT_TRUE(link.HookNames().empty());
    device.PushInput("x");
    link.DispatchEvents(EV_RXCHAR);
    EXPECT_EQ((Names{"Receive"}), link.HookNames());
    EXPECT_EQ(0u, device.CountCalls(Call::ReadFile)) << "without the buffer nothing is read";
}

// The fill reserves 2 × queued + 64 bytes; the read itself takes what is queued, so it never
// waits for more.
TEST_F(Dispatch, BufferedReceiveReservesTwiceTheQueuePlus64AndNotifiesEvenWhenTheReadGotNothing)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_RX_BUFFER);
    device.PushInput(std::string(1000, 'x'));
    device.FailCall(Call::ReadFile, ERROR_NOT_READY, 1);
    link.DispatchEvents(EV_RXCHAR);
    EXPECT_EQ((Names{"Receive"}), link.HookNames());
    EXPECT_EQ(0u, link.ReceiveBuffer().Size());
    ASSERT_NE(nullptr, link.ReceiveBuffer().Tail());
    EXPECT_EQ(2064u, link.ReceiveBuffer().Tail()->dwCapacity);
    EXPECT_EQ(1u, device.CountCalls(Call::ReadFile));
    for (const auto& record : device.Calls())
    {
        if (record.call == Call::ReadFile)
        {
            EXPECT_EQ(1000u, record.args[0]);
        }
    }
}

TEST_F(Dispatch, ReceiveWorkerModeIgnoresRxCharEntirely)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_RX_BUFFER |
                 CSerialLink::MODE_RX_THREAD);
    device.PushInput("abc");
    link.DispatchEvents(EV_RXCHAR);
    EXPECT_TRUE(link.HookNames().empty());
    EXPECT_TRUE(device.Calls().empty()) << "not even the queued count is taken";
}

TEST_F(Dispatch, TxEmptyLeavesTheBufferToATransmitWorker)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_TX_BUFFER |
                 CSerialLink::MODE_TX_THREAD);
    link.Write("abc", 3);
    link.DispatchEvents(EV_TXEMPTY);
    EXPECT_EQ((Names{"TxEmpty"}), link.HookNames());
    EXPECT_EQ(0u, device.CountCalls(Call::WriteFile));
    EXPECT_EQ(3u, link.TransmitBuffer().Size());
}

// The count query that starts a receive step clears the port's error flags: what it found is
// reported with that pass, with EV_ERR or without (while bytes keep arriving no EV_ERR comes),
// unless the owner left EV_ERR out of the event mask.
TEST_F(Dispatch, ErrorsTheReceiveStepTookFromThePortAreReportedWithThatPass)
{
    OpenWithMode(CSerialLink::MODE_OVERLAPPED);
    NotificationRecorder recorder;
    link.SetNotifyThread(GetCurrentThreadId());
    const struct
    {
        const char* name;
        DWORD events;
        DWORD mask;
        DWORD flags;
        std::vector<LPARAM> reported; // the CNM_ERROR notifications' flags
    } cases[] = {
        {"with EV_ERR", EV_RXCHAR | EV_ERR, CSerialLink::DEFAULT_EVENT_MASK, CE_FRAME, {CE_FRAME}},
        {"without EV_ERR", EV_RXCHAR, CSerialLink::DEFAULT_EVENT_MASK, CE_OVERRUN | CE_RXPARITY,
         {CE_OVERRUN | CE_RXPARITY}},
        {"no errors", EV_RXCHAR, CSerialLink::DEFAULT_EVENT_MASK, 0, {}},
        {"EV_ERR unwatched", EV_RXCHAR, EV_RXCHAR, CE_FRAME, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        link.SetEventMask(c.mask);
        device.PushInput("abc");
        device.SetErrorFlags(c.flags);
        link.DispatchEvents(c.events);
        std::vector<LPARAM> reported;
        const auto messages = recorder.Drain(CSerialLink::CNM_RECEIVE, CSerialLink::CNM_AUX5);
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(CSerialLink::CNM_RECEIVE, messages[0].message);
        for (const auto& m : messages)
            if (m.message == CSerialLink::CNM_ERROR)
                reported.push_back(m.lParam);
        EXPECT_EQ(c.reported, reported);
        char buffer[16];
        link.RawRead(buffer, sizeof(buffer));
    }
}

// ---- notifications --------------------------------------------------------------------------

struct LineCase
{
    const char* name;
    void (CSerialLink::*hook)();
    UINT message;
    DWORD bit;
};

class LineStateHook : public testing::TestWithParam<LineCase>
{
};

TEST_P(LineStateHook, CarriesExactlyZeroOrOne)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    NotificationRecorder recorder;
    link.SetNotifyThread(GetCurrentThreadId());
    const auto fire = [&] {
        (link.*GetParam().hook)();
        auto messages = recorder.Drain(CSerialLink::CNM_RECEIVE, CSerialLink::CNM_AUX5);
        EXPECT_EQ(1u, messages.size());
        if (messages.empty())
            return LPARAM(-1);
        EXPECT_EQ(GetParam().message, messages[0].message);
        return messages[0].lParam;
    };
    EXPECT_EQ(0, fire()) << "closed port";
    EXPECT_EQ(0u, device.CountCalls(Call::GetCommModemStatus));

    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(6));
    device.SetModemStatus(0xFFFFFFFF);
    EXPECT_EQ(1, fire());
    device.SetModemStatus(~GetParam().bit);
    EXPECT_EQ(0, fire());
    device.SetModemStatus(GetParam().bit);
    EXPECT_EQ(1, fire());
    device.FailCall(Call::GetCommModemStatus, ERROR_INVALID_FUNCTION);
    EXPECT_EQ(0, fire()) << "unreadable status";
}

INSTANTIATE_TEST_SUITE_P(
    Hooks, LineStateHook,
    testing::Values(LineCase{"Cts", &CSerialLink::NotifyCts, CSerialLink::CNM_CTS, MS_CTS_ON},
                    LineCase{"Dsr", &CSerialLink::NotifyDsr, CSerialLink::CNM_DSR, MS_DSR_ON},
                    LineCase{"Ring", &CSerialLink::NotifyRing, CSerialLink::CNM_RING, MS_RING_ON},
                    LineCase{"Rlsd", &CSerialLink::NotifyRlsd, CSerialLink::CNM_RLSD, MS_RLSD_ON}),
    [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

struct MessageCase
{
    const char* name;
    void (CSerialLink::*hook)();
    UINT number;
};

class HookMessage : public testing::TestWithParam<MessageCase>
{
};

TEST_P(HookMessage, PostsItsNumberWithThePortNumber)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    NotificationRecorder recorder;
    link.SetNotifyThread(GetCurrentThreadId());
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(17));
    (link.*GetParam().hook)();
    const auto messages = recorder.Drain(WM_USER, WM_USER + 1000);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(GetParam().number, messages[0].message);
    EXPECT_EQ(17u, messages[0].wParam);
}

INSTANTIATE_TEST_SUITE_P(
    Hooks, HookMessage,
    testing::Values(MessageCase{"Receive", &CSerialLink::NotifyReceive, 1642},
                    MessageCase{"Cts", &CSerialLink::NotifyCts, 1643},
                    MessageCase{"Dsr", &CSerialLink::NotifyDsr, 1644},
                    MessageCase{"Ring", &CSerialLink::NotifyRing, 1645},
                    MessageCase{"Rlsd", &CSerialLink::NotifyRlsd, 1646},
                    MessageCase{"Break", &CSerialLink::NotifyBreak, 1647},
                    MessageCase{"TxEmpty", &CSerialLink::NotifyTxEmpty, 1648},
                    MessageCase{"Error", &CSerialLink::NotifyError, 1649},
                    MessageCase{"RxFlag", &CSerialLink::NotifyRxFlag, 1650},
                    MessageCase{"Aux1", &CSerialLink::NotifyAux1, 1651},
                    MessageCase{"Aux2", &CSerialLink::NotifyAux2, 1654},
                    MessageCase{"Aux3", &CSerialLink::NotifyAux3, 1652},
                    MessageCase{"Aux4", &CSerialLink::NotifyAux4, 1653},
                    MessageCase{"Aux5", &CSerialLink::NotifyAux5, 1655}),
    [](const testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

TEST(Notify, ErrorHookReportsAndClearsTheFlags)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    NotificationRecorder recorder;
    link.SetNotifyThread(GetCurrentThreadId());
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(6));
    device.SetErrorFlags(CE_RXOVER | CE_FRAME);
    link.NotifyError();
    link.NotifyError();
    device.FailCall(Call::ClearCommError, ERROR_NOT_READY);
    device.SetErrorFlags(CE_BREAK);
    link.NotifyError();
    const auto messages = recorder.Drain(CSerialLink::CNM_ERROR, CSerialLink::CNM_ERROR);
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ(CE_RXOVER | CE_FRAME, static_cast<DWORD>(messages[0].lParam));
    EXPECT_EQ(0, messages[1].lParam) << "the first call cleared them";
    EXPECT_EQ(0, messages[2].lParam) << "a failed query reports nothing";
}

TEST(Notify, ErrorsAReadTookFromThePortAreReportedOnceAndNotAfterAReopen)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    NotificationRecorder recorder;
    link.SetNotifyThread(GetCurrentThreadId());
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(6));
    char buffer[16];
    device.PushInput("in");
    device.SetErrorFlags(CE_RXPARITY);
    link.RawRead(buffer, sizeof(buffer)); // clears the port's flags before reading
    device.SetErrorFlags(CE_FRAME);
    link.NotifyError();
    link.NotifyError();

    device.SetErrorFlags(CE_OVERRUN);
    link.RawWrite("out", 3);
    link.Close(CSerialLink::STOP_WAIT);
    ASSERT_TRUE(link.Open(6));
    link.NotifyError();

    const auto messages = recorder.Drain(CSerialLink::CNM_ERROR, CSerialLink::CNM_ERROR);
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ(CE_RXPARITY | CE_FRAME, static_cast<DWORD>(messages[0].lParam));
    EXPECT_EQ(0, messages[1].lParam) << "reported once";
    EXPECT_EQ(0, messages[2].lParam) << "the closed port's errors are not the new one's";
}

TEST(Notify, WithoutTargetsNothingIsSentButBreakAndErrorStillClear)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    NotificationRecorder recorder;
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(6));
    device.SetErrorFlags(CE_FRAME);
    device.ClearCalls();
    link.NotifyBreak();
    link.NotifyError();
    link.NotifyReceive();
    EXPECT_TRUE(recorder.Drain(0, 0xFFFF).empty());
    EXPECT_EQ(1u, device.CountCalls(Call::ClearCommBreak));
    EXPECT_EQ(1u, device.CountCalls(Call::ClearCommError));
    DWORD errors = 1;
    device.ClearCommError(device.Calls()[0].hFile, &errors, nullptr);
    EXPECT_EQ(0u, errors);
}

TEST(Notify, WindowFirstThenThreadWithIdenticalValues)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    NotificationRecorder recorder;
    link.SetNotifyWindow(recorder.Window());
    link.SetNotifyThread(GetCurrentThreadId());
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(12));
    device.SetModemStatus(MS_CTS_ON);
    link.NotifyCts();
    auto messages = recorder.Drain(CSerialLink::CNM_RECEIVE, CSerialLink::CNM_AUX5);
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ(recorder.Window(), messages[0].hWnd);
    EXPECT_EQ(nullptr, messages[1].hWnd);
    for (const auto& message : messages)
    {
        EXPECT_EQ(CSerialLink::CNM_CTS, message.message);
        EXPECT_EQ(12u, message.wParam);
        EXPECT_EQ(1, message.lParam);
    }

    recorder.DestroyWindow();
    link.NotifyReceive();
    messages = recorder.Drain(CSerialLink::CNM_RECEIVE, CSerialLink::CNM_AUX5);
    ASSERT_EQ(1u, messages.size()) << "a destroyed window is skipped, the thread still hears";
    EXPECT_EQ(nullptr, messages[0].hWnd);
    EXPECT_EQ(0, messages[0].lParam);
}

TEST(Notify, QueuedMessagesKeepTheNumberTheyWereSentWith)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    NotificationRecorder recorder;
    link.SetNotifyWindow(recorder.Window());
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
    ASSERT_TRUE(link.Open(3));
    link.NotifyReceive();
    link.Close(500);
    ASSERT_TRUE(link.Open(8));
    link.NotifyReceive();
    const auto messages = recorder.Drain(CSerialLink::CNM_RECEIVE, CSerialLink::CNM_RECEIVE);
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ(3u, messages[0].wParam);
    EXPECT_EQ(8u, messages[1].wParam);
}
