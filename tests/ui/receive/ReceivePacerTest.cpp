// When read text is shown: at once after a quiet spell, else by the next refresh, one interval
// after the last, so never later than one interval after it was read.
#include <gtest/gtest.h>

#include "ui/receive/ReceivePacer.h"

namespace {

struct Step {
    const char* what;
    DWORD nNow;
    bool bRefresh;    // the held text is shown at nNow; otherwise text is read at nNow
    DWORD nWaitMs;    // for a read: TextRead's result (0: shown at once)
};

TEST(ReceivePacerTest, TextIsShownAtOnceAfterAQuietSpellAndOncePerIntervalOnABusyLine)
{
    const Step steps[] = {
        { "first text: at once", 1000, false, 0 },
        { "10 ms later: held until an interval after the last refresh", 1010, false, 190 },
        { "more while held: the same refresh", 1100, false, 100 },
        { "the refresh", 1200, true, 0 },
        { "the line stays busy: held", 1210, false, 190 },
        { "the refresh", 1400, true, 0 },
        { "a quiet spell of exactly the interval: held", 1410, false, 190 },
        { "the refresh", 1600, true, 0 },
        { "quiet for longer than the interval: at once, though the refresh was 11 ms ago", 1601 + 10, false, 0 },
        { "just before the tick count wraps: quiet, at once", 0xFFFFFFFBu, false, 0 },
        { "10 ms later, across the wrap: held", 0x00000005u, false, 190 },
        { "a refresh that came late", 0x00000100u, true, 0 },
    };
    CReceivePacer pacer(200);
    for (const Step& step : steps) {
        if (step.bRefresh) {
            pacer.Shown(step.nNow);
            EXPECT_FALSE(pacer.IsHolding()) << step.what;
            continue;
        }
        const DWORD nWaitMs = pacer.TextRead(step.nNow);
        EXPECT_EQ(step.nWaitMs, nWaitMs) << step.what;
        EXPECT_EQ(nWaitMs != 0, pacer.IsHolding()) << step.what;
        if (nWaitMs == 0)
            pacer.Shown(step.nNow);
    }
}

// A line faster than a terminal's is shown once a refresh's worth of bytes is held, whatever the
// interval, though not sooner than 50 ms after the last refresh; a refresh or a drop starts the
// count again.
TEST(ReceivePacerTest, AsManyBytesAsOneRefreshShowsAreShownAtOnce)
{
    CReceivePacer pacer(200);
    EXPECT_EQ(0u, pacer.TextRead(1000));
    pacer.Shown(1000);
    pacer.BytesHeld(CReceivePacer::kMostHeldBytes - 1);
    EXPECT_FALSE(pacer.IsFull());
    EXPECT_EQ(190u, pacer.TextRead(1010));
    pacer.BytesHeld(1);
    EXPECT_TRUE(pacer.IsFull());
    EXPECT_EQ(30u, pacer.TextRead(1020)) << "full: shown once the last refresh is 50 ms old";
    EXPECT_EQ(0u, pacer.TextRead(1050));
    pacer.Shown(1050);
    pacer.BytesHeld(CReceivePacer::kMostHeldBytes);
    EXPECT_EQ(0u, pacer.TextRead(1100)) << "full, 50 ms after the last refresh: at once";
    pacer.Shown(1100);
    EXPECT_FALSE(pacer.IsFull());
    pacer.BytesHeld(CReceivePacer::kMostHeldBytes);
    pacer.Dropped();
    EXPECT_FALSE(pacer.IsFull());
    EXPECT_EQ(190u, pacer.TextRead(1110)) << "a drop leaves the last refresh where it was";
}

}  // namespace
