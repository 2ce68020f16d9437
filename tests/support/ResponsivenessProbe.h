// Measures how long a window takes to answer while it works, as a program outside its thread
// would see it: a thread of its own sends WM_NULL with SendMessageTimeout every period (at once
// after an answer that took longer) and keeps the figures below. A sent message is answered
// ahead of the window's posted messages, so this sees a busy or blocked thread, not a long queue.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

namespace testsupport {

class ResponsivenessProbe {
public:
    // A message not answered within nLimitMs counts as unanswered, its wait as nLimitMs.
    ResponsivenessProbe(HWND hWnd, DWORD nPeriodMs, DWORD nLimitMs);
    ~ResponsivenessProbe();
    ResponsivenessProbe(const ResponsivenessProbe&) = delete;
    ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;

    // Ends the probing (waits for a message on its way; also done by the destructor). The
    // figures can be read at any time and are final afterwards.
    void Stop();

    int Samples() const { return m_nSamples; }
    int Unanswered() const { return m_nUnanswered; }
    // Answers slower than 100 ms, the delay a user starts to notice.
    int Slow() const { return m_nSlow; }
    double WorstMs() const { return m_worstMs; }
    double MeanMs() const;

private:
    void Run();

    const HWND m_hWnd;
    const DWORD m_nPeriodMs;
    const DWORD m_nLimitMs;
    HANDLE m_hStop;
    // Written by the probe thread only.
    std::atomic<int> m_nSamples{0};
    std::atomic<int> m_nUnanswered{0};
    std::atomic<int> m_nSlow{0};
    std::atomic<double> m_worstMs{0};
    std::atomic<double> m_totalMs{0};
    std::thread m_thread;
};

}  // namespace testsupport
