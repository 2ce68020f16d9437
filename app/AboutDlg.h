// CAboutDlg: the About box (template IDD_ABOUTBOX): the icon, the product name and version, and an
// OK button that closes it. It holds no data.
#pragma once

#include "framework/Framework.h"
#include "resources/resource.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    enum { IDD = IDD_ABOUTBOX };

protected:
    DECLARE_MESSAGE_MAP()
};
