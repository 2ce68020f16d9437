// One received stream timed from outside the program: starts the feeder through a go file,
// polls how much of the stream the receive area has shown until all of it is (or it stops
// growing), pings the window and types into its send area meanwhile, and compares the final text
// with the bytes sent.
#pragma once

#include "LumetraWindow.h"
#include "StreamTail.h"

#include <string>
#include <vector>

// The stream of one run continues what earlier runs into the same program sent: it is devsim's
// pattern from byte `offset` on. Each stream offset names one byte and one character.
struct StreamRun {
    std::string bytes;
    unsigned long long offset;
};

// A file copied at two moments of the run (empty `from`: none), for figures that only the
// system outside Wine has, such as the program's memory.
struct FileSnapshots {
    std::wstring from;
    std::wstring toAtQuarter;   // once a quarter of the stream is shown
    std::wstring toAtEnd;       // once all of it is shown, before the final text is fetched
};

struct ReceiveStretch {
    long long nShown;   // bytes of the stream shown at its end
    double endMs;       // when the probe saw them
};

struct ReceiveFigures {
    static constexpr long long kStretchBytes = 256 * 1024;

    bool bStarted;           // the go file could be created (otherwise nothing else is set)
    bool bComplete;          // the receive area showed the whole stream
    double elapsedMs;        // from the go file to the whole stream shown (or to giving up)
    double firstTenthMs;     // from the go file to a tenth of the stream shown
    double lastTenthMs;      // from nine tenths shown to all shown
    long long nShown;        // bytes of this stream shown, counting those a trim took away since
    std::vector<ReceiveStretch> stretches;   // every kStretchBytes of the stream
    long nTextLength;        // the receive area's final length
    ShownTail tail;          // what its final text holds
    double pingWorstMs;
    double pingMeanMs;
    int nPings;
    int nSlowPings;
    double typingWorstMs;    // see InputLatencyProbe
    unsigned nTyped;
    bool bTypingPending;
};

// How the receive area shows the stream: as text (one character a byte, lines that name their
// offsets), or in hex display (three characters a byte). Progress is read from the receive
// counter in both (see CountedBytes): a line faster than the area can show is taken whole but
// shown with gaps, each marked by a line of its own; the final text is checked after the last.
enum class ShownForm { kText, kHex };

// The receive area must show the pattern up to run.offset (empty for a run from 0) when this
// starts. The area is polled every pollMs: each poll is a message the program answers, a cost
// the peer terminals do not pay, so a paced stream is polled no more often than its latency
// figures need. A stream that has not grown for stallMs is taken as ended.
ReceiveFigures MeasureReceive(const LumetraWindow& window, const StreamRun& run, const std::wstring& goFile,
                              DWORD pollMs, DWORD stallMs, const FileSnapshots& snapshots, ShownForm form);
