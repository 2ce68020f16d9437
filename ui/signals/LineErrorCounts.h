// Line errors the port reports (the error flags of a CNM_ERROR notification), counted by kind:
// framing (a wrong baud rate or a noisy line makes these climb), parity, and overrun of the
// device's or the driver's input buffer. Each notification counts at most one of each kind: the
// flags say which errors happened since the port last reported, not how many.
#pragma once

#include <windows.h>

struct LineErrorCounts {
    ULONGLONG nFraming = 0;
    ULONGLONG nParity = 0;
    ULONGLONG nOverrun = 0;

    void Add(DWORD dwErrorFlags);
    bool operator==(const LineErrorCounts& other) const;
    bool operator!=(const LineErrorCounts& other) const { return !(*this == other); }
};
