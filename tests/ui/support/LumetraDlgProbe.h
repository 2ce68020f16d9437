// The main window with its protected members and handlers opened up for tests. It changes no
// behaviour; run it with DialogHost<LumetraDlgProbe> and touch it only inside Invoke().
#pragma once

#include "ui/LumetraDlg.h"

class LumetraDlgProbe : public CLumetraDlg {
public:
    using CLumetraDlg::CLumetraDlg;

    using CLumetraDlg::m_cbStopBits;
    using CLumetraDlg::m_cbDataBits;
    using CLumetraDlg::m_cbParity;
    using CLumetraDlg::m_cbBaud;
    using CLumetraDlg::m_cbPort;
    using CLumetraDlg::m_hIcon;
    using CLumetraDlg::m_Comm;
    using CLumetraDlg::m_strBaud;
    using CLumetraDlg::m_nDataBits;
    using CLumetraDlg::m_nStopBits;
    using CLumetraDlg::m_nParity;
    using CLumetraDlg::m_bPauseDisplay;
    using CLumetraDlg::m_bCyclicSend;
    using CLumetraDlg::m_bClearAfterSend;
    using CLumetraDlg::m_strReceive;
    using CLumetraDlg::m_strSend;
    using CLumetraDlg::m_nInterval;

    using CLumetraDlg::OnCommReceive;
    using CLumetraDlg::OnBnClickedConnect;
    using CLumetraDlg::OnBnClickedSend;
    using CLumetraDlg::OnBnClickedClearReceive;
    using CLumetraDlg::OnBnClickedCyclicSend;
    using CLumetraDlg::OnTimer;
    using CLumetraDlg::ConfigurePort;
    using CLumetraDlg::ScrollReceiveToEnd;
};
