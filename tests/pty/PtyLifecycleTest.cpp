// Opening and closing CSerialLink on real pseudo-terminal pairs under Wine: numbers that do not
// open, and objects destroyed while open.
#include "tests/pty/PtyLinkTest.h"

#include <string>
#include <vector>

namespace ptytest
{
namespace
{
// Wine creates a few handles lazily on first use; leaks are counted after a warm-up.
constexpr int kHandleSlack = 2;
constexpr int kUnmappedPort = 7;

using PtyLifecycle = PtyLinkTest;

TEST_F(PtyLifecycle, OpenOfAnUnmappedNumberFailsKeepsTheNumberAndStartsNothing)
{
    const int threadsBefore = CountThreads();
    EXPECT_FALSE(link.Open(kUnmappedPort));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(kUnmappedPort, link.PortNumber());
    EXPECT_EQ(0u, link.EnteredLoops());
    EXPECT_EQ(threadsBefore, CountThreads());
}

TEST_F(PtyLifecycle, OpenOfAnUnmappedNumberOnAnOpenLinkClosesTheOldPortAndItsWorkers)
{
    ASSERT_NO_FATAL_FAILURE(
        OpenAndExpectWorkers(link, CSerialLink::MODE_DEFAULT, ObservedLink::kMonitorOverlapped));
    EXPECT_FALSE(link.Open(kUnmappedPort));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(kUnmappedPort, link.PortNumber());
    EXPECT_EQ(0u, link.RunningLoops());
    EXPECT_TRUE(WaitUntil([&] { return CountThreads() <= threadsBeforeOpen; }, kPatience));
}

TEST_F(PtyLifecycle, DestroyingOpenLinksClosesTheirPortsAndTheNumberOpensAgain)
{
    ASSERT_NO_FATAL_FAILURE(WarmUpPort());
    const int handlesBefore = CountHandles();
    ASSERT_GT(handlesBefore, 0);
    const int threadsBefore = CountThreads();
    // Several objects, so that even one handle left behind by each shows above the slack.
    for (int i = 0; i < 5; ++i)
    {
        CSerialLink open;
        ASSERT_TRUE(open.Open(modem.comNumber));
        ASSERT_EQ(0u, open.Write("ping", 4) % 4); // overlapped: 0 while pending, else 4
        EXPECT_EQ("ping", peer.Receive(4, kPatience));
    }
    EXPECT_TRUE(WaitUntil([&] { return CountThreads() <= threadsBefore; }, kPatience));
    EXPECT_LE(CountHandles(), handlesBefore + kHandleSlack);

    // A new object opens the same number and exchanges bytes both ways.
    ASSERT_NO_FATAL_FAILURE(
        OpenAndExpectWorkers(link, CSerialLink::MODE_DEFAULT, ObservedLink::kMonitorOverlapped));
    const std::string hello = Pattern(300, 4);
    std::string why;
    EXPECT_TRUE(WriteThroughLink(link, hello, {300}, &why)) << why;
    EXPECT_EQ("", Difference(hello, peer.Receive(hello.size(), kPatience)));
    ASSERT_TRUE(peer.Send("world"));
    std::vector<NotificationRecorder::Message> notes;
    EXPECT_EQ("world", ReceiveThroughLink(link, recorder, 5, true, kPatience, &notes));
    CloseAndExpectNoWorkerLeft(link);
}
} // namespace
} // namespace ptytest
