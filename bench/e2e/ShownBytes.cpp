#include "ShownBytes.h"

#include "StreamTail.h"

namespace {
const DWORD kAnswerMs = 60000;
}

ShownBytes::ShownBytes(const LumetraWindow& window, unsigned long long emptyOffset)
    : m_window(window), m_startOffset(emptyOffset)
{
    if (m_window.ReceiveLength(kAnswerMs) > 0)
        ReadStart();
}

unsigned long long ShownBytes::Poll()
{
    const long nLength = m_window.ReceiveLength(kAnswerMs);
    if (nLength >= 0 && nLength < m_nLength)
        ReadStart();
    else if (nLength >= 0)
        m_nLength = nLength;
    return m_startOffset + static_cast<unsigned long long>(m_nLength);
}

// Reads the first line and the length until the first line reads the same before and after the
// length, so that a trim between the reads cannot pair a new length with an old start.
void ShownBytes::ReadStart()
{
    unsigned long long before = 0;
    if (!LineStartOffset(m_window.ReceiveStart(kLineStartChars, kAnswerMs), before)) {
        ++m_nUnreadLineStarts;
        return;
    }
    for (;;) {
        const long nLength = m_window.ReceiveLength(kAnswerMs);
        unsigned long long after = 0;
        if (!LineStartOffset(m_window.ReceiveStart(kLineStartChars, kAnswerMs), after)) {
            ++m_nUnreadLineStarts;
            return;
        }
        if (after == before && nLength >= 0) {
            m_startOffset = after;
            m_nLength = nLength;
            return;
        }
        before = after;
    }
}
