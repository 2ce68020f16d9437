#include "app/AboutDlg.h"

CAboutDlg::CAboutDlg() : CDialog(static_cast<UINT>(IDD))
{
}

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()
