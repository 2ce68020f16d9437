// The line of ports present below the window, on the runner's null-modem pairs: COM5, COM6 and
// COM8 lead to pseudo-terminals, COM7 to a folder and COM9 to nothing until the runner gives a
// pair's peer end that number. Wine tells no window about serial devices, so the line follows
// devices when the port list is opened. A click on a port there selects it in the port list.
#include "tests/faults/FaultFixture.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kLateCom = 9;
// The prefix keeps COM1 to COM32 for virtual ports; the host's own serial devices come after.
constexpr int kHighestVirtualCom = 32;

class PresentPortsTest : public FaultTest {
protected:
    HWND Line() { return Host().Item(IDC_PRESENT_PORTS); }

    // The virtual ports the line links to, in its order.
    std::vector<int> LinkedPorts()
    {
        return Host().RunOnDialogThread([this] {
            std::vector<int> ports;
            LITEM item = {};
            item.mask = LIF_ITEMINDEX | LIF_ITEMID;
            for (item.iLink = 0; ::SendMessageW(Line(), LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)); ++item.iLink) {
                const int nPort = _wtoi(item.szID);
                if (nPort <= kHighestVirtualCom)
                    ports.push_back(nPort);
            }
            return ports;
        });
    }

    // Opens the port list and closes it again, as a user looking through it would.
    void OpenPortList()
    {
        Host().RunOnDialogThread([this] {
            ::SendMessageW(Host().Item(IDC_PORT_LIST), CB_SHOWDROPDOWN, TRUE, 0);
            ::SendMessageW(Host().Item(IDC_PORT_LIST), CB_SHOWDROPDOWN, FALSE, 0);
        });
    }

    // Presses and releases the mouse button over port nCom's link; false when the line has none.
    bool ClickLinkedPort(int nCom)
    {
        const std::wstring id = std::to_wstring(nCom);
        RECT client = {};
        ::GetClientRect(Line(), &client);
        for (LONG y = 1; y < client.bottom; y += 2) {
            for (LONG x = 1; x < client.right; x += 2) {
                LHITTESTINFO hit = {};
                hit.pt = { x, y };
                if (::SendMessageW(Line(), LM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) && id == hit.item.szID) {
                    ::PostMessageW(Line(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
                    ::PostMessageW(Line(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
                    return true;
                }
            }
        }
        return false;
    }
};

TEST_F(PresentPortsTest, TheLineShowsMappedPortsAndFollowsDevicesWhenThePortListIsOpened)
{
    ASSERT_TRUE(m_control.IsAvailable()) << "the runner serves no pair control";
    EXPECT_EQ((std::vector<int>{ kFirstCom, kSecondCom, 8 }), LinkedPorts()) << Host().Text(IDC_PRESENT_PORTS);

    Connect(kFirstCom);
    ASSERT_EQ("ok", m_control.Alias(kLateCom, kSecondCom));   // a device plugged in
    ASSERT_EQ("ok", m_control.Cut(kFirstCom));                // the connected one pulled out
    EXPECT_EQ((std::vector<int>{ kFirstCom, kSecondCom, 8 }), LinkedPorts()) << "nothing looks before the list opens";
    OpenPortList();
    EXPECT_EQ((std::vector<int>{ kSecondCom, 8, kLateCom }), LinkedPorts()) << Host().Text(IDC_PRESENT_PORTS);

    ASSERT_EQ("ok", m_control.Restore(kFirstCom));
    OpenPortList();
    EXPECT_EQ((std::vector<int>{ kFirstCom, kSecondCom, 8, kLateCom }), LinkedPorts());
    Disconnect();
}

TEST_F(PresentPortsTest, AClickOnAPortInTheLineSelectsItInThePortList)
{
    ASSERT_EQ(0, Host().ComboSelection(IDC_PORT_LIST));
    ASSERT_TRUE(ClickLinkedPort(8)) << "no link to COM8 in " << Host().Text(IDC_PRESENT_PORTS);
    EXPECT_TRUE(dialog_host::WaitUntil([&] { return Host().ComboSelection(IDC_PORT_LIST) == 8 - 1; }, kWaitMs))
        << "selected: " << Host().ComboSelectedText(IDC_PORT_LIST);
}

}  // namespace
