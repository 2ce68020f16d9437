// CLumetraApp: the application object. The program is its main dialog: InitInstance runs it
// modally and returns FALSE, so the program ends when the dialog closes.
#pragma once

#include "framework/Framework.h"

class CLumetraApp : public CWinApp {
public:
    CLumetraApp();

    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};

extern CLumetraApp theApp;
