// Measures how long typing waits while the window works: from its own thread, posts a character
// (WM_CHAR 'x') to the send area every 500 ms and times until the area has taken it. A posted
// message waits behind every message posted before it, such as queued receive notifications, so
// this sees the delays that WM_NULL (a sent message, answered ahead of the queue) does not.
// Real keyboard and mouse input ranks after posted messages, so it waits at least as long.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

class InputLatencyProbe {
public:
    static constexpr DWORD kPeriodMs = 500;

    explicit InputLatencyProbe(HWND hSendEdit);
    ~InputLatencyProbe();
    InputLatencyProbe(const InputLatencyProbe&) = delete;
    InputLatencyProbe& operator=(const InputLatencyProbe&) = delete;

    // Ends the probe once a character on its way has arrived, or after 5 s more; one still
    // waiting then counts with its wait so far.
    void Stop();

    double WorstMs() const { return m_worstMs; }
    unsigned Characters() const { return m_nCharacters; }
    // True when the last character had still not arrived when the probe gave up (WorstMs is
    // then a lower bound if it came from that character).
    bool Pending() const { return m_bPending; }

private:
    void Run();
    long Length() const;

    HWND m_hEdit;
    std::atomic<bool> m_bRunning{true};
    // Written by the probe thread only; read after Stop() has joined it.
    double m_worstMs = 0;
    unsigned m_nCharacters = 0;
    bool m_bPending = false;
    std::thread m_thread;
};
