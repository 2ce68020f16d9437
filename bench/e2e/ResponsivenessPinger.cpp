#include "ResponsivenessPinger.h"

#include "Stopwatch.h"

namespace {
const double kSlowMs = 100.0;
}

ResponsivenessPinger::ResponsivenessPinger(HWND hWnd) : m_hWnd(hWnd), m_thread([this] { Run(); }) {}

ResponsivenessPinger::~ResponsivenessPinger()
{
    Stop();
}

void ResponsivenessPinger::Stop()
{
    m_bRunning = false;
    if (m_thread.joinable())
        m_thread.join();
}

void ResponsivenessPinger::Run()
{
    const Stopwatch clock;
    double nextMs = 0;
    while (m_bRunning) {
        const double nowMs = clock.ElapsedMs();
        if (nowMs < nextMs) {
            ::Sleep(static_cast<DWORD>(nextMs - nowMs) + 1);
            continue;
        }
        const double sentMs = clock.ElapsedMs();
        DWORD_PTR result = 0;
        const bool bAnswered = ::SendMessageTimeoutW(m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, kGiveUpMs, &result) != 0;
        const double answerMs = bAnswered ? clock.ElapsedMs() - sentMs : static_cast<double>(kGiveUpMs);
        if (answerMs > m_worstMs)
            m_worstMs = answerMs;
        m_totalMs += answerMs;
        ++m_nPings;
        if (answerMs > kSlowMs)
            ++m_nSlowPings;
        nextMs = sentMs + kPeriodMs;
    }
}
