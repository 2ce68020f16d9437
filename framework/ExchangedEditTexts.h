// What dialog data exchange last wrote to each multi-line edit of one window, so that a later
// exchange need not fetch a long text back from a control that has not changed since. The control
// still shows the text written while its modified flag is clear (typing, pasting and EM_REPLACESEL
// set it; the exchange's own writes clear it), its length is that of the text and nothing has
// replaced its text since: WM_SETTEXT and EM_SETHANDLE clear the flag too, so each remembered
// control is subclassed to watch for them.
// Owned by the window whose controls are exchanged (CWnd); see DDX_Text in DataExchange.h.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "framework/CString.h"

class CExchangedEditTexts {
public:
    CExchangedEditTexts() = default;
    ~CExchangedEditTexts() { Clear(); }
    CExchangedEditTexts(const CExchangedEditTexts&) = delete;
    CExchangedEditTexts& operator=(const CExchangedEditTexts&) = delete;

    // The text last written to the control, while the control still shows it; null otherwise.
    const CString* Unchanged(HWND hWndEdit) const;

    // The control now shows `text` (just written, modified flag cleared).
    void Remember(HWND hWndEdit, const CString& text);
    // The control, which showed the remembered text, has had `tail` appended and shows the whole.
    void Append(HWND hWndEdit, LPCWSTR pszTail);
    void Forget(HWND hWndEdit);
    // Forgets every control and stops being told of their changes.
    void Clear();

private:
    static LRESULT CALLBACK WatchProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    CString* Find(HWND hWndEdit);

    std::vector<std::pair<HWND, CString>> m_texts;   // a window has few multi-line edits
};
