#include "tests/support/ResponsivenessProbe.h"

namespace testsupport {

namespace {

const double kSlowMs = 100.0;

double NowMs()
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

ResponsivenessProbe::ResponsivenessProbe(HWND hWnd, DWORD nPeriodMs, DWORD nLimitMs)
    : m_hWnd(hWnd), m_nPeriodMs(nPeriodMs), m_nLimitMs(nLimitMs), m_hStop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    m_thread = std::thread([this] { Run(); });
}

ResponsivenessProbe::~ResponsivenessProbe()
{
    Stop();
    ::CloseHandle(m_hStop);
}

void ResponsivenessProbe::Stop()
{
    ::SetEvent(m_hStop);
    if (m_thread.joinable())
        m_thread.join();
}

double ResponsivenessProbe::MeanMs() const
{
    const int nSamples = m_nSamples;
    return nSamples != 0 ? m_totalMs / nSamples : 0.0;
}

void ResponsivenessProbe::Run()
{
    DWORD nWaitMs = 0;
    while (::WaitForSingleObject(m_hStop, nWaitMs) == WAIT_TIMEOUT) {
        const double sentMs = NowMs();
        DWORD_PTR nResult = 0;
        const bool bAnswered = ::SendMessageTimeoutW(m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, m_nLimitMs, &nResult) != 0;
        const double answerMs = bAnswered ? NowMs() - sentMs : static_cast<double>(m_nLimitMs);
        if (answerMs > m_worstMs)
            m_worstMs = answerMs;
        m_totalMs = m_totalMs + answerMs;
        if (!bAnswered)
            ++m_nUnanswered;
        if (answerMs > kSlowMs)
            ++m_nSlow;
        ++m_nSamples;
        nWaitMs = answerMs < m_nPeriodMs ? static_cast<DWORD>(m_nPeriodMs - answerMs) : 0;
    }
}

}  // namespace testsupport
