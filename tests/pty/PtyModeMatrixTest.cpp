// CSerialLink on a real pseudo-terminal pair under Wine, for each road of the mode word: the
// workers a mode starts, bytes both ways, and a bounded Close that leaves no worker.
#include "tests/pty/PtyLinkTest.h"

#include <string>
#include <vector>

namespace ptytest
{
namespace
{
using L = ObservedLink;
constexpr unsigned kAnyMonitor = L::kMonitorOverlapped | L::kMonitorPolled;

// Each pair differs only in MODE_OVERLAPPED (0x002).
const ModeRow kModes[] = {
    {0x003, L::kMonitorOverlapped}, // the terminal window's mode
    {0x001, L::kMonitorPolled},
    {0x002, 0},
    {0x000, 0},
    {0x01F, L::kMonitorOverlapped | L::kReceive},
    {0x01D, L::kMonitorPolled | L::kReceive},
    {0x03F, L::kMonitorOverlapped | L::kReceive | L::kTransmit},
    {0x03D, L::kMonitorPolled | L::kReceive | L::kTransmit},
    {0x23F, L::kMonitorOverlapped | L::kReceive | L::kTransmit},
    {0x23D, L::kMonitorPolled | L::kReceive | L::kTransmit},
    {0x016, L::kReceive},  // staged receive without a monitor
    {0x014, L::kReceive},
    {0x02A, L::kTransmit}, // staged transmit without a monitor
    {0x028, L::kTransmit},
};

// Piece sizes around the 1023-byte read and 1024-byte block and transmit chunk.
const std::vector<DWORD> kPieces = {1, 700, 1023, 1024, 1025, 3000};
constexpr size_t kStreamSize = 10 * 1024;
constexpr size_t kLongStreamSize = 256 * 1024;

class PtyModes : public PtyLinkTest, public testing::WithParamInterface<ModeRow>
{
};

TEST_P(PtyModes, OpenStartsExactlyTheWorkersOfItsModeAndCloseEndsThem)
{
    ASSERT_NO_FATAL_FAILURE(OpenAndExpectWorkers(link, GetParam().mode, GetParam().loops));
    CloseAndExpectNoWorkerLeft(link);
}

TEST_P(PtyModes, BytesWrittenArriveOnThePeerCompleteAndInOrder)
{
    ASSERT_NO_FATAL_FAILURE(OpenAndExpectWorkers(link, GetParam().mode, GetParam().loops));
    const std::string bytes = Pattern(kStreamSize, 1);
    std::string received;
    {
        PeerReader reader(peer, bytes.size(), 2 * kPatience);
        std::string why;
        EXPECT_TRUE(WriteThroughLink(link, bytes, kPieces, &why)) << why;
        received = reader.Join();
    }
    EXPECT_EQ("", Difference(bytes, received));
    CloseAndExpectNoWorkerLeft(link);
}

// A stream far larger than the line's buffers, written in small pieces as fast as Write takes
// them to a peer that reads more slowly: writes must wait for room (many direct overlapped
// writes are pending at once), and the bytes must still leave in the order they were written.
TEST_P(PtyModes, WritesToASlowPeerKeepTheirOrderWhileTheLineIsFull)
{
    ASSERT_NO_FATAL_FAILURE(OpenAndExpectWorkers(link, GetParam().mode, GetParam().loops));
    const std::string bytes = Pattern(kLongStreamSize, 6);
    std::string received;
    {
        PeerReader reader(peer, bytes.size(), 3 * kPatience, PeerReader::kSlow);
        std::string why;
        EXPECT_TRUE(WriteThroughLink(link, bytes, {256}, &why)) << why;
        received = reader.Join();
    }
    EXPECT_EQ("", Difference(bytes, received));
    CloseAndExpectNoWorkerLeft(link);
}

TEST_P(PtyModes, BytesFromThePeerAreDeliveredExactlyOnceThroughRead)
{
    ASSERT_NO_FATAL_FAILURE(OpenAndExpectWorkers(link, GetParam().mode, GetParam().loops));
    const bool notified = (GetParam().loops & (kAnyMonitor | L::kReceive)) != 0;
    const std::string bytes = Pattern(kStreamSize, 2);
    std::vector<NotificationRecorder::Message> notes;
    std::string received;
    {
        PeerWriter writer(peer, bytes);
        received = ReceiveThroughLink(link, recorder, bytes.size(), notified, 3 * kPatience, &notes);
        EXPECT_TRUE(writer.Join());
    }
    EXPECT_EQ("", Difference(bytes, received));
    // Every byte was taken from the port once: none is left behind or read twice.
    EXPECT_EQ(bytes.size(), link.BytesRead());
    if (GetParam().mode & CSerialLink::MODE_RX_BUFFER)
    {
        char rest[CSerialLink::READ_CHUNK + 1];
        EXPECT_EQ(0u, link.Read(rest));
    }
    if (notified)
    {
        EXPECT_FALSE(notes.empty());
    }
    for (const auto& note : notes)
    {
        EXPECT_EQ(recorder.Window(), note.hWnd);
        EXPECT_EQ(static_cast<WPARAM>(modem.comNumber), note.wParam);
        EXPECT_EQ(0, note.lParam);
    }
    CloseAndExpectNoWorkerLeft(link);
}

INSTANTIATE_TEST_SUITE_P(Roads, PtyModes, testing::ValuesIn(kModes), ModeRowName);

// With MODE_DRAIN_ON_CLOSE and MODE_TX_BUFFER, Close returns only once the workers have sent
// everything staged; the bytes must then be on their way to the peer.
const ModeRow kDrainingModes[] = {
    {0x23F, L::kMonitorOverlapped | L::kReceive | L::kTransmit},
    {0x23D, L::kMonitorPolled | L::kReceive | L::kTransmit},
    {0x21F, L::kMonitorOverlapped | L::kReceive}, // the monitor sends
    {0x21D, L::kMonitorPolled | L::kReceive},
    {0x22A, L::kTransmit},
};

class PtyDrainOnClose : public PtyLinkTest, public testing::WithParamInterface<ModeRow>
{
};

TEST_P(PtyDrainOnClose, CloseRightAfterStagedWritesSendsThemAll)
{
    ASSERT_NO_FATAL_FAILURE(OpenAndExpectWorkers(link, GetParam().mode, GetParam().loops));
    const std::string bytes = Pattern(kStreamSize, 3);
    std::string why;
    EXPECT_TRUE(WriteThroughLink(link, bytes, kPieces, &why)) << why;
    CloseAndExpectNoWorkerLeft(link);
    EXPECT_EQ(0u, link.TransmitBuffer().Size());
    EXPECT_EQ("", Difference(bytes, peer.Receive(bytes.size(), kPatience)));
}

INSTANTIATE_TEST_SUITE_P(Roads, PtyDrainOnClose, testing::ValuesIn(kDrainingModes), ModeRowName);
} // namespace
} // namespace ptytest
