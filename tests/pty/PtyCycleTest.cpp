// Many open/close cycles of one CSerialLink on a real pseudo-terminal pair under Wine while the
// peer keeps sending: nothing may hang, and no thread or handle may stay behind.
#include "tests/pty/PtyLinkTest.h"

#include <string>

namespace ptytest
{
namespace
{
constexpr int kCycles = 200;
constexpr int kHandleSlack = 2;
// Cycles run before the handle count that the last cycle is compared with.
constexpr int kSettlingCycles = 10;

// Modes taken in turn, one per cycle: direct and staged roads, every worker combination.
const DWORD kCycleModes[] = {0x003, 0x001, 0x002, 0x000, 0x01F, 0x01D,
                             0x03F, 0x03D, 0x23F, 0x23D, 0x016, 0x02A};

using PtyCycles = PtyLinkTest;

// Reads on the COM end until the streamer has noticed its stop request (its pending send may be
// waiting for room on the line).
void StopStreamer(PeerStreamer& streamer, int port)
{
    streamer.RequestStop();
    wchar_t name[32];
    ::wsprintfW(name, L"\\\\.\\COM%d", port);
    testsupport::PeerPort comEnd(name);
    EXPECT_TRUE(WaitUntil(
        [&] {
            comEnd.Receive(4096, 20);
            return streamer.Finished();
        },
        kPatience));
    streamer.Join();
}

TEST_F(PtyCycles, OpenCloseCyclesWhileThePeerStreamsLeaveNoThreadOrHandleBehind)
{
    ASSERT_NO_FATAL_FAILURE(WarmUpPort());
    const int handlesBefore = CountHandles();
    ASSERT_GT(handlesBefore, 0);

    PeerStreamer streamer(peer);
    int handlesAfterSettling = 0;
    DWORD bytesRead = 0;
    {
        ObservedLink cycling;
        cycling.SetNotifyWindow(recorder.Window());
        const std::string message = Pattern(64, 5);
        for (int cycle = 0; cycle < kCycles; ++cycle)
        {
            const DWORD mode = kCycleModes[cycle % (sizeof kCycleModes / sizeof kCycleModes[0])];
            SCOPED_TRACE(testing::Message() << "cycle " << cycle << ", mode 0x" << std::hex << mode);
            const int threadsBefore = CountThreads();
            ASSERT_TRUE(cycling.SetMode(mode));
            ASSERT_TRUE(cycling.Open(modem.comNumber));
            char chunk[CSerialLink::READ_CHUNK + 1];
            cycling.Read(chunk);
            cycling.Write(message.data(), static_cast<DWORD>(message.size()));

            const DWORD start = ::GetTickCount();
            cycling.Close(CSerialLink::STOP_WAIT);
            ASSERT_LT(::GetTickCount() - start, kCloseBound);
            ASSERT_EQ(0u, cycling.RunningLoops()) << "a worker did not end by itself";
            ASSERT_TRUE(WaitUntil([&] { return CountThreads() <= threadsBefore; }, kPatience));
            recorder.Drain(WM_USER, 0x7FFF);
            if (cycle + 1 == kSettlingCycles)
                handlesAfterSettling = CountHandles();
        }
        // The object keeps what it owns across cycles; the count must not grow with them.
        EXPECT_LE(CountHandles(), handlesAfterSettling + kHandleSlack);
        bytesRead = cycling.BytesRead();
    }
    StopStreamer(streamer, modem.comNumber);
    EXPECT_GT(streamer.BytesSent(), 0u);
    EXPECT_GT(bytesRead, 0u);
    EXPECT_LE(CountHandles(), handlesBefore + kHandleSlack);
}
} // namespace
} // namespace ptytest
