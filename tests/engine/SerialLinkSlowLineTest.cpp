#include "tests/engine/LinkUnderTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>

// Closing while a slow line is still sending. On the blocking road each write attempt can last
// the whole write time-out and one chunk needs several attempts; on the overlapped road one
// write carries a whole chunk and nothing leaves the buffer until it completes.

using Call = FakeSerialDevice::Call;

namespace
{
constexpr DWORD kPatience = 5000; // generous bound for anything that should happen "soon"

std::string Pattern(size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 29 + 3) & 0xFF);
    return bytes;
}

// Compares without printing kilobytes of binary on a mismatch.
void ExpectSameBytes(const std::string& expected, const std::string& actual)
{
    EXPECT_EQ(expected.size(), actual.size());
    EXPECT_TRUE(expected == actual) << "contents differ";
}

// Counts the worker loops that returned: a worker ended by force never returns from its loop.
class LoopCountingLink : public LinkUnderTest
{
public:
    using LinkUnderTest::LinkUnderTest;
    // The loops count into a member: stop them while it still exists.
    ~LoopCountingLink() override { Close(STOP_WAIT); }

    int LoopsReturned() const { return m_returned; }

    unsigned MonitorLoopPolled() override { return Returned(CSerialLink::MonitorLoopPolled()); }
    unsigned TransmitLoop() override { return Returned(CSerialLink::TransmitLoop()); }

private:
    unsigned Returned(unsigned result)
    {
        ++m_returned;
        return result;
    }

    std::atomic<int> m_returned{0};
};

// Runs Close on a thread of its own, so the test can bound how long it waits for it.
class CloseOnAnotherThread
{
public:
    explicit CloseOnAnotherThread(CSerialLink& link)
        : m_hClosed(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_thread([this, &link] {
              link.Close(CSerialLink::STOP_WAIT);
              SetEvent(m_hClosed);
          })
    {
    }
    ~CloseOnAnotherThread()
    {
        m_thread.join();
        CloseHandle(m_hClosed);
    }
    bool Wait(DWORD dwMs) { return WaitForSingleObject(m_hClosed, dwMs) == WAIT_OBJECT_0; }

private:
    HANDLE m_hClosed;
    std::thread m_thread;
};

// The workers that send the transmit buffer in blocking mode, and how many of them there are.
struct BlockingSenders
{
    const char* name;
    DWORD mode;
    int workers;
};

void PrintTo(const BlockingSenders& senders, std::ostream* os)
{
    *os << senders.name;
}

class BlockingSlowLine : public testing::TestWithParam<BlockingSenders>
{
protected:
    // Each blocking write takes 64 bytes and lasts dwAttemptMs, so one chunk needs 16 attempts.
    void OpenOnASlowLine(DWORD dwExtraMode, DWORD dwAttemptMs)
    {
        device.SetBlockingWriteLimit(64);
        device.SetBlockingWriteTime(dwAttemptMs);
        ASSERT_TRUE(link.SetMode(GetParam().mode | CSerialLink::MODE_TX_BUFFER | dwExtraMode));
        ASSERT_TRUE(link.Open(5));
    }

    FakeSerialDevice device;
    LoopCountingLink link{device};
};
} // namespace

// A chunk outlasts the stop wait (16 attempts of 100 ms against 500 ms): the sender must leave
// after the attempt under way rather than be ended by force inside the write.
TEST_P(BlockingSlowLine, StopEndsTheSenderBetweenWriteAttempts)
{
    OpenOnASlowLine(0, 100);
    const std::string bytes = Pattern(1024);
    link.Write(bytes.data(), static_cast<DWORD>(bytes.size()));
    ASSERT_TRUE(device.WaitForCallCount(Call::WriteFile, 1, kPatience));
    link.Close(CSerialLink::STOP_WAIT);
    EXPECT_EQ(GetParam().workers, link.LoopsReturned()) << "a sender was ended by force";
    const std::string output = device.Output();
    EXPECT_TRUE(bytes.compare(0, output.size(), output) == 0) << "what went out is not the start";
}

// The drain before a close waits for bytes already taken from the buffer, not just for the
// buffer to be empty: every byte arrives, and the senders still end by themselves.
TEST_P(BlockingSlowLine, DrainOnCloseDeliversEveryTakenByte)
{
    OpenOnASlowLine(CSerialLink::MODE_DRAIN_ON_CLOSE, 50);
    const std::string bytes = Pattern(1500);
    link.Write(bytes.data(), static_cast<DWORD>(bytes.size()));
    ASSERT_TRUE(device.WaitForCallCount(Call::WriteFile, 1, kPatience));
    link.Close(CSerialLink::STOP_WAIT);
    ExpectSameBytes(bytes, device.Output());
    EXPECT_EQ(GetParam().workers, link.LoopsReturned()) << "a sender was ended by force";
}

INSTANTIATE_TEST_SUITE_P(
    Senders, BlockingSlowLine,
    testing::Values(BlockingSenders{"PolledMonitor", CSerialLink::MODE_MONITOR_THREAD, 1},
                    BlockingSenders{"TransmitWorker", CSerialLink::MODE_TX_THREAD, 1},
                    BlockingSenders{"Both", CSerialLink::MODE_MONITOR_THREAD | CSerialLink::MODE_TX_THREAD, 2}),
    [](const testing::TestParamInfo<BlockingSenders>& info) { return info.param.name; });

// A worker ended by force inside a blocking write leaves the transmit lock held for good. Closing
// a blocking port has no staged write to finish and must not wait for that lock.
TEST(SlowLineClose, BlockingCloseDoesNotNeedTheTransmitLock)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_TX_BUFFER));
    ASSERT_TRUE(link.Open(5));
    EnterCriticalSection(&link.m_csTransmit);
    bool bClosed = false;
    {
        CloseOnAnotherThread closer(link);
        bClosed = closer.Wait(kPatience);
        LeaveCriticalSection(&link.m_csTransmit); // lets a blocked Close finish before the join
    }
    EXPECT_TRUE(bClosed) << "Close waited for the transmit lock";
    EXPECT_FALSE(device.IsOpen());
}

// At 1200 baud one chunk takes about 8.5 s on the line, far beyond the least stall limit of
// 2 s. The line here completes the first staged write only after 3 s: Close must still be
// waiting then, and deliver everything once the line moves on.
TEST(SlowLineClose, DrainOnCloseWaitsForAWholeChunkOnASlowLine)
{
    FakeSerialDevice device;
    device.SetWritesPend(true);
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_DEFAULT | CSerialLink::MODE_TX_BUFFER |
                             CSerialLink::MODE_DRAIN_ON_CLOSE));
    ASSERT_TRUE(link.Open(5));
    DCB* state = link.ReadPortState();
    ASSERT_NE(nullptr, state);
    state->BaudRate = CBR_1200;
    ASSERT_TRUE(link.ApplyPortState(*state));
    ASSERT_TRUE(device.WaitForPendingWait(kPatience));
    const std::string bytes = Pattern(3000);
    link.Write(bytes.data(), static_cast<DWORD>(bytes.size()));
    ASSERT_TRUE(device.WaitForCallCount(Call::WriteFile, 1, kPatience));

    bool bGaveUpEarly = false;
    bool bClosed = false;
    {
        CloseOnAnotherThread closer(link);
        bGaveUpEarly = closer.Wait(3000); // the first chunk's time on the line
        const DWORD start = GetTickCount();
        while (!bClosed && GetTickCount() - start < 4 * kPatience)
        {
            device.CompletePendingWrites(); // from now on the line takes each run as it comes
            bClosed = closer.Wait(20);
        }
    }
    EXPECT_FALSE(bGaveUpEarly) << "Close stopped waiting while the first chunk was on the line";
    EXPECT_TRUE(bClosed);
    ExpectSameBytes(bytes, device.Output());
    EXPECT_EQ(0u, link.TransmitBuffer().Size());
}

// A driver that honours the write time-outs ends a write at its total time-out, and the
// overlapped road has already counted the write as sent. Once the line settings are applied, a
// long text goes out whole at every rate of the terminal's list, even with the longest frame
// (8 data bits, parity, 2 stop bits); where the rate needs no more, the time-outs stay as Open set
// them.
TEST(SlowLineWrite, LongTextsGoOutWholeAtEveryRateOfTheList)
{
    const std::string text = Pattern(10000); // at 4800 baud, already cut with 1 ms per byte
    for (DWORD baud : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600,
                       115200})
    {
        SCOPED_TRACE(baud);
        FakeSerialDevice device;
        device.SetWriteTimeoutsHonoured(true);
        LinkUnderTest link(device);
        ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED));
        ASSERT_TRUE(link.Open(5));
        DCB* state = link.ReadPortState();
        ASSERT_NE(nullptr, state);
        state->BaudRate = baud;
        state->ByteSize = 8;
        state->Parity = EVENPARITY;
        state->StopBits = TWOSTOPBITS;
        ASSERT_TRUE(link.ApplyPortState(*state));
        link.Write(text.data(), static_cast<DWORD>(text.size()));
        ExpectSameBytes(text, device.Output());
        if (baud >= CBR_19200)
        {
            EXPECT_EQ(1u, device.CountCalls(Call::SetCommTimeouts)) << "only Open's";
        }
    }
}
