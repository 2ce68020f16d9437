#include "engine/WriteTimeout.h"

DWORD WriteMsPerByte(const DCB& dcb)
{
    if (dcb.BaudRate == 0)
        return kLeastWriteMsPerByte;
    const ULONGLONG bits = 1 + static_cast<ULONGLONG>(dcb.ByteSize) +
                           (dcb.Parity != NOPARITY ? 1 : 0) + (dcb.StopBits == ONESTOPBIT ? 1 : 2);
    // bits * 1000 / baud milliseconds, times 3/2, rounded up.
    const ULONGLONG denominator = 2 * static_cast<ULONGLONG>(dcb.BaudRate);
    const ULONGLONG ms = (bits * 1000 * 3 + denominator - 1) / denominator;
    return ms > kLeastWriteMsPerByte ? static_cast<DWORD>(ms) : kLeastWriteMsPerByte;
}
