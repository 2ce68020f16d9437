// The receive text's trim: whole lines from the front, at least the most recent characters kept,
// pairs never split, and rare enough that its cost does not matter.
#include <gtest/gtest.h>

#include <string>

#include "ui/ReceiveTextTrim.h"

namespace {

size_t TrimLength(const std::wstring& text, size_t nKeep, size_t nBound)
{
    return ReceiveTextTrimLength(text.c_str(), text.size(), nKeep, nBound);
}

TEST(ReceiveTextTrimTest, SmallBoundCases)
{
    // Keeps at least 8, trimmed past 12: the cut is looked for from 8 characters before the end
    // back to 2 more.
    const struct { const wchar_t* pszText; size_t nDropped; const char* pszWhy; } cases[] = {
        { L"0123456789AB", 0, "at the bound: nothing dropped" },
        { L"0123456789ABC", 5, "no line break: cut to keep exactly 8" },
        { L"abcd\nfghijklm", 5, "after the line break nearest the most it may drop" },
        { L"abc\nefghijklm", 4, "a line break further back, within reach" },
        { L"ab\ndefghijklm", 5, "a line break out of reach is passed over" },
        { L"abc\r\nfghijklm", 5, "CR LF ends a line after the LF" },
        { L"abc\refghijklm", 4, "a CR alone ends a line" },
        { L"abcd\r\nghijklm", 4, "no break in reach: the cut stays before CR LF" },
        { L"abcd\xD83D\xDE00ghijklm", 4, "no break in reach: the cut stays before a surrogate pair" },
        { L"a\naaaaaaaaaaaaaaaaaa\nbbbbbbbbb", 21, "exceeded by many chunks: down to a line start" },
    };
    for (const auto& c : cases) {
        const std::wstring text(c.pszText);
        const size_t nDropped = TrimLength(text, 8, 12);
        EXPECT_EQ(c.nDropped, nDropped) << c.pszWhy;
        if (nDropped != 0) {
            EXPECT_GE(text.size() - nDropped, 8u) << c.pszWhy << ": keeps at least the bound's keep";
        }
    }
}

// With the real bound: one chunk over it drops whole lines down to about the kept length, after
// which many chunks pass before the next trim.
TEST(ReceiveTextTrimTest, RealBoundDropsLinesDownToTheKeptLengthAndTrimsRarely)
{
    std::wstring line(62, L'x');
    line += L"\r\n";
    std::wstring text;
    while (text.size() <= kReceiveTextBound)
        text += line;
    const size_t nDropped = ReceiveTextTrimLength(text.c_str(), text.size());
    ASSERT_GT(nDropped, 0u);
    EXPECT_EQ(L'\n', text[nDropped - 1]) << "the kept text starts a line";
    EXPECT_GE(text.size() - nDropped, kReceiveTextKeep);
    EXPECT_LT(text.size() - nDropped, kReceiveTextKeep + line.size());

    text.erase(0, nDropped);
    size_t nChunks = 0;
    while (ReceiveTextTrimLength(text.c_str(), text.size()) == 0) {
        text += std::wstring(1023, L'y');
        ++nChunks;
    }
    EXPECT_GE(nChunks, (kReceiveTextBound - kReceiveTextKeep) / 1023) << "chunks between two trims";
}

}  // namespace
