// How far the send area may run ahead of the line. The port object says how many bytes it still
// holds for the line (CSerialLink::PendingWriteBytes); these rules decide what a cyclic tick and a
// click on 发 送 do with that. Without them every send on a line slower than the sends queues
// behind the others: the device lags ever further, unticking stops nothing already queued, and
// the queue's copies grow until memory runs out.
#pragma once

#include <windows.h>

#include <algorithm>

// Most bytes that clicks may leave waiting for the line before a further click is refused.
constexpr DWORD kSendBacklogBound = 64 * 1024;

// A tick sends only once the line has taken every earlier send, so cyclic sends never queue:
// on a slow line the ticks in between send nothing, and after unticking at most the send already
// handed to the port goes out.
inline bool TickMaySend(DWORD dwPending)
{
    return dwPending == 0;
}

// A click sends its n bytes unless more than the bound is still waiting. The bound is never less
// than the send itself, so a text longer than the bound can still be sent.
inline bool ClickMaySend(DWORD dwPending, DWORD n)
{
    return dwPending <= std::max(kSendBacklogBound, n);
}
