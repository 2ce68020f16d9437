// The main window as it comes up: the members before the window exists, the five lists, the
// other controls, the system menu's About item, the icons and the port object's notification
// window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/support/DialogHost.h"
#include "tests/ui/support/LumetraDlgProbe.h"

namespace {

HICON AppIcon()
{
    return ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

std::vector<std::wstring> PortNames()
{
    std::vector<std::wstring> names;
    for (int n = 1; n <= 255; ++n)
        names.push_back(L"COM" + std::to_wstring(n));
    return names;
}

TEST(MainWindowConstruction, MembersStartWithTheirInitialValuesAndTheIcon)
{
    LumetraDlgProbe dlg;

    ASSERT_NE(nullptr, AppIcon());
    EXPECT_EQ(AppIcon(), dlg.m_hIcon);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
    for (const CComboBox* pList : { &dlg.m_cbStopBits, &dlg.m_cbDataBits, &dlg.m_cbParity, &dlg.m_cbBaud, &dlg.m_cbPort })
        EXPECT_EQ(nullptr, pList->GetSafeHwnd()) << "a list wrapper is attached before the window exists";
    EXPECT_FALSE(dlg.m_Comm.IsOpen());
    EXPECT_EQ(CSerialLink::MODE_MONITOR_THREAD | CSerialLink::MODE_OVERLAPPED, dlg.m_Comm.Mode());
    EXPECT_TRUE(dlg.m_strBaud.IsEmpty());
    EXPECT_EQ(0, dlg.m_nDataBits);
    EXPECT_EQ(0, dlg.m_nStopBits);
    EXPECT_EQ(0, dlg.m_nParity);
    EXPECT_EQ(FALSE, dlg.m_bPauseDisplay);
    EXPECT_EQ(FALSE, dlg.m_bCyclicSend);
    EXPECT_EQ(FALSE, dlg.m_bClearAfterSend);
    EXPECT_TRUE(dlg.m_strReceive.IsEmpty());
    EXPECT_TRUE(dlg.m_strSend.IsEmpty());
    EXPECT_EQ(1000, dlg.m_nInterval);
}

class MainWindowStartup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.IsRunning()) << "the main window did not come up"; }

    DialogHost<LumetraDlgProbe> host;
};

struct ListAtStartup {
    const char* pszName;
    int nID;
    std::vector<std::wstring> items;
    int nSelected;
};

TEST_F(MainWindowStartup, ListsHoldTheirEntriesInOrderWithTheDefaultSelected)
{
    const ListAtStartup lists[] = {
        { "port", IDC_PORT_LIST, PortNames(), 0 },
        { "baud", IDC_BAUD_LIST,
          { L"110", L"300", L"600", L"1200", L"2400", L"4800", L"9600", L"14400", L"19200", L"38400",
            L"56000", L"57600", L"115200", L"128000", L"230400", L"256000", L"460800", L"500000",
            L"921600", L"1000000", L"1500000", L"2000000", L"3000000" }, 6 },
        { "parity", IDC_PARITY_LIST, { L"NONE", L"ODD", L"EVEN", L"MARK", L"SPACE" }, 0 },
        { "data bits", IDC_DATABITS_LIST, { L"5位", L"6位", L"7位", L"8位" }, 3 },
        { "stop bits", IDC_STOPBITS_LIST, { L"1位", L"2位" }, 0 },
    };
    for (const ListAtStartup& list : lists) {
        SCOPED_TRACE(list.pszName);
        EXPECT_EQ(list.items, host.ComboItems(list.nID));
        EXPECT_EQ(list.nSelected, host.ComboSelection(list.nID));
    }
}

TEST_F(MainWindowStartup, OtherControlsShowTheMembersFirstValues)
{
    EXPECT_EQ(L"1000", host.Text(IDC_INTERVAL_EDIT));
    for (int nID : { IDC_PAUSE_DISPLAY, IDC_CLEAR_AFTER_SEND, IDC_CYCLIC_SEND })
        EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), host.CheckState(nID)) << "check box " << nID;
    EXPECT_EQ(L"连接", host.Text(IDC_CONNECT));
    EXPECT_EQ(L"", host.Text(IDC_RECEIVE_EDIT));
    EXPECT_EQ(L"", host.Text(IDC_SEND_EDIT));
    EXPECT_EQ(host.Item(IDC_PORT_LIST), host.Focus()) << "the first tab stop should have the focus";
}

TEST_F(MainWindowStartup, OptionsStartOffAndLineSignalsUnknownInAWindowThatFitsA1024By768Screen)
{
    for (int nID : { IDC_HEX_DISPLAY, IDC_TIMESTAMPS, IDC_HEX_SEND, IDC_SEND_NEW_LINE, IDC_LOG_TO_FILE, IDC_SHOW_SENT })
        EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), host.CheckState(nID)) << "check box " << nID;
    EXPECT_EQ(5, ::SendMessageW(host.Item(IDC_CHECK_LIST), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"无", host.ComboSelectedText(IDC_CHECK_LIST)) << "no check value";
    EXPECT_EQ(L"发送文件", host.Text(IDC_SEND_FILE));
    EXPECT_EQ(L"", host.Text(IDC_SEND_FILE_PROGRESS));
    EXPECT_EQ(L"接收：0", host.Text(IDC_RECEIVE_COUNT));
    EXPECT_EQ(L"发送：0", host.Text(IDC_SEND_COUNT));
    // The line's signals: DTR and RTS as a port usually opens, flow control left to the port,
    // status unknown without a port, no line errors.
    for (int nID : { IDC_DTR, IDC_RTS })
        EXPECT_EQ(static_cast<UINT>(BST_CHECKED), host.CheckState(nID)) << "check box " << nID;
    EXPECT_EQ((std::vector<std::wstring>{ L"不变", L"无", L"RTS/CTS", L"XON/XOFF" }), host.ComboItems(IDC_FLOW_CONTROL));
    EXPECT_EQ(0, host.ComboSelection(IDC_FLOW_CONTROL));
    EXPECT_EQ((std::vector<std::wstring>{ L"CTS ？", L"DSR ？", L"RI ？", L"DCD ？", L"帧错误：0", L"校验错误：0", L"溢出：0" }),
              (std::vector<std::wstring>{ host.Text(IDC_CTS_STATE), host.Text(IDC_DSR_STATE), host.Text(IDC_RI_STATE),
                                          host.Text(IDC_DCD_STATE), host.Text(IDC_FRAME_ERRORS),
                                          host.Text(IDC_PARITY_ERRORS), host.Text(IDC_OVERRUN_ERRORS) }));
    RECT rect = {};
    ASSERT_TRUE(::GetWindowRect(host.Window(), &rect));
    EXPECT_LE(rect.right - rect.left, 1024);
    EXPECT_LE(rect.bottom - rect.top, 768);
}

TEST_F(MainWindowStartup, MembersStartAsTheListsShowAndTakeNewSelectionsAtTheNextExchange)
{
    struct Members { CString baud; int nDataBits, nStopBits, nParity; };
    const auto read = [](LumetraDlgProbe& dlg) {
        return Members{ dlg.m_strBaud, dlg.m_nDataBits, dlg.m_nStopBits, dlg.m_nParity };
    };

    const Members atStart = host.Invoke(read);
    EXPECT_EQ(CString(L"9600"), atStart.baud);
    EXPECT_EQ(3, atStart.nDataBits);
    EXPECT_EQ(0, atStart.nStopBits);
    EXPECT_EQ(0, atStart.nParity);

    host.SelectComboItem(IDC_BAUD_LIST, 12);
    host.SelectComboItem(IDC_DATABITS_LIST, 2);
    host.SelectComboItem(IDC_STOPBITS_LIST, 1);
    host.SelectComboItem(IDC_PARITY_LIST, 4);
    EXPECT_EQ(3, host.Invoke(read).nDataBits) << "not before an exchange";
    const Members after = host.Invoke([read](LumetraDlgProbe& dlg) {
        dlg.UpdateData(TRUE);
        return read(dlg);
    });
    EXPECT_EQ(CString(L"115200"), after.baud);
    EXPECT_EQ(2, after.nDataBits);
    EXPECT_EQ(1, after.nStopBits);
    EXPECT_EQ(4, after.nParity);
}

// The clear button writes every member back to its control without reading them first.
TEST_F(MainWindowStartup, ClearingBeforeAnyOtherActionKeepsTheStartUpSelections)
{
    host.Click(IDC_CLEAR_RECEIVE);
    EXPECT_EQ(L"9600", host.ComboSelectedText(IDC_BAUD_LIST));
    EXPECT_EQ(L"8位", host.ComboSelectedText(IDC_DATABITS_LIST));
    EXPECT_EQ(L"1位", host.ComboSelectedText(IDC_STOPBITS_LIST));
    EXPECT_EQ(L"NONE", host.ComboSelectedText(IDC_PARITY_LIST));
}

TEST_F(MainWindowStartup, SystemMenuEndsWithSeparatorAndAboutItem)
{
    struct MenuEnd { int nCount; UINT nSeparatorType; UINT nAboutId; std::wstring aboutText; };
    const MenuEnd end = host.RunOnDialogThread([hWnd = host.Window()] {
        MenuEnd result = { 0, 0, 0, L"" };
        HMENU hMenu = ::GetSystemMenu(hWnd, FALSE);
        result.nCount = ::GetMenuItemCount(hMenu);
        if (result.nCount < 2)
            return result;
        MENUITEMINFOW separator = {};
        separator.cbSize = sizeof(separator);
        separator.fMask = MIIM_FTYPE;
        ::GetMenuItemInfoW(hMenu, static_cast<UINT>(result.nCount - 2), TRUE, &separator);
        result.nSeparatorType = separator.fType;
        wchar_t szText[64] = L"";
        MENUITEMINFOW about = {};
        about.cbSize = sizeof(about);
        about.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        about.dwTypeData = szText;
        about.cch = 64;
        ::GetMenuItemInfoW(hMenu, static_cast<UINT>(result.nCount - 1), TRUE, &about);
        result.nAboutId = about.wID;
        result.aboutText = szText;
        return result;
    });
    ASSERT_GE(end.nCount, 2);
    EXPECT_TRUE(end.nSeparatorType & MFT_SEPARATOR);
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), end.nAboutId);
    EXPECT_EQ(L"关于 Lumetra(&A)...", end.aboutText);
}

TEST_F(MainWindowStartup, BigAndSmallIconAndDragIconAreTheApplicationIcon)
{
    HWND hWnd = host.Window();
    const HICON hBig = reinterpret_cast<HICON>(::SendMessageW(hWnd, WM_GETICON, ICON_BIG, 0));
    const HICON hSmall = reinterpret_cast<HICON>(::SendMessageW(hWnd, WM_GETICON, ICON_SMALL, 0));
    const HICON hDrag = reinterpret_cast<HICON>(::SendMessageW(hWnd, WM_QUERYDRAGICON, 0, 0));

    ASSERT_NE(nullptr, AppIcon());
    EXPECT_EQ(AppIcon(), hBig);
    EXPECT_EQ(AppIcon(), hSmall);
    EXPECT_EQ(AppIcon(), hDrag);
}

TEST_F(MainWindowStartup, PortObjectNotifiesThisWindow)
{
    // The hook posts CNM_RECEIVE to the notification window; look for it in the window's queue
    // before the dialog's loop can take it.
    const bool bQueued = host.Invoke([](LumetraDlgProbe& dlg) {
        dlg.m_Comm.NotifyReceive();
        MSG msg;
        return ::PeekMessageW(&msg, dlg.GetSafeHwnd(), CSerialLink::CNM_RECEIVE, CSerialLink::CNM_RECEIVE, PM_NOREMOVE) != FALSE;
    });
    EXPECT_TRUE(bQueued);
}

TEST_F(MainWindowStartup, IntervalBoxRefusesAnythingButDigits)
{
    host.SetText(IDC_INTERVAL_EDIT, L"");
    host.Type(IDC_INTERVAL_EDIT, L"2a-5x0");
    EXPECT_EQ(L"250", host.Text(IDC_INTERVAL_EDIT));
}

}  // namespace
