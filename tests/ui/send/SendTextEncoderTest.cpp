// The send text as bytes: exactly the code page's bytes, nothing added, whatever the number of
// bytes one UTF-16 unit needs.
#include <gtest/gtest.h>

#include <string>

#include "ui/send/SendTextEncoder.h"

namespace {

TEST(SendTextEncoderTest, TextBecomesTheCodePagesBytesWithNothingAdded)
{
    const struct { UINT nCodePage; std::wstring text; std::string bytes; } cases[] = {
        { 936, L"", "" },
        { 936, L"AT", "AT" },
        { 936, L"AT\r\n", "AT\r\n" },
        { 936, L"中文", "\xD6\xD0\xCE\xC4" },
        { 1252, L"caf\u00E9", "caf\xE9" },
        { 1252, L"\u4E2D", "?" },                                  // not in the code page: its default character
        { CP_UTF8, L"中文", "\xE4\xB8\xAD\xE6\x96\x87" },           // 3 bytes per UTF-16 unit
        { CP_UTF8, L"\U0001F600", "\xF0\x9F\x98\x80" },             // 2 units, 4 bytes
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bytes, EncodeSendText(c.text.c_str(), c.nCodePage)) << "code page " << c.nCodePage;
}

TEST(SendTextEncoderTest, LongTextNeedingThreeBytesPerUnitIsSentWhole)
{
    // Twice the UTF-16 length plus one would hold only two thirds of it.
    const std::wstring text(1000, L'\u4E2D');
    const std::string bytes = EncodeSendText(text.c_str(), CP_UTF8);
    ASSERT_EQ(3000u, bytes.size());
    EXPECT_EQ("\xE4\xB8\xAD", bytes.substr(2997));
}

TEST(SendTextEncoderTest, WithoutACodePageTheThreadsAnsiCodePageIsUsed)
{
    const LCID previous = ::GetThreadLocale();
    ::SetThreadLocale(MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT));
    EXPECT_EQ("\xD6\xD0", EncodeSendText(L"中"));
    ::SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
    EXPECT_EQ("\xE9", EncodeSendText(L"\u00E9"));
    ::SetThreadLocale(previous);
}

}  // namespace
