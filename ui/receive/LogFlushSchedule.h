// When the session log's writer flushes what it wrote to the disk: at most kIntervalMs after the
// first byte written since the last flush, so a crash of the system loses at most that much (one
// of the program loses nothing: the system has the bytes), and a busy log is flushed once per
// interval, not once per write. A quiet log is not flushed at all.
// Pure: times come in as GetTickCount64 values, so the schedule is a table.
#pragma once

#include <windows.h>

class CLogFlushSchedule {
public:
    static constexpr DWORD kIntervalMs = 1000;

    // Bytes were written to the system at nNow.
    void Written(ULONGLONG nNow)
    {
        if (!m_bPending) {
            m_bPending = true;
            m_nDue = nNow + kIntervalMs;
        }
    }
    bool IsPending() const { return m_bPending; }
    bool IsDue(ULONGLONG nNow) const { return m_bPending && nNow >= m_nDue; }
    // How long the writer may sleep from nNow before a flush is due: INFINITE with nothing to flush.
    DWORD WaitMs(ULONGLONG nNow) const
    {
        if (!m_bPending)
            return INFINITE;
        return nNow >= m_nDue ? 0 : static_cast<DWORD>(m_nDue - nNow);
    }
    void Flushed() { m_bPending = false; }

private:
    bool m_bPending = false;   // written and not yet flushed
    ULONGLONG m_nDue = 0;
};
