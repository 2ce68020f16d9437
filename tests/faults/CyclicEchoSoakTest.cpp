// Cyclic sending every 10 ms for a minute against a device that echoes everything: every message
// reaches the device once and in order, and every byte it echoes appears in the receive area.
#include "tests/faults/FaultFixture.h"
#include "tests/faults/PeerTraffic.h"
#include "tests/support/ResponsivenessProbe.h"

#include <cstdio>

namespace {

constexpr DWORD kSoakMs = 60000;
constexpr DWORD kSilentMs = 5000;
constexpr DWORD kIntervalMs = 10;
constexpr DWORD kProbePeriodMs = 100;
constexpr DWORD kAnswerLimitMs = 2000;
constexpr DWORD kSettleTimeLimitMs = 15000;   // for the last echoes to come back and be shown

// Message k of the run: distinct and numbered, so a lost, doubled or reordered one shows.
std::string Message(int k)
{
    char szMessage[16];
    std::snprintf(szMessage, sizeof szMessage, "#%06d\r\n", k);
    return szMessage;
}

// Puts the next numbered message into the send area right after each tick of the cyclic-send
// timer has sent the current one, by subclassing the dialog's window. The state belongs to the
// dialog's thread; the test reads it through the host.
class NumberedSendText {
public:
    explicit NumberedSendText(DialogHostBase& host) : m_host(host)
    {
        HWND hWnd = host.Window();
        m_host.RunOnDialogThread([hWnd] {
            s_nTicks = 0;
            s_sent.clear();
            ::SetDlgItemTextA(hWnd, IDC_SEND_EDIT, Message(0).c_str());
            s_pfnOriginal = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NumberedSendText::Proc)));
        });
    }
    ~NumberedSendText()
    {
        HWND hWnd = m_host.Window();
        m_host.RunOnDialogThread([hWnd] {
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_pfnOriginal));
        });
    }
    NumberedSendText(const NumberedSendText&) = delete;
    NumberedSendText& operator=(const NumberedSendText&) = delete;

    int Ticks() const
    {
        return m_host.RunOnDialogThread([] { return s_nTicks; });
    }
    // The messages the send area held at the ticks so far, in order.
    std::string Sent() const
    {
        return m_host.RunOnDialogThread([] { return s_sent; });
    }

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const LRESULT result = ::CallWindowProcW(s_pfnOriginal, hWnd, message, wParam, lParam);
        if (message == WM_TIMER && wParam == CLumetraDlg::CYCLIC_SEND_TIMER) {
            s_sent += Message(s_nTicks);
            ::SetDlgItemTextA(hWnd, IDC_SEND_EDIT, Message(++s_nTicks).c_str());
        }
        return result;
    }

    DialogHostBase& m_host;
    static WNDPROC s_pfnOriginal;
    static int s_nTicks;
    static std::string s_sent;
};

WNDPROC NumberedSendText::s_pfnOriginal = nullptr;
int NumberedSendText::s_nTicks = 0;
std::string NumberedSendText::s_sent;

// How many leading bytes two texts share.
size_t CommonPrefix(const std::string& a, const std::string& b)
{
    size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

TEST_F(FaultTest, CyclicSendEveryTenMillisecondsForAMinuteLosesNoEchoedByte)
{
    Connect(kFirstCom);
    Host().SetText(IDC_INTERVAL_EDIT, std::to_wstring(kIntervalMs));

    // The rate the timer reaches with a silent device, for comparison with the soak's.
    double nSilentTicksPerSecond = 0;
    {
        faults::PeerListener silent(Peer(kFirstCom), faults::PeerListener::Reply::None);
        NumberedSendText numbering(Host());
        const ULONGLONG nStart = ::GetTickCount64();
        Host().Click(IDC_CYCLIC_SEND);
        dialog_host::WaitUntil([&] { return silent.LineFailed(); }, kSilentMs);   // its length is the point
        Host().Click(IDC_CYCLIC_SEND);
        nSilentTicksPerSecond = numbering.Ticks() * 1000.0 / (::GetTickCount64() - nStart);
        const std::string sent = numbering.Sent();
        EXPECT_TRUE(dialog_host::WaitUntil([&] { return silent.Received().size() >= sent.size(); }, kSettleTimeLimitMs));
        EXPECT_EQ(sent, silent.Received());
    }
    EXPECT_EQ(L"", ReceiveText());

    faults::PeerListener echo(Peer(kFirstCom), faults::PeerListener::Reply::Echo);
    NumberedSendText numbering(Host());
    testsupport::ResponsivenessProbe probe(Host().Window(), kProbePeriodMs, kAnswerLimitMs);
    const ULONGLONG nStart = ::GetTickCount64();
    Host().Click(IDC_CYCLIC_SEND);
    ASSERT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_CYCLIC_SEND));
    dialog_host::WaitUntil([&] { return echo.LineFailed(); }, kSoakMs);   // its length is the point
    Host().Click(IDC_CYCLIC_SEND);
    const ULONGLONG nSoakMs = ::GetTickCount64() - nStart;
    probe.Stop();
    ASSERT_FALSE(echo.LineFailed());

    const int nTicks = numbering.Ticks();
    const std::string sent = numbering.Sent();
    ASSERT_GT(nTicks, 0);
    // Every message reached the device once and in order, and came back from it.
    const bool bAllEchoed = dialog_host::WaitUntil([&] { return echo.Received().size() >= sent.size(); }, kSettleTimeLimitMs);
    const std::string echoed = echo.Received();
    const bool bAllShown = dialog_host::WaitUntil([&] { return ReceiveText().size() >= echoed.size(); }, kSettleTimeLimitMs);
    const std::wstring shown = ReceiveText();
    const std::string shownBytes(shown.begin(), shown.end());   // the messages are ASCII
    const size_t nShownIntact = CommonPrefix(echoed, shownBytes);

    Figure("cyclic send at %lu ms: %.1f ticks per second with the device silent (%.0f asked)", kIntervalMs,
           nSilentTicksPerSecond, 1000.0 / kIntervalMs);
    Figure("with the device echoing, for %llu ms: %d ticks (%.1f per second), %zu bytes sent", nSoakMs, nTicks,
           nTicks * 1000.0 / nSoakMs, sent.size());
    Figure("echoed by the device: %zu bytes; shown in the receive area: %zu bytes, of which the first %zu "
           "match the echo; lost %zu",
           echoed.size(), shown.size(), nShownIntact, echoed.size() - nShownIntact);
    Figure("window answers during the soak: %d of %d WM_NULL answered, worst %.0f ms",
           probe.Samples() - probe.Unanswered(), probe.Samples(), probe.WorstMs());
    EXPECT_TRUE(bAllEchoed);
    EXPECT_EQ(sent, echoed) << "what the ticks sent is what reached the device";
    EXPECT_TRUE(bAllShown);
    EXPECT_EQ(echoed.size(), nShownIntact) << "first difference at byte " << nShownIntact;
    EXPECT_EQ(echoed.size(), shownBytes.size());
    EXPECT_EQ(0, probe.Unanswered());
}

}  // namespace
