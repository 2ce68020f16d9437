// Received text that never sends a line feed (readings separated by blanks, lines ended by CR
// alone, a stream of digits) would make the receive area one endless line. The edit control
// starts a line only after an LF, and both the trim (ReceiveTextTrim.h), which needs a line start
// within reach, and the cost of that trim, which grows with the line it cuts before, depend on
// lines of a bounded length. So the area shows a line break where received text would make a run
// without LF longer than kReceiveLongestRun. Only what is shown changes, not the bytes read.
// A function of values, so the breaks can be checked on any text without a window.
#pragma once

#include <cstddef>
#include <string>

#include <windows.h>

// Longer than a device's ordinary lines of text; short enough that Wine's edit control, which lays
// out the rest of a wrapping line again for every row it makes, places such a run within
// milliseconds, and that a trim cutting before one stays within tens of milliseconds.
constexpr size_t kReceiveLongestRun = 512;

// Where a break may go in a run that has reached the limit.
enum class RunBreak {
    // Before the character that would make the run too long (text: any character is a unit).
    BeforeCharacter,
    // After the last blank of the run within the appended text, so that hex text ("41 42 ") never
    // has a byte's two digits on two rows; before the character only when the appended part of
    // the run has no blank.
    AfterBlank,
};

// The text to append to a receive area that shows pszShown (nShown characters), with CR LF
// inserted so that no run without LF is longer than nLongest. The run the area already ends
// with counts, typed text included. No break goes inside a surrogate pair or, within the text,
// between CR and LF (a run ending in such a pair may be one unit longer); a character of a
// double-byte code page is one unit once decoded, so it is never split.
std::wstring BreakReceiveLongRuns(LPCWSTR pszShown, size_t nShown, const std::wstring& text,
                                  RunBreak rule = RunBreak::BeforeCharacter,
                                  size_t nLongest = kReceiveLongestRun);
