// Hex send text as bytes, with the first fault named and placed as the user sees the text; and
// what one send writes: the text through its encoder, then the optional line ending.
#include <gtest/gtest.h>

#include <string>

#include "ui/send/SendComposer.h"
#include "ui/send/SendHexParser.h"

namespace {

TEST(SendHexParser, ValidFormsGiveTheirBytes)
{
    const struct { std::wstring text; std::string bytes; } cases[] = {
        { L"41 54 0d 0A", "AT\r\n" },
        { L"0x41,0X42", "AB" },
        { L"4142", "AB" },
        { L"0x410x42", "AB" },
        { L"01 03 00 00 00 0A C5 CD", std::string("\x01\x03\x00\x00\x00\x0A\xC5\xCD", 8) },
        { L"\t ff,\r\n00\n0xaB ,, ", std::string("\xFF\x00\xAB", 3) },
        { L"", "" },
        { L" \r\n, ", "" },
    };
    for (const auto& c : cases) {
        std::string bytes = "old";
        SendHexError error;
        EXPECT_TRUE(ParseSendHex(c.text.c_str(), bytes, error)) << "\"" << testing::PrintToString(c.text) << "\"";
        EXPECT_EQ(c.bytes, bytes);
    }
}

TEST(SendHexParser, FirstFaultIsNamedWithItsPositionAsSeen)
{
    const struct { std::wstring text; bool bUnpaired; std::wstring character; size_t nPosition; size_t nIndex; } cases[] = {
        { L"41 5 42", true, L"5", 4, 3 },
        { L"414", true, L"4", 3, 2 },
        { L"4\r\n1", true, L"4", 1, 0 },
        { L"0x4", true, L"4", 3, 2 },
        { L"41 4G", false, L"G", 5, 4 },
        { L"41;42", false, L";", 3, 2 },
        { L"0x", false, L"x", 2, 1 },
        { L"0x 41", false, L"x", 2, 1 },
        { L"0xx41", false, L"x", 2, 1 },
        { L"41\uFF0C42", false, L"\uFF0C", 3, 2 },                    // a full-width comma
        { L"41\r\n42\r\nzz", false, L"z", 7, 8 },                      // each line break counts once
        { L"\U0001F600 41 \U0001F600", false, L"\U0001F600", 1, 0 },
        { L"41 \U0001F600", false, L"\U0001F600", 4, 3 },
        { L"\U0001F600", false, L"\U0001F600", 1, 0 },
        { L"4\U0001F600", false, L"\U0001F600", 2, 1 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        std::string bytes = "old";
        SendHexError error;
        ASSERT_FALSE(ParseSendHex(c.text.c_str(), bytes, error));
        EXPECT_EQ("old", bytes);
        EXPECT_EQ(c.bUnpaired, error.bUnpaired);
        EXPECT_EQ(c.character, error.strCharacter);
        EXPECT_EQ(c.nPosition, error.nPosition);
        EXPECT_EQ(c.nIndex, error.nIndex);
    }
}

TEST(SendComposer, TextOrHexThenTheOptionalLineEnding)
{
    const struct { std::wstring text; bool bHex, bLineEnding; bool bValid; std::string bytes; } cases[] = {
        { L"AT", false, false, true, "AT" },
        { L"AT", false, true, true, "AT\r\n" },
        { L"中", false, true, true, "\xD6\xD0\r\n" },
        { L"", false, true, true, "\r\n" },
        { L"", false, false, true, "" },
        { L"41 54", true, false, true, "AT" },
        { L"41 54", true, true, true, "AT\r\n" },
        { L"", true, true, true, "\r\n" },
        { L"41 5", true, true, false, "old" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        SendOptions options;
        options.bHex = c.bHex;
        options.bLineEnding = c.bLineEnding;
        std::string bytes = "old";
        SendHexError error;
        EXPECT_EQ(c.bValid, ComposeSendBytes(c.text.c_str(), options, bytes, error, 936));
        EXPECT_EQ(c.bytes, bytes);
    }
}

}  // namespace
