// devsim's device logic: bytes in, bytes out, with the time given by the test.
#include "tools/devsim/DeviceSimulator.h"
#include "tools/devsim/ModbusRtu.h"
#include "tools/devsim/StreamPattern.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using devsim::CDeviceSimulator;
using devsim::DeviceBehaviour;

DeviceBehaviour Quiet()
{
    DeviceBehaviour behaviour;
    behaviour.greeting = "hello";
    behaviour.echo = false;
    behaviour.statusOn = false;
    behaviour.statusIntervalMs = 5000;
    return behaviour;
}

constexpr unsigned long long kStart = 1000000; // an arbitrary clock reading

// Polls with `chunk` bytes of room, 1 ms apart, until the stream is over.
std::string PollStreamToEnd(CDeviceSimulator& device, unsigned long long now, size_t chunk)
{
    std::string out;
    for (int i = 0; i < 100000 && device.IsStreaming(); ++i)
        out += device.Poll(now + i, chunk);
    return out;
}

TEST(DeviceSimulator, StartSendsTheGreetingLineOrNothing)
{
    CDeviceSimulator greeter(Quiet());
    EXPECT_EQ("hello\r\n", greeter.Start(kStart));

    DeviceBehaviour silent = Quiet();
    silent.greeting.clear();
    CDeviceSimulator mute(silent);
    EXPECT_EQ("", mute.Start(kStart));
}

TEST(DeviceSimulator, AnyLineEndEndsExactlyOneLine)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        int expectedReplies;
    };
    const Case cases[] = {
        {"CR", {"AT\r"}, 1},
        {"LF", {"AT\n"}, 1},
        {"CR LF", {"AT\r\n"}, 1},
        {"CR LF split between reads", {"AT\r", "\n"}, 1},
        {"command split between reads", {"A", "T", "\r\n"}, 1},
        {"LF CR is two line ends, the second line empty", {"AT\n\rAT\r\n"}, 2},
        {"three lines, three endings", {"AT\rAT\nAT\r\n"}, 3},
        {"empty lines answer nothing", {"\r\n\r\n\n\r"}, 0},
        {"no line end yet", {"AT"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDeviceSimulator device(Quiet());
        device.Start(kStart);
        std::string out;
        for (const std::string& chunk : c.chunks)
            out += device.Receive(chunk, kStart);
        std::string expected;
        for (int i = 0; i < c.expectedReplies; ++i)
            expected += "OK\r\n";
        EXPECT_EQ(expected, out);
    }
}

TEST(DeviceSimulator, EchoesReceivedBytesBeforeTheReply)
{
    DeviceBehaviour behaviour = Quiet();
    behaviour.echo = true;
    CDeviceSimulator device(behaviour);
    device.Start(kStart);
    EXPECT_EQ("a", device.Receive("a", kStart));
    EXPECT_EQ(std::string("t\r\0\xFF", 4), device.Receive(std::string("t\r\0\xFF", 4), kStart)
                                               .substr(0, 4));
    EXPECT_EQ("\r\n", device.Receive("\r\n", kStart).substr(0, 2));

    CDeviceSimulator echo(behaviour);
    echo.Start(kStart);
    EXPECT_EQ("at\r\nOK\r\n", echo.Receive("at\r\n", kStart));
}

TEST(DeviceSimulator, CommandsAndTheirReplies)
{
    struct Case {
        const char* line;
        const char* reply;
    };
    const Case cases[] = {
        {"AT", "OK\r\n"},
        {"at", "OK\r\n"},
        {"  At \t", "OK\r\n"},
        {"AT X", "ERROR unknown command; HELP lists the commands\r\n"},
        {"ATZ", "ERROR unknown command; HELP lists the commands\r\n"},
        {"\xC4\xE3\xBA\xC3", "ERROR unknown command; HELP lists the commands\r\n"},
        {"STOP", "OK\r\n"},
        {"status on", "OK\r\n"},
        {"STATUS Off", "OK\r\n"},
        {"STATUS MAYBE", "ERROR usage: STATUS [ON|OFF]\r\n"},
        {"STATUS ON OFF", "ERROR usage: STATUS [ON|OFF]\r\n"},
        {"STREAM", "ERROR usage: STREAM <n> [<bytes per second>]\r\n"},
        {"STREAM 0", "ERROR usage: STREAM <n> [<bytes per second>]\r\n"},
        {"STREAM -5", "ERROR usage: STREAM <n> [<bytes per second>]\r\n"},
        {"STREAM 10x", "ERROR usage: STREAM <n> [<bytes per second>]\r\n"},
        {"STREAM 1000000001", "ERROR usage: STREAM <n> [<bytes per second>]\r\n"},
        {"STREAM 99999999999999999999", "ERROR usage: STREAM <n> [<bytes per second>]\r\n"},
        {"STREAM 10 fast", "ERROR usage: STREAM <n> [<bytes per second>]\r\n"},
        {"STREAM 10 20 30", "ERROR usage: STREAM <n> [<bytes per second>]\r\n"},
        {"stream 10", ""}, // the stream itself is the answer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CDeviceSimulator device(Quiet());
        device.Start(kStart);
        EXPECT_EQ(c.reply, device.Receive(std::string(c.line) + "\r", kStart));
    }
}

TEST(DeviceSimulator, HelpListsEveryCommand)
{
    CDeviceSimulator device(Quiet());
    device.Start(kStart);
    const std::string help = device.Receive("HELP\r\n", kStart);
    const std::string lines = "\n" + help; // each command begins a line
    for (const char* command : {"AT - ", "HELP - ", "CHINESE - ", "STREAM <n> [<rate>] - ",
                                "STOP - ", "STATUS [ON|OFF] - ", "01 03 00 00 00 02 C4 0B - "})
        EXPECT_NE(std::string::npos, lines.find(std::string("\n") + command)) << command;
    ASSERT_GE(help.size(), 2u);
    EXPECT_EQ("\r\n", help.substr(help.size() - 2));
    for (size_t i = help.find('\n'); i != std::string::npos; i = help.find('\n', i + 1))
        EXPECT_EQ('\r', help[i - 1]) << "bare LF at " << i;
}

// Bytes written as hex pairs separated by blanks.
std::string Hex(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 3)
        bytes.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

TEST(DeviceSimulator, ModbusReadHoldingRegistersOfItsUnitIsAnsweredWithItsCrc)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;   // hex, or text where marked
        std::string reply;                 // hex
    };
    const Case cases[] = {
        {"registers 0-1", {"01 03 00 00 00 02 C4 0B"}, "01 03 04 00 00 00 01 3B F3"},
        {"register 10: a 0A in the frame ends no line", {"01 03 00 0A 00 01 A4 08"}, "01 03 02 00 0A 38 43"},
        {"split across reads", {"01 03 00", "00 00 02 C4 0B"}, "01 03 04 00 00 00 01 3B F3"},
        {"bad CRC: no reply", {"01 03 00 00 00 02 C4 0C"}, ""},
        {"another unit: no reply", {"02 03 00 00 00 02 C4 38"}, ""},
        {"a unit whose address looks like text is ignored, and the next frame answered",
         {"01 03 00 00 00 02 C4 0B", "64 03 00 00 00 02 CD FE", "41 03 00 00 00 02 CA CB", "01 03 00 00 00 02 C4 0B"},
         "01 03 04 00 00 00 01 3B F3 01 03 04 00 00 00 01 3B F3"},
        {"no registers: exception 3", {"01 03 00 00 00 00 45 CA"}, "01 83 03 01 31"},
        {"126 registers: exception 3", {"01 03 00 00 00 7E C5 EA"}, "01 83 03 01 31"},
        {"past address FFFF: exception 2", {"01 03 FF FF 00 02 C4 2F"}, "01 83 02 C0 F1"},
        {"another function: exception 1", {"01 04 00 00 00 02 71 CB"}, "01 84 01 82 C0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDeviceSimulator device(Quiet());
        device.Start(kStart);
        std::string out;
        for (const std::string& chunk : c.chunks)
            out += device.Receive(Hex(chunk), kStart);
        EXPECT_EQ(Hex(c.reply), out);
    }
    EXPECT_EQ(0x0BC4, devsim::ModbusCrc(Hex("01 03 00 00 00 02")));
}

TEST(DeviceSimulator, LineCommandsWorkAroundModbusFrames)
{
    CDeviceSimulator device(Quiet());
    device.Start(kStart);
    // A line end sent after the frame ("发送新行") is an empty line: no reply of its own.
    EXPECT_EQ(Hex("01 03 04 00 00 00 01 3B F3"), device.Receive(Hex("01 03 00 00 00 02 C4 0B") + "\r\n", kStart));
    EXPECT_EQ("OK\r\n", device.Receive("AT\r\n", kStart));
    // A frame cut short is dropped after a quiet while; the next command is read whole.
    EXPECT_EQ("", device.Receive(Hex("01 03 00"), kStart));
    EXPECT_EQ("OK\r\n", device.Receive("AT\r", kStart + 100));
}

TEST(DeviceSimulator, ChineseLineIsGbkWhateverTheCodePage)
{
    CDeviceSimulator device(Quiet());
    device.Start(kStart);
    const std::string reply = device.Receive("CHINESE\r", kStart);
    ASSERT_GE(reply.size(), 2u);
    EXPECT_EQ("\r\n", reply.substr(reply.size() - 2));
    const std::string text = reply.substr(0, reply.size() - 2);
    wchar_t wide[64] = {};
    SetLastError(0xdeadbeef);
    const int length = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), wide, 63);
    ASSERT_GT(length, 0) << GetLastError();
    EXPECT_EQ(std::wstring(L"你好，世界！这是设备模拟器发送的中文（GBK 编码）。"),
              std::wstring(wide, static_cast<size_t>(length)));
}

TEST(DeviceSimulator, OverlongLineIsRefusedAndTheNextLineWorks)
{
    CDeviceSimulator device(Quiet());
    device.Start(kStart);
    const std::string longLine(CDeviceSimulator::kMaxLineLength + 1, 'A');
    EXPECT_EQ("", device.Receive(longLine, kStart));
    EXPECT_EQ("ERROR line too long\r\nOK\r\n", device.Receive("\r\nAT\r\n", kStart));

    // A line of exactly the limit is still read.
    std::string atPadded = "AT" + std::string(CDeviceSimulator::kMaxLineLength - 2, ' ');
    EXPECT_EQ("OK\r\n", device.Receive(atPadded + "\n", kStart));
}

TEST(DeviceSimulator, FullSpeedStreamSendsExactlyThePatternInChunksOfTheRoomGiven)
{
    CDeviceSimulator device(Quiet());
    device.Start(kStart);
    ASSERT_EQ("", device.Receive("STREAM 1000\r\n", kStart));
    EXPECT_TRUE(device.IsStreaming());
    EXPECT_EQ(0u, device.TimeToNextOutput(kStart));
    EXPECT_EQ("", device.Poll(kStart, 0)); // no room, nothing taken
    const std::string first = device.Poll(kStart, 300);
    EXPECT_EQ(300u, first.size());
    const std::string rest = PollStreamToEnd(device, kStart, 300);
    EXPECT_EQ(devsim::StreamPattern(0, 1000), first + rest);
    EXPECT_FALSE(device.IsStreaming());
    EXPECT_EQ("", device.Poll(kStart + 10000000, 300));
}

TEST(DeviceSimulator, PacedStreamFollowsItsRate)
{
    CDeviceSimulator device(Quiet());
    device.Start(kStart);
    ASSERT_EQ("", device.Receive("STREAM 1000 100\r\n", kStart));
    EXPECT_EQ("", device.Poll(kStart, 100000));
    EXPECT_EQ(10u, device.TimeToNextOutput(kStart)); // 100 bytes per second: one every 10 ms
    EXPECT_EQ(1u, device.TimeToNextOutput(kStart + 9));
    std::string out = device.Poll(kStart + 1000, 100000);
    EXPECT_EQ(100u, out.size());
    EXPECT_EQ(10u, device.TimeToNextOutput(kStart + 1000));
    out += device.Poll(kStart + 2505, 100000);
    EXPECT_EQ(250u, out.size());
    // A consumer that fell behind gets the backlog as room allows, never beyond the length.
    out += device.Poll(kStart + 60000, 100000);
    EXPECT_EQ(devsim::StreamPattern(0, 1000), out);
    EXPECT_FALSE(device.IsStreaming());
}

TEST(DeviceSimulator, StopEndsAStreamAndANewStreamStartsOver)
{
    CDeviceSimulator device(Quiet());
    device.Start(kStart);
    device.Receive("STREAM 1000\r", kStart);
    EXPECT_EQ(devsim::StreamPattern(0, 100), device.Poll(kStart, 100));
    EXPECT_EQ("OK\r\n", device.Receive("STOP\r", kStart));
    EXPECT_FALSE(device.IsStreaming());
    EXPECT_EQ("", device.Poll(kStart, 100));

    device.Receive("STREAM 50\r", kStart);
    device.Poll(kStart, 20);
    device.Receive("STREAM 30\r", kStart); // replaces the running stream from its start
    EXPECT_EQ(devsim::StreamPattern(0, 30), PollStreamToEnd(device, kStart, 1000));
}

TEST(DeviceSimulator, StatusLineComesAtItsIntervalWithTheCounters)
{
    DeviceBehaviour behaviour = Quiet();
    behaviour.statusOn = true;
    CDeviceSimulator device(behaviour);
    const std::string greeting = device.Start(kStart);
    EXPECT_EQ(5000u, device.TimeToNextOutput(kStart));
    EXPECT_EQ("", device.Poll(kStart + 4999, 100));
    EXPECT_EQ("[devsim] up 5 s, received 0 bytes, sent 7 bytes\r\n", device.Poll(kStart + 5000, 100));
    EXPECT_EQ("", device.Poll(kStart + 5001, 100));
    EXPECT_EQ(4999u, device.TimeToNextOutput(kStart + 5001));

    device.Receive("AT\r\n", kStart + 6000); // 4 bytes in, OK out
    // A late poll gives one line, and the next comes a full interval after it.
    EXPECT_EQ("[devsim] up 17 s, received 4 bytes, sent 60 bytes\r\n",
              device.Poll(kStart + 17000, 100));
    EXPECT_EQ("", device.Poll(kStart + 21999, 100));
    EXPECT_NE("", device.Poll(kStart + 22000, 100));
}

TEST(DeviceSimulator, StatusCommandTurnsTheLineOffAndOnAndShowsItNow)
{
    CDeviceSimulator device(Quiet()); // starts with the status line off
    device.Start(kStart);
    EXPECT_EQ(CDeviceSimulator::kNothingDue, device.TimeToNextOutput(kStart));
    EXPECT_EQ("", device.Poll(kStart + 60000, 100));

    EXPECT_EQ("[devsim] up 60 s, received 7 bytes, sent 7 bytes\r\n",
              device.Receive("STATUS\r", kStart + 60000));
    EXPECT_EQ("OK\r\n", device.Receive("STATUS ON\r", kStart + 61000));
    EXPECT_EQ("", device.Poll(kStart + 65999, 100));
    EXPECT_NE("", device.Poll(kStart + 66000, 100));
    EXPECT_EQ("OK\r\n", device.Receive("STATUS OFF\r", kStart + 67000));
    EXPECT_EQ("", device.Poll(kStart + 200000, 100));
}

TEST(DeviceSimulator, StatusLineWaitsUntilAStreamEnds)
{
    DeviceBehaviour behaviour = Quiet();
    behaviour.statusOn = true;
    CDeviceSimulator device(behaviour);
    device.Start(kStart);
    device.Receive("STREAM 200 10\r", kStart);
    // At 10 bytes per second the stream runs 20 s; the status line due at 5 s must not split it.
    std::string out;
    for (unsigned long long t = kStart; t <= kStart + 20000; t += 500)
        out += device.Poll(t, 1000);
    EXPECT_EQ(devsim::StreamPattern(0, 200), out);
    EXPECT_EQ(0u, device.TimeToNextOutput(kStart + 20000));
    EXPECT_EQ(0u, device.Poll(kStart + 20000, 1000).find("[devsim] up 20 s"));
}

} // namespace
