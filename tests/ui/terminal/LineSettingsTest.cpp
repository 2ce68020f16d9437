// The list selections of the main window as DCB fields: every entry of every list, fields that
// must stay untouched, and selections that have no line setting.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/ui/terminal/DcbExpectations.h"
#include "ui/LineSettings.h"

namespace {

// A DCB filled with one byte value, so a field the function should not touch shows up changed.
DCB FilledDcb(unsigned char fill)
{
    DCB dcb;
    std::memset(&dcb, fill, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    return dcb;
}



const unsigned char kFills[] = { 0x00, 0xFF };

TEST(LineSettingsTest, EveryBaudTextOfTheListIsItsNumber)
{
    const struct { const wchar_t* text; DWORD nBaud; } rates[] = {
        { L"110", 110 }, { L"300", 300 }, { L"600", 600 }, { L"1200", 1200 }, { L"2400", 2400 },
        { L"4800", 4800 }, { L"9600", 9600 }, { L"14400", 14400 }, { L"19200", 19200 },
        { L"38400", 38400 }, { L"56000", 56000 }, { L"57600", 57600 }, { L"115200", 115200 },
    };
    for (unsigned char fill : kFills) {
        for (const auto& rate : rates) {
            DCB dcb = FilledDcb(fill);
            const DCB expected = WithLineSettings(dcb, rate.nBaud, 8, ONESTOPBIT, NOPARITY);
            ASSERT_TRUE(SetLineSettings(dcb, rate.text, 3, 0, 0)) << rate.nBaud;
            EXPECT_TRUE(SameBytes(expected, dcb)) << "baud " << rate.nBaud << ", fill " << int(fill);
        }
    }
}

TEST(LineSettingsTest, EveryDataBitsStopBitsAndParityEntryMapsToItsDcbValue)
{
    const BYTE byteSizes[] = { 5, 6, 7, 8 };                    // "5位".."8位"
    const BYTE stopBits[] = { ONESTOPBIT, TWOSTOPBITS };         // "1位", "2位"
    const BYTE parities[] = { NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY };
    static_assert(ONESTOPBIT == 0 && TWOSTOPBITS == 2, "one and two stop bits");
    static_assert(NOPARITY == 0 && ODDPARITY == 1 && EVENPARITY == 2 && MARKPARITY == 3 && SPACEPARITY == 4,
                  "parity codes");
    for (unsigned char fill : kFills) {
        for (int nData = 0; nData < 4; ++nData) {
            for (int nStop = 0; nStop < 2; ++nStop) {
                for (int nParity = 0; nParity < 5; ++nParity) {
                    DCB dcb = FilledDcb(fill);
                    const DCB expected = WithLineSettings(dcb, 9600, byteSizes[nData], stopBits[nStop], parities[nParity]);
                    ASSERT_TRUE(SetLineSettings(dcb, L"9600", nData, nStop, nParity));
                    EXPECT_TRUE(SameBytes(expected, dcb))
                        << "data " << nData << ", stop " << nStop << ", parity " << nParity << ", fill " << int(fill);
                }
            }
        }
    }
}

TEST(LineSettingsTest, SelectionOutsideAListIsRefusedAndChangesNothing)
{
    const struct { int nData, nStop, nParity; } outside[] = {
        { -1, 0, 0 }, { 4, 0, 0 }, { 3, -1, 0 }, { 3, 2, 0 }, { 3, 0, -1 }, { 3, 0, 5 }, { 1000, 1000, 1000 },
    };
    for (unsigned char fill : kFills) {
        for (const auto& s : outside) {
            DCB dcb = FilledDcb(fill);
            const DCB before = dcb;
            EXPECT_FALSE(SetLineSettings(dcb, L"9600", s.nData, s.nStop, s.nParity))
                << s.nData << "/" << s.nStop << "/" << s.nParity;
            EXPECT_TRUE(SameBytes(before, dcb)) << s.nData << "/" << s.nStop << "/" << s.nParity;
        }
    }
}

TEST(LineSettingsTest, BaudTextIsReadAsTheRunTimeReadsANumber)
{
    const struct { std::wstring text; DWORD nBaud; } texts[] = {
        { L"", 0 },
        { L" 4800", 4800 },                        // leading blanks are skipped
        { L"19200bps", 19200 },                    // reading stops at the first non-digit
        { L"9600" + std::wstring(100, L' '), 9600 }, // a text longer than any baud rate is cut, not overrun
    };
    for (const auto& t : texts) {
        DCB dcb = FilledDcb(0xFF);
        ASSERT_TRUE(SetLineSettings(dcb, t.text.c_str(), 3, 0, 0)) << t.nBaud;
        EXPECT_EQ(t.nBaud, dcb.BaudRate);
    }
}

TEST(LineSettingsTest, TypedBaudRateMustBeAWholeNumberTheLineSettingsHold)
{
    const struct { const wchar_t* text; bool bValid; DWORD nBaud; } texts[] = {
        { L"921600", true, 921600 }, { L" 3000000 ", true, 3000000 }, { L"1", true, 1 },
        { L"2147483647", true, 2147483647 }, { L"2147483648", false, 0 }, { L"0", false, 0 },
        { L"", false, 0 }, { L"  ", false, 0 }, { L"-9600", false, 0 }, { L"9600bps", false, 0 },
        { L"96 00", false, 0 }, { L"９６００", false, 0 },
    };
    for (const auto& t : texts) {
        DWORD nBaud = 12345;
        EXPECT_EQ(t.bValid, ParseTypedBaudRate(t.text, nBaud)) << testing::PrintToString(std::wstring(t.text));
        EXPECT_EQ(t.bValid ? t.nBaud : 12345u, nBaud);
    }
}

TEST(LineSettingsTest, BaudTextTheRunTimeLocaleCannotConvertIsRefused)
{
    DCB dcb = FilledDcb(0x00);
    const DCB before = dcb;
    EXPECT_FALSE(SetLineSettings(dcb, L"９６００波特", 3, 0, 0));   // not representable in the "C" locale
    EXPECT_TRUE(SameBytes(before, dcb));
}

}  // namespace
