// The Connect button: the chosen port and line settings reach the line, failures are reported in
// message boxes, and the button's caption follows the port's state.
#include "tests/ui/terminal/DcbExpectations.h"
#include "tests/ui/terminal/TerminalFixture.h"

namespace {

using Announcement = TerminalDlg::Announcement;

Announcement Opened(int nCom) { return { CLumetraDlg::WM_PORT_OPENED, static_cast<WPARAM>(nCom), 0 }; }
Announcement Closed() { return { CLumetraDlg::WM_PORT_CLOSED, 0, 0 }; }

TEST_F(TerminalTest, StartUpSelectionsPutNineThousandSixHundredBaudAndOneStopBitOnTheLine)
{
    EditLineState(kFirstCom, [](DCB& dcb) {
        dcb.BaudRate = 115200;
        dcb.StopBits = TWOSTOPBITS;
    });   // so that a connect that configures nothing shows
    ASSERT_EQ(115200u, LineState(kFirstCom).BaudRate);

    Connect(kFirstCom);

    const DCB line = LineState(kFirstCom);
    EXPECT_EQ(9600u, line.BaudRate);
    EXPECT_EQ(ONESTOPBIT, line.StopBits);
    EXPECT_EQ(8, line.ByteSize);
    EXPECT_EQ(NOPARITY, line.Parity);
    EXPECT_EQ(std::vector<Announcement>{ Opened(kFirstCom) }, Announcements());

    const auto applied = m_commStates.AppliedOn(DialogThreadId());
    ASSERT_EQ(1u, applied.size());
    EXPECT_TRUE(SameBytes(WithLineSettings(applied[0].before, 9600, 8, ONESTOPBIT, NOPARITY), applied[0].applied))
        << "only baud rate, data bits, stop bits and parity change";
}

TEST_F(TerminalTest, EveryListEntryReachesTheLineSettingsHandedToTheSystem)
{
    struct Entry {
        int nList;
        int nIndex;
        BYTE nByteSize, nStopBits, nParity;
        bool bAccepted;   // a pseudo-terminal under Wine refuses 6 and 7 data bits
    };
    const Entry entries[] = {
        { IDC_DATABITS_LIST, 0, 5, ONESTOPBIT, NOPARITY, true },
        { IDC_DATABITS_LIST, 1, 6, ONESTOPBIT, NOPARITY, false },
        { IDC_DATABITS_LIST, 2, 7, ONESTOPBIT, NOPARITY, false },
        { IDC_DATABITS_LIST, 3, 8, ONESTOPBIT, NOPARITY, true },
        { IDC_STOPBITS_LIST, 0, 8, ONESTOPBIT, NOPARITY, true },
        { IDC_STOPBITS_LIST, 1, 8, TWOSTOPBITS, NOPARITY, true },
        { IDC_PARITY_LIST, 0, 8, ONESTOPBIT, NOPARITY, true },
        { IDC_PARITY_LIST, 1, 8, ONESTOPBIT, ODDPARITY, true },
        { IDC_PARITY_LIST, 2, 8, ONESTOPBIT, EVENPARITY, true },
        { IDC_PARITY_LIST, 3, 8, ONESTOPBIT, MARKPARITY, true },
        { IDC_PARITY_LIST, 4, 8, ONESTOPBIT, SPACEPARITY, true },
    };
    const int startUp[] = { 3, 0, 0 };   // data bits "8位", stop bits "1位", parity "NONE"
    const int lists[] = { IDC_DATABITS_LIST, IDC_STOPBITS_LIST, IDC_PARITY_LIST };
    SelectPort(kFirstCom);
    for (const Entry& e : entries) {
        for (size_t i = 0; i < 3; ++i)
            Host().SelectComboItem(lists[i], lists[i] == e.nList ? e.nIndex : startUp[i]);
        const size_t nBefore = m_commStates.AppliedOn(DialogThreadId()).size();
        const std::vector<std::wstring> boxes = ClickConnectAndDismissBoxes();
        EXPECT_EQ(e.bAccepted ? std::vector<std::wstring>{} : std::vector<std::wstring>{ L"配置串口失败" }, boxes)
            << "list " << e.nList << " entry " << e.nIndex;
        const auto applied = m_commStates.AppliedOn(DialogThreadId());
        ASSERT_EQ(nBefore + 1, applied.size()) << "list " << e.nList << " entry " << e.nIndex;
        const auto& last = applied.back();
        EXPECT_TRUE(SameBytes(WithLineSettings(last.before, 9600, e.nByteSize, e.nStopBits, e.nParity), last.applied))
            << "list " << e.nList << " entry " << e.nIndex << ": ByteSize " << int(last.applied.ByteSize)
            << ", StopBits " << int(last.applied.StopBits) << ", Parity " << int(last.applied.Parity);
        EXPECT_EQ(e.bAccepted, IsOpen()) << "list " << e.nList << " entry " << e.nIndex;
        if (IsOpen())
            Disconnect();
    }
}

TEST_F(TerminalTest, OtherSelectionsGiveWhatTheySay)
{
    const struct { int nBaudIndex; DWORD nBaud; int nStopIndex; BYTE nStopBits; } choices[] = {
        { 0, 110, 1, TWOSTOPBITS }, { 5, 4800, 0, ONESTOPBIT }, { 9, 38400, 1, TWOSTOPBITS }, { 12, 115200, 0, ONESTOPBIT },
        { 18, 921600, 0, ONESTOPBIT }, { 22, 3000000, 1, TWOSTOPBITS },
    };
    for (const auto& c : choices) {
        Host().SelectComboItem(IDC_BAUD_LIST, c.nBaudIndex, true);
        Host().SelectComboItem(IDC_STOPBITS_LIST, c.nStopIndex, true);
        Connect(kFirstCom);
        const DCB line = LineState(kFirstCom);
        EXPECT_EQ(c.nBaud, line.BaudRate);
        EXPECT_EQ(c.nStopBits, line.StopBits) << c.nBaud;
        Disconnect();
    }
}

// A rate typed into the box goes to the line; one the line cannot take is named in a message
// before the port is touched.
TEST_F(TerminalTest, TypedBaudRateIsUsedAndABadOneRefusedBeforeThePortIsOpened)
{
    // Blanks or zeros in front, however many, leave the rate as typed.
    const struct { std::wstring typed; DWORD nBaud; } good[] = {
        { L"230400", 230400 }, { std::wstring(40, L' ') + L"9600", 9600 }, { std::wstring(30, L'0') + L"115200", 115200 },
    };
    for (const auto& g : good) {
        Host().SetText(IDC_BAUD_LIST, g.typed);
        Connect(kFirstCom);
        EXPECT_EQ(g.nBaud, LineState(kFirstCom).BaudRate);
        Disconnect();
    }

    for (const wchar_t* pszBad : { L"0", L"9600bps", L"" }) {
        const size_t nApplied = m_commStates.AppliedOn(DialogThreadId()).size();
        Host().SetText(IDC_BAUD_LIST, pszBad);
        SelectPort(kFirstCom);
        EXPECT_EQ(std::vector<std::wstring>{ std::wstring(L"波特率“") + pszBad + L"”无效：请输入 1 到 2147483647 之间的整数。" },
                  ClickConnectAndDismissBoxes());
        EXPECT_FALSE(IsOpen());
        EXPECT_EQ(nApplied, m_commStates.AppliedOn(DialogThreadId()).size()) << "nothing reached the port";
    }
}

TEST_F(TerminalTest, PortThatCannotBeOpenedIsReportedAndStaysClosed)
{
    SelectPort(kMissingCom);
    auto click = Host().ClickAsync(IDC_CONNECT);
    const auto box = Host().DismissMessageBox();
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(Host().Wait(click));
    EXPECT_EQ(L"错误", box->caption);
    EXPECT_EQ(L"打开COM7口失败!", box->text);
    EXPECT_EQ(L"连接", Host().Text(IDC_CONNECT));
    EXPECT_FALSE(IsOpen());
    EXPECT_TRUE(Announcements().empty());
    EXPECT_TRUE(m_commStates.AppliedOn(DialogThreadId()).empty()) << "nothing to configure";
}

TEST_F(TerminalTest, RefusedConfigurationIsReportedAndClosesThePortAgain)
{
    StartCyclicSend(L"X", L"20");   // ticks go on under the message's loop
    Host().SelectComboItem(IDC_DATABITS_LIST, 1, true);   // "6位": refused on a pseudo-terminal
    SelectPort(kFirstCom);
    auto click = Host().ClickAsync(IDC_CONNECT);
    HWND hWndBox = Host().WaitForOwnedBox();
    ASSERT_NE(nullptr, hWndBox);
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(300, 300)) << "sent with the settings refused";
    const auto box = testsupport::ReadBox(hWndBox);
    ASSERT_TRUE(DialogHostBase::PressOk(hWndBox));
    ASSERT_TRUE(Host().Wait(click));
    Host().Click(IDC_CYCLIC_SEND);
    EXPECT_EQ(L"错误", box.caption);
    EXPECT_EQ(L"配置串口失败", box.text);
    EXPECT_EQ(L"连接", Host().Text(IDC_CONNECT));
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(std::vector<Announcement>{ Opened(kFirstCom) }, Announcements()) << "no WM_PORT_CLOSED on this path";

    // The port can be connected again once the settings are acceptable.
    Host().SelectComboItem(IDC_DATABITS_LIST, 3, true);
    Connect(kFirstCom);
}

TEST_F(TerminalTest, MessageBoxesHaveOnlyAnOkButtonAndNoIcon)
{
    SelectPort(kMissingCom);
    auto click = Host().ClickAsync(IDC_CONNECT);
    HWND hWndBox = Host().WaitForOwnedBox();
    ASSERT_NE(nullptr, hWndBox);
    EXPECT_NE(nullptr, ::GetDlgItem(hWndBox, IDOK));
    EXPECT_EQ(nullptr, ::GetDlgItem(hWndBox, IDCANCEL));
    EXPECT_EQ(0u, testsupport::ReadBox(hWndBox).nIconStyle);
    EXPECT_TRUE(DialogHostBase::PressOk(hWndBox));
    ASSERT_TRUE(Host().Wait(click));
}

TEST_F(TerminalTest, DisconnectThenReconnectToAnotherNumber)
{
    Connect(kFirstCom);
    SelectPort(kSecondCom);   // a click while connected closes the open port whatever the list shows
    Disconnect();
    EXPECT_EQ((std::vector<Announcement>{ Opened(kFirstCom), Closed() }), Announcements());

    Connect(kSecondCom);
    EXPECT_EQ((std::vector<Announcement>{ Opened(kFirstCom), Closed(), Opened(kSecondCom) }), Announcements());
    EXPECT_EQ(kSecondCom, Host().Invoke([](TerminalDlg& dlg) { return dlg.m_Comm.PortNumber(); }));

    ASSERT_TRUE(Peer(kFirstCom).Send("five"));   // nobody reads the first port any more
    ASSERT_TRUE(Peer(kSecondCom).Send("six"));
    EXPECT_TRUE(WaitForReceiveText(L"six"));
    Host().SetText(IDC_SEND_EDIT, L"to six");
    Host().Click(IDC_SEND);
    EXPECT_EQ("to six", Peer(kSecondCom).Receive(6, kWaitMs));
    EXPECT_EQ(L"six", ReceiveText());
}

TEST_F(TerminalTest, ChangingAListWhileConnectedChangesNothingUntilTheNextConnect)
{
    Connect(kFirstCom);
    Host().SelectComboItem(IDC_BAUD_LIST, 12, true);      // "115200"
    Host().SelectComboItem(IDC_STOPBITS_LIST, 1, true);   // "2位"
    Host().SetText(IDC_SEND_EDIT, L"x");
    Host().Click(IDC_SEND);   // a handler that reads the lists into the members
    EXPECT_EQ("x", Peer(kFirstCom).Receive(1, kWaitMs));

    DCB line = LineState(kFirstCom);
    EXPECT_EQ(9600u, line.BaudRate);
    EXPECT_EQ(ONESTOPBIT, line.StopBits);
    EXPECT_EQ(1u, m_commStates.AppliedOn(DialogThreadId()).size());

    Disconnect();
    Connect(kFirstCom);
    line = LineState(kFirstCom);
    EXPECT_EQ(115200u, line.BaudRate);
    EXPECT_EQ(TWOSTOPBITS, line.StopBits);
}

}  // namespace
