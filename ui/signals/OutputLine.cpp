#include "ui/signals/OutputLine.h"

void COutputLine::Choose(bool bOn)
{
    m_bShown = bOn;
    m_bChosen = true;
}

void COutputLine::Refused(bool bPortLevel)
{
    m_bShown = bPortLevel;
    m_bChosen = false;
}

bool DtrLevelOf(const DCB& dcb)
{
    return dcb.fDtrControl == DTR_CONTROL_ENABLE || dcb.fDtrControl == DTR_CONTROL_HANDSHAKE;
}

bool RtsLevelOf(const DCB& dcb)
{
    return dcb.fRtsControl == RTS_CONTROL_ENABLE || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
}
