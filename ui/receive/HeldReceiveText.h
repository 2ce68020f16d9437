// CHeldReceiveText: text read from the port and not yet shown in the receive area, one piece per
// chunk read, each with the number of bytes it shows. The window reads every byte as it comes
// (counted and logged), but a line can bring more than an edit control can show: a 3 Mbaud line
// brings 300,000 bytes a second, and hex display triples them. Rather than fall ever further
// behind, the area then leaves out the oldest text not yet shown: past kMostHeldBytes the oldest
// pieces go, and a line of its own says how many bytes were left out. Bytes the port object had
// to drop before the window could read them (its receive buffer full) are said the same way.
// Pure: no window, no port.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

class CHeldReceiveText {
public:
    // Two refreshes' worth of the pacer's (CReceivePacer::kMostHeldBytes): a refresh is due once
    // one is held, so only a line faster than the area ever reaches this. 115200 baud brings about
    // 2,300 bytes per refresh interval and never does.
    static constexpr ULONGLONG kMostHeldBytes = 6144;

    explicit CHeldReceiveText(ULONGLONG nMostHeldBytes = kMostHeldBytes) : m_nMostHeldBytes(nMostHeldBytes) {}

    // The text of nBytes bytes read, after everything held; bHex: formatted as hex.
    void Add(std::wstring text, DWORD nBytes, bool bHex);
    // nBytes were dropped before the window read them: what is held goes too (it came before
    // them), and the next text shown starts after a line that says so.
    void Lost(ULONGLONG nBytes);
    // Nothing to show: no text and nothing left out.
    bool IsEmpty() const { return m_pieces.empty() && m_nLeftOut == 0 && m_nLost == 0; }
    // Some of the held text is hex: its rows break between bytes.
    bool HasHex() const { return m_bHasHex; }
    // The text to append to an area that ends inside a line or not: a line for what was left out
    // (on a row of its own), then the pieces. Everything held is taken.
    std::wstring Take(bool bAreaEndsInsideLine);
    // Dropped unshown (display paused, the area emptied).
    void Clear();

private:
    struct Piece {
        std::wstring text;
        DWORD nBytes;
    };

    ULONGLONG m_nMostHeldBytes;
    std::deque<Piece> m_pieces;
    ULONGLONG m_nHeldBytes = 0;   // the pieces' bytes
    ULONGLONG m_nLeftOut = 0;     // read, counted and logged, not shown
    ULONGLONG m_nLost = 0;        // never read by the window
    bool m_bHasHex = false;
};
