// The send area: the typed text goes out exactly as typed in the ANSI code page, once or on the
// cyclic-send timer.
#include "tests/ui/terminal/TerminalFixture.h"

#include <optional>

#include "ui/send/SendBacklog.h"

namespace {

const DWORD kQuietMs = 300;   // the line counts as quiet after this long without a byte

// A send of 4 KiB: a few of them fill the null-modem pair's own buffers (about 31 KB), so a peer
// end that nobody reads stalls the line.
const size_t kLongSendBytes = 4096;

std::wstring LongSendText()
{
    std::wstring text;
    for (size_t i = 0; i < kLongSendBytes; ++i)
        text += static_cast<wchar_t>(L'a' + i % 26);
    return text;
}

DWORD PendingWriteBytes(DialogHost<TerminalDlg>& host)
{
    return host.Invoke([](TerminalDlg& dlg) { return dlg.m_Comm.PendingWriteBytes(); });
}

DWORD BytesWritten(DialogHost<TerminalDlg>& host)
{
    return host.Invoke([](TerminalDlg& dlg) { return dlg.m_Comm.BytesWritten(); });
}

// The line has stalled once a write stays pending and nothing more has been handed to the port
// for nQuietMs (a write can also pend for a moment while the pair is still passing bytes on).
bool WaitForStall(DialogHost<TerminalDlg>& host, DWORD nQuietMs, DWORD nTimeLimitMs)
{
    DWORD nLast = BytesWritten(host);
    ULONGLONG nSince = ::GetTickCount64();
    return dialog_host::WaitUntil([&] {
        const DWORD nNow = BytesWritten(host);
        if (nNow != nLast || PendingWriteBytes(host) == 0) {
            nLast = nNow;
            nSince = ::GetTickCount64();
        }
        return ::GetTickCount64() - nSince >= nQuietMs;
    }, nTimeLimitMs);
}

TEST_F(TerminalTest, TypedTextIsSentExactlyWithNothingAdded)
{
    const struct { std::wstring text; std::string bytes; } cases[] = {
        { L"AT\r\n", "AT\r\n" },
        { L"AT", "AT" },
        { L"中文", "\xD6\xD0\xCE\xC4" },   // code page 936
        { L"a中\r\nb", "a\xD6\xD0\r\nb" },
    };
    Connect(kFirstCom);
    for (const auto& c : cases) {
        Host().SetText(IDC_SEND_EDIT, c.text);
        Host().Click(IDC_SEND);
        EXPECT_EQ(c.bytes, Peer(kFirstCom).Receive(c.bytes.size(), kWaitMs));
        EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs)) << "nothing added";
        EXPECT_EQ(c.text, Host().Text(IDC_SEND_EDIT)) << "the text stays";
    }
}

TEST_F(TerminalTest, SendsInQuickSuccessionArriveWholeAndInOrder)
{
    // Each send's bytes are released when its handler returns, while the write may still run.
    std::wstring first;
    for (int i = 0; i < 4000; ++i)
        first += static_cast<wchar_t>(L'a' + i % 26);
    const std::wstring second = L"中文\r\n";
    Connect(kFirstCom);
    Host().Invoke([&](TerminalDlg& dlg) {
        ::SetDlgItemTextW(dlg.GetSafeHwnd(), IDC_SEND_EDIT, first.c_str());
        dlg.OnBnClickedSend();
        ::SetDlgItemTextW(dlg.GetSafeHwnd(), IDC_SEND_EDIT, second.c_str());
        dlg.OnBnClickedSend();
        return true;
    });
    const std::string expected = std::string(first.begin(), first.end()) + "\xD6\xD0\xCE\xC4\r\n";
    EXPECT_EQ(expected, Peer(kFirstCom).Receive(expected.size(), kWaitMs));
}

// Nothing reads the peer until cyclic sending is unticked: the pair's buffers fill and one write
// stays pending. Ticks that find it still going out send nothing, so after the untick the peer
// gets what the buffers held and the send the line was on, and no more.
TEST_F(TerminalTest, CyclicSendOnAStalledLineQueuesNothingBehindIt)
{
    Connect(kFirstCom);
    StartCyclicSend(LongSendText(), L"10");
    ASSERT_TRUE(WaitForStall(Host(), kQuietMs, kWaitMs)) << "ticks kept handing sends to a stalled line";
    const DWORD nHeld = BytesWritten(Host());   // the buffers' bytes and the send under way
    EXPECT_FALSE(dialog_host::WaitUntil([&] { return BytesWritten(Host()) > nHeld + kLongSendBytes; }, 1000))
        << "ticks queued sends behind the stalled line";   // its length is the point: 100 ticks
    EXPECT_EQ(kLongSendBytes, PendingWriteBytes(Host())) << "only the send under way";
    Host().Click(IDC_CYCLIC_SEND);

    const std::string received = Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs);
    EXPECT_LE(received.size(), nHeld + kLongSendBytes);
    EXPECT_EQ(BytesWritten(Host()), received.size()) << "every send handed over arrived";
    EXPECT_EQ(0u, received.size() % kLongSendBytes) << "whole sends only";
}

// Clicks on a stalled line pile up sends until more than the bound (64 KiB) waits; the next click
// says why it sends nothing and keeps the text, even with "发送完自动清空" ticked.
TEST_F(TerminalTest, ClickWhileTheLineIsFarBehindIsRefusedAndKeepsTheText)
{
    Connect(kFirstCom);
    Host().Click(IDC_CLEAR_AFTER_SEND);
    std::optional<dialog_host::ShownBox> box;
    size_t nSent = 0;
    while (!box && nSent < 100) {   // the bound and the pair's buffers take about 25 sends
        Host().SetText(IDC_SEND_EDIT, LongSendText());
        auto click = Host().ClickAsync(IDC_SEND);
        ASSERT_TRUE(dialog_host::WaitUntil([&] { return DialogHostBase::Wait(click, 0) || Host().FindOwnedBox(); }, kWaitMs));
        if (DialogHostBase::Wait(click, 0)) {
            ++nSent;
            continue;
        }
        HWND hWndBox = Host().FindOwnedBox();
        box = testsupport::ReadBox(hWndBox);
        EXPECT_NE(nullptr, ::GetDlgItem(hWndBox, IDOK));
        EXPECT_EQ(nullptr, ::GetDlgItem(hWndBox, IDCANCEL));
        ASSERT_TRUE(DialogHostBase::PressOk(hWndBox));
        ASSERT_TRUE(Host().Wait(click));
    }
    ASSERT_TRUE(box.has_value()) << "no click was refused";
    EXPECT_EQ(L"错误", box->caption);
    EXPECT_EQ(L"串口尚未发完之前的数据，请稍后再发送", box->text);
    EXPECT_EQ(0u, box->nIconStyle);
    EXPECT_EQ(LongSendText(), Host().Text(IDC_SEND_EDIT));
    const DWORD nPending = PendingWriteBytes(Host());
    EXPECT_GT(nPending, kSendBacklogBound) << "refused only past the bound";
    EXPECT_LE(nPending, kSendBacklogBound + kLongSendBytes);

    // The sends accepted all arrive once the peer reads again; the refused one never does.
    const std::string received = Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs);
    EXPECT_EQ(nSent * kLongSendBytes, received.size());
}

TEST_F(TerminalTest, EmptyTextSendsNothing)
{
    Connect(kFirstCom);
    Host().Click(IDC_SEND);
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs));
}

TEST_F(TerminalTest, ClearAfterSendEmptiesTheSendArea)
{
    Connect(kFirstCom);
    Host().Click(IDC_CLEAR_AFTER_SEND);
    Host().SetText(IDC_SEND_EDIT, L"AT\r\n");
    Host().Click(IDC_SEND);
    EXPECT_EQ("AT\r\n", Peer(kFirstCom).Receive(4, kWaitMs));
    EXPECT_EQ(L"", Host().Text(IDC_SEND_EDIT));
}

TEST_F(TerminalTest, SendWhileClosedSendsNothingAndKeepsTheText)
{
    Host().Click(IDC_CLEAR_AFTER_SEND);
    Host().SetText(IDC_SEND_EDIT, L"AT");
    Host().Click(IDC_SEND);
    EXPECT_EQ(L"AT", Host().Text(IDC_SEND_EDIT));
    EXPECT_EQ(L"", std::wstring(Host().Invoke([](TerminalDlg& dlg) { return dlg.m_strSend; })))
        << "no exchange while closed";
    EXPECT_EQ(0u, Host().Invoke([](TerminalDlg& dlg) { return dlg.m_Comm.BytesWritten(); }));
}

TEST_F(TerminalTest, CyclicSendRepeatsUntilUnticked)
{
    Connect(kFirstCom);
    StartCyclicSend(L"P", L"50");
    EXPECT_EQ("PPPP", Peer(kFirstCom).Receive(4, kWaitMs));

    Host().Click(IDC_CYCLIC_SEND);
    Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs);   // what was on its way already
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(1000, 1000)) << "no tick after unticking";
}

TEST_F(TerminalTest, NewIntervalTakesEffectOnlyAfterReticking)
{
    Connect(kFirstCom);
    StartCyclicSend(L"P", L"50");
    EXPECT_EQ("PP", Peer(kFirstCom).Receive(2, kWaitMs));

    Host().SetText(IDC_INTERVAL_EDIT, L"60000");
    Peer(kFirstCom).Drain();
    EXPECT_EQ("PPPP", Peer(kFirstCom).Receive(4, kWaitMs)) << "the running timer keeps its interval";
    EXPECT_EQ(60000, Host().Invoke([](TerminalDlg& dlg) { return dlg.m_nInterval; })) << "ticks read the box";

    Host().Click(IDC_CYCLIC_SEND);   // untick
    Host().Click(IDC_CYCLIC_SEND);   // tick with the new interval
    Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs);
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(1000, 1000)) << "now one tick a minute";
    Host().Click(IDC_CYCLIC_SEND);
}

TEST_F(TerminalTest, CyclicSendResumesAfterReconnectingWithoutTouchingTheBox)
{
    Connect(kFirstCom);
    StartCyclicSend(L"P", L"50");
    EXPECT_EQ("P", Peer(kFirstCom).Receive(1, kWaitMs));
    Disconnect();
    Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs);
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(500, 500)) << "ticks find the port closed";
    Connect(kFirstCom);
    EXPECT_EQ("PP", Peer(kFirstCom).Receive(2, kWaitMs));
    Host().Click(IDC_CYCLIC_SEND);
}

TEST_F(TerminalTest, ClearAfterSendWithCyclicSendSendsTheTextOnce)
{
    Connect(kFirstCom);
    Host().Click(IDC_CLEAR_AFTER_SEND);
    StartCyclicSend(L"Q", L"50");
    EXPECT_EQ("Q", Peer(kFirstCom).Receive(1, kWaitMs));
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(1000, 1000)) << "later ticks find the area empty";
    EXPECT_EQ(L"", Host().Text(IDC_SEND_EDIT));

    Host().SetText(IDC_SEND_EDIT, L"R");
    EXPECT_EQ("R", Peer(kFirstCom).Receive(1, kWaitMs));
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(500, 500));
    Host().Click(IDC_CYCLIC_SEND);
}

}  // namespace
