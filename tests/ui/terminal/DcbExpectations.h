// What the line settings may change in a DCB: the four line fields and not one byte more.
#pragma once

#include <windows.h>

#include <cstring>

// The DCB with the four line-setting fields set as expected and every other byte as before.
inline DCB WithLineSettings(DCB dcb, DWORD nBaud, BYTE nByteSize, BYTE nStopBits, BYTE nParity)
{
    dcb.BaudRate = nBaud;
    dcb.ByteSize = nByteSize;
    dcb.StopBits = nStopBits;
    dcb.Parity = nParity;
    return dcb;
}

inline bool SameBytes(const DCB& a, const DCB& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
