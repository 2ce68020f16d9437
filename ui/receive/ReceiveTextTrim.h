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
// within nBound). The cut follows an LF, the only place where the edit control starts a line:
// cutting anywhere else makes it lay out the whole rest of that line anew, row by row, which on
// a long line takes minutes. It keeps at least the last nKeep characters and is looked for back
// over half the stretch it may drop, so every trim drops at least that half. With no LF there
// (text typed or pasted as one long line; received text gets line breaks, see
// ReceiveLongRuns.h) nothing is dropped until one comes within reach.
// Requires 0 < nKeep < nBound.
size_t ReceiveTextTrimLength(LPCWSTR pszText, size_t nLength, size_t nKeep = kReceiveTextKeep,
                             size_t nBound = kReceiveTextBound);
