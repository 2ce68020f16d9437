// Measures how long a window takes to answer, as a program outside its thread would see it: a
// thread of its own sends WM_NULL with SendMessageTimeout at a steady rate and keeps the worst
// answer time and the messages that went unanswered within the limit.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

namespace faults {

class ResponsivenessProbe {
public:
    ResponsivenessProbe(HWND hWnd, DWORD nPeriodMs, DWORD nLimitMs);
    ~ResponsivenessProbe();
    ResponsivenessProbe(const ResponsivenessProbe&) = delete;
    ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;

    // Ends the probing (also done by the destructor); the figures stay readable.
    void Stop();

    int Samples() const { return m_nSamples; }
    int Unanswered() const { return m_nUnanswered; }
    DWORD WorstMs() const { return m_nWorstMs; }

private:
    void Run();

    const HWND m_hWnd;
    const DWORD m_nPeriodMs;
    const DWORD m_nLimitMs;
    HANDLE m_hStop;
    std::atomic<int> m_nSamples{0};
    std::atomic<int> m_nUnanswered{0};
    std::atomic<DWORD> m_nWorstMs{0};
    std::thread m_thread;
};

}  // namespace faults
