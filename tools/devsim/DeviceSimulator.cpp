#include "tools/devsim/DeviceSimulator.h"

#include "framework/DecimalDigits.h"
#include "tools/devsim/ModbusRtu.h"
#include "tools/devsim/StreamPattern.h"

#include <algorithm>

namespace devsim {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr unsigned long long kMaxStreamLength = 1000000000;  // 1 GB
constexpr unsigned long long kMaxStreamRate = 100000000;     // 100 MB/s
// A binary frame that stops short for this long is dropped, so a stray byte cannot swallow the
// start of the next command. Far longer than any pause inside one write, even under Wine.
constexpr unsigned long long kFrameTimeoutMs = 100;

// "你好，世界！这是设备模拟器发送的中文（GBK 编码）。" in code page 936, written out byte by byte
// so the reply does not depend on the code page devsim runs under.
constexpr char kChineseGbk[] =
    "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA3\xA1\xD5\xE2\xCA\xC7\xC9\xE8\xB1\xB8\xC4\xA3"
    "\xC4\xE2\xC6\xF7\xB7\xA2\xCB\xCD\xB5\xC4\xD6\xD0\xCE\xC4\xA3\xA8GBK \xB1\xE0\xC2\xEB\xA3\xA9"
    "\xA1\xA3";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A control byte other than a blank or a line end is never part of a typed command.
bool IsControl(char c)
{
    return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n';
}

// Whether c, arriving after `line` (the start of a line so far), shows that the line is a binary
// frame: its unit address (1 to 247) is a control byte, or its function code (1 to 127, a control
// byte for every common one) follows an address that looks like text. Frames for other units
// must not stay in the line, which would then swallow every later frame for want of a line end.
bool BeginsFrame(const std::string& line, char c)
{
    return line.size() <= 1 && IsControl(c);
}

// ASCII only: other bytes may be parts of GBK characters.
std::string UpperCase(std::string word)
{
    for (char& c : word)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return word;
}

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        size_t end = i;
        while (end < line.size() && !IsBlank(line[end]))
            ++end;
        if (end > i)
            words.push_back(line.substr(i, end - i));
        i = end;
    }
    return words;
}

// A decimal number of at most `high`; digits only.
bool ParseCount(const std::string& text, unsigned long long high, unsigned long long& value)
{
    const char* last = text.data() + text.size();
    unsigned long long parsed = 0;
    if (ReadDecimalDigits(text.data(), last, high, parsed) != last)
        return false;
    value = parsed;
    return true;
}

std::string Line(const std::string& text)
{
    return text + kLineEnd;
}

} // namespace

const std::vector<std::string>& CommandHelp()
{
    // Plain "name - meaning" lines: the terminal shows them in a proportional font.
    static const std::vector<std::string> lines = {
        "AT - reply OK",
        "HELP - list the commands",
        "CHINESE - a line of Chinese text in GBK (code page 936)",
        "STREAM <n> [<rate>] - n pattern bytes, at <rate> bytes/s or full speed",
        "STOP - end a running stream",
        "STATUS [ON|OFF] - a status line now, or the periodic one on or off",
        std::string(kModbusExampleRequest) +
            " - (sent as hex bytes) Modbus RTU read holding registers 0-1 of unit 1; register n "
            "holds n, a bad CRC gets no reply",
    };
    return lines;
}

CDeviceSimulator::CDeviceSimulator(const DeviceBehaviour& behaviour) : m_behaviour(behaviour) {}

std::string CDeviceSimulator::Start(unsigned long long now)
{
    m_startTime = now;
    m_nextStatus = now + m_behaviour.statusIntervalMs;
    return m_behaviour.greeting.empty() ? std::string() : Sent(Line(m_behaviour.greeting));
}

std::string CDeviceSimulator::Receive(const std::string& bytes, unsigned long long now)
{
    m_bytesIn += bytes.size();
    std::string out = m_behaviour.echo ? bytes : std::string();
    if (!m_frame.empty() && now - m_frameTime >= kFrameTimeoutMs)
        m_frame.clear();
    for (char c : bytes) {
        // A frame is binary: its bytes may look like line ends.
        if (m_frame.empty() && !m_bLineTooLong && BeginsFrame(m_line, c)) {
            m_frame.swap(m_line);
            m_line.clear();
        }
        if (!m_frame.empty()) {
            m_frame.push_back(c);
            m_frameTime = now;
            m_bAfterCr = false;
            if (m_frame.size() == kModbusRequestLength) {
                out += AnswerModbusRequest(m_frame);
                m_frame.clear();
            }
            continue;
        }
        const bool bLfOfCrLf = c == '\n' && m_bAfterCr;
        m_bAfterCr = c == '\r';
        if (bLfOfCrLf)
            continue;
        if (c == '\r' || c == '\n') {
            out += m_bLineTooLong ? Line("ERROR line too long") : Execute(m_line, now);
            m_line.clear();
            m_bLineTooLong = false;
        } else if (m_line.size() < kMaxLineLength) {
            m_line.push_back(c);
        } else {
            m_bLineTooLong = true;
        }
    }
    return Sent(out);
}

std::string CDeviceSimulator::Poll(unsigned long long now, size_t maxStreamBytes)
{
    if (!IsStreaming()) {
        if (!m_behaviour.statusOn || now < m_nextStatus)
            return std::string();
        m_nextStatus = now + m_behaviour.statusIntervalMs;
        return Sent(StatusLine(now));
    }
    const unsigned long long count =
        std::min<unsigned long long>(StreamDue(now) - m_streamSent, maxStreamBytes);
    std::string out;
    AppendStreamPattern(out, m_streamSent, static_cast<size_t>(count));
    m_streamSent += count;
    return Sent(out);
}

unsigned long long CDeviceSimulator::TimeToNextOutput(unsigned long long now) const
{
    if (IsStreaming()) {
        if (m_streamRate == 0 || StreamDue(now) > m_streamSent)
            return 0;
        // The next byte is due when rate * elapsed / 1000 reaches sent + 1.
        const unsigned long long dueAt =
            m_streamStart + ((m_streamSent + 1) * 1000 + m_streamRate - 1) / m_streamRate;
        return dueAt - now;
    }
    if (!m_behaviour.statusOn)
        return kNothingDue;
    return m_nextStatus > now ? m_nextStatus - now : 0;
}

std::string CDeviceSimulator::Execute(const std::string& line, unsigned long long now)
{
    const std::vector<std::string> words = Words(line);
    if (words.empty())
        return std::string();
    const std::string command = UpperCase(words[0]);
    const bool bNoArguments = words.size() == 1;
    if (command == "AT" && bNoArguments)
        return Line("OK");
    if (command == "HELP" && bNoArguments) {
        std::string out;
        for (const std::string& help : CommandHelp())
            out += Line(help);
        return out;
    }
    if (command == "CHINESE" && bNoArguments)
        return Line(kChineseGbk);
    if (command == "STOP" && bNoArguments) {
        m_streamLength = m_streamSent;
        return Line("OK");
    }
    if (command == "STREAM")
        return StartStream(words, now);
    if (command == "STATUS")
        return SetStatus(words, now);
    return Line("ERROR unknown command; HELP lists the commands");
}

std::string CDeviceSimulator::StartStream(const std::vector<std::string>& words,
                                          unsigned long long now)
{
    unsigned long long length = 0;
    unsigned long long rate = 0;
    if (words.size() < 2 || words.size() > 3 || !ParseCount(words[1], kMaxStreamLength, length) ||
        length == 0 || (words.size() == 3 && !ParseCount(words[2], kMaxStreamRate, rate)))
        return Line("ERROR usage: STREAM <n> [<bytes per second>]");
    m_streamLength = length;
    m_streamSent = 0;
    m_streamRate = rate;
    m_streamStart = now;
    return std::string();
}

std::string CDeviceSimulator::SetStatus(const std::vector<std::string>& words,
                                        unsigned long long now)
{
    if (words.size() == 1)
        return StatusLine(now);
    const std::string setting = words.size() == 2 ? UpperCase(words[1]) : std::string();
    if (setting == "ON") {
        m_behaviour.statusOn = true;
        m_nextStatus = now + m_behaviour.statusIntervalMs;
        return Line("OK");
    }
    if (setting == "OFF") {
        m_behaviour.statusOn = false;
        return Line("OK");
    }
    return Line("ERROR usage: STATUS [ON|OFF]");
}

std::string CDeviceSimulator::StatusLine(unsigned long long now) const
{
    return Line("[devsim] up " + std::to_string((now - m_startTime) / 1000) + " s, received " +
                std::to_string(m_bytesIn) + " bytes, sent " + std::to_string(m_bytesOut) +
                " bytes");
}

unsigned long long CDeviceSimulator::StreamDue(unsigned long long now) const
{
    if (m_streamRate == 0)
        return m_streamLength;
    return std::min(m_streamLength, m_streamRate * (now - m_streamStart) / 1000);
}

std::string CDeviceSimulator::Sent(std::string bytes)
{
    m_bytesOut += bytes.size();
    return bytes;
}

} // namespace devsim
