// CWinApp: the application object. A program defines exactly one, as a global of a class derived
// from CWinApp; its constructor registers it, so AfxGetApp() finds it from then on.
//
// The framework supplies wWinMain (link the program with -municode / as a Unicode Windows
// program): it records the instance, command line and show state, calls InitInstance(), and
// - when that returns FALSE, ends the program with ExitInstance()'s result;
// - otherwise ends it with Run()'s result: Run() pumps messages until WM_QUIT, then returns
//   ExitInstance(), whose default is the WM_QUIT exit code.
// A dialog-based program runs its main dialog modally inside InitInstance() and returns FALSE.
//
// Without a name given to the constructor, m_pszAppName is the module's file name without folder
// and extension; it is the caption of framework message boxes. SetRegistryKey() only records the
// key (m_pszRegistryKey); the framework reads and writes no profile. OnHelp() is a command handler
// that application maps can route ID_HELP to; the framework has no help file, so it does nothing.
#pragma once

#include <windows.h>

#include "framework/CString.h"
#include "framework/CWnd.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageMap.h"

class COccManager;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();   // TRUE
    virtual int Run();             // message loop until WM_QUIT, then ExitInstance()
    virtual int ExitInstance();    // the program's exit code: WM_QUIT's, or 0 before any

    void SetRegistryKey(LPCTSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);   // key text from the string table

    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCTSTR lpszResourceName) const;

    afx_msg void OnHelp();

    LPCTSTR m_pszAppName = nullptr;
    LPCTSTR m_pszRegistryKey = nullptr;   // null until SetRegistryKey
    LPCTSTR m_pszProfileName = nullptr;   // the application's name once a registry key is set
    HINSTANCE m_hInstance;
    LPTSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;

private:
    int m_nQuitCode = 0;
    CString m_strAppName;
    CString m_strRegistryKey;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();                 // the application's m_pMainWnd; null without an application
HINSTANCE AfxGetInstanceHandle();      // the application's instance, or the program module
HINSTANCE AfxGetResourceHandle();      // where templates, strings and icons are loaded from
LPCTSTR AfxGetAppName();               // the application's name, or the module's name without one
void AfxEnableControlContainer(COccManager* pOccManager = nullptr);   // no ActiveX hosting: does nothing

// The framework's entry point; called by the C run-time of a Unicode Windows program.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
