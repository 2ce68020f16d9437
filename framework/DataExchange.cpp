#include "framework/DataExchange.h"

#include <climits>
#include <cwchar>
#include <cwctype>
#include <string>

#include "framework/CWinApp.h"
#include "framework/DecimalDigits.h"

namespace {

const wchar_t kParseIntPrompt[] = L"请输入一个整数。";
const wchar_t kParseUintPrompt[] = L"请输入一个正整数。";

CString GetWindowTextOf(HWND hWnd)
{
    CString str;
    const int nLength = ::GetWindowTextLengthW(hWnd);
    str.ReleaseBuffer(::GetWindowTextW(hWnd, str.GetBuffer(nLength + 1), nLength + 1));
    return str;
}

bool IsMultiLineEdit(HWND hWnd)
{
    wchar_t szClass[16];
    return ::GetClassNameW(hWnd, szClass, 16) > 0 && ::lstrcmpiW(szClass, L"Edit") == 0
        && (::GetWindowLongW(hWnd, GWL_STYLE) & ES_MULTILINE) != 0;
}

// Writes text to a multi-line edit, touching it only as far as needed (see DDX_Text in the
// header), and remembers what it then shows. What the exchange last wrote stands for the control's
// text while the control has not changed since, so a long text is not fetched back to compare.
void SetMultiLineEditText(CExchangedEditTexts& texts, HWND hWnd, const CString& value)
{
    CString fetched;
    const CString* pShown = texts.Unchanged(hWnd);
    if (pShown == nullptr) {
        fetched = GetWindowTextOf(hWnd);
        pShown = &fetched;
    }
    const bool bFetched = pShown == &fetched;
    const int nShown = pShown->GetLength();
    if (*pShown == value) {
        if (bFetched)
            texts.Remember(hWnd, value);
        return;
    }
    const bool bGrowsOnly = nShown < value.GetLength()
        && std::wmemcmp(pShown->GetString(), value.GetString(), static_cast<size_t>(nShown)) == 0;
    if (!bGrowsOnly) {
        ::SetWindowTextW(hWnd, value);
        texts.Remember(hWnd, value);
        return;
    }
    if (static_cast<UINT>(::SendMessageW(hWnd, EM_GETLIMITTEXT, 0, 0)) < static_cast<UINT>(value.GetLength()))
        ::SendMessageW(hWnd, EM_SETLIMITTEXT, 0, 0);   // 0 lifts the limit
    ::SendMessageW(hWnd, EM_SETSEL, static_cast<WPARAM>(nShown), static_cast<LPARAM>(nShown));
    ::SendMessageW(hWnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(value.GetString() + nShown));
    ::SendMessageW(hWnd, EM_SETMODIFY, FALSE, 0);   // as after WM_SETTEXT
    if (bFetched)
        texts.Remember(hWnd, value);
    else
        texts.Append(hWnd, value.GetString() + nShown);
}

// Writes text to a control: a multi-line edit as above; any other only when it shows another text.
void SetControlText(CDataExchange* pDX, HWND hWnd, const CString& value)
{
    if (IsMultiLineEdit(hWnd)) {
        SetMultiLineEditText(pDX->EditTexts(), hWnd, value);
        return;
    }
    if (GetWindowTextOf(hWnd) != value)
        ::SetWindowTextW(hWnd, value);
}

// Selects entry nIndex of a combo box. A drop-down list that already shows it is left alone:
// selecting it again only repaints the box; a box with an edit part is always set, which also
// puts the entry's text into the edit part.
void SelectComboEntry(HWND hWnd, int nIndex)
{
    const bool bListOnly = (::GetWindowLongW(hWnd, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST;
    if (bListOnly && static_cast<int>(::SendMessageW(hWnd, CB_GETCURSEL, 0, 0)) == nIndex)
        return;
    ::SendMessageW(hWnd, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
}

// Reads "[blanks][sign]digits[blanks]" (ASCII digits) into a value in [minimum, maximum], a 32-bit
// range around 0.
bool ParseDecimal(LPCWSTR psz, long long minimum, long long maximum, long long& result)
{
    while (std::iswspace(*psz))
        ++psz;
    bool bNegative = false;
    if (*psz == L'+' || *psz == L'-') {
        bNegative = *psz == L'-';
        ++psz;
    }
    const unsigned long long limit = static_cast<unsigned long long>(bNegative ? -minimum : maximum);
    unsigned long long magnitude = 0;
    psz = ReadDecimalDigits(psz, psz + std::wcslen(psz), limit, magnitude);
    if (psz == nullptr)
        return false;
    while (std::iswspace(*psz))
        ++psz;
    if (*psz != L'\0')
        return false;
    result = bNegative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return true;
}

// Reads or writes a control's text as a decimal number in [minimum, maximum].
void ExchangeNumber(CDataExchange* pDX, int nIDC, long long& value, long long minimum, long long maximum,
                    LPCWSTR pszPrompt)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (hWndCtrl == nullptr)
        return;
    if (!pDX->m_bSaveAndValidate) {
        // Not through the C run-time's printf: older system run-times do not know "%lld".
        SetControlText(pDX, hWndCtrl, CString(std::to_wstring(value).c_str()));
        return;
    }
    long long parsed = 0;
    if (!ParseDecimal(GetWindowTextOf(hWndCtrl), minimum, maximum, parsed)) {
        pDX->m_pDlgWnd->MessageBox(pszPrompt, nullptr, MB_OK | MB_ICONEXCLAMATION);
        pDX->Fail();
        return;
    }
    value = parsed;
}

}  // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    if (m_bFailed)
        return nullptr;
    HWND hWndCtrl = nullptr;
    m_pDlgWnd->GetDlgItem(nIDC, &hWndCtrl);
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = hWndCtrl != nullptr;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    m_bFailed = TRUE;
    if (!m_bSaveAndValidate || m_idLastControl == 0)
        return;
    HWND hWndLastControl = nullptr;
    m_pDlgWnd->GetDlgItem(m_idLastControl, &hWndLastControl);
    if (hWndLastControl == nullptr)
        return;
    // Through the dialog manager rather than SetFocus: it also records the control as the dialog's
    // focus, which the dialog restores when it is activated again as the message box goes away.
    m_pDlgWnd->SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hWndLastControl), TRUE);
    if (m_bEditLastControl)
        ::SendMessageW(hWndLastControl, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (hWndCtrl == nullptr)
        return;
    rControl.m_hWnd = hWndCtrl;
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (hWndCtrl == nullptr)
        return;
    if (!pDX->m_bSaveAndValidate) {
        SetControlText(pDX, hWndCtrl, value);
        return;
    }
    const CString* pShown = IsMultiLineEdit(hWndCtrl) ? pDX->EditTexts().Unchanged(hWndCtrl) : nullptr;
    if (pShown == nullptr)
        value = GetWindowTextOf(hWndCtrl);
    else if (value != *pShown)
        value = *pShown;
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    long long wide = value;
    ExchangeNumber(pDX, nIDC, wide, INT_MIN, INT_MAX, kParseIntPrompt);
    value = static_cast<int>(wide);
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    long long wide = value;
    ExchangeNumber(pDX, nIDC, wide, 0, UINT_MAX, kParseUintPrompt);
    value = static_cast<UINT>(wide);
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (hWndCtrl == nullptr)
        return;
    if (pDX->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(hWndCtrl, CB_GETCURSEL, 0, 0));
    else
        SelectComboEntry(hWndCtrl, index);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (hWndCtrl == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        // A box that can be typed into holds what is typed (an entry picked is typed in too);
        // a list holds its selected entry.
        const bool bTypable = (::GetWindowLongW(hWndCtrl, GWL_STYLE) & 3) == CBS_DROPDOWN;
        const int nIndex = static_cast<int>(::SendMessageW(hWndCtrl, CB_GETCURSEL, 0, 0));
        if (bTypable || nIndex == CB_ERR) {
            value = GetWindowTextOf(hWndCtrl);
            return;
        }
        const int nLength = static_cast<int>(::SendMessageW(hWndCtrl, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0));
        CString text;
        const int nCopied = static_cast<int>(::SendMessageW(hWndCtrl, CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                                                            reinterpret_cast<LPARAM>(text.GetBuffer(nLength + 1))));
        text.ReleaseBuffer(nCopied == CB_ERR ? 0 : nCopied);
        value = text;
        return;
    }
    // A box being typed into that already shows the text keeps it as it is: selecting the entry
    // would select the whole text, and the next key typed would replace it.
    if ((::GetWindowLongW(hWndCtrl, GWL_STYLE) & 3) == CBS_DROPDOWN && GetWindowTextOf(hWndCtrl) == value)
        return;
    const int nIndex = static_cast<int>(::SendMessageW(hWndCtrl, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                       reinterpret_cast<LPARAM>(value.GetString())));
    if (nIndex == CB_ERR)
        SetControlText(pDX, hWndCtrl, value);
    else
        SelectComboEntry(hWndCtrl, nIndex);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (hWndCtrl == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageW(hWndCtrl, BM_GETCHECK, 0, 0));
        return;
    }
    const int state = value == BST_UNCHECKED || value == BST_INDETERMINATE ? value : BST_CHECKED;
    if (static_cast<int>(::SendMessageW(hWndCtrl, BM_GETCHECK, 0, 0)) != state)   // unchanged: no repaint
        ::SendMessageW(hWndCtrl, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}
