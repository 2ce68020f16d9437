#include "app/LumetraApp.h"

#include <commctrl.h>

#include "ui/LumetraDlg.h"

BEGIN_MESSAGE_MAP(CLumetraApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

// No name: the framework takes it from the module.
CLumetraApp::CLumetraApp()
{
}

CLumetraApp theApp;

BOOL CLumetraApp::InitInstance()
{
    // The manifest asks for common controls 6; their window classes must be registered before the
    // dialog uses them.
    INITCOMMONCONTROLSEX initControls;
    initControls.dwSize = sizeof(initControls);
    initControls.dwICC = ICC_WIN95_CLASSES | ICC_LINK_CLASS;   // SysLink: the ports present
    ::InitCommonControlsEx(&initControls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"应用程序向导生成的本地应用程序");

    {
        CLumetraDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;   // the dialog object ends with this block
    }
    // The dialog has closed (and with it any open port): end the program, no message loop.
    return FALSE;
}
