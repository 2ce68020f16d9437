// The receive area: what the device sends appears as text at the end, the view follows it, and
// pause, clear and stale notifications behave.
#include "tests/ui/terminal/TerminalFixture.h"

#include <cstdio>
#include <cstring>

#include "tests/support/ResponsivenessProbe.h"
#include "ui/receive/ReceiveLongRuns.h"
#include "ui/receive/ReceiveTextTrim.h"

namespace {

struct ReceiveView {
    int nLength;
    DWORD nSelStart, nSelEnd;
    int nFirstVisible;
    int nVisibleLines;
    int nCaretLine;
};

ReceiveView ViewOf(HWND hWndEdit)
{
    ReceiveView view = {};
    view.nLength = ::GetWindowTextLengthW(hWndEdit);
    ::SendMessageW(hWndEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&view.nSelStart), reinterpret_cast<LPARAM>(&view.nSelEnd));
    view.nFirstVisible = static_cast<int>(::SendMessageW(hWndEdit, EM_GETFIRSTVISIBLELINE, 0, 0));
    view.nCaretLine = static_cast<int>(::SendMessageW(hWndEdit, EM_LINEFROMCHAR, static_cast<WPARAM>(view.nLength), 0));
    RECT rect;
    ::SendMessageW(hWndEdit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
    HDC hDC = ::GetDC(hWndEdit);
    HGDIOBJ hOldFont = ::SelectObject(hDC, reinterpret_cast<HGDIOBJ>(::SendMessageW(hWndEdit, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(hDC, &metrics);
    ::SelectObject(hDC, hOldFont);
    ::ReleaseDC(hWndEdit, hDC);
    view.nVisibleLines = metrics.tmHeight > 0 ? (rect.bottom - rect.top) / metrics.tmHeight : 0;
    return view;
}

TEST_F(TerminalTest, ReceivedLettersAreAppended)
{
    Connect(kFirstCom);
    ASSERT_TRUE(Peer(kFirstCom).Send("abc"));
    EXPECT_TRUE(WaitForReceiveText(L"abc"));
    ASSERT_TRUE(Peer(kFirstCom).Send("def\r\n"));
    EXPECT_TRUE(WaitForReceiveText(L"abcdef\r\n"));
}

// Also a run of zero bytes longer than one refresh holds: they make no text, yet are read.
TEST_F(TerminalTest, ZeroBytesAreLeftOutAndTheBytesAfterThemShown)
{
    Connect(kFirstCom);
    ASSERT_TRUE(Peer(kFirstCom).Send(std::string("A\0B", 3)));
    EXPECT_TRUE(WaitForReceiveText(L"AB")) << "got \"" << testing::PrintToString(ReceiveText()) << "\"";
    ASSERT_TRUE(Peer(kFirstCom).Send(std::string(CReceivePacer::kMostHeldBytes * 3, '\0') + "C"));
    EXPECT_TRUE(WaitForReceiveText(L"ABC")) << "got \"" << testing::PrintToString(ReceiveText()) << "\"";
}

TEST_F(TerminalTest, AfterEveryChunkTheCaretIsAtTheEndAndTheEndInView)
{
    Connect(kFirstCom);
    HWND hWndEdit = Host().Item(IDC_RECEIVE_EDIT);
    std::wstring expected;
    for (int nBatch = 0; nBatch < 12; ++nBatch) {
        std::string lines;
        for (int i = 1; i <= 10; ++i) {
            char szLine[32];
            std::snprintf(szLine, sizeof szLine, "line %03d\r\n", nBatch * 10 + i);
            lines += szLine;
        }
        expected += std::wstring(lines.begin(), lines.end());
        ASSERT_TRUE(Peer(kFirstCom).Send(lines));
        ASSERT_TRUE(WaitForReceiveText(expected)) << "batch " << nBatch;

        const ReceiveView view = Host().RunOnDialogThread([hWndEdit] { return ViewOf(hWndEdit); });
        EXPECT_EQ(static_cast<DWORD>(view.nLength), view.nSelStart) << "batch " << nBatch;
        EXPECT_EQ(static_cast<DWORD>(view.nLength), view.nSelEnd) << "batch " << nBatch;
        ASSERT_GT(view.nVisibleLines, 1);
        EXPECT_LE(view.nFirstVisible, view.nCaretLine) << "batch " << nBatch;
        EXPECT_LT(view.nCaretLine, view.nFirstVisible + view.nVisibleLines)
            << "batch " << nBatch << ": first visible line " << view.nFirstVisible << ", end on line " << view.nCaretLine;
    }
    const ReceiveView view = Host().RunOnDialogThread([hWndEdit] { return ViewOf(hWndEdit); });
    EXPECT_EQ(120, view.nCaretLine);
    EXPECT_GT(view.nFirstVisible, 120 - view.nVisibleLines) << "the last lines are in view";
}

TEST_F(TerminalTest, BurstLongerThanOneReadArrivesCompletely)
{
    Connect(kFirstCom);
    std::string burst;
    for (int i = 0; burst.size() < 3000; ++i)
        burst += (i % 50 == 49) ? '\n' : static_cast<char>('A' + i % 26);
    ASSERT_EQ(3000u, burst.size());
    ASSERT_TRUE(Peer(kFirstCom).Send(burst));
    ASSERT_TRUE(WaitForBytesRead(3000, 20000));
    EXPECT_TRUE(WaitForReceiveText(std::wstring(burst.begin(), burst.end())));
}

TEST_F(TerminalTest, DoubleByteCharacterSplitAcrossTwoWritesShowsAsOneCharacter)
{
    Connect(kFirstCom);
    ASSERT_TRUE(Peer(kFirstCom).Send("\xD6"));   // first byte of 中 in code page 936
    ASSERT_TRUE(WaitForBytesRead(1)) << "the lead byte is read in a chunk of its own";
    EXPECT_EQ(L"", ReceiveText()) << "half a character is not shown";
    ASSERT_TRUE(Peer(kFirstCom).Send("\xD0"));
    EXPECT_TRUE(WaitForReceiveText(L"中"));
}

TEST_F(TerminalTest, TypedTextStaysAndDataIsAppendedAfterIt)
{
    Connect(kFirstCom);
    Host().Type(IDC_RECEIVE_EDIT, L"typed ");
    ASSERT_EQ(L"typed ", ReceiveText());
    ASSERT_TRUE(Peer(kFirstCom).Send("data"));
    EXPECT_TRUE(WaitForReceiveText(L"typed data"));
}

// Paused, the area stays as the user has it (selection and scroll position included), so it can
// be read; the bytes are read from the port all the same and never shown.
TEST_F(TerminalTest, DataReceivedWhilePausedIsDroppedForGoodAndTheAreaLeftAlone)
{
    Connect(kFirstCom);
    std::string seen;
    for (int i = 0; i < 100; ++i)
        seen += "seen line\r\n";
    const std::wstring seenText(seen.begin(), seen.end());
    ASSERT_TRUE(Peer(kFirstCom).Send(seen));
    ASSERT_TRUE(WaitForReceiveText(seenText));

    Host().Click(IDC_PAUSE_DISPLAY);
    ASSERT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_PAUSE_DISPLAY));
    HWND hWndEdit = Host().Item(IDC_RECEIVE_EDIT);
    Host().RunOnDialogThread([hWndEdit] {
        ::SendMessageW(hWndEdit, EM_SETSEL, 0, 4);
        ::SendMessageW(hWndEdit, EM_SCROLLCARET, 0, 0);
        return true;
    });
    const DWORD nBefore = BytesRead();
    ASSERT_TRUE(Peer(kFirstCom).Send("lost"));
    ASSERT_TRUE(WaitForBytesRead(nBefore + 4)) << "paused bytes are still read from the port";
    const ReceiveView view = Host().RunOnDialogThread([hWndEdit] { return ViewOf(hWndEdit); });
    EXPECT_EQ(seenText, ReceiveText());
    EXPECT_EQ(0u, view.nSelStart);
    EXPECT_EQ(4u, view.nSelEnd);
    EXPECT_EQ(0, view.nFirstVisible) << "the view stays at the top";

    Host().Click(IDC_PAUSE_DISPLAY);
    ASSERT_TRUE(Peer(kFirstCom).Send("kept"));
    EXPECT_TRUE(WaitForReceiveText(seenText + L"kept"));
    const ReceiveView resumed = Host().RunOnDialogThread([hWndEdit] { return ViewOf(hWndEdit); });
    EXPECT_EQ(static_cast<DWORD>(resumed.nLength), resumed.nSelStart) << "following the data again";
    EXPECT_GT(resumed.nFirstVisible, 0);
}

TEST_F(TerminalTest, PauseClearAndDisconnectDropAHeldPartOfACharacter)
{
    auto heldBytes = [&] { return Host().Invoke([](TerminalDlg& dlg) { return dlg.m_receiveFormatter.Pending().size(); }); };
    auto holdLeadByte = [&] {
        ASSERT_TRUE(Peer(kFirstCom).Send("\xD6"));
        ASSERT_TRUE(dialog_host::WaitUntil([&] { return heldBytes() == 1; }, kWaitMs));
    };
    Connect(kFirstCom);

    holdLeadByte();
    Host().Click(IDC_PAUSE_DISPLAY);
    const DWORD nBefore = BytesRead();
    ASSERT_TRUE(Peer(kFirstCom).Send("x"));
    ASSERT_TRUE(WaitForBytesRead(nBefore + 1));
    EXPECT_EQ(0u, heldBytes()) << "pause";
    Host().Click(IDC_PAUSE_DISPLAY);

    holdLeadByte();
    Host().Click(IDC_CLEAR_RECEIVE);
    EXPECT_EQ(0u, heldBytes()) << "clear";

    holdLeadByte();
    Disconnect();
    EXPECT_EQ(0u, heldBytes()) << "disconnect";

    Connect(kFirstCom);
    ASSERT_TRUE(Peer(kFirstCom).Send("ok"));
    EXPECT_TRUE(WaitForReceiveText(L"ok"));
}

// A busy line is shown once per interval: text read within one is held, then shown by one
// refresh, all of it, in order, once. Pause and clear drop held text; disconnect shows it. The
// interval is made so long here that a refresh comes only when the test sends the timer's tick.
TEST_F(TerminalTest, TextReadWithinAnIntervalIsShownOnceByOneRefreshAndPauseAndClearDropIt)
{
    Connect(kFirstCom);
    Host().Invoke([](TerminalDlg& dlg) { dlg.m_receivePacer = CReceivePacer(600000); return true; });
    DWORD nSent = 0;
    auto receive = [&](const std::string& bytes) {   // returns once the window has read them
        nSent += static_cast<DWORD>(bytes.size());
        ASSERT_TRUE(Peer(kFirstCom).Send(bytes));
        ASSERT_TRUE(WaitForBytesRead(nSent));
    };
    auto refresh = [&] { ::SendMessageW(Host().Window(), WM_TIMER, CLumetraDlg::RECEIVE_REFRESH_TIMER, 0); };

    receive("quiet ");
    EXPECT_EQ(L"quiet ", ReceiveText()) << "text read after a quiet spell is shown at once";
    receive("one ");
    receive("two ");
    receive("three ");
    EXPECT_EQ(L"quiet ", ReceiveText()) << "held until the refresh";
    refresh();
    EXPECT_EQ(L"quiet one two three ", ReceiveText());
    refresh();
    EXPECT_EQ(L"quiet one two three ", ReceiveText()) << "shown once";

    receive("paused ");
    Host().Click(IDC_PAUSE_DISPLAY);
    refresh();
    Host().Click(IDC_PAUSE_DISPLAY);
    receive("four ");
    refresh();
    EXPECT_EQ(L"quiet one two three four ", ReceiveText()) << "pause drops held text";

    receive("cleared ");
    Host().Click(IDC_CLEAR_RECEIVE);
    receive("five ");
    refresh();
    EXPECT_EQ(L"five ", ReceiveText()) << "clear drops held text";

    receive("six");
    Disconnect();
    EXPECT_EQ(L"five six", ReceiveText()) << "disconnect shows held text";
}

TEST_F(TerminalTest, ClearEmptiesTheReceiveAreaAndKeepsTheOtherControlsAsShown)
{
    Connect(kFirstCom);
    ASSERT_TRUE(Peer(kFirstCom).Send("abc"));
    ASSERT_TRUE(WaitForReceiveText(L"abc"));
    Host().SetText(IDC_SEND_EDIT, L"typed, not exchanged");
    Host().SelectComboItem(IDC_BAUD_LIST, 0);

    Host().Click(IDC_CLEAR_RECEIVE);
    EXPECT_EQ(L"", ReceiveText());
    EXPECT_EQ(L"typed, not exchanged", Host().Text(IDC_SEND_EDIT));
    EXPECT_EQ(0, Host().ComboSelection(IDC_BAUD_LIST));

    ASSERT_TRUE(Peer(kFirstCom).Send("def"));
    EXPECT_TRUE(WaitForReceiveText(L"def"));
}

// A text past its bound loses its oldest lines: the rest and the new data stay whole and in
// order, member and control alike, and the view still follows the end.
TEST_F(TerminalTest, LongTextLosesItsOldestLinesAndKeepsFollowingTheData)
{
    Connect(kFirstCom);
    std::wstring lines;
    char szLine[80];
    for (int i = 0; lines.size() < kReceiveTextBound; ++i) {
        std::snprintf(szLine, sizeof szLine, "%08d %-53s\r\n", i, "long session");
        lines += std::wstring(szLine, szLine + std::strlen(szLine));
    }
    ASSERT_EQ(kReceiveTextBound, lines.size()) << "exactly at the bound: the next byte trims";
    Host().SetText(IDC_RECEIVE_EDIT, lines);

    ASSERT_TRUE(Peer(kFirstCom).Send("new data"));
    const std::wstring expected = lines + L"new data";
    auto member = [&] { return std::wstring(Host().Invoke([](TerminalDlg& dlg) { return dlg.m_strReceive; })); };
    ASSERT_TRUE(dialog_host::WaitUntil([&] { const std::wstring text = member();
        return text.size() >= 8 && text.compare(text.size() - 8, 8, L"new data") == 0; }, kWaitMs));
    const std::wstring shown = ReceiveText();
    EXPECT_TRUE(member() == shown) << "member and control equal (texts too long to print)";
    ASSERT_GE(shown.size(), kReceiveTextKeep);
    ASSERT_LT(shown.size(), kReceiveTextBound) << "trimmed";
    EXPECT_TRUE(expected.compare(expected.size() - shown.size(), shown.size(), shown) == 0)
        << "the tail of everything shown, unchanged";
    EXPECT_EQ(L'\n', expected[expected.size() - shown.size() - 1]) << "starting a line";

    HWND hWndEdit = Host().Item(IDC_RECEIVE_EDIT);
    const ReceiveView view = Host().RunOnDialogThread([hWndEdit] { return ViewOf(hWndEdit); });
    EXPECT_EQ(static_cast<DWORD>(view.nLength), view.nSelStart);
    EXPECT_LT(view.nCaretLine, view.nFirstVisible + view.nVisibleLines) << "the end in view";
    EXPECT_GE(view.nCaretLine, view.nFirstVisible);
}

// Text without line feeds past the bound: the trim cuts only after an LF, since a cut inside a
// line makes the edit control lay out the rest of that line anew (seconds for lines ended by CR
// alone, hours for a megabyte without LF), and the area shows a line break where received text
// would continue a run that is already too long.
TEST_F(TerminalTest, TextWithoutLineFeedsPastTheBoundKeepsTheWindowAnswering)
{
    Connect(kFirstCom);
    // Lines ended by CR LF, but by CR alone over 16 K around where a trim would keep exactly the
    // kept length, then a run without LF as long as the area lets received text make.
    const size_t nKeptStart = kReceiveTextBound - kReceiveTextKeep;
    std::wstring shown;
    char szLine[80];
    for (int i = 0; shown.size() + 64 + kReceiveLongestRun <= kReceiveTextBound; ++i) {
        const bool bCrAlone = shown.size() + 8192 >= nKeptStart && shown.size() < nKeptStart + 8192;
        std::snprintf(szLine, sizeof szLine, "%08d %-53s%s", i, "lines", bCrAlone ? "\r" : "\r\n");
        shown += std::wstring(szLine, szLine + std::strlen(szLine));
    }
    shown.append(kReceiveTextBound - shown.size(), L'7');
    Host().SetText(IDC_RECEIVE_EDIT, shown);

    const std::string sent = "12345 67890 ";
    const std::wstring expected = shown + L"\r\n" + std::wstring(sent.begin(), sent.end());
    testsupport::ResponsivenessProbe probe(Host().Window(), 50, 1000);
    ASSERT_TRUE(Peer(kFirstCom).Send(sent));
    const bool bShown = dialog_host::WaitUntil([&] { const std::wstring text = ReceiveText();
        return text.size() >= 14 && text.compare(text.size() - 14, 14, expected, expected.size() - 14, 14) == 0; }, kWaitMs);
    probe.Stop();
    EXPECT_TRUE(bShown) << "the area ends with a line break and the text sent";
    EXPECT_EQ(0, probe.Unanswered());
    EXPECT_LT(probe.WorstMs(), 1000.0);

    const std::wstring text = ReceiveText();
    ASSERT_LT(text.size(), expected.size()) << "trimmed";
    EXPECT_TRUE(expected.compare(expected.size() - text.size(), text.size(), text) == 0) << "a tail of it";
    EXPECT_EQ(L'\n', expected[expected.size() - text.size() - 1]) << "starting after an LF";
}

TEST_F(TerminalTest, StaleNotificationChangesNothing)
{
    // A handler that exchanged data would take the control's text into the member.
    auto markMemberAndControl = [&] {
        Host().Invoke([](TerminalDlg& dlg) { dlg.m_strReceive = L"member"; return true; });
        Host().SetText(IDC_RECEIVE_EDIT, L"control");
    };
    auto notify = [&](int nCom) {
        return Host().Invoke([nCom](TerminalDlg& dlg) { return dlg.OnCommReceive(static_cast<WPARAM>(nCom), 0); });
    };
    auto member = [&] { return std::wstring(Host().Invoke([](TerminalDlg& dlg) { return dlg.m_strReceive; })); };

    markMemberAndControl();
    EXPECT_EQ(0, notify(kFirstCom)) << "port closed";
    EXPECT_EQ(L"member", member());
    EXPECT_EQ(L"control", ReceiveText());

    Connect(kFirstCom);
    markMemberAndControl();
    EXPECT_EQ(1, notify(kSecondCom)) << "another port's number";
    EXPECT_EQ(L"member", member());
    EXPECT_EQ(L"control", ReceiveText());
}

// A backlog of notifications (a slow refresh, or a vanished port whose monitor posts every 10 ms)
// is taken as one: a click queued behind fifty of them is handled within a read or two, not after
// fifty reads that each wait out the read time-out.
TEST_F(TerminalTest, QueuedNotificationsDoNotKeepTheUserWaiting)
{
    Connect(kFirstCom);
    const HWND hDlg = Host().Window();
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(::PostMessageW(hDlg, CSerialLink::CNM_RECEIVE, kFirstCom, 0));
    ASSERT_TRUE(::PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_CONNECT, BN_CLICKED),
                               reinterpret_cast<LPARAM>(Host().Item(IDC_CONNECT))));
    // Read the caption straight from the button: a message sent to the window is answered
    // between two posted ones, where a task queued for the dialog's thread would wait its turn.
    const HWND hConnect = Host().Item(IDC_CONNECT);
    auto caption = [hConnect] {
        wchar_t text[16] = {};
        ::GetWindowTextW(hConnect, text, 16);
        return std::wstring(text);
    };
    const DWORD start = ::GetTickCount();
    // Fifty empty reads would take 25 s.
    EXPECT_TRUE(dialog_host::WaitUntil([&] { return caption() == L"连接"; }, 5000))
        << "the click waited";
    EXPECT_LT(::GetTickCount() - start, 5000u);
}

}  // namespace
