#include <gtest/gtest.h>

#include <string>

#include "framework/CString.h"
#include "tests/framework/FrameworkTestIds.h"

namespace {

// The thread's ANSI code page, as CP_THREAD_ACP resolves it.
UINT ThreadAnsiCodePage()
{
    UINT nCodePage = 0;
    ::GetLocaleInfoW(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&nCodePage), sizeof(nCodePage) / sizeof(wchar_t));
    return nCodePage;
}

TEST(CStringTest, LengthEmptinessAndEmpty)
{
    CString s;
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(0, s.GetLength());
    EXPECT_STREQ(L"", static_cast<LPCWSTR>(s));

    s = L"串口";
    EXPECT_FALSE(s.IsEmpty());
    EXPECT_EQ(2, s.GetLength());
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(L"", s.GetString());

    CString fromNull(static_cast<LPCWSTR>(nullptr));
    EXPECT_TRUE(fromNull.IsEmpty());

    s = L"0123456789";
    EXPECT_EQ(7, s.Delete(0, 3));
    EXPECT_STREQ(L"3456789", s.GetString());
    EXPECT_EQ(6, s.Delete(2));
    EXPECT_STREQ(L"346789", s.GetString());
    EXPECT_EQ(4, s.Delete(4, 100)) << "clamped to the end";
    EXPECT_STREQ(L"3467", s.GetString());
    EXPECT_EQ(4, s.Delete(9, 1)) << "past the end: nothing";
}

TEST(CStringTest, FormatFollowsMicrosoftConventions)
{
    struct Case {
        const wchar_t* expected;
        CString actual;
    };
    auto format = [](auto... args) { CString s; s.Format(args...); return s; };
    const Case cases[] = {
        { L"COM7", format(L"COM%d", 7) },
        { L"打开COM255口失败!", format(L"打开COM%d口失败!", 255) },
        { L"[wide|-42|narrow|x]", format(L"[%s|%d|%S|%c]", L"wide", -42, "narrow", L'x') },
        { L"00ff 4294967295", format(L"%04x %u", 255, 0xFFFFFFFFu) },
        { L"100%", format(L"%d%%", 100) },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.expected, c.actual.GetString());
}

TEST(CStringTest, FormatHasNoLengthLimit)
{
    const std::wstring longText(10000, L'字');
    CString s;
    s.Format(L"<%s>", longText.c_str());
    ASSERT_EQ(10002, s.GetLength());
    EXPECT_EQ(L'<', s[0]);
    EXPECT_EQ(L'字', s[5000]);
    EXPECT_EQ(L'>', s[10001]);
}

TEST(CStringTest, FormatMayUseItsOwnTextAsArgument)
{
    CString s(L"abc");
    s.Format(L"%s-%s", s.GetString(), s.GetString());
    EXPECT_STREQ(L"abc-abc", s.GetString());
}

TEST(CStringTest, ComparisonsAndConcatenation)
{
    const CString a(L"COM1");
    const CString b(L"COM10");
    EXPECT_TRUE(a == L"COM1");
    EXPECT_TRUE(L"COM1" == a);
    EXPECT_TRUE(a == CString(L"COM1"));
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(a != L"com1");
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_LT(a.Compare(L"COM2"), 0);
    EXPECT_GT(b.Compare(L"COM1"), 0);
    EXPECT_EQ(0, a.CompareNoCase(L"com1"));
    // Embedded zero units take part in equality.
    EXPECT_FALSE(CString(L"a\0b", 3) == CString(L"a\0c", 3));
    EXPECT_EQ(3, CString(L"a\0b", 3).GetLength());

    EXPECT_STREQ(L"COM1COM10", (a + b).GetString());
    EXPECT_STREQ(L"COM1:", (a + L":").GetString());
    EXPECT_STREQ(L">COM1", (L">" + a).GetString());
    EXPECT_STREQ(L"COM1!", (a + L'!').GetString());

    CString s(L"x");
    s += L"y";
    s += CString(L"z");
    s += L'!';
    EXPECT_STREQ(L"xyz!", s.GetString());
    s += s;
    EXPECT_STREQ(L"xyz!xyz!", s.GetString());
}

TEST(CStringTest, NarrowTextComesFromTheThreadAnsiCodePage)
{
    ASSERT_EQ(936u, ThreadAnsiCodePage()) << "the test prefix must use the Chinese (PRC) locale";
    struct Case {
        const char* bytes;
        const wchar_t* appended;
    };
    const Case cases[] = {
        { "abc", L"abc" },
        { "\xB0\xA1", L"啊" },
        { "AT\r\n", L"AT\r\n" },
        { "x\xC4\xE3\xBA\xC3", L"x你好" },
        { "A\0B", L"A" },   // conversion stops at the first zero byte
        { "", L"" },
    };
    for (const Case& c : cases) {
        CString s(L"收到:");
        s += c.bytes;
        EXPECT_STREQ((std::wstring(L"收到:") + c.appended).c_str(), s.GetString()) << c.bytes;
    }
    CString constructed("\xB0\xA1");
    EXPECT_STREQ(L"啊", constructed.GetString());
    CString assigned(L"old");
    assigned = "\xC4\xE3";
    EXPECT_STREQ(L"你", assigned.GetString());
}

TEST(CStringTest, NarrowTextFollowsTheThreadLocaleNotTheProcess)
{
    const LCID lcidBefore = ::GetThreadLocale();
    ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT)));
    CString s;
    s += "\x82\xA0";   // "あ" in code page 932
    ::SetThreadLocale(lcidBefore);
    EXPECT_STREQ(L"あ", s.GetString());
}

TEST(CStringTest, LoadStringReadsTheStringTable)
{
    CString s(L"before");
    ASSERT_TRUE(s.LoadString(IDS_GREETING));
    EXPECT_STREQ(L"你好，世界 (framework)", s.GetString());

    CString missing(L"unchanged");
    EXPECT_FALSE(missing.LoadString(IDS_MISSING));
    EXPECT_STREQ(L"unchanged", missing.GetString());
}

}  // namespace
