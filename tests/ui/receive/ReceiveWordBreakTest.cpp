// The receive area's word breaks: at blanks (and control characters) only, as the edit control
// asks for them.
#include <gtest/gtest.h>

#include <string>

#include "ui/receive/ReceiveWordBreak.h"

namespace {

TEST(ReceiveWordBreakTest, BreaksAtBlanksOnly)
{
    std::wstring text = L"ab  cd\r\n中文字 x\x01y";   // 0 a, 2-3 blanks, 4 c, 6-7 CR LF, 8 中, 11 blank, 12 x, 13 U+0001, 14 y
    const int nLength = static_cast<int>(text.size());
    const struct { int nCurrent; int nAction; int nExpected; const char* pszWhy; } cases[] = {
        { 2, WB_ISDELIMITER, 1, "a space" },
        { 6, WB_ISDELIMITER, 1, "CR" },
        { 9, WB_ISDELIMITER, 0, "a Chinese character is no blank" },
        { 5, WB_LEFT, 4, "inside a word: its start" },
        { 4, WB_LEFT, 0, "at a word's start: the word before" },
        { 3, WB_LEFT, 0, "in the blanks after a word: that word" },
        { 10, WB_LEFT, 8, "no break between Chinese characters" },
        { 13, WB_ISDELIMITER, 1, "a control character" },
        { 15, WB_LEFT, 14, "at the end: the last word, after a control character" },
        { 0, WB_LEFT, 0, "nothing to the left" },
        { 0, WB_RIGHT, 4, "the next word's start, past the blanks" },
        { 4, WB_RIGHT, 8, "past CR LF" },
        { 12, WB_RIGHT, 14, "past a control character" },
        { 14, WB_RIGHT, nLength, "no word after: the end" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.nExpected, ReceiveWordBreakProc(&text[0], c.nCurrent, nLength, c.nAction)) << c.pszWhy;
}

}  // namespace
