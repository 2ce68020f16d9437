// The line's own signals: the DTR and RTS outputs and the modem-status inputs, one port call each.
#include "engine/SerialLink.h"

bool CSerialLink::SetDtr(bool bOn)
{
    return IsOpen() && m_pApi->EscapeCommFunction(m_hPort, bOn ? SETDTR : CLRDTR);
}

bool CSerialLink::SetRts(bool bOn)
{
    return IsOpen() && m_pApi->EscapeCommFunction(m_hPort, bOn ? SETRTS : CLRRTS);
}

bool CSerialLink::ReadModemStatus(DWORD* pStatus)
{
    return IsOpen() && m_pApi->GetCommModemStatus(m_hPort, pStatus);
}
