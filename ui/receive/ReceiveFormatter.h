// CReceiveFormatter: the text that the receive area gains for the bytes read from the port, with
// the display options "十六进制显示" and "显示时间戳". One instance follows the whole stream:
//   bytes read -> (counters, log) -> Format: text decoder or hex, stamps -> text to append.
// - Text mode: the bytes through CReceiveTextDecoder, which may hold back the first part of a
//   character until the next chunk. Hex mode: AppendHexText.
// - An option applies to the bytes formatted from then on; what was given stays. A part character
//   waiting in the decoder when hex is switched on is shown in hex with the next chunk, so no
//   byte is shown twice or lost across a switch.
// - Stamps ("[HH:MM:SS.mmm] ", the time the line's or packet's first byte was read) go in front
//   of that first byte, written together with it:
//   text mode: a line begins after each LF;
//   hex mode: a packet begins with a chunk that came after the line was quiet for at least the
//   packet gap, on a line of its own (CR LF is inserted before it). The quiet is the line's own
//   (given with the chunk), not the time between two reads of the window.
//   A line also begins with the first byte after stamps are switched on, after a change of mode
//   while they are on, and after Interrupt; a CR LF goes before it when the text shown so far
//   ends inside a line.
// - With both options off the text is exactly the decoder's.
// - FormatSent puts a send's bytes ("显示发送") on a row of their own among the received text.
// Pure: times come in as LocalMilliseconds values, so every case is a table.
#pragma once

#include <windows.h>

#include <string>

#include "ui/receive/ReceiveTextDecoder.h"

class CReceiveFormatter {
public:
    // Two passes of the port monitor, which looks every 10 ms: the chunks of one burst are read
    // at most about one pass apart, so a quiet gap of two passes is the shortest that is surely
    // quiet on the line, and still far below the pause between a request and its reply.
    static constexpr DWORD kDefaultPacketGap = 20;

    explicit CReceiveFormatter(UINT nCodePage = CP_THREAD_ACP);

    void SetHex(bool bHex);
    void SetTimestamps(bool bTimestamps);
    // Milliseconds; 0 makes every chunk a packet of its own.
    void SetPacketGap(DWORD nMilliseconds) { m_nPacketGap = nMilliseconds; }

    // Appends to `text` what the chunk shows. nReadTime: when its bytes were read from the port,
    // in LocalMilliseconds; nQuietBefore: how long the line was quiet before them, milliseconds.
    void Format(const BYTE* pBytes, DWORD nCount, ULONGLONG nReadTime, ULONGLONG nQuietBefore, std::wstring& text);
    // The bytes of a send, as handed to the port at nSendTime: "[发] " and the bytes in the
    // current mode (text of the code page, its bytes that make no whole character in hex; or hex),
    // stamped when stamps are on, on a row of its own ended by CR LF. The received line before it
    // ends first; a part character waiting in the decoder keeps waiting and completes, whole, at
    // the start of the next received line, which begins with the next received byte.
    void FormatSent(const std::string& bytes, ULONGLONG nSendTime, std::wstring& text);
    // Text given was not shown after all (display paused, the area emptied, the line closed):
    // a part character waiting is dropped with it, and the next byte shown begins a line after
    // what the area really ends with, inside a line or not (empty, or after an LF).
    void Interrupt(bool bAreaEndsInsideLine);
    // Bytes of a part character waiting in the text decoder for the rest of it.
    const std::string& Pending() const { return m_decoder.Pending(); }

private:
    void FormatText(const BYTE* pBytes, DWORD nCount, ULONGLONG nReadTime, std::wstring& text);
    void FormatHex(const BYTE* pBytes, DWORD nCount, ULONGLONG nReadTime, bool bQuietBefore, std::wstring& text);
    void BeginLine(ULONGLONG nTime, std::wstring& text);

    CReceiveTextDecoder m_decoder;
    bool m_bHex = false;
    bool m_bTimestamps = false;
    DWORD m_nPacketGap = kDefaultPacketGap;

    bool m_bLineBegins = true;      // with stamps on, the next byte shown begins a line
    bool m_bLineOpen = false;       // the text shown so far ends inside a line
    ULONGLONG m_nPendingRead = 0;   // when the part character waiting in the decoder was read
};
