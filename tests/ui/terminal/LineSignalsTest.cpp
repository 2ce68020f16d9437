// The group of the line's own signals in the real window: the DTR and RTS boxes, the flow-control
// list, the status-line indicators and the line-error counters. On a scripted port, whose modem
// lines and errors the engine reports as a real port's; and on a pseudo-terminal under Wine, which
// has no modem lines.
#include <memory>
#include <string>
#include <vector>

#include "tests/support/FakeSerialDevice.h"
#include "tests/ui/terminal/DcbExpectations.h"
#include "tests/ui/terminal/TerminalFixture.h"
#include "ui/signals/FlowControl.h"

namespace {

using Call = FakeSerialDevice::Call;
constexpr DWORD kWaitMs = 10000;
const int kIndicators[] = { IDC_CTS_STATE, IDC_DSR_STATE, IDC_RI_STATE, IDC_DCD_STATE };

// The main window on a scripted port. The port reports DTR held off and RTS on until a test says
// otherwise.
class LineSignalsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DCB dcb = device.CommStateRecord();
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        device.SetCommStateRecord(dcb);
        m_pHost = std::make_unique<DialogHost<TerminalDlg>>([this] { return std::make_unique<TerminalDlg>(device); });
        ASSERT_TRUE(m_pHost->IsRunning());
    }

    DialogHost<TerminalDlg>& Host() { return *m_pHost; }
    bool IsOpen() { return Host().Invoke([](TerminalDlg& dlg) { return dlg.m_Comm.IsOpen(); }); }
    // Clicks Connect and presses OK on the message boxes it shows; returns their texts.
    std::vector<std::wstring> ClickAndDismissBoxes(int nID)
    {
        std::vector<std::wstring> texts;
        auto click = Host().ClickAsync(nID);
        const ULONGLONG nEnd = ::GetTickCount64() + kWaitMs;
        while (!DialogHostBase::Wait(click, 20) && ::GetTickCount64() < nEnd) {
            if (HWND hWndBox = Host().FindOwnedBox()) {
                texts.push_back(testsupport::ReadBox(hWndBox).text);
                DialogHostBase::PressOk(hWndBox);
            }
        }
        EXPECT_TRUE(DialogHostBase::Wait(click, 0)) << "the handler of " << nID << " did not return";
        return texts;
    }
    void Connect()
    {
        EXPECT_EQ(std::vector<std::wstring>{}, ClickAndDismissBoxes(IDC_CONNECT));
        ASSERT_TRUE(IsOpen());
    }
    std::vector<std::wstring> Texts(std::initializer_list<int> ids)
    {
        std::vector<std::wstring> texts;
        for (int nID : ids)
            texts.push_back(Host().Text(nID));
        return texts;
    }
    bool WaitForTexts(std::initializer_list<int> ids, const std::vector<std::wstring>& expected)
    {
        return dialog_host::WaitUntil([&] { return Texts(ids) == expected; }, kWaitMs);
    }
    std::vector<DWORD> EscapeFunctions()
    {
        std::vector<DWORD> functions;
        for (const auto& record : device.Calls())
            if (record.call == Call::EscapeCommFunction)
                functions.push_back(record.args[0]);
        return functions;
    }

    FakeSerialDevice device;   // outlives the window, whose port object uses it until it closes

private:
    std::unique_ptr<DialogHost<TerminalDlg>> m_pHost;
};

TEST_F(LineSignalsTest, LeftAloneTheBoxesShowThePortsLevelsAndOnlyTheFourLineSettingsAreWritten)
{
    const DCB before = device.CommStateRecord();
    Connect();
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_DTR)) << "read back: DTR held off";
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_RTS));
    EXPECT_TRUE(EscapeFunctions().empty()) << "nothing set on lines the user left alone";
    EXPECT_TRUE(SameBytes(WithLineSettings(before, 9600, 8, ONESTOPBIT, NOPARITY), device.CommStateRecord()))
        << "with 不变 the flow fields stay as the port had them";
}

TEST_F(LineSignalsTest, ChosenFlowControlIsWrittenWithTheLineSettings)
{
    Host().SelectComboItem(IDC_FLOW_CONTROL, kFlowRtsCts, true);
    Connect();
    const DCB applied = device.CommStateRecord();
    EXPECT_TRUE(applied.fOutxCtsFlow);
    EXPECT_EQ(static_cast<DWORD>(RTS_CONTROL_HANDSHAKE), applied.fRtsControl);
    EXPECT_EQ(9600u, applied.BaudRate);
}

TEST_F(LineSignalsTest, ChoicesAreSetAtEachConnectAndAtOnceWhileConnected)
{
    Host().Click(IDC_DTR);   // unticked, then ticked again: the port would hold DTR off
    Host().Click(IDC_DTR);
    Host().Click(IDC_RTS);   // unticked
    EXPECT_TRUE(EscapeFunctions().empty()) << "disconnected: kept for the connect";
    Connect();
    EXPECT_EQ((std::vector<DWORD>{ SETDTR, CLRRTS }), EscapeFunctions());
    EXPECT_TRUE(device.DtrOn());
    EXPECT_FALSE(device.RtsOn());
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_DTR));
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_RTS));

    device.ClearCalls();
    Host().Click(IDC_DTR);
    EXPECT_EQ(std::vector<DWORD>{ CLRDTR }, EscapeFunctions());
    EXPECT_FALSE(device.DtrOn());

    Host().Click(IDC_CONNECT);   // disconnect, then again: the choices are set on the new connection
    ASSERT_FALSE(IsOpen());
    device.ClearCalls();
    Connect();
    EXPECT_EQ((std::vector<DWORD>{ CLRDTR, CLRRTS }), EscapeFunctions());
}

TEST_F(LineSignalsTest, LinesThePortRefusesAreReportedInOneMessageAndShowThePortsLevels)
{
    device.FailCall(Call::EscapeCommFunction, ERROR_NOT_SUPPORTED);
    Host().Click(IDC_DTR);   // both unticked
    Host().Click(IDC_RTS);
    const std::vector<std::wstring> boxes = ClickAndDismissBoxes(IDC_CONNECT);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::wstring::npos, boxes[0].find(L"DTR、RTS")) << testing::PrintToString(boxes[0]);
    EXPECT_TRUE(IsOpen()) << "the connection stands";
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_DTR)) << "the port holds DTR off";
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_RTS)) << "and RTS on";

    Host().Click(IDC_CONNECT);
    device.ClearCalls();
    Connect();   // the refused choices were dropped: nothing asked again, no message
    EXPECT_TRUE(EscapeFunctions().empty());
}

TEST_F(LineSignalsTest, StatusLinesAreReadAtConnectFollowTheNotificationsAndAreUnknownWhenClosed)
{
    const auto indicators = { IDC_CTS_STATE, IDC_DSR_STATE, IDC_RI_STATE, IDC_DCD_STATE };
    device.SetModemStatus(MS_CTS_ON | MS_RLSD_ON);
    Connect();
    EXPECT_EQ((std::vector<std::wstring>{ L"CTS ●", L"DSR ○", L"RI ○", L"DCD ●" }), Texts(indicators));

    ASSERT_TRUE(device.WaitForPendingWait(kWaitMs));
    device.SetModemStatus(MS_DSR_ON | MS_RING_ON);
    device.RaiseEvents(EV_CTS | EV_DSR | EV_RING | EV_RLSD);
    EXPECT_TRUE(WaitForTexts(indicators, { L"CTS ○", L"DSR ●", L"RI ●", L"DCD ○" })) << testing::PrintToString(Texts(indicators));

    Host().Click(IDC_CONNECT);
    EXPECT_EQ((std::vector<std::wstring>{ L"CTS ？", L"DSR ？", L"RI ？", L"DCD ？" }), Texts(indicators));
    // A notification still queued after the close says nothing about a line.
    Host().Invoke([](TerminalDlg& dlg) { return dlg.SendMessage(CSerialLink::CNM_CTS, dlg.m_Comm.PortNumber(), 1); });
    EXPECT_EQ(L"CTS ？", Host().Text(IDC_CTS_STATE));

    device.FailCall(Call::GetCommModemStatus, ERROR_NOT_SUPPORTED);
    Connect();
    EXPECT_EQ((std::vector<std::wstring>{ L"CTS ？", L"DSR ？", L"RI ？", L"DCD ？" }), Texts(indicators))
        << "a port that cannot tell";
    // A line's notification from a port that cannot tell leaves it unknown; the next one, once
    // the port can tell again, shows that line.
    ASSERT_TRUE(device.WaitForPendingWait(kWaitMs));
    device.RaiseEvents(EV_CTS);
    ASSERT_TRUE(device.WaitForPendingWait(kWaitMs));
    device.ClearFaults();
    device.RaiseEvents(EV_DSR);
    EXPECT_TRUE(WaitForTexts(indicators, { L"CTS ？", L"DSR ●", L"RI ？", L"DCD ？" }))
        << testing::PrintToString(Texts(indicators));
}

// A port reports errors with an error event, or, while bytes keep arriving (a wrong baud rate
// garbles them), beside those bytes.
TEST_F(LineSignalsTest, LineErrorsAreCountedByKindUntilTheCountersAreCleared)
{
    const auto counters = { IDC_FRAME_ERRORS, IDC_PARITY_ERRORS, IDC_OVERRUN_ERRORS };
    Connect();
    const struct { DWORD flags; const char* pszBytes; std::vector<std::wstring> texts; } steps[] = {
        { CE_FRAME, nullptr, { L"帧错误：1", L"校验错误：0", L"溢出：0" } },
        { CE_FRAME | CE_RXPARITY | CE_OVERRUN, nullptr, { L"帧错误：2", L"校验错误：1", L"溢出：1" } },
        { CE_RXOVER, nullptr, { L"帧错误：2", L"校验错误：1", L"溢出：2" } },
        { CE_FRAME, "\xF0\x0F\xF8", { L"帧错误：3", L"校验错误：1", L"溢出：2" } },
    };
    for (const auto& s : steps) {
        ASSERT_TRUE(device.WaitForPendingWait(kWaitMs));
        device.SetErrorFlags(s.flags);
        if (s.pszBytes != nullptr)
            device.PushInput(s.pszBytes);
        else
            device.RaiseEvents(EV_ERR);
        EXPECT_TRUE(WaitForTexts(counters, s.texts)) << std::hex << s.flags << ": " << testing::PrintToString(Texts(counters));
    }
    Host().Click(IDC_CLEAR_COUNTS);
    EXPECT_EQ((std::vector<std::wstring>{ L"帧错误：0", L"校验错误：0", L"溢出：0" }), Texts(counters));
}

// On a pseudo-terminal under Wine: the modem lines cannot be set or read.
TEST_F(TerminalTest, RefusedDtrOnAPseudoTerminalIsReportedOnceAndTheBoxKeepsThePortsLevel)
{
    Connect(kFirstCom);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_DTR)) << "Wine reports DTR on";
    for (int nID : kIndicators)
        EXPECT_NE(std::wstring::npos, Host().Text(nID).find(L"？")) << "status unknown: " << nID;

    auto click = Host().ClickAsync(IDC_DTR);
    const auto box = Host().DismissMessageBox();
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(Host().Wait(click));
    EXPECT_EQ(L"错误", box->caption);
    EXPECT_NE(std::wstring::npos, box->text.find(L"DTR")) << testing::PrintToString(box->text);
    EXPECT_EQ(0, VisibleBoxCount());
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_DTR));
    EXPECT_TRUE(IsOpen());
}

// Wine keeps the flow fields of a pseudo-terminal (output on CTS, XON/XOFF) as they are set.
TEST_F(TerminalTest, FlowControlListLeavesOrSetsTheFlowFieldsOfThePort)
{
    // The port's own, so that a connect that clears it shows.
    EditLineState(kFirstCom, [](DCB& dcb) { dcb.fOutX = dcb.fInX = TRUE; });
    const struct { int nIndex; BOOL bCts, bXonXoff; } cases[] = {
        { kFlowUnchanged, FALSE, TRUE },
        { kFlowRtsCts, TRUE, FALSE },
        { kFlowXonXoff, FALSE, TRUE },
        { kFlowNone, FALSE, FALSE },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nIndex);
        Host().SelectComboItem(IDC_FLOW_CONTROL, c.nIndex, true);
        Connect(kFirstCom);
        const DCB line = LineState(kFirstCom);
        EXPECT_EQ(c.bCts, static_cast<BOOL>(line.fOutxCtsFlow));
        EXPECT_EQ(c.bXonXoff, static_cast<BOOL>(line.fOutX));
        EXPECT_EQ(c.bXonXoff, static_cast<BOOL>(line.fInX));
        if (c.nIndex == kFlowUnchanged) {
            const auto applied = m_commStates.AppliedOn(DialogThreadId());
            ASSERT_FALSE(applied.empty());
            EXPECT_TRUE(SameBytes(WithLineSettings(applied.back().before, 9600, 8, ONESTOPBIT, NOPARITY),
                                  applied.back().applied)) << "不变: only the four line settings change";
        }
        Disconnect();
    }
    // Later tests send DC1 and DC3 as data.
    EditLineState(kFirstCom, [](DCB& dcb) { dcb.fOutX = dcb.fInX = FALSE; });
}

}  // namespace
