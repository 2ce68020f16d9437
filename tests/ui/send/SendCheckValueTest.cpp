// "校验": the check values over a send's bytes, and where the composer puts them.
#include <gtest/gtest.h>

#include <string>

#include "ui/send/SendCheckValue.h"
#include "ui/send/SendComposer.h"

namespace {

const std::string kModbusRead("\x01\x03\x00\x00\x00\x02", 6);

TEST(SendCheckValue, KnownVectorsAndTheValueOfNothing)
{
    const struct { SendCheck check; std::string bytes; std::string value; } cases[] = {
        { SendCheck::ModbusCrc16, kModbusRead, "\xC4\x0B" },   // low byte first
        { SendCheck::ModbusCrc16, "123456789", "\x37\x4B" },   // the CRC's check value 0x4B37
        { SendCheck::ModbusCrc16, "", "\xFF\xFF" },
        { SendCheck::CcittCrc16, "123456789", "\x29\xB1" },    // high byte first
        { SendCheck::CcittCrc16, "", "\xFF\xFF" },
        { SendCheck::Sum8, "\x01\x02\xFF", std::string("\x02", 1) },   // modulo 256
        { SendCheck::Sum8, "", std::string("\0", 1) },
        { SendCheck::Xor8, "\x01\x03\xF0", std::string("\xF2", 1) },
        { SendCheck::Xor8, "\x5A\x5A", std::string("\0", 1) },
        { SendCheck::Xor8, "", std::string("\0", 1) },
        { SendCheck::None, kModbusRead, "" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, SendCheckValue(c.check, c.bytes))
            << "check " << static_cast<int>(c.check) << " over " << testing::PrintToString(c.bytes);
    }
}

// The value covers the text's bytes alone and goes before the line ending, in text and hex mode.
TEST(SendCheckValue, ComposedAfterTheBytesAndBeforeTheLineEnding)
{
    const struct { bool bHex; SendCheck check; bool bLineEnding; const wchar_t* pszText; std::string bytes; } cases[] = {
        { true, SendCheck::ModbusCrc16, false, L"01 03 00 00 00 02", kModbusRead + "\xC4\x0B" },
        { true, SendCheck::ModbusCrc16, true, L"01 03 00 00 00 02", kModbusRead + "\xC4\x0B\r\n" },
        { false, SendCheck::CcittCrc16, true, L"123456789", "123456789\x29\xB1\r\n" },
        { false, SendCheck::Sum8, false, L"AB", "AB\x83" },
        { false, SendCheck::ModbusCrc16, false, L"", "\xFF\xFF" },
        { true, SendCheck::Xor8, true, L" ", std::string("\0\r\n", 3) },
    };
    for (const auto& c : cases) {
        SendOptions options;
        options.bHex = c.bHex;
        options.check = c.check;
        options.bLineEnding = c.bLineEnding;
        std::string bytes;
        SendHexError error;
        ASSERT_TRUE(ComposeSendBytes(c.pszText, options, bytes, error, 936));
        EXPECT_EQ(c.bytes, bytes) << testing::PrintToString(std::wstring(c.pszText));
    }
}

}  // namespace
