#pragma once

#include <windows.h>

// How often the wait looks at what is left.
constexpr DWORD kDrainPollMs = 50;
// The least no-progress limit; slow lines may need more (see CSerialLink::TransmitStallLimit).
constexpr DWORD kDrainStallMs = 2000;

// Waits for work that others carry out to run down (bytes or writes queued for the port, before
// a close): polls remaining() until it is 0, until canProgress() says nobody is left to do the
// work, or until it has not shrunk for dwStallLimitMs (the port no longer takes data). Never
// waits without bound.
template <class Remaining, class CanProgress>
void WaitWhileShrinking(Remaining remaining, CanProgress canProgress,
                        DWORD dwStallLimitMs = kDrainStallMs, DWORD dwPollMs = kDrainPollMs)
{
    DWORD dwLast = remaining();
    DWORD dwStalled = 0;
    while (dwLast != 0 && dwStalled < dwStallLimitMs && canProgress())
    {
        ::Sleep(dwPollMs);
        const DWORD dwNow = remaining();
        dwStalled = dwNow < dwLast ? 0 : dwStalled + dwPollMs;
        dwLast = dwNow;
    }
}
