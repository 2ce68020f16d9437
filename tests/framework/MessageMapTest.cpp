// Message map lookup and dispatch, called directly (no window needed).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/CWinApp.h"
#include "framework/CWnd.h"

namespace {

const UINT WM_PING = WM_APP + 1;
const UINT WM_BASE_ONLY = WM_APP + 2;
const int IDC_BUTTON = 10;
const int IDC_COMMAND = 11;
const UINT ID_APP_COMMAND = 0x8001;

HCURSOR DragIcon()
{
    return reinterpret_cast<HCURSOR>(::LoadIconW(nullptr, IDI_APPLICATION));
}

class CBaseTarget : public CWnd {
public:
    std::vector<std::wstring> m_calls;

protected:
    afx_msg void OnPaint() { m_calls.push_back(L"base paint"); }
    afx_msg void OnClose() { m_calls.push_back(L"base close"); }
    afx_msg LRESULT OnPing(WPARAM, LPARAM) { m_calls.push_back(L"base ping"); return -1; }
    afx_msg LRESULT OnBaseOnly(WPARAM wParam, LPARAM lParam) { m_calls.push_back(L"base only"); return wParam * lParam; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTarget, CWnd)
    ON_WM_PAINT()
    ON_MESSAGE(WM_PING, &CBaseTarget::OnPing)
    ON_WM_CLOSE()
    ON_MESSAGE(WM_BASE_ONLY, &CBaseTarget::OnBaseOnly)
END_MESSAGE_MAP()

class CDerivedTarget : public CBaseTarget {
public:
    UINT m_nSysCommand = 0;
    LPARAM m_lSysCommandParam = 0;
    UINT_PTR m_nTimer = 0;
    WPARAM m_wPing = 0;
    LPARAM m_lPing = 0;

protected:
    afx_msg void OnPaint() { m_calls.push_back(L"derived paint"); }
    afx_msg LRESULT OnPingFirst(WPARAM wParam, LPARAM lParam)
    {
        m_calls.push_back(L"first ping");
        m_wPing = wParam;
        m_lPing = lParam;
        return 0x12345678;
    }
    afx_msg LRESULT OnPingSecond(WPARAM, LPARAM) { m_calls.push_back(L"second ping"); return 2; }
    afx_msg void OnBnClickedButton() { m_calls.push_back(L"clicked"); }
    afx_msg void OnEnChangeButton() { m_calls.push_back(L"changed"); }
    afx_msg void OnCommand11() { m_calls.push_back(L"command"); }
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam) { m_nSysCommand = nID; m_lSysCommandParam = lParam; }
    afx_msg void OnTimer(UINT_PTR nIDEvent) { m_nTimer = nIDEvent; }
    afx_msg HCURSOR OnQueryDragIcon() { return DragIcon(); }
    afx_msg void OnCbnDropdownButton() { m_calls.push_back(L"dropdown"); }
    afx_msg void OnNotifyClick(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_calls.push_back(L"notify click");
        *pResult = static_cast<LRESULT>(pNMHDR->idFrom) * 2;
    }
    afx_msg BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
    {
        m_calls.push_back(L"device change");
        return nEventType == 0x8000 && dwData == 0x55;   // DBT_DEVICEARRIVAL with that data
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
    ON_MESSAGE(WM_PING, &CDerivedTarget::OnPingFirst)
    ON_MESSAGE(WM_PING, &CDerivedTarget::OnPingSecond)
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_BUTTON, &CDerivedTarget::OnBnClickedButton)
    ON_EN_CHANGE(IDC_BUTTON, &CDerivedTarget::OnEnChangeButton)
    ON_COMMAND(IDC_COMMAND, &CDerivedTarget::OnCommand11)
    ON_WM_SYSCOMMAND()
    ON_WM_TIMER()
    ON_WM_QUERYDRAGICON()
    ON_CBN_DROPDOWN(IDC_BUTTON, &CDerivedTarget::OnCbnDropdownButton)
    ON_NOTIFY(NM_CLICK, IDC_BUTTON, &CDerivedTarget::OnNotifyClick)
    ON_WM_DEVICECHANGE()
END_MESSAGE_MAP()

// A fake control window handle: notifications carry one in lParam.
const LPARAM kControl = 0x1234;

// WM_NOTIFY headers, as a control sends them.
NMHDR g_clickFromButton = { reinterpret_cast<HWND>(kControl), IDC_BUTTON, static_cast<UINT>(NM_CLICK) };
NMHDR g_returnFromButton = { reinterpret_cast<HWND>(kControl), IDC_BUTTON, static_cast<UINT>(NM_RETURN) };
NMHDR g_clickFromOther = { reinterpret_cast<HWND>(kControl), IDC_COMMAND, static_cast<UINT>(NM_CLICK) };

LPARAM Header(NMHDR& header)
{
    return reinterpret_cast<LPARAM>(&header);
}

struct DispatchCase {
    const wchar_t* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    BOOL handled;
    LRESULT result;
    const wchar_t* call;   // the one handler expected to run; null for none
};

TEST(MessageMapTest, DispatchesToTheFirstMatchingEntryThenTheBaseMap)
{
    const DispatchCase cases[] = {
        { L"declared order: first of two entries wins", WM_PING, 3, 4, TRUE, 0x12345678, L"first ping" },
        { L"derived entry before base entry", WM_PAINT, 0, 0, TRUE, 0, L"derived paint" },
        { L"base map fallback", WM_CLOSE, 0, 0, TRUE, 0, L"base close" },
        { L"base map result", WM_BASE_ONLY, 6, 7, TRUE, 42, L"base only" },
        { L"BN_CLICKED from the control", WM_COMMAND, MAKEWPARAM(IDC_BUTTON, BN_CLICKED), kControl, TRUE, 0, L"clicked" },
        { L"other code, same control", WM_COMMAND, MAKEWPARAM(IDC_BUTTON, EN_CHANGE), kControl, TRUE, 0, L"changed" },
        { L"code matched by HIWORD", WM_COMMAND, MAKEWPARAM(IDC_BUTTON, EN_UPDATE), kControl, FALSE, 0, nullptr },
        { L"menu command", WM_COMMAND, MAKEWPARAM(IDC_COMMAND, 0), 0, TRUE, 0, L"command" },
        { L"accelerator command", WM_COMMAND, MAKEWPARAM(IDC_COMMAND, 1), 0, TRUE, 0, L"command" },
        { L"control notification is no command", WM_COMMAND, MAKEWPARAM(IDC_COMMAND, 1), kControl, FALSE, 0, nullptr },
        { L"id matched by LOWORD", WM_COMMAND, MAKEWPARAM(IDC_COMMAND + 0x100, 0), 0, FALSE, 0, nullptr },
        { L"CBN_DROPDOWN from the control", WM_COMMAND, MAKEWPARAM(IDC_BUTTON, CBN_DROPDOWN), kControl, TRUE, 0, L"dropdown" },
        { L"WM_NOTIFY by code and idFrom", WM_NOTIFY, IDC_BUTTON, Header(g_clickFromButton), TRUE, 2 * IDC_BUTTON, L"notify click" },
        { L"WM_NOTIFY, other code", WM_NOTIFY, IDC_BUTTON, Header(g_returnFromButton), FALSE, 0, nullptr },
        { L"WM_NOTIFY, other control", WM_NOTIFY, IDC_COMMAND, Header(g_clickFromOther), FALSE, 0, nullptr },
        { L"WM_NOTIFY without a header", WM_NOTIFY, IDC_BUTTON, 0, FALSE, 0, nullptr },
        { L"device change with its result", WM_DEVICECHANGE, 0x8000, 0x55, TRUE, TRUE, L"device change" },
        { L"device change, other event", WM_DEVICECHANGE, 0x0007, 0, TRUE, FALSE, L"device change" },
        { L"unmapped message", WM_SIZE, 0, 0, FALSE, 0, nullptr },
    };
    for (const DispatchCase& c : cases) {
        CDerivedTarget target;
        LRESULT lResult = -99;
        const BOOL bHandled = target.OnWndMsg(c.message, c.wParam, c.lParam, &lResult);
        EXPECT_EQ(c.handled, bHandled) << c.name;
        if (c.call == nullptr) {
            EXPECT_TRUE(target.m_calls.empty()) << c.name;
            continue;
        }
        EXPECT_EQ(c.result, lResult) << c.name;
        ASSERT_EQ(1u, target.m_calls.size()) << c.name;
        EXPECT_EQ(c.call, target.m_calls[0]) << c.name;
    }
}

TEST(MessageMapTest, HandlersReceiveTheMessageParameters)
{
    CDerivedTarget target;
    LRESULT lResult = 0;
    ASSERT_TRUE(target.OnWndMsg(WM_PING, 0xFFFFFFFF, -5, &lResult));
    EXPECT_EQ(0xFFFFFFFFu, target.m_wPing);
    EXPECT_EQ(-5, target.m_lPing);

    ASSERT_TRUE(target.OnWndMsg(WM_SYSCOMMAND, 0x001F, MAKELPARAM(100, 200), &lResult));
    EXPECT_EQ(0x001Fu, target.m_nSysCommand);
    EXPECT_EQ(MAKELPARAM(100, 200), target.m_lSysCommandParam);

    ASSERT_TRUE(target.OnWndMsg(WM_TIMER, 7, 0, &lResult));
    EXPECT_EQ(7u, target.m_nTimer);

    lResult = 0;
    ASSERT_TRUE(target.OnWndMsg(WM_QUERYDRAGICON, 0, 0, &lResult));
    EXPECT_EQ(reinterpret_cast<LRESULT>(DragIcon()), lResult);
    EXPECT_NE(0, lResult);
}

class CCommandApp : public CWinApp {
public:
    int m_nHelp = 0;
    int m_nAppCommand = 0;

protected:
    afx_msg void OnHelpCommand() { ++m_nHelp; }
    afx_msg void OnAppCommand() { ++m_nAppCommand; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCommandApp, CWinApp)
    ON_COMMAND(ID_HELP, &CCommandApp::OnHelpCommand)
    ON_COMMAND(ID_APP_COMMAND, &CCommandApp::OnAppCommand)
    ON_COMMAND(SC_CLOSE, &CCommandApp::OnAppCommand)
END_MESSAGE_MAP()

TEST(MessageMapTest, UnhandledCommandsGoToTheApplication)
{
    CCommandApp app;
    ASSERT_EQ(&app, AfxGetApp());
    CDerivedTarget target;
    LRESULT lResult = 0;

    EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0, &lResult));
    EXPECT_EQ(1, app.m_nHelp);
    EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_APP_COMMAND, BN_CLICKED), kControl, &lResult));
    EXPECT_EQ(1, app.m_nAppCommand);

    // The window's own entry comes first; notifications other than clicks and system command
    // ids stay with the window.
    EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(IDC_COMMAND, 0), 0, &lResult));
    EXPECT_FALSE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_APP_COMMAND, EN_CHANGE), kControl, &lResult));
    EXPECT_FALSE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(SC_CLOSE, 0), 0, &lResult));
    EXPECT_EQ(1, app.m_nAppCommand);
    EXPECT_EQ(1, app.m_nHelp);
}

class CHelpApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHelpApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

TEST(MessageMapTest, ApplicationMapCanNameTheFrameworkHelpHandler)
{
    CDerivedTarget target;
    LRESULT lResult = 0;
    EXPECT_FALSE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0, &lResult));   // no application yet
    CHelpApp app;
    EXPECT_TRUE(target.OnWndMsg(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0, &lResult));
}

}  // namespace
