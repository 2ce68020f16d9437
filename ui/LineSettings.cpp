#include "ui/LineSettings.h"

#include <cstdlib>
#include <cwchar>
#include <iterator>

#include "framework/DecimalDigits.h"

namespace {

const BYTE kByteSizes[] = { 5, 6, 7, 8 };
const BYTE kStopBits[] = { ONESTOPBIT, TWOSTOPBITS };
const BYTE kParities[] = { NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY };

template <size_t N>
bool IsIndexOf(const BYTE (&)[N], int nIndex)
{
    return nIndex >= 0 && static_cast<size_t>(nIndex) < N;
}

}  // namespace

bool SetLineSettings(DCB& dcb, LPCWSTR pszBaud, int nDataBitsIndex, int nStopBitsIndex, int nParityIndex)
{
    if (!IsIndexOf(kByteSizes, nDataBitsIndex) || !IsIndexOf(kStopBits, nStopBitsIndex)
        || !IsIndexOf(kParities, nParityIndex))
        return false;

    // Baud texts are short digit strings; anything longer than the buffer is cut, never overrun.
    char szBaud[32];
    const size_t nConverted = std::wcstombs(szBaud, pszBaud, sizeof szBaud - 1);
    if (nConverted == static_cast<size_t>(-1))
        return false;
    szBaud[nConverted] = '\0';

    dcb.BaudRate = static_cast<DWORD>(std::atoi(szBaud));
    dcb.ByteSize = kByteSizes[nDataBitsIndex];
    dcb.StopBits = kStopBits[nStopBitsIndex];
    dcb.Parity = kParities[nParityIndex];
    return true;
}

bool ParseTypedBaudRate(LPCWSTR pszBaud, DWORD& nBaud)
{
    const wchar_t* pFirst = pszBaud;
    const wchar_t* pLast = pszBaud + std::wcslen(pszBaud);
    while (pFirst != pLast && *pFirst == L' ')
        ++pFirst;
    while (pLast != pFirst && pLast[-1] == L' ')
        --pLast;
    unsigned long long nValue = 0;
    if (ReadDecimalDigits(pFirst, pLast, kLargestBaudRate, nValue) != pLast || nValue == 0)
        return false;
    nBaud = static_cast<DWORD>(nValue);
    return true;
}
