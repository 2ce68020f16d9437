// Dialog data exchange on a real dialog: every DDX kind in both directions, the validation
// failure path, and OK/Cancel through the keyboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CComboBox.h"
#include "framework/CDialog.h"
#include "framework/CWinApp.h"
#include "framework/DataExchange.h"
#include "tests/framework/DialogDriver.h"
#include "tests/framework/EditHost.h"
#include "tests/framework/FrameworkTestIds.h"

namespace {

const wchar_t kIntPrompt[] = L"请输入一个整数。";
const wchar_t kUintPrompt[] = L"请输入一个正整数。";

class CExchangeDlg : public CDialog {
public:
    CExchangeDlg() : CDialog(IDD_EXCHANGE) {}

    CComboBox m_cbList;
    CString m_strListText = L"9600";
    int m_nListIndex = 1;
    CString m_strComboText = L"beta";
    CString m_strName = L"名字";
    CString m_strLog = L"line1\r\nline2";
    int m_nNumber = 1000;
    UINT m_nCount = 7;
    BOOL m_bOption = TRUE;
    CString m_strNote = L"note";
    HWND m_hWndFocusAfterOk = nullptr;
    DWORD m_nSelectionAfterOk = 0;

    BOOL OnInitDialog() override
    {
        for (LPCWSTR psz : { L"110", L"1200", L"9600", L"115200" })
            SendDlgItemMessage(IDC_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(psz));
        for (LPCWSTR psz : { L"NONE", L"ODD", L"EVEN" })
            SendDlgItemMessage(IDC_INDEXLIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(psz));
        for (LPCWSTR psz : { L"alpha", L"beta" })
            SendDlgItemMessage(IDC_EDITCOMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(psz));
        return CDialog::OnInitDialog();
    }

protected:
    void OnOK() override
    {
        CDialog::OnOK();
        m_hWndFocusAfterOk = ::GetFocus();
        m_nSelectionAfterOk = static_cast<DWORD>(::SendMessageW(m_hWndFocusAfterOk, EM_GETSEL, 0, 0));
    }

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_LIST, m_cbList);
        DDX_CBString(pDX, IDC_LIST, m_strListText);
        DDX_CBIndex(pDX, IDC_INDEXLIST, m_nListIndex);
        DDX_CBString(pDX, IDC_EDITCOMBO, m_strComboText);
        DDX_Text(pDX, IDC_NAME, m_strName);
        DDX_Text(pDX, IDC_LOG, m_strLog);
        DDX_Text(pDX, IDC_NUMBER, m_nNumber);
        DDX_Text(pDX, IDC_COUNT, m_nCount);
        DDX_Check(pDX, IDC_OPTION, m_bOption);
        DDX_Text(pDX, IDC_NOTE, m_strNote);
    }
};

CString ItemText(HWND hDlg, int nID)
{
    return TextOf(::GetDlgItem(hDlg, nID));
}

int CurSel(HWND hDlg, int nID)
{
    return static_cast<int>(::SendDlgItemMessageW(hDlg, nID, CB_GETCURSEL, 0, 0));
}

int Checked(HWND hDlg)
{
    return static_cast<int>(::SendDlgItemMessageW(hDlg, IDC_OPTION, BM_GETCHECK, 0, 0));
}

DWORD Selection(HWND hWnd)
{
    DWORD nStart = 0xFFFFFFFF;
    DWORD nEnd = 0xFFFFFFFF;
    ::SendMessageW(hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), reinterpret_cast<LPARAM>(&nEnd));
    return MAKELONG(nStart, nEnd);
}

TEST(DataExchangeTest, InitDialogWritesEveryMemberToItsControl)
{
    CExchangeDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        EXPECT_EQ(::GetDlgItem(hDlg, IDC_LIST), dlg.m_cbList.GetSafeHwnd());
        EXPECT_EQ(2, CurSel(hDlg, IDC_LIST));
        EXPECT_EQ(1, CurSel(hDlg, IDC_INDEXLIST));
        EXPECT_EQ(1, CurSel(hDlg, IDC_EDITCOMBO));
        EXPECT_STREQ(L"beta", ItemText(hDlg, IDC_EDITCOMBO));
        EXPECT_STREQ(L"名字", ItemText(hDlg, IDC_NAME));
        EXPECT_STREQ(L"line1\r\nline2", ItemText(hDlg, IDC_LOG));
        EXPECT_STREQ(L"1000", ItemText(hDlg, IDC_NUMBER));
        EXPECT_STREQ(L"7", ItemText(hDlg, IDC_COUNT));
        EXPECT_EQ(BST_CHECKED, Checked(hDlg));
        EXPECT_STREQ(L"note", ItemText(hDlg, IDC_NOTE));
        ::EndDialog(hDlg, IDOK);
    });
}

TEST(DataExchangeTest, SaveReadsEveryControlIntoItsMember)
{
    CExchangeDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        ::SendDlgItemMessageW(hDlg, IDC_LIST, CB_SETCURSEL, 3, 0);
        ::SendDlgItemMessageW(hDlg, IDC_INDEXLIST, CB_SETCURSEL, 2, 0);
        ::SendDlgItemMessageW(hDlg, IDC_EDITCOMBO, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ::SetDlgItemTextW(hDlg, IDC_EDITCOMBO, L"gamma");
        ::SetDlgItemTextW(hDlg, IDC_NAME, L"新名字");
        ::SetDlgItemTextW(hDlg, IDC_LOG, L"a\r\n中文\r\n");
        ::SetDlgItemTextW(hDlg, IDC_NUMBER, L"-42");
        ::SetDlgItemTextW(hDlg, IDC_COUNT, L"4294967295");
        ::SendDlgItemMessageW(hDlg, IDC_OPTION, BM_SETCHECK, BST_UNCHECKED, 0);
        ::SetDlgItemTextW(hDlg, IDC_NOTE, L"");

        EXPECT_TRUE(dlg.UpdateData(TRUE));
        EXPECT_STREQ(L"115200", dlg.m_strListText);
        EXPECT_EQ(2, dlg.m_nListIndex);
        EXPECT_STREQ(L"gamma", dlg.m_strComboText);
        EXPECT_STREQ(L"新名字", dlg.m_strName);
        EXPECT_STREQ(L"a\r\n中文\r\n", dlg.m_strLog);
        EXPECT_EQ(-42, dlg.m_nNumber);
        EXPECT_EQ(4294967295u, dlg.m_nCount);
        EXPECT_FALSE(dlg.m_bOption);
        EXPECT_STREQ(L"", dlg.m_strNote);

        // No selection in a drop-down list reads as empty text and index -1.
        ::SendDlgItemMessageW(hDlg, IDC_LIST, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ::SendDlgItemMessageW(hDlg, IDC_INDEXLIST, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        EXPECT_TRUE(dlg.UpdateData(TRUE));
        EXPECT_STREQ(L"", dlg.m_strListText);
        EXPECT_EQ(-1, dlg.m_nListIndex);
        ::EndDialog(hDlg, IDOK);
    });
}

// What the exchange wrote to a multi-line edit stands for its text until the control changes:
// typing since a refresh is read, also when it keeps the text's length, and so is a text replaced
// by code (WM_SETTEXT clears the modified flag as the exchange's own writes do).
TEST(DataExchangeTest, TextTypedIntoAMultiLineEditAfterARefreshIsRead)
{
    struct Case {
        const wchar_t* name;
        DWORD nSelStart, nSelEnd;
        wchar_t typed;
        const wchar_t* expected;
    };
    const Case cases[] = {
        { L"added at the end", 12, 12, L'!', L"line1\r\nline2!" },
        { L"one character replaced: same length", 0, 1, L'L', L"Line1\r\nline2" },
    };
    CExchangeDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        HWND hWndLog = ::GetDlgItem(hDlg, IDC_LOG);
        for (const Case& c : cases) {
            dlg.m_strLog = L"line1\r\n";
            EXPECT_TRUE(dlg.UpdateData(FALSE));
            dlg.m_strLog += L"line2";   // the refresh appends
            EXPECT_TRUE(dlg.UpdateData(FALSE));
            dlg.m_strLog = L"changed in the member only";
            EXPECT_TRUE(dlg.UpdateData(TRUE));
            EXPECT_STREQ(L"line1\r\nline2", dlg.m_strLog) << "unchanged control: " << c.name;

            ::SendMessageW(hWndLog, EM_SETSEL, c.nSelStart, c.nSelEnd);
            ::SendMessageW(hWndLog, WM_CHAR, c.typed, 1);
            EXPECT_TRUE(dlg.UpdateData(TRUE));
            EXPECT_STREQ(c.expected, dlg.m_strLog) << c.name;
        }
        EXPECT_TRUE(dlg.UpdateData(FALSE));
        ::SetWindowTextW(hWndLog, L"LINE1\r\nLINE2");
        EXPECT_TRUE(dlg.UpdateData(TRUE));
        EXPECT_STREQ(L"LINE1\r\nLINE2", dlg.m_strLog) << "replaced by code, same length";
        ::EndDialog(hDlg, IDOK);
    });
}

TEST(DataExchangeTest, ValidNumbersAreRead)
{
    struct Case {
        const wchar_t* text;
        int number;
    };
    const Case cases[] = {
        { L"42", 42 }, { L" 42 ", 42 }, { L"+8", 8 }, { L"-7", -7 }, { L"0007", 7 }, { L"0", 0 },
        { L"2147483647", 2147483647 }, { L"-2147483648", -2147483647 - 1 },
    };
    CExchangeDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        MessageBoxWatcher watcher(hDlg);
        for (const Case& c : cases) {
            ::SetDlgItemTextW(hDlg, IDC_NUMBER, c.text);
            EXPECT_TRUE(dlg.UpdateData(TRUE)) << c.text;
            EXPECT_EQ(c.number, dlg.m_nNumber) << c.text;
        }
        ::SetDlgItemTextW(hDlg, IDC_COUNT, L"0");
        EXPECT_TRUE(dlg.UpdateData(TRUE));
        EXPECT_EQ(0u, dlg.m_nCount);
        EXPECT_TRUE(watcher.Shown().empty());
        ::EndDialog(hDlg, IDOK);
    });
}

// A bad entry shows the message once, puts the focus back into the box with its text selected,
// and stops the exchange there: earlier members are read, this one and later ones keep theirs.
TEST(DataExchangeTest, BadNumberStopsTheExchangeAtItsControl)
{
    struct Case {
        int nID;
        const wchar_t* text;
        const wchar_t* prompt;
    };
    const Case cases[] = {
        { IDC_NUMBER, L"", kIntPrompt },
        { IDC_NUMBER, L"abc", kIntPrompt },
        { IDC_NUMBER, L"12a", kIntPrompt },
        { IDC_NUMBER, L"1 2", kIntPrompt },
        { IDC_NUMBER, L"--1", kIntPrompt },
        { IDC_NUMBER, L"+", kIntPrompt },
        { IDC_NUMBER, L"１２", kIntPrompt },                // full-width digits
        { IDC_NUMBER, L"2147483648", kIntPrompt },         // out of range, not wrapped
        { IDC_NUMBER, L"-2147483649", kIntPrompt },
        { IDC_NUMBER, L"99999999999999999999", kIntPrompt },
        { IDC_COUNT, L"-1", kUintPrompt },
        { IDC_COUNT, L"4294967296", kUintPrompt },
    };
    CWinApp app(L"数据交换");
    CExchangeDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        MessageBoxWatcher watcher(hDlg);
        size_t nShown = 0;
        for (const Case& c : cases) {
            dlg.m_nNumber = 1000;
            dlg.m_nCount = 7;
            dlg.m_bOption = TRUE;
            dlg.m_strNote = L"note";
            ::SetDlgItemTextW(hDlg, IDC_NAME, c.text);    // exchanged before the numbers
            ::SetDlgItemTextW(hDlg, IDC_NUMBER, c.nID == IDC_NUMBER ? c.text : L"5");
            ::SetDlgItemTextW(hDlg, IDC_COUNT, c.nID == IDC_COUNT ? c.text : L"6");
            ::SendDlgItemMessageW(hDlg, IDC_OPTION, BM_SETCHECK, BST_UNCHECKED, 0);
            ::SetDlgItemTextW(hDlg, IDC_NOTE, L"typed");
            ::SetFocus(::GetDlgItem(hDlg, IDC_NOTE));

            EXPECT_FALSE(dlg.UpdateData(TRUE)) << c.text;
            // Looked at before pumping messages: without a window manager, X focus events that
            // arrive later can take the focus away from the whole window.
            HWND hWndBad = ::GetDlgItem(hDlg, c.nID);
            EXPECT_EQ(hWndBad, ::GetFocus()) << c.text;
            const int nLength = static_cast<int>(wcslen(c.text));
            EXPECT_EQ(MAKELONG(0, nLength), static_cast<LONG>(Selection(hWndBad))) << "whole text selected: " << c.text;
            ++nShown;
            ASSERT_TRUE(watcher.WaitForClosed(nShown)) << c.text;
            const std::vector<ShownMessageBox> shown = watcher.Shown();
            ASSERT_EQ(nShown, shown.size()) << "exactly one message for " << c.text;
            EXPECT_EQ(c.prompt, shown.back().text) << c.text;
            EXPECT_EQ(L"数据交换", shown.back().caption);
            EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), shown.back().nIconStyle);

            EXPECT_STREQ(c.text, dlg.m_strName) << "exchanged before the failure";
            if (c.nID == IDC_COUNT)
                EXPECT_EQ(5, dlg.m_nNumber);
            else
                EXPECT_EQ(1000, dlg.m_nNumber);
            EXPECT_EQ(7u, dlg.m_nCount) << c.text;
            EXPECT_TRUE(dlg.m_bOption) << c.text;
            EXPECT_STREQ(L"note", dlg.m_strNote) << c.text;
        }
        ::EndDialog(hDlg, IDOK);
    });
}

TEST(DataExchangeTest, LoadSelectsListEntriesByTheirWholeText)
{
    struct Case {
        const wchar_t* value;
        int selection;   // expected index after the load, starting from index 2 ("9600")
    };
    const Case cases[] = {
        { L"1200", 1 },
        { L"115200", 3 },
        { L"12", 2 },      // a prefix of "1200" and "115200" only: selection kept
        { L"", 2 },        // empty: selection kept, never the first entry
        { L"96000", 2 },
        { L"9600", 2 },
    };
    CExchangeDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        for (const Case& c : cases) {
            ::SendDlgItemMessageW(hDlg, IDC_LIST, CB_SETCURSEL, 2, 0);
            dlg.m_strListText = c.value;
            EXPECT_TRUE(dlg.UpdateData(FALSE));
            EXPECT_EQ(c.selection, CurSel(hDlg, IDC_LIST)) << c.value;
        }
        // A drop-down combo box takes a value that no entry has as its edit text.
        dlg.m_strComboText = L"delta";
        dlg.UpdateData(FALSE);
        EXPECT_STREQ(L"delta", ItemText(hDlg, IDC_EDITCOMBO));
        dlg.m_strComboText = L"ALPHA";
        dlg.UpdateData(FALSE);
        EXPECT_EQ(0, CurSel(hDlg, IDC_EDITCOMBO)) << "whole-text match ignores case, as the control does";
        // Text being typed that already is the value stays as it is, caret included: selecting
        // its entry again would select the whole text, and the next key would replace it.
        ::SetDlgItemTextW(hDlg, IDC_EDITCOMBO, L"beta");
        ::SendDlgItemMessageW(hDlg, IDC_EDITCOMBO, CB_SETEDITSEL, 0, MAKELPARAM(4, 4));
        dlg.m_strComboText = L"beta";
        dlg.UpdateData(FALSE);
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(4, 4)),
                  static_cast<DWORD>(::SendDlgItemMessageW(hDlg, IDC_EDITCOMBO, CB_GETEDITSEL, 0, 0)));
        ::EndDialog(hDlg, IDOK);
    });
}

TEST(DataExchangeTest, LoadWritesIndicesChecksAndNumbers)
{
    CExchangeDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        for (int nIndex : { 0, 2, -1 }) {
            dlg.m_nListIndex = nIndex;
            dlg.UpdateData(FALSE);
            EXPECT_EQ(nIndex, CurSel(hDlg, IDC_INDEXLIST));
        }
        const struct { BOOL value; int state; } checks[] = { { 0, BST_UNCHECKED }, { 1, BST_CHECKED }, { 5, BST_CHECKED },
                                                             { -1, BST_CHECKED }, { 0, BST_UNCHECKED } };
        for (const auto& check : checks) {
            dlg.m_bOption = check.value;
            dlg.UpdateData(FALSE);
            EXPECT_EQ(check.state, Checked(hDlg)) << check.value;
        }
        dlg.m_nNumber = -2147483647 - 1;
        dlg.m_nCount = 4294967295u;
        dlg.UpdateData(FALSE);
        EXPECT_STREQ(L"-2147483648", ItemText(hDlg, IDC_NUMBER));
        EXPECT_STREQ(L"4294967295", ItemText(hDlg, IDC_COUNT));
        ::EndDialog(hDlg, IDOK);
    });
}

// Run twice on one object: the second run's controls are new windows.
TEST(DataExchangeTest, ControlBindingFollowsTheCurrentWindow)
{
    CExchangeDlg dlg;
    for (int nRun = 0; nRun < 2; ++nRun) {
        RunModal(dlg, [&](HWND hDlg) {
            EXPECT_EQ(::GetDlgItem(hDlg, IDC_LIST), dlg.m_cbList.GetSafeHwnd()) << "run " << nRun;
            EXPECT_EQ(4, dlg.m_cbList.GetCount());
            CString text;
            dlg.m_cbList.GetLBText(3, text);
            EXPECT_STREQ(L"115200", text);
            dlg.m_cbList.GetLBText(99, text);
            EXPECT_STREQ(L"", text) << "no such entry";
            ::EndDialog(hDlg, IDOK);
        });
    }
}

TEST(DataExchangeTest, EnterEndsWithIdokAfterReadingTheControls)
{
    CExchangeDlg dlg;
    const INT_PTR nResult = RunModal(dlg, [&](HWND hDlg) {
        ::SetDlgItemTextW(hDlg, IDC_NAME, L"回车");
        ::SetFocus(::GetDlgItem(hDlg, IDC_NAME));
        PostKey(::GetDlgItem(hDlg, IDC_NAME), VK_RETURN);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_STREQ(L"回车", dlg.m_strName);
}

TEST(DataExchangeTest, EscapeEndsWithIdcancelWithoutReading)
{
    CExchangeDlg dlg;
    const INT_PTR nResult = RunModal(dlg, [&](HWND hDlg) {
        ::SetDlgItemTextW(hDlg, IDC_NAME, L"取消");
        ::SetFocus(::GetDlgItem(hDlg, IDC_NAME));
        PostKey(::GetDlgItem(hDlg, IDC_NAME), VK_ESCAPE);
    });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_STREQ(L"名字", dlg.m_strName);
}

TEST(DataExchangeTest, EnterWithABadNumberKeepsTheDialogOpen)
{
    CExchangeDlg dlg;
    size_t nShown = 0;
    bool bOpenAfterMessage = false;
    const INT_PTR nResult = RunModal(dlg, [&](HWND hDlg) {
        MessageBoxWatcher watcher(hDlg);
        HWND hWndNumber = ::GetDlgItem(hDlg, IDC_NUMBER);
        ::SetDlgItemTextW(hDlg, IDC_NUMBER, L"x1");
        ::SetFocus(::GetDlgItem(hDlg, IDC_NAME));
        PostKey(::GetDlgItem(hDlg, IDC_NAME), VK_RETURN);
        // The condition is checked between messages, so the key press has been handled completely
        // (OnOK has returned) once the message is seen closed.
        EXPECT_TRUE(watcher.WaitForClosed(1, 10000, hDlg));
        nShown = watcher.Shown().size();
        bOpenAfterMessage = ::IsWindowVisible(hDlg) != FALSE;
        EXPECT_EQ(hWndNumber, dlg.m_hWndFocusAfterOk);
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, 2)), dlg.m_nSelectionAfterOk);
        PostKey(hWndNumber, VK_ESCAPE);
    });
    EXPECT_EQ(1u, nShown);
    EXPECT_TRUE(bOpenAfterMessage);
    EXPECT_EQ(IDCANCEL, nResult);
}

}  // namespace
