#pragma once

#include <windows.h>

#include <functional>

// What the test process holds right now, for checks that a port object leaves no worker thread
// or handle behind.
namespace ptytest
{
// Threads of this process, from a toolhelp snapshot.
int CountThreads();

// Handles of this process, from the system's handle table. (GetProcessHandleCount reports 0
// under Wine, so it cannot serve.) -1 when the table cannot be read.
int CountHandles();

// Tests `condition` every few milliseconds until it holds or `timeoutMs` has passed; returns
// whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
} // namespace ptytest
