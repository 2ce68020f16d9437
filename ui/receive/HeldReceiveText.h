// CHeldReceiveText: text read from the port and not yet shown in the receive area, one piece per
// chunk read, each with the number of bytes it shows. The window reads every byte as it comes
// (counted and logged), but a line can bring more than an edit control can show: a 3 Mbaud line
// brings 300,000 bytes a second, and hex display triples them. Rather than fall ever further
// behind, the area then leaves out the oldest text not yet shown: past kMostHeldCharacters the
// oldest pieces go, and a line of its own says how many bytes were left out. Bytes the port object
// had to drop before the window could read them (its receive buffer full) are said the same way.
// Counted in characters, since what a refresh costs the edit control is the text it appends.
// Pure: no window, no port.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

class CHeldReceiveText {
public:
    // 115200 baud in hex display brings about 6,900 characters per refresh interval (200 ms):
    // this leaves that refresh 97 ms to come late before anything is left out, so at 115200 and
    // below nothing is, in text or hex, while a faster line's refresh still appends little enough
    // to keep the window answering (docs/performance.md, "Fast lines"). In text the same bound
    // holds 10 KiB, about what Wine's edit control shows in the time a refresh of a full area
    // takes: text at 921,600 baud is shown nearly whole.
    static constexpr size_t kMostHeldCharacters = 10240;

    explicit CHeldReceiveText(size_t nMostHeldCharacters = kMostHeldCharacters)
        : m_nMostHeldCharacters(nMostHeldCharacters)
    {
    }

    // The text of nBytes bytes read, after everything held; bHex: formatted as hex.
    void Add(std::wstring text, DWORD nBytes, bool bHex);
    // The row of a send ("显示发送"): left out like the rest, and counted as a send.
    void AddSent(std::wstring text, bool bHex);
    // nBytes were dropped before the window read them: what is held goes too (it came before
    // them), and the next text shown starts after a line that says so.
    void Lost(ULONGLONG nBytes);
    // Nothing to show: no text and nothing left out.
    bool IsEmpty() const { return m_pieces.empty() && m_nLeftOut == 0 && m_nSendsLeftOut == 0 && m_nLost == 0; }
    // Some of the held text is hex: its rows break between bytes.
    bool HasHex() const { return m_bHasHex; }
    // The text to append to an area that ends inside a line or not: a line for what was left out
    // (on a row of its own), then the pieces. Everything held is taken.
    std::wstring Take(bool bAreaEndsInsideLine);
    // The text dropped unshown (display paused, the area emptied), with what was left out of it;
    // bytes lost before the window read them are still said at the next Take.
    void DropText();

private:
    struct Piece {
        std::wstring text;
        DWORD nBytes;
        bool bSent;
    };

    void Hold(Piece piece, bool bHex);
    void Clear();

    size_t m_nMostHeldCharacters;
    std::deque<Piece> m_pieces;
    size_t m_nHeldCharacters = 0;   // the pieces' text
    ULONGLONG m_nHeldBytes = 0;     // the bytes they show
    ULONGLONG m_nHeldSends = 0;     // the sends' rows among them
    ULONGLONG m_nLeftOut = 0;     // read, counted and logged, not shown
    ULONGLONG m_nSendsLeftOut = 0;  // sends' rows not shown
    ULONGLONG m_nLost = 0;        // never read by the window
    bool m_bHasHex = false;
};
