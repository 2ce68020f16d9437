// A visible top-level window holding word-wrapping multi-line edit controls (ids 1..n), laid out
// and styled like a terminal's receive area, so that text can be exchanged with DDX_Text outside a
// dialog. Used by the append tests and the append benchmark.
#pragma once

#include <windows.h>

#include "framework/CWnd.h"

class EditHost {
public:
    explicit EditHost(int nEdits);
    ~EditHost();
    EditHost(const EditHost&) = delete;
    EditHost& operator=(const EditHost&) = delete;

    CWnd& Window() { return m_host; }
    HWND Edit(int nID) const { return ::GetDlgItem(m_host.GetSafeHwnd(), nID); }

private:
    CWnd m_host;
    HFONT m_hFont;
};

// The control's whole text.
CString TextOf(HWND hWnd);
