#include "tests/faults/ResponsivenessProbe.h"

namespace faults {

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

void ResponsivenessProbe::Run()
{
    do {
        const ULONGLONG nStart = ::GetTickCount64();
        DWORD_PTR nResult = 0;
        const LRESULT bAnswered = ::SendMessageTimeoutW(m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, m_nLimitMs, &nResult);
        const DWORD nElapsed = static_cast<DWORD>(::GetTickCount64() - nStart);
        ++m_nSamples;
        if (!bAnswered)
            ++m_nUnanswered;
        if (nElapsed > m_nWorstMs)
            m_nWorstMs = nElapsed;
    } while (::WaitForSingleObject(m_hStop, m_nPeriodMs) == WAIT_TIMEOUT);   // the sampling period
}

}  // namespace faults
