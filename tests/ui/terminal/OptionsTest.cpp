// The options group in the real window: hex display, time stamps, hex send, the line ending, the
// counters and the session log, the check value and the sent bytes shown, sending a file and
// saving the receive area, each as the user uses it.
#include "tests/ui/terminal/TerminalFixture.h"

#include <cstdio>
#include <cwchar>

namespace {

const DWORD kQuietMs = 300;   // the line counts as quiet after this long without a byte

bool WaitForText(DialogHost<TerminalDlg>& host, int nID, const std::wstring& text)
{
    return dialog_host::WaitUntil([&] { return host.Text(nID) == text; });
}

bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "[HH:MM:SS.mmm] " at the start of the text, with digits where digits belong.
bool StartsWithStamp(const std::wstring& text)
{
    const std::wstring form = L"[dd:dd:dd.ddd] ";
    if (text.size() < form.size())
        return false;
    for (size_t i = 0; i < form.size(); ++i)
        if (form[i] == L'd' ? !std::iswdigit(text[i]) : text[i] != form[i])
            return false;
    return true;
}

std::wstring StampOfNow()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t szStamp[32];
    std::swprintf(szStamp, 32, L"[%02u:%02u:%02u.%03u] ", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return szStamp;
}

std::wstring TempFilePath(const wchar_t* pszName)
{
    wchar_t szFolder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, szFolder);
    return std::wstring(szFolder) + pszName;
}

std::string FileBytes(const std::wstring& path)
{
    std::string bytes;
    if (FILE* pFile = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pFile)) > 0;)
            bytes.append(buffer, n);
        std::fclose(pFile);
    }
    return bytes;
}

TEST_F(TerminalTest, HexDisplayShowsEveryByteTheZeroByteIncluded)
{
    Connect(kFirstCom);
    Host().Click(IDC_HEX_DISPLAY);
    ASSERT_TRUE(Peer(kFirstCom).Send(std::string("A\0\xFF\r\n", 5)));
    EXPECT_TRUE(WaitForReceiveText(L"41 00 FF 0D 0A ")) << testing::PrintToString(ReceiveText());
}

// The second line's stamp is the time its first byte was read, not the time of the line feed
// before it.
TEST_F(TerminalTest, TimestampsStartEachLineWithTheTimeItsFirstByteWasRead)
{
    Connect(kFirstCom);
    Host().Click(IDC_TIMESTAMPS);
    ASSERT_TRUE(Peer(kFirstCom).Send("one\r\n"));
    ASSERT_TRUE(dialog_host::WaitUntil([&] { return EndsWith(ReceiveText(), L"one\r\n"); }, kWaitMs));
    const std::wstring first = ReceiveText();
    EXPECT_TRUE(StartsWithStamp(first) && first.size() == 20) << testing::PrintToString(first);

    const std::wstring before = StampOfNow();
    ASSERT_TRUE(Peer(kFirstCom).Send("two"));
    ASSERT_TRUE(dialog_host::WaitUntil([&] { return EndsWith(ReceiveText(), L"two"); }, kWaitMs));
    const std::wstring second = ReceiveText().substr(first.size());
    EXPECT_TRUE(StartsWithStamp(second) && second.size() == 18) << testing::PrintToString(second);
    EXPECT_GE(second.substr(0, 15), before) << "stamped when read";
}

TEST_F(TerminalTest, HexSendWritesItsBytesAndABadTextIsRefusedOnceWithNothingSent)
{
    Connect(kFirstCom);
    Host().Click(IDC_HEX_SEND);
    Host().SetText(IDC_SEND_EDIT, L"0x41,54 0d0A");
    Host().Click(IDC_SEND);
    EXPECT_EQ("AT\r\n", Peer(kFirstCom).Receive(4, kWaitMs));

    Host().Click(IDC_CLEAR_AFTER_SEND);
    Host().SetText(IDC_SEND_EDIT, L"41 4G");
    auto click = Host().ClickAsync(IDC_SEND);
    const auto box = Host().DismissMessageBox();
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(Host().Wait(click));
    EXPECT_EQ(L"错误", box->caption);
    EXPECT_NE(std::wstring::npos, box->text.find(L"第 5 个字符“G”")) << testing::PrintToString(box->text);
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs)) << "nothing sent";
    EXPECT_EQ(L"41 4G", Host().Text(IDC_SEND_EDIT)) << "the text stays, not cleared";

    // Cyclic sending: one message, and the box unticked so no tick brings it back.
    StartCyclicSend(L"41 4", L"20");
    const auto cyclicBox = Host().DismissMessageBox();
    ASSERT_TRUE(cyclicBox.has_value());
    EXPECT_NE(std::wstring::npos, cyclicBox->text.find(L"第 4 个字符“4”")) << testing::PrintToString(cyclicBox->text);
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_CYCLIC_SEND));
    EXPECT_EQ(nullptr, Host().WaitForOwnedBox(500)) << "a second message";
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs));
}

TEST_F(TerminalTest, SendNewLineAppendsCrLfInTextAndHexMode)
{
    const struct { bool bHex; std::wstring text; std::string bytes; } cases[] = {
        { false, L"AT", "AT\r\n" },
        { false, L"", "\r\n" },
        { true, L"41 54", "AT\r\n" },
    };
    Connect(kFirstCom);
    Host().Click(IDC_SEND_NEW_LINE);
    for (const auto& c : cases) {
        Host().SetCheck(IDC_HEX_SEND, c.bHex ? BST_CHECKED : BST_UNCHECKED);
        Host().SetText(IDC_SEND_EDIT, c.text);
        Host().Click(IDC_SEND);
        EXPECT_EQ(c.bytes, Peer(kFirstCom).Receive(c.bytes.size(), kWaitMs));
        EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs)) << "nothing more";
    }
}

TEST_F(TerminalTest, CountersCountPausedBytesAndEveryByteSentUntilCleared)
{
    Connect(kFirstCom);
    ASSERT_TRUE(Peer(kFirstCom).Send("abc"));
    EXPECT_TRUE(WaitForText(Host(), IDC_RECEIVE_COUNT, L"接收：3"));

    Host().Click(IDC_PAUSE_DISPLAY);
    ASSERT_TRUE(Peer(kFirstCom).Send("defg"));
    EXPECT_TRUE(WaitForText(Host(), IDC_RECEIVE_COUNT, L"接收：7")) << "paused bytes count";
    EXPECT_EQ(L"abc", ReceiveText());

    Host().SetText(IDC_SEND_EDIT, L"中AB");
    Host().Click(IDC_SEND);
    EXPECT_EQ(4u, Peer(kFirstCom).Receive(4, kWaitMs).size());
    EXPECT_TRUE(WaitForText(Host(), IDC_SEND_COUNT, L"发送：4"));

    Host().Click(IDC_CLEAR_COUNTS);
    EXPECT_EQ(L"接收：0", Host().Text(IDC_RECEIVE_COUNT));
    EXPECT_EQ(L"发送：0", Host().Text(IDC_SEND_COUNT));

    // Bytes that make no text count too, and so do those a disconnect shows before their refresh.
    Host().Click(IDC_PAUSE_DISPLAY);   // display on again
    ASSERT_TRUE(Peer(kFirstCom).Send(std::string("\0\0\0", 3)));
    EXPECT_TRUE(WaitForText(Host(), IDC_RECEIVE_COUNT, L"接收：3")) << "zero bytes only";
    ASSERT_TRUE(Peer(kFirstCom).Send("held"));
    ASSERT_TRUE(WaitForBytesRead(14));
    Disconnect();
    EXPECT_EQ(L"接收：7", Host().Text(IDC_RECEIVE_COUNT)) << "at the disconnect";
}

// Every byte read, zero bytes and paused ones included, across a reconnect, until unticked.
TEST_F(TerminalTest, LogFileHoldsExactlyWhatArrivedWhileTicked)
{
    const std::wstring path = TempFilePath(L"lumetra-session-log-test.log");
    ::DeleteFileW(path.c_str());
    Host().Invoke([path](TerminalDlg& dlg) { dlg.m_logPathAnswer = path; return true; });
    Connect(kFirstCom);
    ASSERT_TRUE(Peer(kFirstCom).Send("before"));
    ASSERT_TRUE(WaitForReceiveText(L"before"));

    Host().Click(IDC_LOG_TO_FILE);
    ASSERT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_LOG_TO_FILE));
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    ASSERT_TRUE(Peer(kFirstCom).Send(all));
    ASSERT_TRUE(WaitForText(Host(), IDC_RECEIVE_COUNT, L"接收：262"));
    Host().Click(IDC_PAUSE_DISPLAY);
    ASSERT_TRUE(Peer(kFirstCom).Send(std::string("paused\0", 7)));
    ASSERT_TRUE(WaitForText(Host(), IDC_RECEIVE_COUNT, L"接收：269"));
    Host().Click(IDC_PAUSE_DISPLAY);
    Disconnect();
    Connect(kFirstCom);
    ASSERT_TRUE(Peer(kFirstCom).Send("again"));
    ASSERT_TRUE(WaitForText(Host(), IDC_RECEIVE_COUNT, L"接收：274"));

    Host().Click(IDC_LOG_TO_FILE);
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_LOG_TO_FILE));
    ASSERT_TRUE(Peer(kFirstCom).Send("after"));
    ASSERT_TRUE(WaitForText(Host(), IDC_RECEIVE_COUNT, L"接收：279"));
    EXPECT_TRUE(FileBytes(path) == all + std::string("paused\0", 7) + "again") << "file differs";
    EXPECT_EQ(1, Host().Invoke([](TerminalDlg& dlg) { return dlg.m_nLogPathQuestions; }));
    ::DeleteFileW(path.c_str());
}

// A log that fails after the last bytes came (its flush, as when a USB stick is pulled) is reported
// on the quiet line all the same, within about a second of the failure.
TEST_F(TerminalTest, LogThatFailsOnAQuietLineIsReportedAndTheBoxUnticked)
{
    const std::wstring path = TempFilePath(L"lumetra-quiet-log-test.log");
    Host().Invoke([path](TerminalDlg& dlg) { dlg.m_logPathAnswer = path; return true; });
    Connect(kFirstCom);
    Host().Click(IDC_LOG_TO_FILE);
    ASSERT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_LOG_TO_FILE));
    TestLogFiles::Instance().bFlushFails = true;
    ASSERT_TRUE(Peer(kFirstCom).Send("last words"));
    ASSERT_TRUE(WaitForReceiveText(L"last words"));

    const ULONGLONG nShown = ::GetTickCount64();
    const auto box = Host().DismissMessageBox();
    ASSERT_TRUE(box.has_value()) << "the failure went unseen";
    EXPECT_LT(::GetTickCount64() - nShown, 2500u) << "flush due a second after the write, seen soon after";
    EXPECT_NE(std::wstring::npos, box->text.find(path)) << testing::PrintToString(box->text);
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_LOG_TO_FILE));
    EXPECT_EQ("last words", FileBytes(path)) << "what was written stays";

    // The last flush failing at the untick is reported too.
    TestLogFiles::Instance().bFlushFails = false;
    Host().Click(IDC_LOG_TO_FILE);
    ASSERT_EQ(static_cast<UINT>(BST_CHECKED), Host().CheckState(IDC_LOG_TO_FILE));
    ASSERT_TRUE(Peer(kFirstCom).Send("more"));
    ASSERT_TRUE(WaitForReceiveText(L"last wordsmore"));
    TestLogFiles::Instance().bFlushFails = true;
    auto untick = Host().ClickAsync(IDC_LOG_TO_FILE);
    const auto untickBox = Host().DismissMessageBox();
    ASSERT_TRUE(Host().Wait(untick));
    EXPECT_TRUE(untickBox.has_value()) << "a failure at the untick went unseen";
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_LOG_TO_FILE));
    ::DeleteFileW(path.c_str());
}

// A cancelled dialog and a file in no existing folder both leave the box unticked; only the
// second shows a message, naming the file; receiving goes on.
TEST_F(TerminalTest, LogFileThatCannotBeMadeIsReportedOnceAndTheBoxUnticked)
{
    const std::wstring path = L"C:\\lumetra-no-such-folder\\session.log";
    Connect(kFirstCom);
    Host().Click(IDC_LOG_TO_FILE);
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_LOG_TO_FILE)) << "cancelled";
    EXPECT_EQ(nullptr, Host().FindOwnedBox());

    Host().Invoke([path](TerminalDlg& dlg) { dlg.m_logPathAnswer = path; return true; });
    auto click = Host().ClickAsync(IDC_LOG_TO_FILE);
    const auto box = Host().DismissMessageBox();
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(Host().Wait(click));
    EXPECT_EQ(L"错误", box->caption);
    EXPECT_NE(std::wstring::npos, box->text.find(path)) << testing::PrintToString(box->text);
    EXPECT_GT(box->text.size(), path.size() + 12) << "with the system's reason";
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Host().CheckState(IDC_LOG_TO_FILE));
    EXPECT_EQ(nullptr, Host().FindOwnedBox()) << "one message";
    EXPECT_EQ(2, Host().Invoke([](TerminalDlg& dlg) { return dlg.m_nLogPathQuestions; }));

    ASSERT_TRUE(Peer(kFirstCom).Send("still"));
    EXPECT_TRUE(WaitForReceiveText(L"still"));
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    FILE* pFile = _wfopen(path.c_str(), L"wb");
    if (pFile == nullptr)
        return false;
    const bool bWritten = std::fwrite(bytes.data(), 1, bytes.size(), pFile) == bytes.size();
    return std::fclose(pFile) == 0 && bWritten;
}

// A send shows on a row of its own, as handed to the port (check value and line ending included),
// in text or hex, with its time when stamps are on; the received text goes on on a row of its own,
// and sent bytes count as sent only.
TEST_F(TerminalTest, ShowSentPutsEachSendOnARowOfItsOwnInTheCurrentMode)
{
    Connect(kFirstCom);
    Host().Click(IDC_SHOW_SENT);
    ASSERT_TRUE(Peer(kFirstCom).Send("ab"));
    ASSERT_TRUE(WaitForReceiveText(L"ab"));
    Host().SetText(IDC_SEND_EDIT, L"AT");
    Host().Click(IDC_SEND_NEW_LINE);
    Host().Click(IDC_SEND);
    EXPECT_EQ("AT\r\n", Peer(kFirstCom).Receive(4, kWaitMs));
    EXPECT_TRUE(WaitForReceiveText(L"ab\r\n[发] AT\r\n")) << testing::PrintToString(ReceiveText());
    ASSERT_TRUE(Peer(kFirstCom).Send("OK\r\n"));
    EXPECT_TRUE(WaitForReceiveText(L"ab\r\n[发] AT\r\nOK\r\n")) << testing::PrintToString(ReceiveText());

    Host().Click(IDC_SEND_NEW_LINE);
    Host().Click(IDC_HEX_SEND);
    Host().Click(IDC_HEX_DISPLAY);
    Host().Click(IDC_TIMESTAMPS);
    Host().SelectComboItem(IDC_CHECK_LIST, 1);   // Modbus CRC16
    Host().SetText(IDC_SEND_EDIT, L"01 03 00 00 00 02");
    Host().Click(IDC_SEND);
    EXPECT_EQ(std::string("\x01\x03\0\0\0\x02\xC4\x0B", 8), Peer(kFirstCom).Receive(8, kWaitMs));
    const std::wstring sentRow = L"[发] 01 03 00 00 00 02 C4 0B \r\n";
    ASSERT_TRUE(dialog_host::WaitUntil([&] { return EndsWith(ReceiveText(), sentRow); }, kWaitMs))
        << testing::PrintToString(ReceiveText());
    const std::wstring row = ReceiveText().substr(std::wstring(L"ab\r\n[发] AT\r\nOK\r\n").size());
    EXPECT_TRUE(StartsWithStamp(row) && row.size() == 15 + sentRow.size()) << testing::PrintToString(row);
    EXPECT_TRUE(WaitForText(Host(), IDC_SEND_COUNT, L"发送：12"));
    EXPECT_EQ(L"接收：6", Host().Text(IDC_RECEIVE_COUNT)) << "sent bytes are not received bytes";
}

// The file's bytes arrive exactly, counted as sent, the progress at its end; a file that cannot be
// opened is reported once with its name and the system's reason, and nothing is sent; a
// disconnect stops a file under way.
TEST_F(TerminalTest, SendFileSendsAFileExactlyReportsOneThatCannotBeOpenedAndStopsAtADisconnect)
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += static_cast<char>((i * 7) & 0xFF);
    const std::wstring path = TempFilePath(L"lumetra-send-file-test.bin");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    Host().Invoke([path](TerminalDlg& dlg) { dlg.m_sendFileAnswer = path; return true; });
    Connect(kFirstCom);
    Host().Click(IDC_SEND_FILE);
    EXPECT_TRUE(Peer(kFirstCom).Receive(bytes.size(), kWaitMs) == bytes) << "the far end differs";
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs)) << "nothing more";
    EXPECT_TRUE(WaitForText(Host(), IDC_SEND_FILE, L"发送文件"));
    EXPECT_TRUE(WaitForText(Host(), IDC_SEND_FILE_PROGRESS, L"已发 3000/3000"));
    EXPECT_TRUE(WaitForText(Host(), IDC_SEND_COUNT, L"发送：3000"));

    const std::wstring missing = L"C:\\lumetra-no-such-folder\\data.bin";
    Host().Invoke([missing](TerminalDlg& dlg) { dlg.m_sendFileAnswer = missing; return true; });
    auto click = Host().ClickAsync(IDC_SEND_FILE);
    const auto box = Host().DismissMessageBox();
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(Host().Wait(click));
    EXPECT_NE(std::wstring::npos, box->text.find(missing)) << testing::PrintToString(box->text);
    EXPECT_GT(box->text.size(), missing.size() + 12) << "with the system's reason";
    EXPECT_EQ(nullptr, Host().FindOwnedBox()) << "one message";
    EXPECT_EQ(L"发送文件", Host().Text(IDC_SEND_FILE));
    EXPECT_EQ("", Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs)) << "nothing sent";

    // Disconnecting stops a file under way: at 9600 baud this one would take minutes.
    const std::string large(4 * 1024 * 1024, 'x');
    ASSERT_TRUE(WriteFileBytes(path, large));
    Host().Invoke([path](TerminalDlg& dlg) { dlg.m_sendFileAnswer = path; return true; });
    Host().Click(IDC_SEND_FILE);
    EXPECT_EQ(L"停止发送", Host().Text(IDC_SEND_FILE));
    Disconnect();
    EXPECT_EQ(L"发送文件", Host().Text(IDC_SEND_FILE));
    EXPECT_LT(Peer(kFirstCom).ReceiveUntilQuiet(kQuietMs, kWaitMs).size(), large.size());
    ::DeleteFileW(path.c_str());
}

// The area's text as shown, typed text included, as UTF-8 after a byte-order mark; a file that
// cannot be made is reported with its name.
TEST_F(TerminalTest, SaveReceiveAreaWritesItsTextAsUtf8WithAByteOrderMark)
{
    const std::wstring path = TempFilePath(L"lumetra-save-receive-test.txt");
    ::DeleteFileW(path.c_str());
    Host().Invoke([path](TerminalDlg& dlg) { dlg.m_saveReceiveAnswer = path; return true; });
    Connect(kFirstCom);
    ASSERT_TRUE(Peer(kFirstCom).Send("OK\r\n"));
    ASSERT_TRUE(WaitForReceiveText(L"OK\r\n"));
    Host().SetText(IDC_RECEIVE_EDIT, L"OK\r\n收到 中文");
    Host().Click(IDC_SAVE_RECEIVE);
    EXPECT_TRUE(FileBytes(path) == "\xEF\xBB\xBFOK\r\n\xE6\x94\xB6\xE5\x88\xB0 \xE4\xB8\xAD\xE6\x96\x87")
        << testing::PrintToString(FileBytes(path));
    EXPECT_EQ(nullptr, Host().FindOwnedBox());
    ::DeleteFileW(path.c_str());

    const std::wstring bad = L"C:\\lumetra-no-such-folder\\area.txt";
    Host().Invoke([bad](TerminalDlg& dlg) { dlg.m_saveReceiveAnswer = bad; return true; });
    auto click = Host().ClickAsync(IDC_SAVE_RECEIVE);
    const auto box = Host().DismissMessageBox();
    ASSERT_TRUE(box.has_value());
    ASSERT_TRUE(Host().Wait(click));
    EXPECT_NE(std::wstring::npos, box->text.find(bad)) << testing::PrintToString(box->text);
    EXPECT_EQ(nullptr, Host().FindOwnedBox()) << "one message";
}

}  // namespace
