// The environment every Wine test relies on: the prefix's Chinese code page, Wine's own fonts, and
// null-modem pairs whose COM end and peer end are connected both ways.
#include "tests/support/NullModem.h"

#include <gtest/gtest.h>

namespace {

TEST(TestEnvironment, AnsiCodePageIsSimplifiedChinese)
{
    EXPECT_EQ(936u, GetACP());
    wchar_t text[4] = {};
    ASSERT_EQ(2, MultiByteToWideChar(CP_THREAD_ACP, 0, "\xB0\xA1", -1, text, 4));
    EXPECT_EQ(L'\u554A', text[0]); // "啊"
}

// Windows draws the title-bar buttons with Marlett; without it they show as letters.
TEST(TestEnvironment, MarlettRequestGetsMarlett)
{
    LOGFONTW request = {};
    request.lfHeight = -13;
    request.lfCharSet = SYMBOL_CHARSET;
    lstrcpyW(request.lfFaceName, L"Marlett");
    HFONT font = CreateFontIndirectW(&request);
    ASSERT_NE(nullptr, font);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(font);
    EXPECT_STREQ(L"Marlett", face);
}

TEST(TestEnvironment, NullModemPairsConnectBothWays)
{
    std::vector<testsupport::NullModem> modems = testsupport::AvailableNullModems();
    ASSERT_EQ(3u, modems.size());
    for (const testsupport::NullModem& modem : modems) {
        SCOPED_TRACE(modem.comNumber);
        EXPECT_NE(7, modem.comNumber);
        wchar_t name[32];
        wsprintfW(name, L"\\\\.\\COM%d", modem.comNumber);
        testsupport::PeerPort app(name);
        testsupport::PeerPort peer(modem.peerPath);
        ASSERT_TRUE(app.IsOpen());
        ASSERT_TRUE(peer.IsOpen());
        ASSERT_TRUE(app.Send("ping"));
        EXPECT_EQ("ping", peer.Receive(4, 5000));
        ASSERT_TRUE(peer.Send("pong\r\n"));
        EXPECT_EQ("pong\r\n", app.Receive(6, 5000));
    }
}

TEST(TestEnvironment, UnmappedComNumberDoesNotOpen)
{
    SetLastError(0xdeadbeef);
    HANDLE port = CreateFileW(L"\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = GetLastError();
    EXPECT_EQ(INVALID_HANDLE_VALUE, port);
    EXPECT_NE(0xdeadbeefu, error);
    if (port != INVALID_HANDLE_VALUE)
        CloseHandle(port);
}

} // namespace
