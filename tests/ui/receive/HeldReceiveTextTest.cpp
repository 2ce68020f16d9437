// Text held for the next refresh: what a refresh appends, and what it leaves out when a line
// brings more than the area can show.
#include <gtest/gtest.h>

#include <string>

#include "ui/receive/HeldReceiveText.h"

namespace {

TEST(HeldReceiveText, KeepsTheNewestPiecesAndSaysOnARowOfItsOwnWhatItLeftOut)
{
    CHeldReceiveText held(15);   // at most 15 characters held
    EXPECT_TRUE(held.IsEmpty());
    held.Add(L"abc", 3, false);
    held.Add(L"de\r\n", 4, false);
    EXPECT_FALSE(held.HasHex());
    EXPECT_EQ(L"abcde\r\n", held.Take(false)) << "within the bound: everything, nothing added";
    EXPECT_TRUE(held.IsEmpty());

    held.Add(L"01 02 ", 2, true);
    held.Add(L"03 04 ", 2, true);
    held.Add(L"05 06 07 ", 3, true);
    EXPECT_TRUE(held.HasHex());
    EXPECT_EQ(L"\r\n[显示跟不上，略去 2 字节]\r\n03 04 05 06 07 ", held.Take(true))
        << "the oldest piece left out, the line saying so on a row of its own";
    EXPECT_FALSE(held.HasHex()) << "taken";

    held.Add(L"a", 1, false);
    held.Add(L"\r\n[11:22:33.000] 41 ", 1, true);
    EXPECT_EQ(L"[显示跟不上，略去 1 字节]\r\n[11:22:33.000] 41 ", held.Take(false))
        << "a piece that begins a row ends the line before it; the newest piece stays, however large";

    held.Add(L"lost with the buffer", 20, false);
    held.Lost(500);
    held.Add(L"next", 4, false);
    EXPECT_EQ(L"[显示跟不上，略去 20 字节；接收缓冲已满，丢失 500 字节]\r\nnext", held.Take(false));

    held.AddSent(L"[发] AT\r\n", false);
    held.Add(L"0123456789ABCDE", 15, false);
    EXPECT_EQ(L"[显示跟不上，略去 1 次发送]\r\n0123456789ABCDE", held.Take(false)) << "a send's row left out is said too";
    held.Add(L"ab", 2, false);
    held.AddSent(L"[发] AT\r\n", false);
    held.Lost(5);
    EXPECT_EQ(L"[显示跟不上，略去 2 字节和 1 次发送；接收缓冲已满，丢失 5 字节]\r\n", held.Take(false));

    held.Lost(7);
    EXPECT_EQ(L"\r\n[接收缓冲已满，丢失 7 字节]\r\n", held.Take(true)) << "nothing after it: the row ends";

    held.Add(L"x", 1, false);
    held.Add(L"yz", 2, false);
    held.AddSent(L"[发] ATATATAT\r\n", false);   // over the bound: "x" and "yz" left out
    held.DropText();
    EXPECT_TRUE(held.IsEmpty()) << "a drop forgets what was left out of the text too";
    EXPECT_EQ(L"", held.Take(false));
    held.Add(L"x", 1, false);
    held.Lost(3);
    held.DropText();
    EXPECT_EQ(L"\r\n[接收缓冲已满，丢失 3 字节]\r\n", held.Take(true)) << "bytes never read are still said";
}

}  // namespace
