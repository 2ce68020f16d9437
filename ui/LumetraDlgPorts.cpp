// The line of ports present below the window: filled at start, again when a device arrives or
// leaves and whenever the port list is opened (Wine tells no window about serial devices, and
// nothing polls); a click on a port there selects it in the port list.
#include "ui/LumetraDlg.h"

#include <commctrl.h>
#include <dbt.h>

#include "ui/ports/PresentPortsText.h"

void CLumetraDlg::ShowPresentPorts()
{
    std::wstring markup = PresentPortsMarkup(FindPresentPorts(SystemPortListApi(), PORT_COUNT));
    if (markup == m_presentPortsMarkup)
        return;
    m_presentPortsMarkup = std::move(markup);
    SendDlgItemMessage(IDC_PRESENT_PORTS, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_presentPortsMarkup.c_str()));
}

void CLumetraDlg::OnCbnDropdownPort()
{
    ShowPresentPorts();
}

// Windows tells every top-level window when a port arrives or leaves; some drivers only say that
// the devices changed.
BOOL CLumetraDlg::OnDeviceChange(UINT nEventType, DWORD_PTR)
{
    if (nEventType == DBT_DEVICEARRIVAL || nEventType == DBT_DEVICEREMOVECOMPLETE || nEventType == DBT_DEVNODES_CHANGED)
        ShowPresentPorts();
    return TRUE;
}

// A click on a port's link, or Enter on it: the port list selects that port.
void CLumetraDlg::OnNMClickPresentPorts(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLINK* pLink = reinterpret_cast<const NMLINK*>(pNMHDR);
    if (const int nPort = LinkedPortNumber(pLink->item.szID, PORT_COUNT))
        m_cbPort.SetCurSel(nPort - 1);
    *pResult = 0;
}
