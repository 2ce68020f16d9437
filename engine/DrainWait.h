#pragma once

#include <windows.h>

// Waits for work that others carry out to run down (bytes or writes queued for the port, before
// a close): polls remaining() until it is 0, until canProgress() says nobody is left to do the
// work, or until it has not shrunk for dwStallLimitMs (the port no longer takes data). Never
// waits without bound.
template <class Remaining, class CanProgress>
void WaitWhileShrinking(Remaining remaining, CanProgress canProgress, DWORD dwPollMs = 50,
                        DWORD dwStallLimitMs = 2000)
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
