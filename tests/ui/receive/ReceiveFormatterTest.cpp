// What the receive area gains for the bytes read: hex text, the time stamps, and the formatter
// that puts the decoder or hex, stamps and packets together over a stream with option switches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/receive/ReceiveFormatter.h"
#include "ui/receive/ReceiveHexText.h"
#include "ui/receive/ReceiveTimestamp.h"

namespace {

const UINT kGbk = 936;

SYSTEMTIME LocalTime(WORD wDay, WORD wHour, WORD wMinute, WORD wSecond, WORD wMilliseconds)
{
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = wDay;
    time.wHour = wHour;
    time.wMinute = wMinute;
    time.wSecond = wSecond;
    time.wMilliseconds = wMilliseconds;
    return time;
}

TEST(ReceiveHexText, EveryByteIsTwoUpperCaseDigitsAndASpace)
{
    const struct { std::string bytes; std::wstring text; } cases[] = {
        { "", L"" },
        { std::string("\0", 1), L"00 " },
        { std::string("\0A\xFF\r\n", 5), L"00 41 FF 0D 0A " },
        { "\x01\x03\x7F\x80\xab", L"01 03 7F 80 AB " },
    };
    for (const auto& c : cases) {
        std::wstring text = L"x";
        AppendHexText(text, reinterpret_cast<const BYTE*>(c.bytes.data()), static_cast<DWORD>(c.bytes.size()));
        EXPECT_EQ(L"x" + c.text, text);
    }
}

TEST(ReceiveTimestamp, StampShowsTheTimeOfDayToTheMillisecond)
{
    const struct { SYSTEMTIME time; std::wstring stamp; } cases[] = {
        { LocalTime(8, 0, 0, 0, 0), L"[00:00:00.000] " },
        { LocalTime(8, 9, 5, 7, 42), L"[09:05:07.042] " },
        { LocalTime(8, 23, 59, 59, 999), L"[23:59:59.999] " },
    };
    for (const auto& c : cases) {
        std::wstring text;
        AppendTimestamp(text, LocalMilliseconds(c.time));
        EXPECT_EQ(c.stamp, text);
    }
    EXPECT_EQ(1u, LocalMilliseconds(LocalTime(9, 0, 0, 0, 0)) - LocalMilliseconds(LocalTime(8, 23, 59, 59, 999)))
        << "times are one count across midnight";
}

// One step of a stream: a chunk read at a time (milliseconds after 11:22:33.000), shown at once
// or held for a later refresh, or an option switch, or a drop or clear, or a send shown.
struct Step {
    enum Kind { Chunk, HeldChunk, Hex, Stamps, Gap, Drop, Clear, SentBytes } kind;
    std::string bytes;
    ULONGLONG nAt;   // chunks: read time; sends: send time; Gap: the gap; Hex and Stamps: 1 on, 0 off
    // Chunks: the line was quiet since the chunk before (false: it kept bringing bytes).
    bool bQuietSincePrevious = true;
};

Step Read(const std::string& bytes, ULONGLONG nAt) { return { Step::Chunk, bytes, nAt }; }
// Read late, though the line brought its bytes right after the chunk before.
Step ReadJoined(const std::string& bytes, ULONGLONG nAt) { return { Step::Chunk, bytes, nAt, false }; }
Step Held(const std::string& bytes, ULONGLONG nAt) { return { Step::HeldChunk, bytes, nAt }; }
Step HexOn(bool bOn = true) { return { Step::Hex, "", bOn ? 1u : 0u }; }
Step StampsOn(bool bOn = true) { return { Step::Stamps, "", bOn ? 1u : 0u }; }
Step Gap(ULONGLONG nGap) { return { Step::Gap, "", nGap }; }
// Display paused or the line closed: text held since the last chunk shown is dropped.
Step Drop() { return { Step::Drop, "", 0 }; }
Step Cleared() { return { Step::Clear, "", 0 }; }
Step Sent(const std::string& bytes, ULONGLONG nAt) { return { Step::SentBytes, bytes, nAt }; }

// The receive area's text after the steps, as the window drives the formatter: a chunk read
// shows what was held before it too; a drop or clear tells where the area really ends.
std::wstring Shown(UINT nCodePage, const std::vector<Step>& steps)
{
    const ULONGLONG nBase = LocalMilliseconds(LocalTime(8, 11, 22, 33, 0));
    CReceiveFormatter formatter(nCodePage);
    std::wstring shown;
    std::wstring held;
    ULONGLONG nPreviousAt = 0;
    const auto endsInsideLine = [&] { return !shown.empty() && shown.back() != L'\n'; };
    for (const Step& step : steps) {
        switch (step.kind) {
        case Step::Chunk:
        case Step::HeldChunk:
            formatter.Format(reinterpret_cast<const BYTE*>(step.bytes.data()), static_cast<DWORD>(step.bytes.size()),
                             nBase + step.nAt, step.bQuietSincePrevious ? step.nAt - nPreviousAt : 0, held);
            nPreviousAt = step.nAt;
            if (step.kind == Step::Chunk) {
                shown += held;
                held.clear();
            }
            break;
        case Step::Hex: formatter.SetHex(step.nAt != 0); break;
        case Step::Stamps: formatter.SetTimestamps(step.nAt != 0); break;
        case Step::Gap: formatter.SetPacketGap(static_cast<DWORD>(step.nAt)); break;
        case Step::Drop: held.clear(); formatter.Interrupt(endsInsideLine()); break;
        case Step::Clear: held.clear(); shown.clear(); formatter.Interrupt(false); break;
        case Step::SentBytes: formatter.FormatSent(step.bytes, nBase + step.nAt, held); break;
        }
    }
    return shown + held;
}

TEST(ReceiveFormatter, StreamsWithOptionSwitchesShowEveryByteOnce)
{
    const struct { const char* pszName; UINT nCodePage; std::vector<Step> steps; std::wstring text; } cases[] = {
        { "options off: the decoder's text, nothing added", kGbk,
          { Read(std::string("ab\0c\r\n\xD6", 7), 0), Read("\xD0", 300) }, L"abc\r\n中" },
        { "hex: every byte, zero bytes included", kGbk,
          { HexOn(), Read(std::string("\0A", 2), 0), Read("\xFF\r\n", 100) }, L"00 41 FF 0D 0A " },
        { "text stamps: the time of a line's first byte, written with it, not at the LF before", kGbk,
          { StampsOn(), Read("ab\r\n", 5), Read("cd\r", 40), Read("\ne", 90) },
          L"[11:22:33.005] ab\r\n[11:22:33.040] cd\r\n[11:22:33.090] e" },
        { "text stamps: a held-back character's line has the time its first byte was read", kGbk,
          { StampsOn(), Read("\xD6", 7), Read("\xD0x", 19) }, L"[11:22:33.007] 中x" },
        { "stamps ticked mid-line: a new line begins with the next byte", kGbk,
          { Read("ab", 0), StampsOn(), Read("cd", 10) }, L"ab\r\n[11:22:33.010] cd" },
        { "stamps ticked after a line end: no empty line", kGbk,
          { Read("ab\r\n", 0), StampsOn(), Read("cd", 10) }, L"ab\r\n[11:22:33.010] cd" },
        { "hex packets: a gap of at least the packet gap begins one, a shorter one does not", kGbk,
          { HexOn(), StampsOn(), Read("\x01\x03", 0), Read("\x04", 10), Read("\x05", 30), Read("\x06", 49) },
          L"[11:22:33.000] 01 03 04 \r\n[11:22:33.030] 05 06 " },
        { "a reply read in pieces while the window was busy: the line's own quiet makes packets", kGbk,
          { HexOn(), StampsOn(), Read("\x01", 0), ReadJoined("\x03", 25), ReadJoined("\x04", 60), Read("\x01", 300) },
          L"[11:22:33.000] 01 03 04 \r\n[11:22:33.300] 01 " },
        { "packet gap set to 0: every chunk is a packet", kGbk,
          { HexOn(), StampsOn(), Gap(0), Read("\x01", 0), Read("\x02", 0) },
          L"[11:22:33.000] 01 \r\n[11:22:33.000] 02 " },
        { "hex without stamps: no packets, no line breaks", kGbk,
          { HexOn(), Read("\x01", 0), Read("\x02", 500) }, L"01 02 " },
        { "hex ticked with half a character waiting: its byte is shown once, in hex", kGbk,
          { Read("a\xD6", 0), HexOn(), Read("\xD0", 5) }, L"aD6 D0 " },
        { "hex unticked: the next bytes are text again", kGbk,
          { HexOn(), Read("A", 0), HexOn(false), Read("B\xD6", 5), Read("\xD0", 9) }, L"41 B中" },
        { "a switch of mode with stamps on begins a line", kGbk,
          { StampsOn(), HexOn(), Read("A", 0), HexOn(false), Read("B\r\n", 5), HexOn(), Read("C", 6) },
          L"[11:22:33.000] 41 \r\n[11:22:33.005] B\r\n[11:22:33.006] 43 " },
        { "held byte shown in hex at its own read time, a packet of its own after a gap", kGbk,
          { StampsOn(), Read("a\xD6", 0), HexOn(), Read("\x01", 50) },
          L"[11:22:33.000] a\r\n[11:22:33.000] D6 \r\n[11:22:33.050] 01 " },
        { "bytes not shown (paused): the half character goes with them, the next byte begins a line", kGbk,
          { StampsOn(), Read("ab\xD6", 0), Drop(), Read("cd", 50) },
          L"[11:22:33.000] ab\r\n[11:22:33.050] cd" },
        { "held text dropped: its lead byte pairs with nothing that comes later", kGbk,
          { Read("ab\r\n", 0), Held("paused \xD6", 10), Drop(), Read("four ", 900) }, L"ab\r\nfour " },
        { "a dropped LF: the area still ends inside a line, so the next line begins on a new row", kGbk,
          { StampsOn(), Read("abc", 0), Held("\n", 500), Drop(), Read("def\n", 900) },
          L"[11:22:33.000] abc\r\n[11:22:33.900] def\n" },
        { "a dropped half line: the area ends with LF, so no empty row, and the line has its stamp", kGbk,
          { StampsOn(), Read("abc\n", 0), Held("de", 500), Drop(), Read("f\n", 900) },
          L"[11:22:33.000] abc\n[11:22:33.900] f\n" },
        { "cleared: the next byte begins the first line", kGbk,
          { StampsOn(), Read("ab", 0), Cleared(), Read("cd", 5) }, L"[11:22:33.005] cd" },
        { "a send shown: a row of its own between received lines, in text", kGbk,
          { Read("ab", 0), Sent("AT\r\n", 5), Read("OK\r\n", 9), Sent("\xD6\xD0", 20) },
          L"ab\r\n[发] AT\r\nOK\r\n[发] 中\r\n" },
        { "a send shown in hex with stamps: its own time, and the reply begins a packet however soon", kGbk,
          { HexOn(), StampsOn(), Read("\x01", 0), Sent(std::string("\x01\x03\x00\x02\xC4\x0B", 6), 5),
            Read("\x01\x03", 6) },
          L"[11:22:33.000] 01 \r\n[11:22:33.005] [发] 01 03 00 02 C4 0B \r\n[11:22:33.006] 01 03 " },
        { "a send shown in text with stamps: the next received line has its stamp", kGbk,
          { StampsOn(), Read("ab", 0), Sent("AT", 5), Read("c\r\n", 7) },
          L"[11:22:33.000] ab\r\n[11:22:33.005] [发] AT\r\n[11:22:33.007] c\r\n" },
        { "a received half character before a send: completed whole after it, the text after unshifted", kGbk,
          { Read("a\xD6", 0), Sent("x", 5), Read("\xD0\xCE\xC4\xB1\xBE\r\n", 9) }, L"a\r\n[发] x\r\n中文本\r\n" },
        { "a send's own half character: its byte in hex", kGbk,
          { Sent("A\xD6", 0) }, L"[发] AD6 \r\n" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, Shown(c.nCodePage, c.steps)) << c.pszName;
}

}  // namespace
