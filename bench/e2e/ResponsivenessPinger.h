// Measures how quickly a window answers while it works: from its own thread, sends WM_NULL with
// SendMessageTimeout every 50 ms (at once after an answer that took longer) and keeps the
// longest and the mean answer time.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

class ResponsivenessPinger {
public:
    static constexpr DWORD kPeriodMs = 50;
    static constexpr DWORD kGiveUpMs = 60000;   // an answer slower than this counts as this

    explicit ResponsivenessPinger(HWND hWnd);
    ~ResponsivenessPinger();
    ResponsivenessPinger(const ResponsivenessPinger&) = delete;
    ResponsivenessPinger& operator=(const ResponsivenessPinger&) = delete;

    // Ends the pings (waits for one in progress); the figures below are final afterwards.
    void Stop();

    double WorstMs() const { return m_worstMs; }
    double MeanMs() const { return m_nPings != 0 ? m_totalMs / m_nPings : 0.0; }
    unsigned Pings() const { return m_nPings; }
    // Answers that took longer than 100 ms, the delay a user starts to notice.
    unsigned SlowPings() const { return m_nSlowPings; }

private:
    void Run();

    HWND m_hWnd;
    std::atomic<bool> m_bRunning{true};
    // Written by the ping thread only; read after Stop() has joined it.
    double m_worstMs = 0;
    double m_totalMs = 0;
    unsigned m_nPings = 0;
    unsigned m_nSlowPings = 0;
    std::thread m_thread;
};
