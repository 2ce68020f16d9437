// Line breaks shown where received text would make a run without LF too long for the receive area.
#include <gtest/gtest.h>

#include <string>

#include "ui/ReceiveLongRuns.h"

namespace {

TEST(ReceiveLongRunsTest, BreaksBeforeTheCharacterThatWouldMakeARunTooLong)
{
    // Runs of at most 4.
    const struct { const wchar_t* pszShown; const wchar_t* pszText; const wchar_t* pszAppended; const char* pszWhy; } cases[] = {
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
    for (const auto& c : cases) {
        const std::wstring shown(c.pszShown);
        EXPECT_EQ(std::wstring(c.pszAppended), BreakReceiveLongRuns(shown.c_str(), shown.size(), c.pszText, 4))
            << c.pszWhy;
    }
}

}  // namespace
