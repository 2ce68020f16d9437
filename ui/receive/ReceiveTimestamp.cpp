#include "ui/receive/ReceiveTimestamp.h"

namespace {

constexpr ULONGLONG kMillisecondsPerDay = 24ull * 60 * 60 * 1000;

void AppendDigits(std::wstring& text, unsigned nValue, int nDigits)
{
    wchar_t szDigits[3];
    for (int i = nDigits - 1; i >= 0; --i, nValue /= 10)
        szDigits[i] = static_cast<wchar_t>(L'0' + nValue % 10);
    text.append(szDigits, static_cast<size_t>(nDigits));
}

}  // namespace

ULONGLONG LocalMilliseconds(const SYSTEMTIME& localTime)
{
    FILETIME fileTime = {};
    ::SystemTimeToFileTime(&localTime, &fileTime);   // 100 ns units
    ULARGE_INTEGER units;
    units.LowPart = fileTime.dwLowDateTime;
    units.HighPart = fileTime.dwHighDateTime;
    return units.QuadPart / 10000;
}

void AppendTimestamp(std::wstring& text, ULONGLONG nLocalMilliseconds)
{
    const unsigned nOfDay = static_cast<unsigned>(nLocalMilliseconds % kMillisecondsPerDay);
    const unsigned nSeconds = nOfDay / 1000;
    text += L'[';
    AppendDigits(text, nSeconds / 3600, 2);
    text += L':';
    AppendDigits(text, nSeconds / 60 % 60, 2);
    text += L':';
    AppendDigits(text, nSeconds % 60, 2);
    text += L'.';
    AppendDigits(text, nOfDay % 1000, 3);
    text += L"] ";
}
