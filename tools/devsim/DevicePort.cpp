#include "tools/devsim/DevicePort.h"

#include "engine/SerialLink.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace devsim {

namespace {

// A staged mode, so the engine's buffered roads get daily use: the receive worker fills the
// receive buffer and posts CNM_RECEIVE to this thread; the transmit worker sends what the device
// queues in the transmit buffer (it looks at least every 200 ms).
constexpr DWORD kPortMode = CSerialLink::MODE_RX_BUFFER | CSerialLink::MODE_RX_THREAD |
                            CSerialLink::MODE_TX_BUFFER | CSerialLink::MODE_TX_THREAD |
                            CSerialLink::MODE_OVERLAPPED;
// A stream tops the transmit buffer up to this many bytes: enough to keep the line busy between
// the transmit worker's passes, little enough that replies to commands are not held up long.
constexpr DWORD kTransmitBacklog = 64 * 1024;
// Bounds of the wait between passes: the lower one keeps a backed-up stream from spinning.
constexpr unsigned long long kShortestWait = 10;
constexpr unsigned long long kLongestWait = 1000;

void Send(CSerialLink& link, const std::string& bytes)
{
    if (!bytes.empty())
        link.Write(bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool ApplyLineSettings(CSerialLink& link, unsigned long baud)
{
    const DCB* pCurrent = link.ReadPortState();
    if (pCurrent == nullptr)
        return false;
    DCB state = *pCurrent;
    state.BaudRate = baud;
    state.ByteSize = 8;
    state.Parity = NOPARITY;
    state.StopBits = ONESTOPBIT;
    return link.ApplyPortState(state);
}

void ReceiveAll(CSerialLink& link, CDeviceSimulator& device)
{
    char buffer[CSerialLink::READ_CHUNK];
    while (const DWORD count = link.Read(buffer))
        Send(link, device.Receive(std::string(buffer, count), GetTickCount64()));
}

} // namespace

bool RunDeviceOnPort(int port, unsigned long baud, CDeviceSimulator& device)
{
    MSG msg;
    // The workers post to this thread: its message queue must exist before the port opens.
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);

    CSerialLink link;
    link.SetMode(kPortMode);
    link.SetNotifyThread(GetCurrentThreadId());
    link.SetReceiveThreshold(1);
    if (!link.Open(port)) {
        fwprintf(stderr, L"devsim: cannot open COM%d\n", port);
        return false;
    }
    if (!ApplyLineSettings(link, baud))
        fwprintf(stderr, L"devsim: COM%d keeps its line settings (%lu baud was refused)\n", port,
                 baud);
    wprintf(L"devsim: playing a device on COM%d; Ctrl+C ends it\n", port);
    fflush(stdout);

    Send(link, device.Start(GetTickCount64()));
    for (;;) {
        const DWORD backlog = link.TransmitBuffer().Size();
        const size_t room = backlog < kTransmitBacklog ? kTransmitBacklog - backlog : 0;
        Send(link, device.Poll(GetTickCount64(), room));

        const unsigned long long wait = std::clamp(device.TimeToNextOutput(GetTickCount64()),
                                                   kShortestWait, kLongestWait);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait), QS_ALLPOSTMESSAGE);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return true;
            if (msg.message == CSerialLink::CNM_RECEIVE && static_cast<int>(msg.wParam) == port)
                ReceiveAll(link, device);
        }
    }
}

} // namespace devsim
