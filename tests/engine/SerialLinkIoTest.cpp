#include "tests/engine/LinkUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using Call = FakeSerialDevice::Call;

namespace
{
constexpr DWORD OVERLAPPED_ONLY = CSerialLink::MODE_OVERLAPPED;

std::string Pattern(size_t n, int seed = 0)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed) & 0xFF);
    return bytes;
}

std::vector<DWORD> WriteSizes(FakeSerialDevice& device)
{
    std::vector<DWORD> sizes;
    for (const auto& record : device.Calls())
    {
        if (record.call == Call::WriteFile)
            sizes.push_back(record.args[0]);
    }
    return sizes;
}

// An open port with no workers, so each test drives the I/O roads itself.
class SerialLinkIo : public testing::Test
{
protected:
    void OpenWithMode(DWORD mode)
    {
        ASSERT_TRUE(link.SetMode(mode));
        ASSERT_TRUE(link.Open(4));
        device.ClearCalls();
    }
    void Stage(const std::string& bytes)
    {
        CSerialLink::BlockBuffer::Guard guard(link.TransmitBuffer());
        link.TransmitBuffer().Append(bytes.data(), static_cast<DWORD>(bytes.size()));
    }

    FakeSerialDevice device;
    LinkUnderTest link{device};
};
} // namespace

TEST_F(SerialLinkIo, ClosedPortReadsAndWritesNothingWithoutACall)
{
    char buffer[1024];
    EXPECT_EQ(0u, link.Read(buffer));
    EXPECT_EQ(0u, link.RawRead(buffer, 10));
    EXPECT_EQ(0u, link.Write("abc", 3));
    EXPECT_EQ(0u, link.RawWrite("abc", 3));
    EXPECT_EQ(0u, link.BytesRead());
    EXPECT_EQ(0u, link.BytesWritten());
    EXPECT_FALSE(link.HasBytesToRead());
    EXPECT_TRUE(device.Calls().empty());
}

TEST_F(SerialLinkIo, DirectReadDeliversAtMost1023Bytes)
{
    OpenWithMode(OVERLAPPED_ONLY);
    const std::string input = Pattern(1500);
    device.PushInput(input);
    std::vector<char> buffer(1024, '\x5A');
    EXPECT_EQ(1023u, link.Read(buffer.data()));
    EXPECT_EQ('\x5A', buffer[1023]) << "byte 1024 stays free for a terminator";
    EXPECT_EQ(input.substr(0, 1023), std::string(buffer.data(), 1023));
    EXPECT_TRUE(link.HasBytesToRead()) << "477 bytes still queued";
    EXPECT_EQ(477u, link.Read(buffer.data()));
    EXPECT_EQ(1500u, link.BytesRead());
    EXPECT_FALSE(link.HasBytesToRead()) << "a read now would wait for the time-out";
    EXPECT_EQ(0u, link.Read(buffer.data())) << "nothing arrives before the time-out";
}

TEST_F(SerialLinkIo, BufferedReadTakesChunksFromTheReceiveBufferEvenWhenClosed)
{
    ASSERT_TRUE(link.SetMode(OVERLAPPED_ONLY | CSerialLink::MODE_RX_BUFFER));
    const std::string staged = Pattern(3000);
    {
        CSerialLink::BlockBuffer::Guard guard(link.ReceiveBuffer());
        link.ReceiveBuffer().Append(staged.data(), 3000);
    }
    std::vector<char> buffer(1024);
    std::string got;
    for (DWORD expected : {1023u, 1023u, 954u, 0u})
    {
        EXPECT_EQ(expected != 0, link.HasBytesToRead());
        const DWORD n = link.Read(buffer.data());
        EXPECT_EQ(expected, n);
        got.append(buffer.data(), n);
    }
    EXPECT_EQ(staged, got);
    EXPECT_TRUE(device.Calls().empty()) << "the port is not touched";
}

TEST_F(SerialLinkIo, PendingReadCompletesWhenBytesArrive)
{
    OpenWithMode(OVERLAPPED_ONLY);
    device.SetEmptyRead(FakeSerialDevice::EmptyRead::Pend);
    std::thread peer([&] {
        device.WaitForCallCount(Call::ReadFile, 1, 5000);
        device.PushInput("late");
    });
    char buffer[1024];
    const DWORD n = link.Read(buffer);
    peer.join();
    EXPECT_EQ("late", std::string(buffer, n));
    EXPECT_EQ(4u, link.BytesRead());
}

class FailedPendingRead : public testing::TestWithParam<DWORD>
{
};

// Wine ends a timed-out read with ERROR_TIMEOUT; a purge or a cancel aborts it; a vanished
// device breaks it. Each means nothing arrived, and the read must not wait again.
TEST_P(FailedPendingRead, ReturnsZeroOnce)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(OVERLAPPED_ONLY));
    ASSERT_TRUE(link.Open(4));
    device.SetEmptyRead(FakeSerialDevice::EmptyRead::Pend);
    std::thread peer([&] {
        device.WaitForCallCount(Call::ReadFile, 1, 5000);
        device.EndPendingRead(GetParam());
    });
    char buffer[1024];
    EXPECT_EQ(0u, link.Read(buffer));
    peer.join();
    EXPECT_EQ(0u, link.BytesRead());
    EXPECT_EQ(1u, device.CountCalls(Call::GetOverlappedResult));
}

INSTANTIATE_TEST_SUITE_P(Errors, FailedPendingRead,
                         testing::Values(ERROR_TIMEOUT, ERROR_OPERATION_ABORTED,
                                         ERROR_BROKEN_PIPE));

TEST_F(SerialLinkIo, OverlappedReadThatFailsAtOnceReadsNothing)
{
    OpenWithMode(OVERLAPPED_ONLY);
    device.PushInput("xyz");
    device.FailCall(Call::ReadFile, ERROR_NOT_READY, 1);
    char buffer[1024];
    EXPECT_EQ(0u, link.Read(buffer));
    EXPECT_EQ(0u, device.CountCalls(Call::GetOverlappedResult));
}

struct LineErrorCase
{
    const char* name;
    bool read;
    DWORD purge;
    Call io;
};

class LineErrorPurge : public testing::TestWithParam<LineErrorCase>
{
};

TEST_P(LineErrorPurge, PurgesItsDirectionThenDoesTheIo)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(OVERLAPPED_ONLY));
    ASSERT_TRUE(link.Open(4));
    device.PushInput("in");
    device.SetErrorFlags(CE_FRAME | CE_OVERRUN);
    device.ClearCalls();
    char buffer[16];
    const DWORD n = GetParam().read ? link.RawRead(buffer, sizeof(buffer)) : link.RawWrite("out", 3);
    EXPECT_EQ(GetParam().read ? 2u : 3u, n);
    const auto calls = device.Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(Call::ClearCommError, calls[0].call);
    EXPECT_EQ(GetParam().read, calls[0].pointer != nullptr) << "a read also asks for the status";
    EXPECT_EQ(Call::PurgeComm, calls[1].call);
    EXPECT_EQ(GetParam().purge, calls[1].args[0]);
    EXPECT_EQ(GetParam().io, calls[2].call);

    device.ClearCalls();
    GetParam().read ? link.RawRead(buffer, sizeof(buffer)) : link.RawWrite("out", 3);
    EXPECT_EQ(0u, device.CountCalls(Call::PurgeComm)) << "no errors pending, no purge";
}

INSTANTIATE_TEST_SUITE_P(
    Directions, LineErrorPurge,
    testing::Values(LineErrorCase{"Read", true, PURGE_RXABORT, Call::ReadFile},
                    LineErrorCase{"Write", false, PURGE_TXABORT, Call::WriteFile}),
    [](const testing::TestParamInfo<LineErrorCase>& info) { return info.param.name; });

TEST_F(SerialLinkIo, WriteOfNothingQueuesNothingInAnyMode)
{
    for (DWORD mode : {0x002u, 0x00Au, 0x008u, 0x02Au})
    {
        SCOPED_TRACE(mode);
        FakeSerialDevice device;
        LinkUnderTest link(device);
        ASSERT_TRUE(link.SetMode(mode));
        ASSERT_TRUE(link.Open(4));
        device.ClearCalls();
        EXPECT_EQ(0u, link.Write("x", 0));
        EXPECT_EQ(0u, link.TransmitBuffer().Size());
        EXPECT_TRUE(device.Calls().empty());
    }
}

struct QueuedWriteCase
{
    DWORD mode;
    bool setsCommMask;
};

class QueuedWrite : public testing::TestWithParam<QueuedWriteCase>
{
};

TEST_P(QueuedWrite, StagesTheBytesAndWakesASender)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(GetParam().mode));
    ASSERT_TRUE(link.Open(4));
    device.ClearCalls();
    EXPECT_EQ(0u, link.Write("hello", 5));
    EXPECT_EQ(5u, link.TransmitBuffer().Size());
    EXPECT_EQ(0u, device.CountCalls(Call::WriteFile));
    const auto calls = device.Calls();
    if (GetParam().setsCommMask)
    {
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(Call::SetCommMask, calls[0].call);
        EXPECT_EQ(CSerialLink::DEFAULT_EVENT_MASK, calls[0].args[0]);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(link.m_hMonitorWake, 0));
    }
    else
    {
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(link.m_hMonitorWake, 0));
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(link.m_hTransmitWake, 0));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, QueuedWrite,
                         testing::Values(QueuedWriteCase{0x00A, true},   // overlapped
                                         QueuedWriteCase{0x008, false},  // blocking
                                         QueuedWriteCase{0x02A, false}), // transmit worker
                         [](const testing::TestParamInfo<QueuedWriteCase>& info) {
                             return "Mode" + std::to_string(info.param.mode);
                         });

TEST_F(SerialLinkIo, QueuedWriteWhileClosedStaysForLater)
{
    ASSERT_TRUE(link.SetMode(OVERLAPPED_ONLY | CSerialLink::MODE_TX_BUFFER));
    EXPECT_EQ(0u, link.Write("later", 5));
    EXPECT_EQ(5u, link.TransmitBuffer().Size());
    EXPECT_TRUE(device.Calls().empty());
}

TEST_F(SerialLinkIo, OverlappedWriteFinishedAtOnceReturnsTheCount)
{
    OpenWithMode(OVERLAPPED_ONLY);
    EXPECT_EQ(100u, link.Write(Pattern(100).data(), 100));
    EXPECT_EQ(100u, link.BytesWritten());
    EXPECT_EQ(Pattern(100), device.Output());
}

// One direct write at a time goes to the port; the ones behind it wait their turn and follow it
// without the caller's help, in order, from copies: the caller frees its buffers at once.
TEST_F(SerialLinkIo, DirectWritesReachThePortOneAtATimeInIssueOrder)
{
    OpenWithMode(OVERLAPPED_ONLY);
    device.SetWritesPend(true);
    const std::string pieces[] = {Pattern(100, 1), Pattern(200, 2), Pattern(300, 3)};
    for (const std::string& piece : pieces)
    {
        std::unique_ptr<char[]> buffer(new char[piece.size()]);
        std::memcpy(buffer.get(), piece.data(), piece.size());
        EXPECT_EQ(0u, link.Write(buffer.get(), static_cast<DWORD>(piece.size())));
    }
    EXPECT_EQ(600u, link.BytesWritten()) << "pending and waiting writes count as sent";
    EXPECT_EQ(1u, device.CountCalls(Call::WriteFile)) << "the second waits for the first";
    EXPECT_EQ(1u, device.PendingWriteCount());

    // The first completes: the second is handed over by itself and stays pending.
    EXPECT_EQ(1u, device.CompletePendingWrites());
    ASSERT_TRUE(device.WaitForCallCount(Call::WriteFile, 2, 5000));
    EXPECT_EQ(1u, device.PendingWriteCount());
    // The second completes: the third follows and finishes at once.
    device.SetWritesPend(false);
    EXPECT_EQ(1u, device.CompletePendingWrites());
    ASSERT_TRUE(device.WaitForCallCount(Call::WriteFile, 3, 5000));
    EXPECT_EQ(pieces[0] + pieces[1] + pieces[2], device.Output());

    std::vector<std::string> handedOver;
    for (const auto& record : device.Calls())
    {
        if (record.call != Call::WriteFile)
            continue;
        handedOver.push_back(record.bytes);
        if (handedOver.size() > 1)
        {
            EXPECT_NE(::GetCurrentThreadId(), record.threadId) << "not issued by the caller";
        }
    }
    EXPECT_EQ((std::vector<std::string>{pieces[0], pieces[1], pieces[2]}), handedOver);

    // With nothing in flight a write goes straight out and reports its count.
    EXPECT_EQ(4u, link.Write("tail", 4));
    EXPECT_EQ(pieces[0] + pieces[1] + pieces[2] + "tail", device.Output());
}

// What the direct road still holds for the line, for callers that must not run ahead of it: the
// write in flight counted whole until it completes, and those waiting behind it. The chain moves
// on by itself, so the count falls without another Write.
TEST_F(SerialLinkIo, PendingWriteBytesIsWhatThePortHasNotFinished)
{
    OpenWithMode(OVERLAPPED_ONLY);
    auto pendingFallsTo = [this](DWORD expected) {
        const DWORD start = ::GetTickCount();
        while (link.PendingWriteBytes() != expected && ::GetTickCount() - start < 5000)
            ::Sleep(1);
        return link.PendingWriteBytes() == expected;
    };
    EXPECT_EQ(4u, link.Write("done", 4));
    EXPECT_EQ(0u, link.PendingWriteBytes()) << "finished at once";

    device.SetWritesPend(true);
    link.Write(Pattern(100).data(), 100);
    EXPECT_EQ(100u, link.PendingWriteBytes());
    link.Write(Pattern(200).data(), 200);
    EXPECT_EQ(300u, link.PendingWriteBytes());
    device.CompletePendingWrites();
    EXPECT_TRUE(pendingFallsTo(200)) << "the second is in flight";
    device.CompletePendingWrites();
    EXPECT_TRUE(pendingFallsTo(0));

    link.Write(Pattern(50).data(), 50);
    link.Write(Pattern(60).data(), 60);
    link.Close(500);
    EXPECT_EQ(0u, link.PendingWriteBytes()) << "Close ends them";
}

// A close that flushes sends the direct writes still waiting their turn before it flushes: they
// are output the caller handed over, not pending work to abort.
TEST(SerialLinkFlushOnClose, SendsWaitingDirectWritesBeforeTheFlush)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(CSerialLink::MODE_OVERLAPPED | CSerialLink::MODE_FLUSH_ON_CLOSE));
    ASSERT_TRUE(link.Open(4));
    device.SetWritesPend(true);
    link.Write("abc", 3);
    link.Write("def", 3);
    link.Write("ghi", 3);
    ASSERT_EQ(1u, device.CountCalls(Call::WriteFile));

    // The device is slow: it takes the pending write only after a while. A close that flushed
    // first would have called FlushFileBuffers by then.
    std::thread slowDevice([&device] {
        const bool bFlushedEarly = device.WaitForCallCount(Call::FlushFileBuffers, 1, 300);
        EXPECT_FALSE(bFlushedEarly) << "flushed while writes were still waiting";
        device.SetWritesPend(false);
        device.CompletePendingWrites();
    });
    link.Close(500);
    slowDevice.join();

    EXPECT_EQ("abcdefghi", device.Output());
    std::vector<Call> order;
    for (const auto& record : device.Calls())
    {
        if (record.call == Call::WriteFile || record.call == Call::FlushFileBuffers)
            order.push_back(record.call);
    }
    EXPECT_EQ((std::vector<Call>{Call::WriteFile, Call::WriteFile, Call::WriteFile,
                                 Call::FlushFileBuffers}),
              order);
}

// Nobody is left to hear of a waiting write that fails when its turn comes: it is dropped and
// the next one goes ahead.
TEST_F(SerialLinkIo, WaitingWriteThatFailsAtOnceIsDroppedAndTheNextFollows)
{
    OpenWithMode(OVERLAPPED_ONLY);
    device.SetWritesPend(true);
    link.Write("first", 5);
    link.Write("second", 6);
    link.Write("third", 5);
    device.FailCall(Call::WriteFile, ERROR_NOT_READY, 1);
    device.CompletePendingWrites();
    ASSERT_TRUE(device.WaitForCallCount(Call::WriteFile, 3, 5000));
    EXPECT_EQ(1u, device.PendingWriteCount());
    device.CompletePendingWrites();
    EXPECT_EQ("firstthird", device.Output());
}

TEST_F(SerialLinkIo, OverlappedWriteThatFailsAtOnceIsNotCounted)
{
    OpenWithMode(OVERLAPPED_ONLY);
    device.FailCall(Call::WriteFile, ERROR_NOT_READY, 1);
    EXPECT_EQ(0u, link.Write("abc", 3));
    EXPECT_EQ(0u, link.BytesWritten());
}

TEST_F(SerialLinkIo, CloseEndsPendingWritesBeforeClosingThePort)
{
    OpenWithMode(OVERLAPPED_ONLY);
    device.SetWritesPend(true);
    link.Write("abc", 3);
    link.Write("def", 3);
    link.Close(500);
    EXPECT_EQ(0u, device.PendingWriteCount());
    const auto sequence = device.CallSequence();
    const auto cancel = std::find(sequence.begin(), sequence.end(), Call::CancelIoEx);
    ASSERT_NE(sequence.end(), cancel);
    EXPECT_LT(cancel, std::find(sequence.begin(), sequence.end(), Call::CloseHandle));
}

struct CloseWithWaitingWritesCase
{
    const char* name;
    bool inFlightIgnoresCancel; // the write in flight never ends: Close must abandon it
};

class CloseWithWaitingWrites : public testing::TestWithParam<CloseWithWaitingWritesCase>
{
};

// Writes still waiting their turn never reach the port once Close has begun, Close returns
// within its bound, and the next Open starts with an empty queue.
TEST_P(CloseWithWaitingWrites, DiscardsThemAndReturnsBounded)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    ASSERT_TRUE(link.SetMode(OVERLAPPED_ONLY));
    ASSERT_TRUE(link.Open(4));
    device.SetWritesPend(true);
    link.Write("abc", 3);
    link.Write("def", 3);
    link.Write("ghi", 3);
    if (GetParam().inFlightIgnoresCancel)
    {
        device.FailCall(Call::PurgeComm, ERROR_NOT_READY);
        device.FailCall(Call::CancelIoEx, ERROR_NOT_READY);
    }
    const DWORD start = ::GetTickCount();
    link.Close(500);
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(1u, device.CountCalls(Call::WriteFile));
    EXPECT_EQ("", device.Output());

    device.ClearFaults();
    device.SetWritesPend(false);
    ASSERT_TRUE(link.Open(4));
    EXPECT_EQ(4u, link.Write("next", 4));
    EXPECT_EQ("next", device.Output());
    EXPECT_EQ(2u, device.CountCalls(Call::WriteFile));
}

INSTANTIATE_TEST_SUITE_P(
    InFlight, CloseWithWaitingWrites,
    testing::Values(CloseWithWaitingWritesCase{"Cancelled", false},
                    CloseWithWaitingWritesCase{"Stubborn", true}),
    [](const testing::TestParamInfo<CloseWithWaitingWritesCase>& info) {
        return info.param.name;
    });

TEST_F(SerialLinkIo, BlockingWriteThatTimesOutCountsWhatWentOut)
{
    OpenWithMode(0);
    device.SetBlockingWriteLimit(10);
    EXPECT_EQ(10u, link.Write(Pattern(100).data(), 100));
    EXPECT_EQ(10u, link.BytesWritten());
}

TEST_F(SerialLinkIo, OverlappedDrainSendsOneRunOfTheHeadBlockPerCall)
{
    OpenWithMode(OVERLAPPED_ONLY | CSerialLink::MODE_TX_BUFFER);
    const std::string bytes = Pattern(3000);
    Stage(bytes);
    EXPECT_EQ(1024u, link.DrainTransmitBuffer());
    EXPECT_EQ(1024u, link.DrainTransmitBuffer());
    EXPECT_EQ(952u, link.DrainTransmitBuffer());
    EXPECT_EQ(0u, link.DrainTransmitBuffer());
    EXPECT_EQ((std::vector<DWORD>{1024, 1024, 952}), WriteSizes(device));
    EXPECT_EQ(bytes, device.Output());
}

TEST_F(SerialLinkIo, OverlappedDrainNeverMixesTwoBlocks)
{
    OpenWithMode(OVERLAPPED_ONLY | CSerialLink::MODE_TX_BUFFER);
    const std::string first = Pattern(1024, 1), second = Pattern(500, 2);
    Stage(first);
    {
        CSerialLink::BlockBuffer::Guard guard(link.TransmitBuffer());
        link.TransmitBuffer().Consume(nullptr, 924); // 100 bytes left in the head block
    }
    Stage(second);
    EXPECT_EQ(100u, link.DrainTransmitBuffer());
    EXPECT_EQ(500u, link.DrainTransmitBuffer());
    EXPECT_EQ(first.substr(924) + second, device.Output());
}

// A pending in-place write keeps its block: bytes queued meanwhile must not land on it.
TEST_F(SerialLinkIo, PendingInPlaceWriteKeepsItsBlockAlive)
{
    OpenWithMode(OVERLAPPED_ONLY | CSerialLink::MODE_TX_BUFFER);
    device.SetWritesPend(true);
    const std::string first = Pattern(100, 3);
    Stage(first);
    EXPECT_EQ(100u, link.DrainTransmitBuffer());
    EXPECT_EQ(100u, link.BytesWritten());
    EXPECT_EQ(0u, link.TransmitBuffer().Size());
    link.Write(std::string(300, '#').data(), 300);

    EXPECT_EQ(0u, link.DrainTransmitBuffer()) << "the previous write is still running";
    EXPECT_EQ(1u, device.PendingWriteCount());
    device.CompletePendingWrites();
    EXPECT_EQ(first, device.Output());

    EXPECT_EQ(300u, link.DrainTransmitBuffer());
    device.CompletePendingWrites();
    EXPECT_EQ(first + std::string(300, '#'), device.Output());
}

TEST_F(SerialLinkIo, PendingInPlaceRunFromALargerBlockIsNotOverwritten)
{
    OpenWithMode(OVERLAPPED_ONLY | CSerialLink::MODE_TX_BUFFER);
    device.SetWritesPend(true);
    const std::string bytes = Pattern(1500, 4);
    Stage(bytes);
    EXPECT_EQ(1024u, link.DrainTransmitBuffer());
    Stage(std::string(2000, '#'));
    device.CompletePendingWrites();
    EXPECT_EQ(476u, link.DrainTransmitBuffer());
    device.CompletePendingWrites();
    EXPECT_EQ(bytes, device.Output());
}

TEST_F(SerialLinkIo, CloseWithAPendingInPlaceWriteEndsIt)
{
    OpenWithMode(OVERLAPPED_ONLY | CSerialLink::MODE_TX_BUFFER);
    device.SetWritesPend(true);
    Stage(Pattern(10));
    EXPECT_EQ(10u, link.DrainTransmitBuffer());
    link.Close(500);
    EXPECT_EQ(0u, device.PendingWriteCount());
    EXPECT_EQ(1u, device.CountCalls(Call::CancelIoEx));
}

TEST_F(SerialLinkIo, BlockingDrainTakesOneChunkAcrossBlocks)
{
    OpenWithMode(CSerialLink::MODE_TX_BUFFER);
    device.SetBlockingWriteLimit(300);
    const std::string first = Pattern(1024, 5), second = Pattern(2000, 6);
    Stage(first);
    {
        CSerialLink::BlockBuffer::Guard guard(link.TransmitBuffer());
        link.TransmitBuffer().Consume(nullptr, 924);
    }
    Stage(second);
    EXPECT_EQ(1024u, link.DrainTransmitBuffer());
    EXPECT_EQ((std::vector<DWORD>{1024, 724, 424, 124}), WriteSizes(device));
    EXPECT_EQ(first.substr(924) + second.substr(0, 924), device.Output());
    EXPECT_EQ(1076u, link.TransmitBuffer().Size());
}

TEST_F(SerialLinkIo, BlockingDrainStopsAfterAWriteThatMakesNoProgress)
{
    OpenWithMode(CSerialLink::MODE_TX_BUFFER);
    device.FailCall(Call::WriteFile, ERROR_NOT_READY);
    Stage(Pattern(500));
    EXPECT_EQ(500u, link.DrainTransmitBuffer());
    EXPECT_EQ(1u, device.CountCalls(Call::WriteFile));
}

TEST_F(SerialLinkIo, DrainOfAnEmptyBufferTouchesNothing)
{
    for (DWORD mode : {0x00Au, 0x008u})
    {
        SCOPED_TRACE(mode);
        FakeSerialDevice device;
        LinkUnderTest link(device);
        ASSERT_TRUE(link.SetMode(mode));
        ASSERT_TRUE(link.Open(4));
        device.ClearCalls();
        EXPECT_EQ(0u, link.DrainTransmitBuffer());
        EXPECT_TRUE(device.Calls().empty());
    }
}

TEST_F(SerialLinkIo, FillReceiveBuffer)
{
    OpenWithMode(OVERLAPPED_ONLY | CSerialLink::MODE_RX_BUFFER);
    EXPECT_EQ(0u, link.FillReceiveBuffer(0));
    EXPECT_TRUE(device.Calls().empty());
    {
        CSerialLink::BlockBuffer::Guard guard(link.ReceiveBuffer());
        EXPECT_EQ(nullptr, link.ReceiveBuffer().Head()) << "nothing reserved";
    }
    device.PushInput("12345");
    EXPECT_EQ(5u, link.FillReceiveBuffer(64));
    EXPECT_EQ(5u, link.ReceiveBuffer().Size());
    char buffer[1024];
    EXPECT_EQ("12345", std::string(buffer, link.Read(buffer)));
}

// A read takes the bytes already queued instead of waiting on for the rest of its count: on the
// window's thread that wait would last the whole read time-out while a slow device trickles.
// With nothing queued it asks for the whole count and waits as the time-outs allow.
TEST_F(SerialLinkIo, ReadTakesWhatIsQueuedWithoutWaitingForMore)
{
    for (DWORD mode : {OVERLAPPED_ONLY, DWORD{0}})
    {
        SCOPED_TRACE(mode);
        OpenWithMode(mode);
        device.PushInput("hello");
        BYTE chunk[CSerialLink::READ_CHUNK];
        EXPECT_EQ(5u, link.Read(chunk));
        EXPECT_EQ(0, std::memcmp(chunk, "hello", 5));
        EXPECT_EQ(0u, link.Read(chunk));
        std::vector<DWORD> asked;
        for (const auto& record : device.Calls())
        {
            if (record.call == Call::ReadFile)
                asked.push_back(record.args[0]);
        }
        EXPECT_EQ((std::vector<DWORD>{5, CSerialLink::READ_CHUNK}), asked);
        link.Close(500);
        device.ClearCalls();
    }
}

TEST_F(SerialLinkIo, FillReceiveBufferClampsAnAbsurdCount)
{
    OpenWithMode(OVERLAPPED_ONLY | CSerialLink::MODE_RX_BUFFER);
    device.PushInput(Pattern(5000));
    EXPECT_EQ(4096u, link.FillReceiveBuffer(CSerialLink::COUNT_UNAVAILABLE));
    EXPECT_EQ(4096u, device.Calls().back().call == Call::ReadFile ? device.Calls().back().args[0] : 0u);
    EXPECT_EQ(4096u, link.ReceiveBuffer().Size());
}

// The window reads staged bytes whenever it gets round to them: each fill's bytes keep the time
// they arrived and how long the line was seen quiet before them, and a reader that falls behind
// finds the newest bytes, never an ever larger buffer.
TEST_F(SerialLinkIo, StagedBytesKeepTheirFillsTimingAndABoundDropsTheOldest)
{
    OpenWithMode(OVERLAPPED_ONLY | CSerialLink::MODE_RX_BUFFER);
    const ULONGLONG nBefore = ::GetTickCount64();
    device.PushInput("abc");
    link.FillReceiveBuffer(64);
    device.PushInput("de");
    link.FillReceiveBuffer(64);
    const ULONGLONG nSecondFill = ::GetTickCount64();
    while (::GetTickCount64() < nSecondFill + 30)   // the line stays quiet a while
        ::Sleep(1);
    link.NoteQueueEmpty();
    device.PushInput("f");
    link.FillReceiveBuffer(64);

    char buffer[16];
    CSerialLink::ReceiveTiming first = {}, rest = {}, second = {}, third = {};
    EXPECT_EQ("ab", std::string(buffer, link.ReadReceived(buffer, 2, &first)));
    EXPECT_EQ("c", std::string(buffer, link.ReadReceived(buffer, 16, &rest))) << "one fill at a time";
    EXPECT_EQ(first.nArrival, rest.nArrival);
    EXPECT_EQ(0u, rest.nQuietBefore) << "the rest of a fill follows its start";
    EXPECT_EQ("de", std::string(buffer, link.ReadReceived(buffer, 16, &second)));
    EXPECT_EQ(0u, second.nQuietBefore) << "never seen empty since the fill before";
    EXPECT_TRUE(nBefore <= first.nArrival && first.nArrival <= second.nArrival && second.nArrival <= nSecondFill);
    EXPECT_EQ("f", std::string(buffer, link.ReadReceived(buffer, 16, &third)));
    EXPECT_GE(third.nQuietBefore, 30u);
    EXPECT_LE(third.nQuietBefore, third.nArrival - second.nArrival);
    EXPECT_EQ(0u, link.ReadReceived(buffer, 16, &third));

    // The bound drops the oldest; the read after the gap says how many bytes it left.
    link.SetReceiveBound(4);
    device.PushInput("123");
    link.FillReceiveBuffer(64);
    EXPECT_EQ("1", std::string(buffer, link.ReadReceived(buffer, 1, &first)));
    EXPECT_EQ(0u, first.nLostBefore);
    device.PushInput("4567");
    link.FillReceiveBuffer(64);
    EXPECT_EQ(4u, link.ReceiveBuffer().Size());
    EXPECT_EQ("4567", std::string(buffer, link.ReadReceived(buffer, 16, &first)));
    EXPECT_EQ(2u, first.nLostBefore) << "\"23\", between \"1\" and these";
    device.PushInput("89abc");
    link.FillReceiveBuffer(64);
    EXPECT_EQ("9abc", std::string(buffer, link.ReadReceived(buffer, 16, &first)));
    EXPECT_EQ(1u, first.nLostBefore) << "said once, with the bytes after the gap";

    // Read takes bytes without regard to fills; the arrival runs follow it.
    device.PushInput("xy");
    link.FillReceiveBuffer(64);
    EXPECT_EQ(2u, link.Read(buffer));
    EXPECT_EQ(0u, link.ReadReceived(buffer, 16, &first));

    // Larger driver queues let one fill take more, also from a driver that reports at most
    // 4 KiB queued (it is read again while bytes stay queued).
    ASSERT_TRUE(link.SetDriverQueues(16384, 4096));
    link.SetReceiveBound(0);
    device.SetReportedInputLimit(4096);
    device.PushInput(Pattern(10000));
    EXPECT_EQ(9000u, link.FillReceiveBuffer(9000));
    EXPECT_EQ(1000u, link.FillReceiveBuffer(CSerialLink::COUNT_UNAVAILABLE)) << "no wait for more";
}
