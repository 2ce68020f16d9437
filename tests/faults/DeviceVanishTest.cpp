// The device vanishes while it streams (its end of the null modem is gone, as when a USB adapter
// is pulled): the window keeps answering, Disconnect works at once, nothing breaks, and once the
// device is back on the same COM number, Connect works and data flows both ways again.
#include "tests/faults/FaultFixture.h"
#include "tests/faults/PeerTraffic.h"
#include "tests/support/ResponsivenessProbe.h"

namespace {

constexpr DWORD kStreamBytesPerSecond = 20000;
constexpr DWORD kReadBeforeCut = 8192;         // the stream is flowing into the window
constexpr DWORD kProbePeriodMs = 50;
constexpr DWORD kAnswerLimitMs = 2000;         // a window that takes longer counts as frozen
constexpr int kSamplesWhileGone = 40;          // about two seconds of living with the lost port
constexpr DWORD kDisconnectLimitMs = 1000;

// CPU time a thread has used so far, in milliseconds.
ULONGLONG CpuMs(DWORD nThreadId)
{
    HANDLE hThread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, nThreadId);
    FILETIME created, exited, kernel, user;
    ULONGLONG nMs = 0;
    if (hThread != nullptr && ::GetThreadTimes(hThread, &created, &exited, &kernel, &user)) {
        const ULONGLONG nKernel = (static_cast<ULONGLONG>(kernel.dwHighDateTime) << 32) | kernel.dwLowDateTime;
        const ULONGLONG nUser = (static_cast<ULONGLONG>(user.dwHighDateTime) << 32) | user.dwLowDateTime;
        nMs = (nKernel + nUser) / 10000;
    }
    if (hThread != nullptr)
        ::CloseHandle(hThread);
    return nMs;
}

TEST_F(FaultTest, DeviceVanishingWhileItStreamsLeavesTheWindowUsableAndItsReturnWorks)
{
    Connect(kFirstCom);
    {
        faults::PeerStreamer streamer(Peer(kFirstCom), kStreamBytesPerSecond);
        ASSERT_TRUE(WaitForBytesRead(kReadBeforeCut)) << "the stream does not reach the window";
        testsupport::ResponsivenessProbe probe(Host().Window(), kProbePeriodMs, kAnswerLimitMs);

        const ULONGLONG nCut = ::GetTickCount64();
        const ULONGLONG nCpuAtCut = CpuMs(DialogThreadId());
        ASSERT_EQ("ok", m_control.Cut(kFirstCom));
        EXPECT_TRUE(dialog_host::WaitUntil([&] { return streamer.Finished(); }, kWaitMs));
        EXPECT_TRUE(streamer.LineFailed()) << "the device's writes should fail once its line is gone";
        const int nSamplesAtCut = probe.Samples();
        EXPECT_TRUE(dialog_host::WaitUntil([&] { return probe.Samples() >= nSamplesAtCut + kSamplesWhileGone; },
                                           kSamplesWhileGone * (kProbePeriodMs + kAnswerLimitMs)));
        probe.Stop();
        const ULONGLONG nGoneMs = ::GetTickCount64() - nCut;
        const ULONGLONG nCpuGoneMs = CpuMs(DialogThreadId()) - nCpuAtCut;

        Figure("device vanished after %lu bytes streamed, %lu read by the window", streamer.BytesSent(), BytesRead());
        Figure("window answers while the port is gone: %d of %d WM_NULL answered, worst %.0f ms (limit %lu ms), "
               "observed for %llu ms after the cut; its thread used %llu ms of CPU meanwhile",
               probe.Samples() - probe.Unanswered(), probe.Samples(), probe.WorstMs(), kAnswerLimitMs, nGoneMs,
               nCpuGoneMs);
        EXPECT_EQ(0, probe.Unanswered());
        EXPECT_LT(probe.WorstMs(), kAnswerLimitMs);
    }
    EXPECT_TRUE(Host().IsRunning());
    EXPECT_EQ(0, VisibleBoxCount()) << "losing the device shows no message";

    // A send the vanished port refuses is not counted as handed to it.
    Host().SetText(IDC_SEND_EDIT, L"AT\r\n");
    Host().Click(IDC_SEND);
    EXPECT_EQ(L"发送：0", Host().Text(IDC_SEND_COUNT));
    EXPECT_EQ(0, VisibleBoxCount()) << "a refused send shows no message";

    const DWORD nDisconnectMs = TimedClick(IDC_CONNECT);
    Figure("Disconnect with the device gone took %lu ms (limit %lu ms)", nDisconnectMs, kDisconnectLimitMs);
    EXPECT_LT(nDisconnectMs, kDisconnectLimitMs);
    EXPECT_EQ(L"连接", Host().Text(IDC_CONNECT));
    EXPECT_FALSE(IsOpen());

    // Connecting while the device is still away fails as for any missing port.
    EXPECT_EQ(std::vector<std::wstring>{ L"打开COM5口失败!" }, ClickConnectAndDismissBoxes());
    EXPECT_EQ(L"连接", Host().Text(IDC_CONNECT));

    ASSERT_EQ("ok", m_control.Restore(kFirstCom));
    ASSERT_TRUE(Peer(kFirstCom).Open(PeerPath(kFirstCom)));
    const ULONGLONG nConnect = ::GetTickCount64();
    Connect(kFirstCom);
    Figure("Connect after the device came back took %llu ms", ::GetTickCount64() - nConnect);

    ASSERT_TRUE(Peer(kFirstCom).Send("device is back\r\n"));
    EXPECT_TRUE(WaitForReceiveTextContaining(L"device is back\r\n"));
    Host().SetText(IDC_SEND_EDIT, L"AT\r\n");
    Host().Click(IDC_SEND);
    EXPECT_EQ("AT\r\n", Peer(kFirstCom).Receive(4, kWaitMs));
    EXPECT_EQ(0, VisibleBoxCount());
}

}  // namespace
