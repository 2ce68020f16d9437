// The line settings chosen in the main window's lists, as the fields of a DCB. A function of
// values only, so every list entry can be checked without a port.
#pragma once

#include <windows.h>

// Sets BaudRate, ByteSize, StopBits and Parity of dcb and nothing else:
// - BaudRate: the decimal number that the baud-rate text spells, read as the C run-time reads a
//   multi-byte string of its current locale (wcstombs, then atoi);
// - ByteSize from the data-bits index (0..3: 5, 6, 7, 8 bits), StopBits from the stop-bits index
//   (0: ONESTOPBIT, 1: TWOSTOPBITS), Parity from the parity index (0..4: NOPARITY, ODDPARITY,
//   EVENPARITY, MARKPARITY, SPACEPARITY).
// Returns false, with dcb unchanged, when an index is outside its list or the text cannot be
// converted: such a selection has no line setting, so it must not reach the port.
bool SetLineSettings(DCB& dcb, LPCWSTR pszBaud, int nDataBitsIndex, int nStopBitsIndex, int nParityIndex);

// Largest rate that SetLineSettings reads exactly (its reading of a number is a C int).
constexpr DWORD kLargestBaudRate = 2147483647;

// A rate typed into the baud-rate box, checked before anything reaches the port: a whole number
// from 1 to kLargestBaudRate, blanks around it allowed. A rate of 0 would hang the line up, and
// text after the digits would be quietly dropped by SetLineSettings. False for anything else.
bool ParseTypedBaudRate(LPCWSTR pszBaud, DWORD& nBaud);
