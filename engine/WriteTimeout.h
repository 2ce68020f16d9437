#pragma once

#include <windows.h>

// The write time-out per byte that Open gives an overlapped port, in milliseconds: enough for
// 19200 baud and above whatever the frame, and the least any line settings get.
constexpr DWORD kLeastWriteMsPerByte = 1;

// Write time-out per byte, in milliseconds, for a port with these line settings: one byte's time
// on the line (start bit, data bits, parity bit if any, stop bits with one and a half counted as
// two) and half as much again to spare, rounded up; never below kLeastWriteMsPerByte. A baud rate
// of 0 gives the least. Depends on BaudRate, ByteSize, Parity and StopBits only.
DWORD WriteMsPerByte(const DCB& dcb);
