#pragma once

#include "tests/pty/LinkTraffic.h"
#include "tests/pty/ObservedLink.h"
#include "tests/pty/ProcessCensus.h"

#include <gtest/gtest.h>

namespace ptytest
{
// Close allows each worker 500 ms; three workers plus Wine's scheduling slack stay well inside.
constexpr DWORD kCloseBound = 3000;
// Generous bound for anything that should happen "soon".
constexpr DWORD kPatience = 5000;

// A mode word and the worker loops (ObservedLink bits) that Open must start for it.
struct ModeRow
{
    DWORD mode;
    unsigned loops;
};
void PrintTo(const ModeRow& row, std::ostream* os);
std::string ModeRowName(const testing::TestParamInfo<ModeRow>& info);

// An ObservedLink on the first null-modem pair, notifying a message-only window, with the peer
// end open and emptied of anything an earlier test left.
class PtyLinkTest : public testing::Test
{
protected:
    void SetUp() override;

    // One open, write and close of the pair's COM end (the byte is taken off the peer), so that
    // what Wine creates on first use exists before handles are counted.
    void WarmUpPort();

    // Opens `link` with `mode` and expects exactly `loops` to start, each on one new thread.
    // The thread count before the Open is the baseline for CloseAndExpectNoWorkerLeft.
    void OpenAndExpectWorkers(ObservedLink& target, DWORD mode, unsigned loops);
    // Closes within kCloseBound and expects every loop to have returned by itself and the
    // process to have no more threads than before the Open (helper threads joined first).
    void CloseAndExpectNoWorkerLeft(ObservedLink& target);

    testsupport::NullModem modem{0, L""};
    testsupport::PeerPort peer;
    NotificationRecorder recorder;
    ObservedLink link;
    int threadsBeforeOpen = 0;
};
} // namespace ptytest
