// The four status lines a port reports (CTS, DSR, RI, DCD) as the window's indicators show them:
// on, off, or unknown where the port cannot tell (no port open, or one without modem lines).
#pragma once

#include <windows.h>

#include <string>

class CModemStatusLines {
public:
    enum Line { kCts, kDsr, kRing, kDcd, kLineCount };
    enum State { kUnknown, kOff, kOn };

    // All four unknown.
    void Forget();
    // All four from a modem-status word (MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON).
    void Read(DWORD dwModemStatus);
    // One line, as a notification of its change reports it.
    void Set(Line line, bool bOn) { m_states[line] = bOn ? kOn : kOff; }

    State StateOf(Line line) const { return m_states[line]; }
    // What the line's indicator shows: its name and a filled dot (on), an empty dot (off) or a
    // question mark (unknown), e.g. "CTS ●".
    static std::wstring IndicatorText(Line line, State state);

private:
    State m_states[kLineCount] = { kUnknown, kUnknown, kUnknown, kUnknown };
};
