// "保存接收区": the receive area's text as the bytes of a UTF-8 file with a byte-order mark.
#include <gtest/gtest.h>

#include <string>

#include "ui/receive/ReceiveTextFile.h"

namespace {

TEST(ReceiveTextFile, TextBecomesUtf8AfterAByteOrderMark)
{
    const struct { std::wstring text; std::string bytes; } cases[] = {
        { L"", "\xEF\xBB\xBF" },
        { L"OK\r\n", "\xEF\xBB\xBFOK\r\n" },
        { L"[发] 中文", "\xEF\xBB\xBF[\xE5\x8F\x91] \xE4\xB8\xAD\xE6\x96\x87" },
        { L"\U0001F600", "\xEF\xBB\xBF\xF0\x9F\x98\x80" },   // a surrogate pair is one character
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bytes, ReceiveTextFileBytes(c.text)) << testing::PrintToString(c.text);
}

}  // namespace
