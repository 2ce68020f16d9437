// DDX_Text into a multi-line edit: appending the new tail must leave exactly the text a full
// rewrite leaves, without its cost; the caret then sits at the end.
#include <gtest/gtest.h>

#include <string>

#include "framework/DataExchange.h"
#include "tests/framework/EditHost.h"

namespace {

const int kExchanged = 1;   // the edit written through DDX_Text
const int kReference = 2;   // the edit written with WM_SETTEXT

void WriteThroughExchange(CWnd& host, CString value)
{
    CDataExchange dx(&host, FALSE);
    DDX_Text(&dx, kExchanged, value);
    EXPECT_FALSE(dx.HasFailed());
}

DWORD Selection(HWND hWnd)
{
    DWORD nStart = 0xFFFFFFFF;
    DWORD nEnd = 0xFFFFFFFF;
    ::SendMessageW(hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), reinterpret_cast<LPARAM>(&nEnd));
    return MAKELONG(nStart, nEnd);
}

enum class Path { Append, Rewrite, Untouched };

struct AppendCase {
    const wchar_t* name;
    std::wstring current;
    std::wstring value;
    Path path;
};

TEST(TextAppendTest, ResultIsTheTextOfAFullRewrite)
{
    const std::wstring longLine(3000, L'x');
    const AppendCase cases[] = {
        { L"empty grows", L"", L"abc", Path::Append },
        { L"new line", L"abc", L"abc\r\ndef", Path::Append },
        { L"CRLF split between chunks", L"line1\r", L"line1\r\nline2", Path::Append },
        { L"Chinese", L"你好", L"你好世界\r\n啊", Path::Append },
        { L"wrapped long line grows", longLine, longLine + L"yyyy" + longLine, Path::Append },
        { L"lone line feeds", L"a\n", L"a\nb\n\n", Path::Append },
        { L"not a prefix", L"abc", L"abX and more", Path::Rewrite },
        { L"shrinks", L"abcdef", L"abc", Path::Rewrite },
        { L"cleared", L"abc", L"", Path::Rewrite },
        { L"same text", L"abc\r\n", L"abc\r\n", Path::Untouched },
    };
    EditHost host(2);
    HWND hWndExchanged = host.Edit(kExchanged);
    HWND hWndReference = host.Edit(kReference);
    for (const AppendCase& c : cases) {
        ::SetWindowTextW(hWndExchanged, c.current.c_str());
        ::SendMessageW(hWndExchanged, EM_SETSEL, 1, 2);
        ::SendMessageW(hWndExchanged, EM_SETMODIFY, TRUE, 0);

        WriteThroughExchange(host.Window(), c.value.c_str());
        ::SetWindowTextW(hWndReference, c.value.c_str());

        EXPECT_STREQ(TextOf(hWndReference), TextOf(hWndExchanged)) << c.name;
        EXPECT_EQ(::SendMessageW(hWndReference, EM_GETLINECOUNT, 0, 0), ::SendMessageW(hWndExchanged, EM_GETLINECOUNT, 0, 0))
            << c.name;
        const DWORD nLength = static_cast<DWORD>(c.value.size());
        switch (c.path) {
        case Path::Append:
            EXPECT_EQ(MAKELONG(nLength, nLength), static_cast<LONG>(Selection(hWndExchanged))) << "caret at the end: " << c.name;
            EXPECT_FALSE(::SendMessageW(hWndExchanged, EM_GETMODIFY, 0, 0)) << c.name;
            break;
        case Path::Rewrite:
            EXPECT_EQ(MAKELONG(0, 0), static_cast<LONG>(Selection(hWndExchanged))) << "caret at the start: " << c.name;
            EXPECT_FALSE(::SendMessageW(hWndExchanged, EM_GETMODIFY, 0, 0)) << c.name;
            break;
        case Path::Untouched:
            EXPECT_EQ(MAKELONG(1, 2), static_cast<LONG>(Selection(hWndExchanged))) << "not written: " << c.name;
            EXPECT_TRUE(::SendMessageW(hWndExchanged, EM_GETMODIFY, 0, 0)) << c.name;
            break;
        }
    }
}

TEST(TextAppendTest, AppendsAreNeverCutByTheTextLimit)
{
    EditHost host(2);
    HWND hWndExchanged = host.Edit(kExchanged);
    struct Case {
        UINT nLimit;   // 0: the control's default
        int nCurrent;
        int nAppended;
    };
    for (const Case& c : { Case{ 0, 29990, 1000 }, Case{ 100, 90, 50 }, Case{ 0, 0, 40000 } }) {
        if (c.nLimit != 0)
            ::SendMessageW(hWndExchanged, EM_SETLIMITTEXT, c.nLimit, 0);
        const std::wstring current(static_cast<size_t>(c.nCurrent), L'a');
        const std::wstring value = current + std::wstring(static_cast<size_t>(c.nAppended), L'b');
        ::SetWindowTextW(hWndExchanged, current.c_str());
        WriteThroughExchange(host.Window(), value.c_str());
        EXPECT_EQ(static_cast<int>(value.size()), ::GetWindowTextLengthW(hWndExchanged)) << c.nCurrent << "+" << c.nAppended;
        EXPECT_STREQ(value.c_str(), TextOf(hWndExchanged));
    }
}

TEST(TextAppendTest, SaveReadsTheWholeText)
{
    EditHost host(1);
    const std::wstring text = std::wstring(20000, L'字') + L"\r\nend";
    ::SetWindowTextW(host.Edit(kExchanged), text.c_str());
    CString value;
    CDataExchange dx(&host.Window(), TRUE);
    DDX_Text(&dx, kExchanged, value);
    EXPECT_STREQ(text.c_str(), value);
}

}  // namespace
