// The receive text's trim: whole lines from the front, cut only after an LF, at least the most
// recent characters kept, and rare enough that its cost does not matter.
#include <gtest/gtest.h>

#include <string>

#include "ui/receive/ReceiveTextTrim.h"

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
        { L"abcd\nfghijklm", 5, "after the LF nearest the most it may drop" },
        { L"abc\nefghijklm", 4, "an LF further back, within reach" },
        { L"abc\r\nfghijklm", 5, "CR LF: after the LF" },
        { L"abc\refghijklm", 0, "a CR alone starts no line: nothing to cut after" },
        { L"0123456789ABC", 0, "no LF: nothing dropped" },
        { L"ab\ndefghijklm", 0, "an LF out of reach is passed over" },
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
