// One received stream timed from outside the program: starts the feeder through a go file,
// polls the receive area's length until the whole stream is shown (or it stops growing), pings
// the window and types into its send area meanwhile, and compares the shown text with the bytes
// sent.
#pragma once

#include "LumetraWindow.h"

#include <string>

struct ReceiveFigures {
    bool bStarted;           // the go file could be created (otherwise nothing else is set)
    bool bComplete;          // the receive area reached the stream's length
    double elapsedMs;        // from the go file to the whole stream shown (or to giving up)
    double firstTenthMs;     // from the go file to a tenth of the stream shown
    double lastTenthMs;      // from nine tenths shown to all shown
    long nLength;            // the receive area's final length
    long nFirstDifference;   // first character that differs from the bytes sent; -1 when equal
    double pingWorstMs;
    double pingMeanMs;
    int nPings;
    int nSlowPings;
    double typingWorstMs;    // see InputLatencyProbe
    unsigned nTyped;
    bool bTypingPending;
};

// The receive area must be empty when this starts. A stream that has not grown for stallMs
// is taken as ended.
ReceiveFigures MeasureReceive(const LumetraWindow& window, const std::string& sent, const std::wstring& goFile,
                              DWORD stallMs);

// The receive area's whole text, fetched with WM_GETTEXT (empty when it does not answer).
std::wstring ReceiveText(const LumetraWindow& window);

// Index of the first character of `shown` that is not the byte at the same place of `sent`
// (the stream is ASCII, so one byte is one character); -1 when both are equal.
long FirstDifference(const std::wstring& shown, const std::string& sent);
