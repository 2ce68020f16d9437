// The receive area's own ceiling: a copy of Lumetra's main dialog made in this process from the
// template in Lumetra.exe (so its receive area has the same styles, size and font), whose receive
// area gets the stream appended in the chunks that one receive notification reads, in a tight
// loop (caret to the end, replace the empty selection), with nothing else.
#pragma once

#include <windows.h>

#include <string>

struct DisplayLimitFigures {
    bool bMade;         // the dialog could be made from the template
    double elapsedMs;   // appending the whole stream
    double firstTenthMs;  // appending the first tenth of the chunks (a short text)
    double lastTenthMs;   // appending the last tenth (a long text)
    long nLength;       // the area's length afterwards (the stream's length when all went in)
};

DisplayLimitFigures MeasureDisplayLimit(const std::wstring& lumetraExe, const std::string& stream, DWORD chunkBytes);
