#include "ui/receive/ReceivePacer.h"

// Times are GetTickCount values: differences are taken as unsigned, which stays right across its
// wrap-around every 49.7 days.
DWORD CReceivePacer::TextRead(DWORD nNow)
{
    const bool bQuiet = !m_bRead || nNow - m_nLastRead > m_nIntervalMs;
    m_bRead = true;
    m_nLastRead = nNow;
    const DWORD nSinceShown = nNow - m_nLastShown;
    if (IsFull()) {
        if (!m_bShown || nSinceShown >= kLeastFullGapMs)
            return 0;
        m_bHolding = true;
        return kLeastFullGapMs - nSinceShown;
    }
    if (!m_bHolding && (bQuiet || !m_bShown || nSinceShown >= m_nIntervalMs))
        return 0;
    m_bHolding = true;
    return nSinceShown >= m_nIntervalMs ? 0 : m_nIntervalMs - nSinceShown;
}

void CReceivePacer::Shown(DWORD nNow)
{
    m_bHolding = false;
    m_nHeldBytes = 0;
    m_bShown = true;
    m_nLastShown = nNow;
}
