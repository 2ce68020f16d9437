// How much of the stream the receive area has shown so far: the stream offset of its first
// character plus its length. The area keeps a tail of the stream that starts at a line start, and
// the start moves only when the program trims the text, which shortens it by far more than one
// receive adds; so the first line is read again only when the length has dropped.
#pragma once

#include "LumetraWindow.h"

class ShownBytes {
public:
    // `emptyOffset`: the offset at which the stream continues while the area is empty.
    ShownBytes(const LumetraWindow& window, unsigned long long emptyOffset);

    // Polls the area: the stream offset just past its last character, that is every byte of the
    // stream shown so far, the ones trimmed away since included. A poll that gets no answer
    // changes nothing.
    unsigned long long Poll();
    // The area's length at the last poll.
    long Length() const { return m_nLength; }
    // Reads of the first line that did not name a stream offset (the start then stays as it was).
    int UnreadLineStarts() const { return m_nUnreadLineStarts; }

private:
    void ReadStart();

    const LumetraWindow& m_window;
    unsigned long long m_startOffset;
    long m_nLength = 0;
    int m_nUnreadLineStarts = 0;
};
