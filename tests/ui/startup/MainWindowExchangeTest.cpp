// Data exchange of the main window in both directions for every bound member, the bad-interval
// path, and the keys that end the dialog.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/ui/support/DialogHost.h"
#include "tests/ui/support/LumetraDlgProbe.h"

namespace {

const wchar_t kIntegerPrompt[] = L"请输入一个整数。";

// Every exchanged value, as the members hold it and as the controls show it.
struct Settings {
    std::wstring baud;
    int nDataBits;
    int nStopBits;
    int nParity;
    BOOL bPauseDisplay;
    BOOL bCyclicSend;
    BOOL bClearAfterSend;
    std::wstring receive;
    std::wstring send;
    int nInterval;

    bool operator==(const Settings& other) const
    {
        return baud == other.baud && nDataBits == other.nDataBits && nStopBits == other.nStopBits
            && nParity == other.nParity && bPauseDisplay == other.bPauseDisplay
            && bCyclicSend == other.bCyclicSend && bClearAfterSend == other.bClearAfterSend
            && receive == other.receive && send == other.send && nInterval == other.nInterval;
    }
};

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t ch : text)
        narrow += ch < 0x80 ? static_cast<char>(ch) : '?';
    return narrow;
}

void PrintTo(const Settings& s, std::ostream* os)
{
    *os << "{baud " << Narrow(s.baud) << ", data " << s.nDataBits << ", stop " << s.nStopBits
        << ", parity " << s.nParity << ", pause " << s.bPauseDisplay << ", cyclic " << s.bCyclicSend
        << ", clear " << s.bClearAfterSend << ", receive \"" << Narrow(s.receive) << "\", send \""
        << Narrow(s.send) << "\", interval " << s.nInterval << "}";
}

// Two sets that differ from the start-up values and from each other in every field, with list
// indices that differ between the lists, so a member bound to the wrong control shows.
const Settings kSettingSets[] = {
    { L"115200", 1, 1, 4, TRUE, FALSE, TRUE, L"收到 AT\r\nOK", L"发送\r\n第二行", 250 },
    { L"300", 2, 0, 1, FALSE, TRUE, FALSE, L"x", L"AT+GMR", 0 },
};

Settings MembersOf(const LumetraDlgProbe& dlg)
{
    return { dlg.m_strBaud.GetString(), dlg.m_nDataBits, dlg.m_nStopBits, dlg.m_nParity,
             dlg.m_bPauseDisplay, dlg.m_bCyclicSend, dlg.m_bClearAfterSend,
             dlg.m_strReceive.GetString(), dlg.m_strSend.GetString(), dlg.m_nInterval };
}

void SetMembers(LumetraDlgProbe& dlg, const Settings& s)
{
    dlg.m_strBaud = s.baud.c_str();
    dlg.m_nDataBits = s.nDataBits;
    dlg.m_nStopBits = s.nStopBits;
    dlg.m_nParity = s.nParity;
    dlg.m_bPauseDisplay = s.bPauseDisplay;
    dlg.m_bCyclicSend = s.bCyclicSend;
    dlg.m_bClearAfterSend = s.bClearAfterSend;
    dlg.m_strReceive = s.receive.c_str();
    dlg.m_strSend = s.send.c_str();
    dlg.m_nInterval = s.nInterval;
}

Settings ControlsOf(const DialogHostBase& host)
{
    return { host.ComboSelectedText(IDC_BAUD_LIST), host.ComboSelection(IDC_DATABITS_LIST),
             host.ComboSelection(IDC_STOPBITS_LIST), host.ComboSelection(IDC_PARITY_LIST),
             static_cast<BOOL>(host.CheckState(IDC_PAUSE_DISPLAY)), static_cast<BOOL>(host.CheckState(IDC_CYCLIC_SEND)),
             static_cast<BOOL>(host.CheckState(IDC_CLEAR_AFTER_SEND)), host.Text(IDC_RECEIVE_EDIT),
             host.Text(IDC_SEND_EDIT), std::stoi(host.Text(IDC_INTERVAL_EDIT)) };
}

void SetControls(DialogHostBase& host, const Settings& s)
{
    const std::vector<std::wstring> bauds = host.ComboItems(IDC_BAUD_LIST);
    const auto baud = std::find(bauds.begin(), bauds.end(), s.baud);
    ASSERT_NE(bauds.end(), baud);
    host.SelectComboItem(IDC_BAUD_LIST, static_cast<int>(baud - bauds.begin()));
    host.SelectComboItem(IDC_DATABITS_LIST, s.nDataBits);
    host.SelectComboItem(IDC_STOPBITS_LIST, s.nStopBits);
    host.SelectComboItem(IDC_PARITY_LIST, s.nParity);
    host.SetCheck(IDC_PAUSE_DISPLAY, static_cast<UINT>(s.bPauseDisplay));
    host.SetCheck(IDC_CYCLIC_SEND, static_cast<UINT>(s.bCyclicSend));
    host.SetCheck(IDC_CLEAR_AFTER_SEND, static_cast<UINT>(s.bClearAfterSend));
    host.SetText(IDC_RECEIVE_EDIT, s.receive);
    host.SetText(IDC_SEND_EDIT, s.send);
    host.SetText(IDC_INTERVAL_EDIT, std::to_wstring(s.nInterval));
}

class MainWindowExchange : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.IsRunning()) << "the main window did not come up"; }

    DialogHost<LumetraDlgProbe> host;
};

TEST_F(MainWindowExchange, ReadingTakesEveryControlIntoItsMember)
{
    for (const Settings& settings : kSettingSets) {
        SCOPED_TRACE(testing::PrintToString(settings));
        SetControls(host, settings);
        struct Read { BOOL bResult; Settings members; };
        const Read read = host.Invoke([](LumetraDlgProbe& dlg) {
            const BOOL bResult = dlg.UpdateData(TRUE);
            return Read{ bResult, MembersOf(dlg) };
        });
        EXPECT_TRUE(read.bResult);
        EXPECT_EQ(settings, read.members);
    }
}

TEST_F(MainWindowExchange, WritingPutsEveryMemberIntoItsControl)
{
    for (const Settings& settings : kSettingSets) {
        SCOPED_TRACE(testing::PrintToString(settings));
        host.Invoke([settings](LumetraDlgProbe& dlg) {
            SetMembers(dlg, settings);
            dlg.UpdateData(FALSE);
        });
        EXPECT_EQ(settings, ControlsOf(host));
    }
}

TEST_F(MainWindowExchange, EmptyIntervalIsReportedOnceAndStopsTheExchangeBeforeCyclicSend)
{
    host.SetText(IDC_SEND_EDIT, L"ATZ");
    host.SetCheck(IDC_CLEAR_AFTER_SEND, BST_CHECKED);
    host.SetCheck(IDC_CYCLIC_SEND, BST_CHECKED);
    host.SetText(IDC_INTERVAL_EDIT, L"");

    std::future<BOOL> exchange = host.InvokeAsync([](LumetraDlgProbe& dlg) { return dlg.UpdateData(TRUE); });
    const std::optional<dialog_host::ShownBox> box = host.DismissMessageBox();
    ASSERT_TRUE(box.has_value()) << "no validation message";
    ASSERT_TRUE(DialogHostBase::Wait(exchange));
    EXPECT_EQ(FALSE, exchange.get());
    EXPECT_EQ(kIntegerPrompt, box->text);
    EXPECT_EQ(nullptr, host.FindOwnedBox()) << "a second message";

    const Settings members = host.Invoke([](LumetraDlgProbe& dlg) { return MembersOf(dlg); });
    EXPECT_EQ(L"ATZ", members.send) << "exchanged before the interval";
    EXPECT_EQ(TRUE, members.bClearAfterSend) << "exchanged before the interval";
    EXPECT_EQ(1000, members.nInterval) << "the bad entry must not change the member";
    EXPECT_EQ(FALSE, members.bCyclicSend) << "exchanged after the interval";
    EXPECT_EQ(host.Item(IDC_INTERVAL_EDIT), host.Focus());
    EXPECT_TRUE(host.IsRunning());
}

// ---- Keys that end the dialog ----

struct KeyCase {
    const char* pszName;
    int nFocusID;
    UINT nKey;
    INT_PTR nResult;
};

TEST(MainWindowKeys, EnterOutsideButtonsAndTextAreasAndEscapeEndTheDialog)
{
    const KeyCase cases[] = {
        { "Escape in the port list", IDC_PORT_LIST, VK_ESCAPE, IDCANCEL },
        { "Escape in the receive area", IDC_RECEIVE_EDIT, VK_ESCAPE, IDCANCEL },
        { "Enter in the port list", IDC_PORT_LIST, VK_RETURN, IDOK },
        { "Enter on a check box", IDC_PAUSE_DISPLAY, VK_RETURN, IDOK },
        { "Enter in the interval box", IDC_INTERVAL_EDIT, VK_RETURN, IDOK },
    };
    for (const KeyCase& keyCase : cases) {
        SCOPED_TRACE(keyCase.pszName);
        DialogHost<LumetraDlgProbe> host;
        ASSERT_TRUE(host.IsRunning());
        HWND hWndFocus = host.Item(keyCase.nFocusID);
        host.RunOnDialogThread([hWndFocus] { ::SetFocus(hWndFocus); });
        testsupport::PostKey(hWndFocus, keyCase.nKey);
        ASSERT_TRUE(host.WaitForEnd());
        EXPECT_EQ(keyCase.nResult, host.Result());
    }
}

TEST(MainWindowKeys, EnterInATextAreaInsertsALineBreak)
{
    for (int nID : { IDC_RECEIVE_EDIT, IDC_SEND_EDIT }) {
        SCOPED_TRACE(nID);
        DialogHost<LumetraDlgProbe> host;
        ASSERT_TRUE(host.IsRunning());
        HWND hWndFocus = host.Item(nID);
        host.RunOnDialogThread([hWndFocus] { ::SetFocus(hWndFocus); });
        testsupport::PostKey(hWndFocus, VK_RETURN);
        EXPECT_TRUE(dialog_host::WaitUntil([&] { return host.Text(nID) == L"\r\n"; }));
        EXPECT_TRUE(host.IsRunning());
    }
}

TEST(MainWindowKeys, EnterWithAnEmptyIntervalShowsTheMessageAndKeepsTheDialogOpen)
{
    DialogHost<LumetraDlgProbe> host;
    ASSERT_TRUE(host.IsRunning());
    host.SetText(IDC_INTERVAL_EDIT, L"");
    HWND hWndFocus = host.Item(IDC_PORT_LIST);
    host.RunOnDialogThread([hWndFocus] { ::SetFocus(hWndFocus); });
    testsupport::PostKey(hWndFocus, VK_RETURN);

    const std::optional<dialog_host::ShownBox> box = host.DismissMessageBox();
    ASSERT_TRUE(box.has_value()) << "no validation message";
    EXPECT_EQ(kIntegerPrompt, box->text);
    // Queued behind the key, so it runs once the OK processing has returned.
    host.RunOnDialogThread([] {});
    EXPECT_TRUE(host.IsRunning());
    EXPECT_EQ(nullptr, host.FindOwnedBox());
    EXPECT_EQ(host.Item(IDC_INTERVAL_EDIT), host.Focus());
}

}  // namespace
