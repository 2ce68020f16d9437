#include "tests/pty/PtyLinkTest.h"

#include <bitset>
#include <cstdio>

namespace ptytest
{
void PrintTo(const ModeRow& row, std::ostream* os)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%03lX", static_cast<unsigned long>(row.mode));
    *os << "mode " << text;
}

std::string ModeRowName(const testing::TestParamInfo<ModeRow>& info)
{
    char text[16];
    std::snprintf(text, sizeof text, "Mode0x%03lX", static_cast<unsigned long>(info.param.mode));
    return text;
}

namespace
{
VOID CALLBACK NeverCalled(PVOID, BOOLEAN) {}

// A direct overlapped write that has to wait for the port starts the process's thread-pool wait
// thread and a pool worker, and Wine retires both some 5 s after the last wait ends. A wait held
// for the whole run keeps them, so thread counts taken before and after a test compare like with
// like and count only the link's own workers.
void HoldThreadPoolWaitThread()
{
    static HANDLE hNever = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    static HANDLE hWait = nullptr;
    if (!hWait)
    {
        ASSERT_TRUE(::RegisterWaitForSingleObject(&hWait, hNever, NeverCalled, nullptr, INFINITE,
                                                  WT_EXECUTEINWAITTHREAD));
    }
}
} // namespace

void PtyLinkTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(HoldThreadPoolWaitThread());
    modem = testsupport::FirstNullModem();
    ASSERT_NE(0, modem.comNumber) << "no null-modem pair listed in LUMETRA_NULL_MODEMS";
    ASSERT_TRUE(peer.Open(modem.peerPath));
    peer.Drain();
    link.SetNotifyWindow(recorder.Window());
}

void PtyLinkTest::WarmUpPort()
{
    CSerialLink warm;
    ASSERT_TRUE(warm.Open(modem.comNumber));
    warm.Write("w", 1);
    // Before the close: its purge discards what the pair has not yet passed to the peer (a busy
    // machine may not have).
    EXPECT_EQ("w", peer.Receive(1, kPatience));
}

void PtyLinkTest::OpenAndExpectWorkers(ObservedLink& target, DWORD mode, unsigned loops)
{
    threadsBeforeOpen = CountThreads();
    ASSERT_GT(threadsBeforeOpen, 0);
    ASSERT_TRUE(target.SetMode(mode));
    ASSERT_TRUE(target.Open(modem.comNumber));
    ASSERT_TRUE(target.IsOpen());
    EXPECT_EQ(modem.comNumber, target.PortNumber());
    const int workers = static_cast<int>(std::bitset<4>(loops).count());
    EXPECT_TRUE(WaitUntil([&] { return target.EnteredLoops() == loops; }, kPatience))
        << "entered loops " << target.EnteredLoops() << ", expected " << loops;
    EXPECT_EQ(loops, target.RunningLoops());
    EXPECT_EQ(threadsBeforeOpen + workers, CountThreads());
}

void PtyLinkTest::CloseAndExpectNoWorkerLeft(ObservedLink& target)
{
    const DWORD start = ::GetTickCount();
    target.Close(CSerialLink::STOP_WAIT);
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_LT(elapsed, kCloseBound);
    EXPECT_FALSE(target.IsOpen());
    EXPECT_EQ(0u, target.RunningLoops()) << "a worker did not end by itself";
    EXPECT_TRUE(WaitUntil([&] { return CountThreads() <= threadsBeforeOpen; }, kPatience))
        << CountThreads() << " threads, " << threadsBeforeOpen << " before Open";
}
} // namespace ptytest
