// Real modal dialogs driven through window messages: what reaches the handlers, what the senders
// get back, and default processing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CDC.h"
#include "framework/CDialog.h"
#include "framework/CWinApp.h"
#include "tests/framework/DialogDriver.h"
#include "tests/framework/FrameworkTestIds.h"

namespace {

const UINT WM_PING = WM_APP + 1642;
const LRESULT kPingResult = 0x7FFFABCD;

HCURSOR DragIcon()
{
    return reinterpret_cast<HCURSOR>(::LoadIconW(nullptr, IDI_WINLOGO));
}

class CDispatchDlg : public CDialog {
public:
    explicit CDispatchDlg(CWnd* pParent = nullptr) : CDialog(IDD_EXCHANGE, pParent) {}

    std::vector<std::wstring> m_calls;
    WPARAM m_wPing = 0;
    LPARAM m_lPing = 0;
    HWND m_hWndAtInit = nullptr;
    UINT_PTR m_nTimer = 0;
    bool m_bRecordPaint = false;
    bool m_bPaintOwnDc = false;
    HDC m_hPaintDc = nullptr;
    HDC m_hPaintStructDc = nullptr;

    BOOL OnInitDialog() override
    {
        m_calls.push_back(L"init");
        m_hWndAtInit = m_hWnd;
        return CDialog::OnInitDialog();
    }

protected:
    afx_msg LRESULT OnPing(WPARAM wParam, LPARAM lParam)
    {
        m_calls.push_back(L"ping");
        m_wPing = wParam;
        m_lPing = lParam;
        return kPingResult;
    }
    afx_msg void OnBnClickedPress() { m_calls.push_back(L"press"); }
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam)
    {
        m_calls.push_back(L"syscommand");
        CDialog::OnSysCommand(nID, lParam);
    }
    afx_msg void OnClose()
    {
        m_calls.push_back(L"close");
        CDialog::OnClose();
    }
    afx_msg HCURSOR OnQueryDragIcon() { return DragIcon(); }
    afx_msg void OnTimer(UINT_PTR nIDEvent)
    {
        m_nTimer = nIDEvent;
        CDialog::OnTimer(nIDEvent);
    }
    afx_msg void OnPaint()
    {
        if (m_bRecordPaint)
            m_calls.push_back(L"paint");
        if (!m_bPaintOwnDc) {
            CDialog::OnPaint();
            return;
        }
        CPaintDC dc(this);
        m_hPaintDc = dc.GetSafeHdc();
        m_hPaintStructDc = dc.m_ps.hdc;
    }
    afx_msg LRESULT OnSetText(WPARAM, LPARAM)
    {
        m_calls.push_back(L"settext");
        return Default();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDispatchDlg, CDialog)
    ON_MESSAGE(WM_PING, &CDispatchDlg::OnPing)
    ON_BN_CLICKED(IDC_PRESS, &CDispatchDlg::OnBnClickedPress)
    ON_WM_SYSCOMMAND()
    ON_WM_CLOSE()
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_WM_PAINT()
    ON_MESSAGE(WM_SETTEXT, &CDispatchDlg::OnSetText)
END_MESSAGE_MAP()

using testsupport::WindowText;

TEST(DialogDispatchTest, InitDialogFindsTheObjectThroughTheWindow)
{
    CDispatchDlg dlg;
    HWND hWndSeen = nullptr;
    const INT_PTR nResult = RunModal(dlg, [&](HWND hDlg) {
        hWndSeen = hDlg;
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(&dlg), ::GetWindowLongPtrW(hDlg, DWLP_USER));
        EXPECT_EQ(::GetDlgItem(hDlg, IDC_LIST), ::GetFocus()) << "OnInitDialog's TRUE puts the focus on the first tab stop";
        ::EndDialog(hDlg, 55);
    });
    EXPECT_EQ(55, nResult);
    EXPECT_NE(nullptr, hWndSeen);
    EXPECT_EQ(hWndSeen, dlg.m_hWndAtInit);
    ASSERT_FALSE(dlg.m_calls.empty());
    EXPECT_EQ(L"init", dlg.m_calls[0]);
    EXPECT_EQ(nullptr, dlg.m_hWnd) << "WM_NCDESTROY forgets the window";
}

TEST(DialogDispatchTest, HandlerResultsReachTheSender)
{
    CDispatchDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        // Through DWLP_MSGRESULT: the dialog procedure itself can only say "handled".
        EXPECT_EQ(kPingResult, ::SendMessageW(hDlg, WM_PING, 0xFFFFFFFF, -1642));
        EXPECT_EQ(0xFFFFFFFFu, dlg.m_wPing);
        EXPECT_EQ(-1642, dlg.m_lPing);
        // Directly: the dialog procedure's own result is the message result.
        EXPECT_EQ(reinterpret_cast<LRESULT>(DragIcon()), ::SendMessageW(hDlg, WM_QUERYDRAGICON, 0, 0));
        ::EndDialog(hDlg, IDOK);
    });
}

TEST(DialogDispatchTest, ButtonClicksReachTheirHandlerOnly)
{
    CDispatchDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        ::SendMessageW(::GetDlgItem(hDlg, IDC_PRESS), BM_CLICK, 0, 0);
        ::SendMessageW(::GetDlgItem(hDlg, IDC_OTHER), BM_CLICK, 0, 0);   // unmapped: default processing
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        ::EndDialog(hDlg, IDOK);
    });
    EXPECT_EQ((std::vector<std::wstring>{ L"init", L"press" }), dlg.m_calls);
}

TEST(DialogDispatchTest, DefaultProcessingFromInsideHandlers)
{
    CDispatchDlg dlg;
    const INT_PTR nResult = RunModal(dlg, [&](HWND hDlg) {
        EXPECT_TRUE(::SendMessageW(hDlg, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"新标题")));
        EXPECT_EQ(L"新标题", WindowText(hDlg));

        ::SendMessageW(hDlg, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(::IsIconic(hDlg));
        ::SendMessageW(hDlg, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_FALSE(::IsIconic(hDlg));
        ::PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);   // -> WM_CLOSE -> IDCANCEL -> OnCancel
    });
    EXPECT_EQ(IDCANCEL, nResult);
    // Each message reached its handler once: default processing did not come back to it.
    EXPECT_EQ((std::vector<std::wstring>{ L"init", L"settext", L"syscommand", L"syscommand", L"syscommand", L"close" }),
              dlg.m_calls);
}

TEST(DialogDispatchTest, TimerMessagesReachOnTimer)
{
    CDispatchDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        ASSERT_EQ(9u, dlg.SetTimer(9, 10));
        EXPECT_TRUE(PumpUntil([&] { return dlg.m_nTimer == 9; }));
        EXPECT_TRUE(dlg.KillTimer(9));
        ::EndDialog(hDlg, IDOK);
    });
    EXPECT_EQ(9u, dlg.m_nTimer);
}

TEST(DialogDispatchTest, PaintHandlersValidateTheWindow)
{
    for (bool bOwnDc : { false, true }) {
        CDispatchDlg dlg;
        dlg.m_bPaintOwnDc = bOwnDc;
        dlg.m_bRecordPaint = true;
        RunModal(dlg, [&](HWND hDlg) {
            ::UpdateWindow(hDlg);
            dlg.m_calls.clear();
            ::InvalidateRect(hDlg, nullptr, TRUE);
            ::UpdateWindow(hDlg);
            EXPECT_EQ(std::vector<std::wstring>{ L"paint" }, dlg.m_calls) << bOwnDc;
            EXPECT_FALSE(::GetUpdateRect(hDlg, nullptr, FALSE)) << "painted: nothing left to update " << bOwnDc;
            ::EndDialog(hDlg, IDOK);
        });
        if (bOwnDc) {
            EXPECT_NE(nullptr, dlg.m_hPaintDc);
            EXPECT_EQ(dlg.m_hPaintStructDc, dlg.m_hPaintDc);
        }
    }
}

TEST(DialogDispatchTest, NestedDialogsEachReachTheirOwnObject)
{
    CWinApp app(L"Dispatch test");
    CDispatchDlg outer;
    app.m_pMainWnd = &outer;
    CDispatchDlg inner;   // no parent: owned by the main window
    INT_PTR nInnerResult = 0;
    RunModal(outer, [&](HWND hOuter) {
        nInnerResult = RunModal(inner, [&](HWND hInner) {
            EXPECT_EQ(hOuter, ::GetWindow(hInner, GW_OWNER));
            EXPECT_FALSE(::IsWindowEnabled(hOuter)) << "the owner is disabled while the inner dialog runs";
            ::SendMessageW(hInner, WM_PING, 1, 0);
            ::SendMessageW(hOuter, WM_PING, 2, 0);
            ::EndDialog(hInner, 2);
        });
        ::EndDialog(hOuter, 1);
    });
    EXPECT_EQ(2, nInnerResult);
    EXPECT_EQ(1u, inner.m_wPing);
    EXPECT_EQ(2u, outer.m_wPing);
    EXPECT_EQ(nullptr, outer.GetSafeHwnd());
    EXPECT_EQ(nullptr, inner.GetSafeHwnd());
}

TEST(DialogDispatchTest, MainDialogHasNoOwner)
{
    CWinApp app(L"Dispatch test");
    CDispatchDlg dlg;
    app.m_pMainWnd = &dlg;
    RunModal(dlg, [&](HWND hDlg) {
        EXPECT_EQ(nullptr, ::GetWindow(hDlg, GW_OWNER));
        ::EndDialog(hDlg, IDOK);
    });
}

TEST(DialogDispatchTest, ChildWrappersAndSystemMenu)
{
    CDispatchDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        // Children
        CWnd* pName = dlg.GetDlgItem(IDC_NAME);
        ASSERT_NE(nullptr, pName);
        EXPECT_EQ(::GetDlgItem(hDlg, IDC_NAME), pName->GetSafeHwnd());
        EXPECT_EQ(pName, dlg.GetDlgItem(IDC_NAME)) << "one wrapper per child";
        EXPECT_EQ(nullptr, dlg.GetDlgItem(999));
        pName->SetWindowText(L"文本");
        CString text;
        pName->GetWindowText(text);
        EXPECT_STREQ(L"文本", text.GetString());
        EXPECT_EQ(2, pName->GetWindowTextLength());
        EXPECT_EQ(2, dlg.GetDlgItemText(IDC_NAME, text));
        EXPECT_EQ(2, dlg.SendDlgItemMessage(IDC_NAME, WM_GETTEXTLENGTH));

        // System menu: appended items stay, reverting gives no menu back.
        CMenu* pSysMenu = dlg.GetSystemMenu(FALSE);
        ASSERT_NE(nullptr, pSysMenu);
        const int nItems = pSysMenu->GetMenuItemCount();
        EXPECT_TRUE(pSysMenu->AppendMenu(MF_SEPARATOR));
        EXPECT_TRUE(pSysMenu->AppendMenu(MF_STRING, 0x0010, L"关于 (&A)..."));
        EXPECT_EQ(nItems + 2, pSysMenu->GetMenuItemCount());
        EXPECT_EQ(0x0010u, pSysMenu->GetMenuItemID(nItems + 1));
        CString item;
        pSysMenu->GetMenuString(nItems + 1, item, MF_BYPOSITION);
        EXPECT_STREQ(L"关于 (&A)...", item.GetString());
        EXPECT_EQ(nullptr, dlg.GetSystemMenu(TRUE));
        EXPECT_EQ(nItems, dlg.GetSystemMenu(FALSE)->GetMenuItemCount());

        ::EndDialog(hDlg, IDOK);
    });
}

TEST(DialogDispatchTest, MessageBoxCaptionDefaultsToTheApplicationName)
{
    CWinApp app(L"测试程序");
    CDispatchDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        MessageBoxWatcher watcher(hDlg);
        EXPECT_EQ(IDOK, dlg.MessageBox(L"打开COM7口失败!"));
        EXPECT_EQ(IDOK, dlg.MessageBox(L"配置串口失败", L"错误", MB_OK));
        ASSERT_TRUE(watcher.WaitForClosed(2));
        const std::vector<ShownMessageBox> shown = watcher.Shown();
        ASSERT_EQ(2u, shown.size());
        EXPECT_EQ(L"测试程序", shown[0].caption);
        EXPECT_EQ(L"打开COM7口失败!", shown[0].text);
        EXPECT_EQ(L"错误", shown[1].caption);
        EXPECT_EQ(0u, shown[1].nIconStyle);
        ::EndDialog(hDlg, IDOK);
    });
}

TEST(DialogDispatchTest, MissingTemplateFails)
{
    class CMissingDlg : public CDialog {
    public:
        CMissingDlg() : CDialog(L"NO_SUCH_TEMPLATE") {}
    } dlg;
    EXPECT_EQ(-1, dlg.DoModal());
}

}  // namespace
