// The receive area's word-break procedure: lines wrap at blanks only. Under Wine the edit
// control's own procedure analyses the whole text for break opportunities after every change, so
// each appended chunk costs more the longer the text is; this one looks only at the characters
// around the position it is asked about. Text without blanks (Chinese, long runs of symbols) wraps
// at the last character that fits, as the edit control does when no break is found; finding that
// character costs Wine's edit control a second layout of the rest of the line for every row, so
// control characters, which binary data shown as text holds every few characters, count as
// blanks too.
#pragma once

#include <windows.h>

// An EDITWORDBREAKPROCW for EM_SETWORDBREAKPROC. Blanks: space and the control characters
// U+0000 to U+001F (tab, CR and LF among them).
// WB_ISDELIMITER: whether pszText[nCurrent] is a blank. WB_LEFT: the start of the word that
// begins left of nCurrent (0 when there is none). WB_RIGHT: the start of the next word right of
// nCurrent (nLength when there is none).
int CALLBACK ReceiveWordBreakProc(LPWSTR pszText, int nCurrent, int nLength, int nAction);
