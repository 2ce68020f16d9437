#include "ui/signals/ModemStatusLines.h"

namespace {

const DWORD kStatusBits[CModemStatusLines::kLineCount] = { MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON };
const wchar_t* const kNames[CModemStatusLines::kLineCount] = { L"CTS", L"DSR", L"RI", L"DCD" };
const wchar_t* const kMarks[] = { L" ？", L" ○", L" ●" };   // by State

}  // namespace

void CModemStatusLines::Forget()
{
    for (State& state : m_states)
        state = kUnknown;
}

void CModemStatusLines::Read(DWORD dwModemStatus)
{
    for (int line = 0; line < kLineCount; ++line)
        Set(static_cast<Line>(line), (dwModemStatus & kStatusBits[line]) != 0);
}

std::wstring CModemStatusLines::IndicatorText(Line line, State state)
{
    return std::wstring(kNames[line]) + kMarks[state];
}
