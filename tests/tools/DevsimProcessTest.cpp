// devsim.exe as a user meets it: started on COM5 of a null-modem pair, driven from the peer end.
#include "tests/support/NullModem.h"
#include "tests/support/WinePath.h"
#include "tools/devsim/StreamPattern.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kStartUpPatience = 30000; // a new Wine process can take seconds to come up
constexpr DWORD kReplyPatience = 5000;


class DevsimProcess : public testing::Test {
protected:
    void SetUp() override
    {
        modem = testsupport::FirstNullModem();
        ASSERT_NE(0, modem.comNumber) << "no null-modem pair listed";
        // The peer is open before devsim starts, so its greeting cannot be missed.
        ASSERT_TRUE(peer.Open(modem.peerPath));
        std::wstring commandLine = L"\"" + testsupport::WinePathOfUnixFile(DEVSIM_EXE) + L"\" --port " +
                                   std::to_wstring(modem.comNumber) +
                                   L" --no-status --greeting \"devsim under test\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        SetLastError(0xdeadbeef);
        ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process))
            << GetLastError();
    }

    void TearDown() override
    {
        if (process.hProcess == nullptr)
            return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            EXPECT_TRUE(TerminateProcess(process.hProcess, 0));
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    // Sends bytes and returns what comes back, up to expectedSize bytes.
    std::string Exchange(const std::string& line, size_t expectedSize)
    {
        EXPECT_TRUE(peer.Send(line));
        return peer.Receive(expectedSize, kReplyPatience);
    }

    testsupport::NullModem modem{};
    testsupport::PeerPort peer;
    PROCESS_INFORMATION process = {};
};

TEST_F(DevsimProcess, GreetsAnswersEchoesAndStreamsThePattern)
{
    const std::string greeting = "devsim under test\r\n";
    ASSERT_EQ(greeting, peer.Receive(greeting.size(), kStartUpPatience));

    // Echo first, then the reply; any line end works.
    EXPECT_EQ("AT\r\nOK\r\n", Exchange("AT\r\n", 8));
    EXPECT_EQ("at\rOK\r\n", Exchange("at\r", 7));
    EXPECT_EQ("1 2 3 ", Exchange("1 2 3 ", 6)); // no line end yet: echo only
    EXPECT_EQ("\nERROR unknown command; HELP lists the commands\r\n",
              Exchange("\n", 51));

    const std::string command = "STREAM 1000\r\n";
    ASSERT_EQ(command, Exchange(command, command.size()));
    const std::string stream = peer.Receive(1000, kReplyPatience);
    EXPECT_EQ(1000u, stream.size());
    EXPECT_TRUE(devsim::StreamPattern(0, 1000) == stream) << "stream differs from the pattern";
    // Exactly 1000: nothing follows.
    EXPECT_EQ("", peer.ReceiveUntilQuiet(500, 2000));

    SetLastError(0xdeadbeef);
    ASSERT_TRUE(TerminateProcess(process.hProcess, 3)) << GetLastError();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 10000));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
    EXPECT_EQ(3u, code);
}

} // namespace
