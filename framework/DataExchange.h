// Dialog data exchange between a window's members and its controls. A window's DoDataExchange()
// calls DDX_ routines in order; UpdateData(TRUE) runs it to read the controls into the members
// (m_bSaveAndValidate TRUE), UpdateData(FALSE) to write the members to the controls.
//
// Validation failure, without exceptions: when a control's text cannot be taken (an integer that
// does not parse, e.g. an emptied box), the DDX_ routine shows the standard message
// ("请输入一个整数。" / "请输入一个正整数。") in a message box owned by the window, with the
// application's name as caption, then calls Fail(): the focus returns to that control, with all of
// its text selected when it is an edit, and the exchange is marked failed. From then on
// PrepareCtrl()/PrepareEditCtrl() return null and every DDX_ routine returns at once, so the
// exchange stops at the failing control: that member and all later ones keep their values, and
// UpdateData() returns FALSE. Code of one's own between DDX_ calls should test HasFailed().
// A control id the window does not have is skipped (the member is left alone).
//
// The routines:
// - DDX_Control: binds a CWnd member (e.g. a CComboBox) to the control; rebinds on every exchange,
//   so the member always refers to the current window's control. Never fails.
// - DDX_Text (CString): the control's window text. Writing skips a control that already shows the
//   value. For a multi-line edit whose current text is a prefix of the value, only the rest is
//   appended (caret to the end, EM_SETSEL + EM_REPLACESEL, the edit's text limit raised when the
//   result would exceed it), which avoids re-laying out the whole text; the text that results is
//   the same as after a full rewrite. Any other change is a full WM_SETTEXT, which (edit control
//   behaviour) puts the caret at the start and scrolls to the top. Both clear the modified flag.
//   A multi-line edit's text can be long (a log, a terminal's receive area), so the window
//   remembers what its exchanges last wrote to each one (CExchangedEditTexts): while the control's
//   modified flag is still clear, its length unchanged and its text not replaced (WM_SETTEXT,
//   EM_SETHANDLE: the control is subclassed to see them), reading and writing take the text from
//   there instead of fetching it from the control. Typing, pasting and EM_REPLACESEL set the flag,
//   so the next exchange reads such changes in full.
// - DDX_Text (int / UINT): decimal text with optional surrounding blanks and, for int, a sign;
//   a value outside the type's range is rejected like any other bad entry. Writing gives the plain decimal form.
// - DDX_CBIndex: the combo box's selected index (-1: none); writing selects that index. Writing
//   leaves a drop-down list (CBS_DROPDOWNLIST) that already has it selected alone, as DDX_CBString
//   and DDX_Check do with a selection or state already shown: rewriting them only repaints them.
// - DDX_CBString: reading gives the selected entry's text, or the box's own text when nothing is
//   selected (empty for a drop-down list); writing selects the entry whose whole text equals the
//   value (case-insensitive, CB_FINDSTRINGEXACT). With no such entry the selection is left as it
//   is and the value becomes the edit text (which a drop-down list ignores). Whole-text rather than
//   prefix matching, so an empty value never selects the first entry.
// - DDX_Check: a check box's state (0 clear, 1 checked, 2 indeterminate); writing any other value
//   checks the box.
#pragma once

#include <windows.h>

#include "framework/CString.h"
#include "framework/CWnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;   // TRUE: controls -> members
    CWnd* m_pDlgWnd;           // the window whose controls are exchanged
    int m_idLastControl = 0;   // the control being exchanged, for Fail()
    BOOL m_bEditLastControl = FALSE;

    // Returns the control's window and records it as the one being exchanged; null once the
    // exchange has failed or when there is no such control.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);

    // Marks the exchange failed and, when reading, returns the focus to the last prepared control
    // (selecting all of an edit's text). Shows no message: the caller has done that.
    void Fail();
    BOOL HasFailed() const { return m_bFailed; }

    // What the window's exchanges last wrote to its multi-line edits.
    CExchangedEditTexts& EditTexts() { return m_pDlgWnd->m_exchangedEditTexts; }

private:
    BOOL m_bFailed = FALSE;
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
