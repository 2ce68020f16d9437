// Received bytes as text: zero bytes left out, characters split across chunks joined, and the
// thread's ANSI code page followed when none is given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/receive/ReceiveTextDecoder.h"

namespace {

const UINT kGbk = 936;
const UINT kWesternEurope = 1252;

std::wstring Decode(CReceiveTextDecoder& decoder, const std::string& bytes)
{
    return decoder.Decode(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
}

// The whole text converted in one piece, as the reference for split deliveries.
std::wstring Whole(UINT nCodePage, const std::string& bytes)
{
    const int n = ::MultiByteToWideChar(nCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(nCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

class ThreadLocaleScope {
public:
    explicit ThreadLocaleScope(LCID lcid) : m_previous(::GetThreadLocale()) { ::SetThreadLocale(lcid); }
    ~ThreadLocaleScope() { ::SetThreadLocale(m_previous); }

private:
    LCID m_previous;
};

TEST(ReceiveTextDecoderTest, ZeroBytesAreLeftOutAndEverythingAroundThemShown)
{
    const struct { UINT nCodePage; std::string bytes; std::wstring text; } cases[] = {
        { kWesternEurope, "abc", L"abc" },
        { kWesternEurope, std::string("A\0B", 3), L"AB" },
        { kGbk, std::string("A\0B", 3), L"AB" },
        { CP_UTF8, std::string("A\0B", 3), L"AB" },
        { kGbk, std::string("\0\0", 2), L"" },
        { kGbk, std::string("\0line\r\n\0", 8), L"line\r\n" },
        { kGbk, std::string("\xD6\xD0\0\xCE\xC4", 5), L"中文" },
        { CP_UTF8, std::string("\xE4\xB8\xAD\0\xE6\x96\x87", 7), L"中文" },
    };
    for (const auto& c : cases) {
        CReceiveTextDecoder decoder(c.nCodePage);
        EXPECT_EQ(c.text, Decode(decoder, c.bytes)) << "code page " << c.nCodePage;
        EXPECT_TRUE(decoder.Pending().empty());
    }
}

TEST(ReceiveTextDecoderTest, DoubleByteCharacterSplitAcrossChunksIsShownOnce)
{
    CReceiveTextDecoder decoder(kGbk);
    EXPECT_EQ(L"a", Decode(decoder, "a\xD6"));   // lead byte of 中 held back
    EXPECT_EQ(1u, decoder.Pending().size());
    EXPECT_EQ(L"中b", Decode(decoder, "\xD0" "b"));
    EXPECT_TRUE(decoder.Pending().empty());
}

TEST(ReceiveTextDecoderTest, TrailByteThatLooksLikeALeadByteEndsACharacter)
{
    // In 936 the trail bytes D0 and C4 are also lead-byte values; a chunk ending in one of them
    // after its lead byte is complete.
    CReceiveTextDecoder decoder(kGbk);
    EXPECT_EQ(L"中", Decode(decoder, "\xD6\xD0"));
    EXPECT_TRUE(decoder.Pending().empty());
    EXPECT_EQ(L"中", Decode(decoder, "\xD6\xD0\xCE"));
    EXPECT_EQ(L"文", Decode(decoder, "\xC4"));
}

TEST(ReceiveTextDecoderTest, EverySplitOfAStreamGivesTheTextOfTheWholeStream)
{
    const struct { UINT nCodePage; std::string bytes; } streams[] = {
        { kGbk, "AT\xD6\xD0\xCE\xC4OK\r\n\xB2\xE2\xCA\xD4" },                     // AT中文OK 测试
        { CP_UTF8, "x\xE4\xB8\xAD\xC3\xA9\xF0\x9F\x98\x80y" },                  // x中é😀y
        { kWesternEurope, "caf\xE9\r\n" },
    };
    for (const auto& s : streams) {
        const std::wstring whole = Whole(s.nCodePage, s.bytes);
        for (size_t nSplit = 0; nSplit <= s.bytes.size(); ++nSplit) {
            CReceiveTextDecoder decoder(s.nCodePage);
            std::wstring text = Decode(decoder, s.bytes.substr(0, nSplit));
            text += Decode(decoder, s.bytes.substr(nSplit));
            EXPECT_EQ(whole, text) << "code page " << s.nCodePage << ", split at " << nSplit;
            EXPECT_TRUE(decoder.Pending().empty());
        }
        CReceiveTextDecoder byteByByte(s.nCodePage);
        std::wstring text;
        for (char ch : s.bytes)
            text += Decode(byteByByte, std::string(1, ch));
        EXPECT_EQ(whole, text) << "code page " << s.nCodePage << ", one byte at a time";
    }
}

TEST(ReceiveTextDecoderTest, IncompleteUtf8SequenceWaitsForItsLastByte)
{
    CReceiveTextDecoder decoder(CP_UTF8);
    EXPECT_EQ(L"", Decode(decoder, "\xF0\x9F\x98"));
    EXPECT_EQ(3u, decoder.Pending().size());
    EXPECT_EQ(L"\U0001F600", Decode(decoder, "\x80"));
}

TEST(ReceiveTextDecoderTest, EmptyChunkKeepsTheHeldByte)
{
    CReceiveTextDecoder decoder(kGbk);
    Decode(decoder, "\xD6");
    EXPECT_EQ(L"", decoder.Decode(nullptr, 0));
    EXPECT_EQ(L"中", Decode(decoder, "\xD0"));
}

TEST(ReceiveTextDecoderTest, ResetDropsTheHeldPartOfACharacter)
{
    CReceiveTextDecoder decoder(kGbk);
    Decode(decoder, "\xD6");
    decoder.Reset();
    EXPECT_TRUE(decoder.Pending().empty());
    EXPECT_EQ(L"A", Decode(decoder, "A"));
}

TEST(ReceiveTextDecoderTest, SingleByteCodePageHoldsNothingBack)
{
    CReceiveTextDecoder decoder(kWesternEurope);
    EXPECT_EQ(L"\u00D6", Decode(decoder, "\xD6"));
    EXPECT_TRUE(decoder.Pending().empty());
}

TEST(ReceiveTextDecoderTest, WithoutACodePageTheThreadsAnsiCodePageIsFollowed)
{
    CReceiveTextDecoder decoder;
    {
        ThreadLocaleScope chinese(MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT));
        EXPECT_EQ(L"", Decode(decoder, "\xD6"));
        EXPECT_EQ(L"中", Decode(decoder, "\xD0"));
    }
    {
        ThreadLocaleScope english(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
        EXPECT_EQ(L"\u00D6", Decode(decoder, "\xD6"));
        EXPECT_TRUE(decoder.Pending().empty());
    }
}

}  // namespace
