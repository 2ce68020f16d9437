#include "ReceiveMeasurement.h"

#include "CountedBytes.h"
#include "FileBytes.h"
#include "InputLatencyProbe.h"
#include "Stopwatch.h"
#include "StreamTail.h"
#include "tests/support/ResponsivenessProbe.h"

#include <algorithm>
#include <memory>

namespace {
const DWORD kAnswerMs = 60000;
const DWORD kPingPeriodMs = 50;

// The text after the last line that says what the window left out (a line faster than the area
// can show), from the next line start in text; the whole text when there is none.
std::wstring TextAfterLastGap(const std::wstring& text, ShownForm form)
{
    const size_t nGap = text.rfind(L"[显示跟不上");
    if (nGap == std::wstring::npos)
        return text;
    size_t nStart = text.find(L"\r\n", nGap);
    nStart = nStart == std::wstring::npos ? text.size() : nStart + 2;
    unsigned long long nOffset = 0;
    if (form == ShownForm::kText && !LineStartOffset(text.substr(nStart, kLineStartChars), nOffset)) {
        const size_t nLineFeed = text.find(L'\n', nStart);
        nStart = nLineFeed == std::wstring::npos ? text.size() : nLineFeed + 1;
    }
    return text.substr(nStart);
}

void CopySnapshot(const std::wstring& from, const std::wstring& to)
{
    std::string bytes;
    if (!from.empty() && ReadFileBytes(from, bytes))
        WriteFileBytes(to, bytes);
}
}

ReceiveFigures MeasureReceive(const LumetraWindow& window, const StreamRun& run, const std::wstring& goFile,
                              DWORD pollMs, DWORD stallMs, const FileSnapshots& snapshots, ShownForm form)
{
    ReceiveFigures figures = {};
    const long long nTarget = static_cast<long long>(run.bytes.size());
    CountedBytes counted(window, run.offset);
    auto poll = [&] { return counted.Poll(); };
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
    bool bQuarterCopied = false;
    for (;;) {
        ::Sleep(pollMs);
        const long long nShown = static_cast<long long>(poll() - run.offset);
        const double nowMs = clock.ElapsedMs();
        if (nShown > figures.nShown) {
            figures.nShown = nShown;
            grewAtMs = nowMs;
        }
        const long long nStretchEnd = (std::min)(
            static_cast<long long>(figures.stretches.size() + 1) * ReceiveFigures::kStretchBytes, nTarget);
        if (figures.nShown >= nStretchEnd)
            figures.stretches.push_back({figures.nShown, nowMs});
        if (!bQuarterCopied && figures.nShown >= nTarget / 4) {
            CopySnapshot(snapshots.from, snapshots.toAtQuarter);
            bQuarterCopied = true;
        }
        if (figures.firstTenthMs == 0 && figures.nShown >= nTarget / 10)
            figures.firstTenthMs = nowMs;
        if (nineTenthsMs < 0 && figures.nShown >= nTarget - nTarget / 10)
            nineTenthsMs = nowMs;
        figures.elapsedMs = nowMs;
        if (figures.nShown >= nTarget) {
            figures.bComplete = figures.nShown == nTarget;
            figures.lastTenthMs = nowMs - nineTenthsMs;
            CopySnapshot(snapshots.from, snapshots.toAtEnd);
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
    const std::wstring text = window.ControlText(LumetraWindow::kReceive, kAnswerMs);
    figures.nTextLength = static_cast<long>(text.size());
    const std::wstring kept = TextAfterLastGap(text, form);
    figures.tail = form == ShownForm::kText ? CompareShownTail(kept, run.bytes, run.offset)
                                            : CompareShownHexTail(kept, run.bytes, run.offset);
    return figures;
}
