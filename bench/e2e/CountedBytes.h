// How much of a stream the window has taken, read from its receive counter ("接收：N"). The
// counter is written with the receive area's refresh, after the text of the same bytes (or, with
// no text held, at the window's next look at the options), so a count seen is a count shown or
// left out (a line faster than the area can show).
#pragma once

#include "LumetraWindow.h"

class CountedBytes {
public:
    // `emptyOffset`: the stream offset of the next byte the window reads.
    CountedBytes(const LumetraWindow& window, unsigned long long emptyOffset);

    // The stream offset just past the last byte counted; a poll that gets no answer changes nothing.
    unsigned long long Poll();

private:
    bool ReadCount(unsigned long long& count) const;

    const LumetraWindow& m_window;
    unsigned long long m_startOffset;
    unsigned long long m_startCount = 0;
    unsigned long long m_count = 0;
};
