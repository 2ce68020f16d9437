// The receive area keeps the most recent text, not all of it: a terminal is left running for
// hours, and both the memory and the edit control's cost per appended chunk grow with the text it
// holds. A function of values, so the cut can be checked on any text without a window.
#pragma once

#include <cstddef>

#include <windows.h>

// The text always keeps at least its most recent kReceiveTextKeep characters (1 MiB, about 16,000
// lines of 64 characters). It is trimmed once it is longer than kReceiveTextBound, back to about
// kReceiveTextKeep. A trim costs the edit control about as much as one appended chunk, and every
// character above the kept length makes each append dearer, so the margin is small (1/8).
constexpr size_t kReceiveTextKeep = 1024 * 1024;
constexpr size_t kReceiveTextBound = kReceiveTextKeep + kReceiveTextKeep / 8;

// How many characters to drop from the front of a text of nLength characters (0 while it is
// within nBound). The cut follows a line break (LF, or a CR not followed by LF) and keeps at least
// the last nKeep characters; a text with no line break in the last half of the stretch it may
// drop is cut there at a character boundary instead (never between the two units of a surrogate
// pair or between CR and LF), so that every trim drops at least half of that stretch.
// Requires 0 < nKeep < nBound.
size_t ReceiveTextTrimLength(LPCWSTR pszText, size_t nLength, size_t nKeep = kReceiveTextKeep,
                             size_t nBound = kReceiveTextBound);
