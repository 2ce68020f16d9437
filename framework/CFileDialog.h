// CFileDialog: the system's open or save dialog (GetOpenFileNameW / GetSaveFileNameW), modal to a
// window. The filter is given in the classic form "Text (*.txt)|*.txt|All (*.*)|*.*||".
//
//     CFileDialog dlg(FALSE, L"log", L"session.log", OFN_OVERWRITEPROMPT, L"Logs (*.log)|*.log||", this);
//     if (dlg.DoModal() == IDOK) use(dlg.GetPathName());
//
// m_ofn may be adjusted before DoModal. Paths up to MAX_PATH characters.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "framework/CString.h"
#include "framework/CWnd.h"

class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK with a file chosen, IDCANCEL when the user cancelled or the dialog failed.
    INT_PTR DoModal();
    CString GetPathName() const { return CString(m_szFile); }

    OPENFILENAMEW m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    std::wstring m_filter;            // '|' turned into the terminators the system expects
    wchar_t m_szFile[MAX_PATH] = L"";
};
