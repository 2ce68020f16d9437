#include "InputLatencyProbe.h"

#include "Stopwatch.h"

namespace {
const DWORD kPollMs = 5;
const DWORD kAnswerMs = 60000;
const double kGraceMs = 5000;   // how long Stop() still waits for a character on its way
}

InputLatencyProbe::InputLatencyProbe(HWND hSendEdit) : m_hEdit(hSendEdit), m_thread([this] { Run(); }) {}

InputLatencyProbe::~InputLatencyProbe()
{
    Stop();
}

void InputLatencyProbe::Stop()
{
    m_bRunning = false;
    if (m_thread.joinable())
        m_thread.join();
}

long InputLatencyProbe::Length() const
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(m_hEdit, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerMs, &length))
        return -1;
    return static_cast<long>(length);
}

void InputLatencyProbe::Run()
{
    while (m_bRunning) {
        const long nBefore = Length();
        const Stopwatch wait;
        ::PostMessageW(m_hEdit, WM_CHAR, L'x', 1);
        ++m_nCharacters;
        m_bPending = true;
        double stoppedAtMs = -1;
        while (m_bPending) {
            if (!m_bRunning) {
                if (stoppedAtMs < 0)
                    stoppedAtMs = wait.ElapsedMs();
                else if (wait.ElapsedMs() - stoppedAtMs > kGraceMs)
                    break;
            }
            ::Sleep(kPollMs);
            m_bPending = Length() <= nBefore;
        }
        const double waitedMs = wait.ElapsedMs();
        if (waitedMs > m_worstMs)
            m_worstMs = waitedMs;
        for (const Stopwatch pause; m_bRunning && pause.ElapsedMs() < kPeriodMs;)
            ::Sleep(kPollMs);
    }
}
