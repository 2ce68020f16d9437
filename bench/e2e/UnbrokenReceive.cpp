#include "UnbrokenReceive.h"

#include "FileBytes.h"
#include "LumetraWindow.h"
#include "Stopwatch.h"
#include "tests/support/ResponsivenessProbe.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

const DWORD kWindowWaitMs = 60000;
const DWORD kPollMs = 5;
const DWORD kPingPeriodMs = 50;
// A window that froze still lets the probe end: an answer not given within this counts as none.
const DWORD kAnswerMs = 5000;
const double kSettleMs = 3000;
const DWORD kTextWaitMs = 10000;

bool FileExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int WatchReceive(int argc, wchar_t** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: lumetra-probe watch-receive <go file> <done file> <text file>\n");
        return 2;
    }
    const std::wstring goFile = argv[2];
    const std::wstring doneFile = argv[3];
    const std::wstring textFile = argv[4];
    const HWND hDlg = LumetraWindow::Find(kWindowWaitMs);
    if (hDlg == nullptr) {
        std::fprintf(stderr, "lumetra-probe: no Lumetra main window\n");
        return 1;
    }
    const LumetraWindow window(hDlg);
    long nLength = window.ReceiveLength(kAnswerMs);
    testsupport::ResponsivenessProbe pinger(hDlg, kPingPeriodMs, kAnswerMs);

    const Stopwatch clock;
    if (!WriteFileBytes(goFile, std::string())) {
        std::fprintf(stderr, "lumetra-probe: cannot create the go file\n");
        return 1;
    }
    double changedAtMs = 0;
    double longestStillMs = 0;
    double pollWorstMs = 0;
    double trimPollWorstMs = 0;
    int nTrims = 0;
    double doneAtMs = -1;
    for (;;) {
        ::Sleep(kPollMs);
        const double askedAtMs = clock.ElapsedMs();
        const long nNow = window.ReceiveLength(kAnswerMs);
        const double nowMs = clock.ElapsedMs();
        pollWorstMs = (std::max)(pollWorstMs, nowMs - askedAtMs);
        if (nNow >= 0 && nNow != nLength) {
            // A trim drops far more than one refresh appends, so any drop is one.
            if (nNow < nLength) {
                ++nTrims;
                trimPollWorstMs = (std::max)(trimPollWorstMs, nowMs - askedAtMs);
            }
            longestStillMs = (std::max)(longestStillMs, nowMs - changedAtMs);
            changedAtMs = nowMs;
            nLength = nNow;
        }
        if (doneAtMs < 0 && FileExists(doneFile))
            doneAtMs = nowMs;
        if (doneAtMs >= 0 && nowMs - changedAtMs >= kSettleMs && nowMs - doneAtMs >= kSettleMs)
            break;
    }
    // A feeder stopped while the window stood still: that stillness lasted until then at least.
    longestStillMs = (std::max)(longestStillMs, doneAtMs - changedAtMs);
    pinger.Stop();

    // The stream is over: no reads complete on the window's thread while it answers this.
    const std::wstring text = window.ControlText(LumetraWindow::kReceive, kTextWaitMs);
    // "接收：N": its digits.
    std::string counted;
    for (wchar_t ch : window.ControlText(LumetraWindow::kReceiveCount, kTextWaitMs))
        if (ch >= L'0' && ch <= L'9')
            counted += static_cast<char>(ch);
    const bool bFetched = !text.empty() || nLength == 0;
    if (bFetched)
        WriteFileBytes(textFile, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    std::printf("shown_ms=%.0f\nlongest_still_ms=%.0f\npoll_worst_ms=%.0f\ntrims=%d\ntrim_poll_worst_ms=%.0f\n"
                "ping_worst_ms=%.0f\nping_mean_ms=%.1f\npings=%d\npings_unanswered=%d\npings_over_100ms=%d\n"
                "final_length=%ld\ntext_fetched=%d\nreceive_count=%s\n",
                changedAtMs, longestStillMs, pollWorstMs, nTrims, trimPollWorstMs, pinger.WorstMs(), pinger.MeanMs(),
                pinger.Samples(), pinger.Unanswered(), pinger.Slow(), nLength, bFetched ? 1 : 0,
                counted.empty() ? "?" : counted.c_str());
    return 0;
}
