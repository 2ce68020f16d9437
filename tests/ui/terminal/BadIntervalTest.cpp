// An emptied interval box makes every exchange show its validation message. Notifications and
// ticks that arrive while such a message is up must not stack further messages, and the window
// must go on working once it is closed.
#include "tests/ui/terminal/TerminalFixture.h"

#include <algorithm>
#include <functional>

namespace {

const wchar_t kValidationPrompt[] = L"请输入一个整数。";

// Keeps the device sending for a while; returns the most boxes the dialog showed at one time
// (stopping early at two).
int MostBoxesWhileSending(testsupport::PeerPort& peer, DWORD nForMs, const std::function<int()>& countBoxes)
{
    int nMost = 0;
    const ULONGLONG nEnd = ::GetTickCount64() + nForMs;
    while (::GetTickCount64() < nEnd && nMost < 2) {
        peer.Send("+");
        nMost = std::max(nMost, countBoxes());
        ::Sleep(20);   // pace of the device's bytes, not a wait for a result
    }
    return nMost;
}

// Puts a number back into the interval box and closes the validation messages that exchanges
// still showed until then.
bool RestoreIntervalAndCloseMessages(DialogHost<TerminalDlg>& host, const wchar_t* pszInterval, DWORD nTimeLimitMs)
{
    host.SetText(IDC_INTERVAL_EDIT, pszInterval);
    return dialog_host::WaitUntil([&] {
        if (HWND hWndNext = host.FindOwnedBox())
            DialogHostBase::PressOk(hWndNext);
        return host.FindOwnedBox() == nullptr;
    }, nTimeLimitMs);
}

TEST_F(TerminalTest, DataArrivingWithAnEmptiedIntervalShowsOneValidationMessageAndKeepsReceiving)
{
    Connect(kFirstCom);
    Host().SetText(IDC_INTERVAL_EDIT, L"");
    ASSERT_TRUE(Peer(kFirstCom).Send("first"));

    HWND hWndBox = Host().WaitForOwnedBox();
    ASSERT_NE(nullptr, hWndBox);
    EXPECT_EQ(kValidationPrompt, testsupport::ReadBox(hWndBox).text);
    const int nMost = MostBoxesWhileSending(Peer(kFirstCom), 1000, [this] { return VisibleBoxCount(); });
    ASSERT_EQ(1, nMost) << "notifications during the message return at once";
    ASSERT_TRUE(DialogHostBase::PressOk(hWndBox));

    // The interrupted notification reads on; the refresh writes the interval back.
    ASSERT_TRUE(dialog_host::WaitUntil([&] {
        const std::wstring text = ReceiveText();
        return text.size() >= 5 && text.compare(0, 5, L"first") == 0;
    }, kWaitMs));
    EXPECT_EQ(L"1000", Host().Text(IDC_INTERVAL_EDIT));
    EXPECT_EQ(nullptr, Host().FindOwnedBox());

    // Everything sent while the message was up arrives too, and reception goes on.
    Host().Click(IDC_CLEAR_RECEIVE);
    ASSERT_TRUE(Peer(kFirstCom).Send("after"));
    ASSERT_TRUE(dialog_host::WaitUntil([&] {
        const std::wstring text = ReceiveText();
        return text.size() >= 5 && text.compare(text.size() - 5, 5, L"after") == 0;
    }, kWaitMs));
    EXPECT_EQ(nullptr, Host().FindOwnedBox());
}

TEST_F(TerminalTest, TicksWithAnEmptiedNumberBoxNeverStackValidationMessages)
{
    Connect(kFirstCom);
    const struct { int nID; const wchar_t* pszTaken; const wchar_t* pszPrompt; } boxes[] = {
        { IDC_INTERVAL_EDIT, L"20", kValidationPrompt },
        { IDC_PACKET_GAP_EDIT, L"20", L"请输入一个正整数。" },
    };
    for (const auto& box : boxes) {
        SCOPED_TRACE(box.nID);
        StartCyclicSend(L"T", L"20");
        ASSERT_EQ("T", Peer(kFirstCom).Receive(1, kWaitMs));
        Host().SetText(box.nID, L"");

        HWND hWndBox = Host().WaitForOwnedBox();
        ASSERT_NE(nullptr, hWndBox);
        EXPECT_EQ(box.pszPrompt, testsupport::ReadBox(hWndBox).text);
        // Ticks every 20 ms and bytes from the device, all while the message is up.
        const int nMost = MostBoxesWhileSending(Peer(kFirstCom), 1000, [this] { return VisibleBoxCount(); });
        ASSERT_EQ(1, nMost) << "ticks and notifications during the message stack nothing";
        ASSERT_TRUE(DialogHostBase::PressOk(hWndBox));

        // The tick puts the number last taken back, so the next ticks do not bring the message
        // back before the user could type; the box can then be unticked by a click alone.
        ASSERT_TRUE(dialog_host::WaitUntil([&] { return Host().Text(box.nID) == box.pszTaken; }, kWaitMs));
        ASSERT_EQ(nullptr, Host().FindOwnedBox());
        Host().Click(IDC_CYCLIC_SEND);
        EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_CYCLIC_SEND));
        Peer(kFirstCom).ReceiveUntilQuiet(300, kWaitMs);
        EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(500, 500)) << "cyclic sending stopped";
    }

    Host().Click(IDC_CLEAR_RECEIVE);
    ASSERT_TRUE(Peer(kFirstCom).Send("still here"));
    ASSERT_TRUE(dialog_host::WaitUntil([&] {
        const std::wstring text = ReceiveText();
        return text.size() >= 10 && text.compare(text.size() - 10, 10, L"still here") == 0;
    }, kWaitMs));
}

// Unticking "指令循环发送" stops cyclic sending whatever the interval box holds; ticking it with
// the box empty shows the message and starts nothing; a tick never sends while the box is unticked.
TEST_F(TerminalTest, UntickingStopsCyclicSendingWhateverTheIntervalBoxHolds)
{
    const auto timerWasRunning = [this] {
        return Host().Invoke([](TerminalDlg& dlg) { return dlg.KillTimer(CLumetraDlg::CYCLIC_SEND_TIMER) != FALSE; });
    };
    Connect(kFirstCom);
    StartCyclicSend(L"T", L"1000");
    ASSERT_EQ("T", Peer(kFirstCom).Receive(1, kWaitMs));   // the next tick is a second away

    // Emptied and unticked in one go on the dialog's thread, so no tick comes in between.
    auto untick = Host().InvokeAsync([](TerminalDlg& dlg) {
        ::SetDlgItemTextW(dlg.GetSafeHwnd(), IDC_INTERVAL_EDIT, L"");
        ::CheckDlgButton(dlg.GetSafeHwnd(), IDC_CYCLIC_SEND, BST_UNCHECKED);
        dlg.OnBnClickedCyclicSend();
    });
    HWND hWndBox = Host().WaitForOwnedBox();
    ASSERT_NE(nullptr, hWndBox);
    EXPECT_EQ(kValidationPrompt, testsupport::ReadBox(hWndBox).text);
    ASSERT_TRUE(DialogHostBase::PressOk(hWndBox));
    ASSERT_TRUE(Host().Wait(untick));
    EXPECT_FALSE(timerWasRunning()) << "unticking left cyclic sending on";

    auto tick = Host().ClickAsync(IDC_CYCLIC_SEND);
    hWndBox = Host().WaitForOwnedBox();
    ASSERT_NE(nullptr, hWndBox);
    EXPECT_EQ(kValidationPrompt, testsupport::ReadBox(hWndBox).text);
    ASSERT_TRUE(DialogHostBase::PressOk(hWndBox));
    ASSERT_TRUE(Host().Wait(tick));
    EXPECT_FALSE(timerWasRunning()) << "ticking without an interval started cyclic sending";

    // The box unticked without its click reaching the handler: the next tick ends cyclic sending.
    Host().SetText(IDC_INTERVAL_EDIT, L"50");
    Host().Click(IDC_CYCLIC_SEND);
    Host().Click(IDC_CYCLIC_SEND);
    ASSERT_EQ("T", Peer(kFirstCom).Receive(1, kWaitMs));
    Host().SetCheck(IDC_CYCLIC_SEND, BST_UNCHECKED);
    Peer(kFirstCom).ReceiveUntilQuiet(300, kWaitMs);   // what was on its way already
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(500, 500)) << "a tick sent with the box unticked";
    EXPECT_FALSE(timerWasRunning()) << "the tick left cyclic sending on";

    // A pasted sign is refused: as a timer's interval it would never come round.
    Host().SetText(IDC_INTERVAL_EDIT, L"-5");
    tick = Host().ClickAsync(IDC_CYCLIC_SEND);
    hWndBox = Host().WaitForOwnedBox();
    ASSERT_NE(nullptr, hWndBox);
    EXPECT_EQ(L"循环发送的间隔不能是负数，请输入毫秒数（0 或更大）。", testsupport::ReadBox(hWndBox).text);
    ASSERT_TRUE(DialogHostBase::PressOk(hWndBox));
    ASSERT_TRUE(Host().Wait(tick));
    EXPECT_FALSE(timerWasRunning()) << "a negative interval started cyclic sending";
}

// The validation message of a click or of Enter: notifications that arrive while it is up return
// at once, as they do under the messages of their own exchanges.
TEST_F(TerminalTest, DataArrivingDuringTheMessageOfDisconnectOrEnterShowsNoSecondMessage)
{
    Connect(kFirstCom);
    Host().SetText(IDC_INTERVAL_EDIT, L"");
    {
        SCOPED_TRACE("Disconnect");
        auto click = Host().ClickAsync(IDC_CONNECT);
        HWND hWndBox = Host().WaitForOwnedBox();
        ASSERT_NE(nullptr, hWndBox);
        EXPECT_EQ(kValidationPrompt, testsupport::ReadBox(hWndBox).text);
        EXPECT_EQ(1, MostBoxesWhileSending(Peer(kFirstCom), 1000, [this] { return VisibleBoxCount(); }));
        ASSERT_TRUE(DialogHostBase::PressOk(hWndBox));
        ASSERT_TRUE(Host().Wait(click));
        EXPECT_FALSE(IsOpen()) << "the click goes on once its message is closed";
        EXPECT_EQ(L"连接", Host().Text(IDC_CONNECT));
        EXPECT_EQ(nullptr, Host().FindOwnedBox());
    }
    Host().SetText(IDC_INTERVAL_EDIT, L"1000");
    Connect(kFirstCom);
    Host().SetText(IDC_INTERVAL_EDIT, L"");
    {
        SCOPED_TRACE("Enter");
        HWND hWndList = Host().Item(IDC_PORT_LIST);
        Host().RunOnDialogThread([hWndList] { ::SetFocus(hWndList); });
        testsupport::PostKey(hWndList, VK_RETURN);
        HWND hWndBox = Host().WaitForOwnedBox();
        ASSERT_NE(nullptr, hWndBox);
        EXPECT_EQ(kValidationPrompt, testsupport::ReadBox(hWndBox).text);
        EXPECT_EQ(1, MostBoxesWhileSending(Peer(kFirstCom), 1000, [this] { return VisibleBoxCount(); }));
        ASSERT_TRUE(DialogHostBase::PressOk(hWndBox));
        // The bytes sent meanwhile are read once the exchanges can succeed again.
        ASSERT_TRUE(RestoreIntervalAndCloseMessages(Host(), L"1000", kWaitMs));
        EXPECT_TRUE(Host().IsRunning());
        EXPECT_TRUE(dialog_host::WaitUntil([&] { return ReceiveText().find(L'+') != std::wstring::npos; }, kWaitMs));
    }
}

}  // namespace
