// The send area: the typed text goes out exactly as typed in the ANSI code page, once or on the
// cyclic-send timer.
#include "tests/ui/terminal/TerminalFixture.h"

namespace {

const DWORD kQuietMs = 300;   // the line counts as quiet after this long without a byte

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
