#include "engine/SerialLink.h"

void CSerialLink::Notify(UINT message, LPARAM lParam, bool post)
{
    const WPARAM wParam = static_cast<WPARAM>(m_nPort);
    if (m_hNotifyWnd && ::IsWindow(m_hNotifyWnd))
    {
        if (post)
            ::PostMessageW(m_hNotifyWnd, message, wParam, lParam);
        else
            ::SendMessageW(m_hNotifyWnd, message, wParam, lParam);
    }
    if (m_dwNotifyThreadId != 0)
        ::PostThreadMessageW(m_dwNotifyThreadId, message, wParam, lParam);
}

// The line's level now (not when the event happened): 1 when dwBit is set in the modem status,
// 0 when it is clear or the status cannot be read.
LPARAM CSerialLink::ModemLine(DWORD dwBit)
{
    DWORD dwStatus = 0;
    if (!IsOpen() || !m_pApi->GetCommModemStatus(m_hPort, &dwStatus))
        dwStatus = 0;
    return (dwStatus & dwBit) ? 1 : 0;
}

void CSerialLink::NotifyReceive()
{
    Notify(CNM_RECEIVE, 0, true);
}

void CSerialLink::NotifyDsr()
{
    Notify(CNM_DSR, ModemLine(MS_DSR_ON), true);
}

void CSerialLink::NotifyCts()
{
    Notify(CNM_CTS, ModemLine(MS_CTS_ON), true);
}

void CSerialLink::NotifyBreak()
{
    m_pApi->ClearCommBreak(m_hPort);
    Notify(CNM_BREAK, 0, true);
}

void CSerialLink::NotifyTxEmpty()
{
    Notify(CNM_TXEMPTY, 0, true);
}

// Reading the flags also clears the port's error state. Those that the engine's own queries
// took from the port since the last report are added: they happened on the line too.
void CSerialLink::NotifyError()
{
    DWORD dwErrors = 0;
    if (!IsOpen() || !m_pApi->ClearCommError(m_hPort, &dwErrors, nullptr))
        dwErrors = 0;
    dwErrors |= m_dwKeptErrors.exchange(0);
    Notify(CNM_ERROR, static_cast<LPARAM>(dwErrors), true);
}

void CSerialLink::NotifyRing()
{
    Notify(CNM_RING, ModemLine(MS_RING_ON), true);
}

void CSerialLink::NotifyRlsd()
{
    Notify(CNM_RLSD, ModemLine(MS_RLSD_ON), true);
}

void CSerialLink::NotifyRxFlag()
{
    Notify(CNM_RXFLAG, 0, true);
}

void CSerialLink::NotifyAux1()
{
    Notify(CNM_AUX1, 0, true);
}

void CSerialLink::NotifyAux2()
{
    Notify(CNM_AUX2, 0, true);
}

void CSerialLink::NotifyAux3()
{
    Notify(CNM_AUX3, 0, true);
}

void CSerialLink::NotifyAux4()
{
    Notify(CNM_AUX4, 0, true);
}

void CSerialLink::NotifyAux5()
{
    Notify(CNM_AUX5, 0, true);
}
