#include "ReceiveMeasurement.h"

#include "InputLatencyProbe.h"
#include "Stopwatch.h"
#include "tests/support/ResponsivenessProbe.h"

namespace {
const DWORD kPollMs = 5;
const DWORD kAnswerMs = 60000;
const DWORD kPingPeriodMs = 50;
}

ReceiveFigures MeasureReceive(const LumetraWindow& window, const std::string& sent, const std::wstring& goFile,
                              DWORD stallMs)
{
    ReceiveFigures figures = {};
    const long nTarget = static_cast<long>(sent.size());
    testsupport::ResponsivenessProbe pinger(window.Dialog(), kPingPeriodMs, kAnswerMs);
    InputLatencyProbe typing(window.Control(LumetraWindow::kSend));

    const Stopwatch clock;
    HANDLE hGo = ::CreateFileW(goFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hGo == INVALID_HANDLE_VALUE)
        return figures;
    ::CloseHandle(hGo);
    figures.bStarted = true;

    double grewAtMs = 0;
    double nineTenthsMs = -1;
    for (;;) {
        ::Sleep(kPollMs);
        const long nLength = window.ReceiveLength(kAnswerMs);
        const double nowMs = clock.ElapsedMs();
        if (nLength > figures.nLength) {
            figures.nLength = nLength;
            grewAtMs = nowMs;
        }
        if (figures.firstTenthMs == 0 && figures.nLength >= nTarget / 10)
            figures.firstTenthMs = nowMs;
        if (nineTenthsMs < 0 && figures.nLength >= nTarget - nTarget / 10)
            nineTenthsMs = nowMs;
        figures.elapsedMs = nowMs;
        if (figures.nLength >= nTarget) {
            figures.bComplete = figures.nLength == nTarget;
            figures.lastTenthMs = nowMs - nineTenthsMs;
            break;
        }
        if (nowMs - grewAtMs > stallMs)
            break;
    }
    pinger.Stop();
    typing.Stop();
    figures.pingWorstMs = pinger.WorstMs();
    figures.pingMeanMs = pinger.MeanMs();
    figures.nPings = pinger.Samples();
    figures.nSlowPings = pinger.Slow();
    figures.typingWorstMs = typing.WorstMs();
    figures.nTyped = typing.Characters();
    figures.bTypingPending = typing.Pending();
    figures.nFirstDifference = FirstDifference(ReceiveText(window), sent);
    return figures;
}

std::wstring ReceiveText(const LumetraWindow& window)
{
    return window.ControlText(LumetraWindow::kReceive, kAnswerMs);
}

long FirstDifference(const std::wstring& shown, const std::string& sent)
{
    const size_t nCommon = shown.size() < sent.size() ? shown.size() : sent.size();
    for (size_t i = 0; i < nCommon; ++i) {
        if (shown[i] != static_cast<wchar_t>(static_cast<unsigned char>(sent[i])))
            return static_cast<long>(i);
    }
    return shown.size() == sent.size() ? -1 : static_cast<long>(nCommon);
}
