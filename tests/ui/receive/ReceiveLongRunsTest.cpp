// Line breaks shown where received text would make a run without LF too long for the receive area.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "ui/receive/ReceiveLongRuns.h"

namespace {

struct BreakCase {
    const wchar_t* pszShown;
    const wchar_t* pszText;
    const wchar_t* pszAppended;
    const char* pszWhy;
};

// Runs of at most 4.
template <size_t N>
void ExpectBreaks(const BreakCase (&cases)[N], RunBreak rule)
{
    for (const BreakCase& c : cases) {
        const std::wstring shown(c.pszShown);
        EXPECT_EQ(std::wstring(c.pszAppended), BreakReceiveLongRuns(shown.c_str(), shown.size(), c.pszText, rule, 4))
            << c.pszWhy;
    }
}

TEST(ReceiveLongRunsTest, BreaksBeforeTheCharacterThatWouldMakeARunTooLong)
{
    const BreakCase cases[] = {
        { L"", L"abcd", L"abcd", "exactly the longest run" },
        { L"", L"abcde", L"abcd\r\ne", "one more" },
        { L"", L"abcdefghij", L"abcd\r\nefgh\r\nij", "again after every run" },
        { L"ab", L"cdef", L"cd\r\nef", "the run the area ends with counts" },
        { L"xxxxxxxxxx", L"y", L"\r\ny", "text already ending in a long run" },
        { L"abcdef\n", L"ghijk", L"ghij\r\nk", "an LF in the area ends its run" },
        { L"", L"abcd\nefgh\nij", L"abcd\nefgh\nij", "an LF ends a run" },
        { L"", L"ab\rcd\ref", L"ab\rc\r\nd\ref", "a CR alone is part of the run" },
        { L"", L"abcd\r\nef", L"abcd\r\nef", "a CR LF at the limit is kept whole" },
        { L"", L"abc\xD83D\xDE00z", L"abc\xD83D\xDE00\r\nz", "a surrogate pair at the break stays whole" },
        { L"abc\xD83D", L"\xDE00z", L"\xDE00\r\nz", "also when its halves arrive apart" },
        { L"abc", L"\x4E2D\x6587", L"\x4E2D\r\n\x6587", "a double-byte character is one unit" },
    };
    ExpectBreaks(cases, RunBreak::BeforeCharacter);
}

TEST(ReceiveLongRunsTest, HexRowsBreakBetweenBytesOnly)
{
    const BreakCase cases[] = {
        { L"", L"01 02 03 ", L"01 \r\n02 \r\n03 ", "after the last blank that fits" },
        { L"01 ", L"02 03 ", L"\r\n02 \r\n03 ", "after the area's own last blank" },
        { L"", L"0102030405", L"0102\r\n0304\r\n05", "no blank to break after: as text" },
        { L"", L"01\r\n02 03 ", L"01\r\n02 \r\n03 ", "an LF ends a run" },
    };
    ExpectBreaks(cases, RunBreak::AfterBlank);

    // 400 bytes 00..FF at the real limit: every row ends after a whole byte, none is too long.
    std::wstring hex;
    for (int i = 0; i < 400; ++i) {
        wchar_t szByte[4];
        swprintf(szByte, 4, L"%02X ", i & 0xFF);
        hex += szByte;
    }
    const std::wstring rows = BreakReceiveLongRuns(L"", 0, hex, RunBreak::AfterBlank);
    size_t nRowStart = 0;
    for (size_t nEnd; (nEnd = rows.find(L"\r\n", nRowStart)) != std::wstring::npos; nRowStart = nEnd + 2) {
        EXPECT_LE(nEnd - nRowStart, kReceiveLongestRun);
        EXPECT_EQ(0u, (nEnd - nRowStart) % 3) << "a row of whole bytes: " << nRowStart;
    }
    EXPECT_EQ(0u, (rows.size() - nRowStart) % 3);
}

}  // namespace
