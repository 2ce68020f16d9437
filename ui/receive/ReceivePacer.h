// CReceivePacer: when text read from the port is shown. Under Wine a refresh of the receive area
// costs about as much whatever the size of the piece appended (tens of milliseconds once the area
// is full), so a busy line is shown once per interval rather than once per receive notification
// (every 10 ms while bytes wait):
// - text read after a quiet spell (nothing read for longer than the interval), or when the last
//   refresh is at least an interval old, is shown at once: a device's reply to a typed command
//   appears without delay;
// - text read sooner is held and shown by the next refresh, one interval after the last one, so
//   read text is never shown later than one interval after it was read.
// Pure: the caller passes the time (milliseconds of GetTickCount) and arranges the refresh.
#pragma once

#include <cstddef>

#include <windows.h>

class CReceivePacer {
public:
    // A reader does not notice 100-200 ms; the interval sets how many refreshes a busy line costs
    // (see docs/performance.md for the measurements behind it).
    static constexpr DWORD kIntervalMs = 200;

    // Most bytes held for one refresh. A line faster than a terminal's (a full-speed stream) would
    // otherwise pile up a whole interval's worth, and one append of that much text holds the
    // window for seconds under Wine; once this much is held it is shown at once (and beyond a
    // little more, CHeldReceiveText leaves the oldest out).
    // Counted in bytes read, not characters shown, so that every display mode is paced alike:
    // 115200 baud brings about 2,300 bytes per interval, which stays within it.
    static constexpr size_t kMostHeldBytes = 3072;

    explicit CReceivePacer(DWORD nIntervalMs = kIntervalMs) : m_nIntervalMs(nIntervalMs) {}

    // nBytes more have been read for display.
    void BytesHeld(size_t nBytes) { m_nHeldBytes += nBytes; }
    // As much is held as one refresh should show.
    bool IsFull() const { return m_nHeldBytes >= kMostHeldBytes; }
    // Least time between the end of one refresh and the next once full: a line faster than the
    // area would otherwise keep the window refreshing without a break (leaving its clicks, keys
    // and the port's other work waiting) to show text that is left out anyway.
    static constexpr DWORD kLeastFullGapMs = 50;

    // Text has been read at nNow. Returns 0 when it is to be shown now (after a quiet spell, an
    // interval after the last refresh, or once full and kLeastFullGapMs after the last refresh);
    // otherwise how many milliseconds from nNow the next refresh, which shows it and any text
    // read meanwhile, is due.
    DWORD TextRead(DWORD nNow);
    // The text read so far has been shown (or dropped) at nNow.
    void Shown(DWORD nNow);
    // Text read and not yet shown was dropped; the last refresh stays where it was.
    void Dropped()
    {
        m_bHolding = false;
        m_nHeldBytes = 0;
    }
    bool IsHolding() const { return m_bHolding; }

private:
    DWORD m_nIntervalMs;
    bool m_bHolding = false;     // text read and not yet shown
    size_t m_nHeldBytes = 0;     // bytes read since the last refresh
    bool m_bRead = false;        // anything read yet (m_nLastRead is set)
    bool m_bShown = false;       // anything shown yet (m_nLastShown is set)
    DWORD m_nLastRead = 0;
    DWORD m_nLastShown = 0;
};
