#include "ui/signals/LineErrorCounts.h"

void LineErrorCounts::Add(DWORD dwErrorFlags)
{
    if (dwErrorFlags & CE_FRAME)
        ++nFraming;
    if (dwErrorFlags & CE_RXPARITY)
        ++nParity;
    // The device's receive register or the driver's input queue: bytes were lost either way.
    if (dwErrorFlags & (CE_OVERRUN | CE_RXOVER))
        ++nOverrun;
}

bool LineErrorCounts::operator==(const LineErrorCounts& other) const
{
    return nFraming == other.nFraming && nParity == other.nParity && nOverrun == other.nOverrun;
}
