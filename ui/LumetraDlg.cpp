// CLumetraDlg: construction, data exchange, initialisation of the window and its lists, the
// minimised window's painting, the About command and the message map. The connect, receive and
// send handlers live in LumetraDlgConnect.cpp, LumetraDlgReceive.cpp and LumetraDlgSend.cpp.
#include "ui/LumetraDlg.h"

#include <initializer_list>

#include <commctrl.h>

#include "app/AboutDlg.h"
#include "ui/receive/ReceiveWordBreak.h"
#include "ui/signals/FlowControl.h"

// The About command shares the system menu with the system's own commands: its low four bits
// must be clear (the system uses them as flags) and it must stay below SC_SIZE (0xF000).
static_assert((IDM_ABOUTBOX & 0xFFF0) == IDM_ABOUTBOX && IDM_ABOUTBOX < 0xF000,
              "the About command must be a valid system-menu command");

namespace {

// Most received bytes the port object holds for this window: 3.5 s of a 3 Mbaud line.
const DWORD kReceiveStageBound = 1024 * 1024;

// Fills a list at explicit positions, so the list keeps this order even with CBS_SORT, and
// selects one entry.
void FillList(CComboBox& list, std::initializer_list<LPCWSTR> items, int nSelect)
{
    int nIndex = 0;
    for (LPCWSTR pszItem : items)
        list.InsertString(nIndex++, pszItem);
    list.SetCurSel(nSelect);
}

}  // namespace

BEGIN_MESSAGE_MAP(CLumetraDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(CSerialLink::CNM_RECEIVE, &CLumetraDlg::OnCommReceive)
    ON_BN_CLICKED(IDC_CONNECT, &CLumetraDlg::OnBnClickedConnect)
    ON_BN_CLICKED(IDC_SEND, &CLumetraDlg::OnBnClickedSend)
    ON_BN_CLICKED(IDC_CLEAR_RECEIVE, &CLumetraDlg::OnBnClickedClearReceive)
    ON_BN_CLICKED(IDC_CYCLIC_SEND, &CLumetraDlg::OnBnClickedCyclicSend)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_HEX_DISPLAY, &CLumetraDlg::OnBnClickedHexDisplay)
    ON_BN_CLICKED(IDC_TIMESTAMPS, &CLumetraDlg::OnBnClickedTimestamps)
    ON_BN_CLICKED(IDC_LOG_TO_FILE, &CLumetraDlg::OnBnClickedLogToFile)
    ON_BN_CLICKED(IDC_CLEAR_COUNTS, &CLumetraDlg::OnBnClickedClearCounts)
    ON_BN_CLICKED(IDC_DTR, &CLumetraDlg::OnBnClickedDtr)
    ON_BN_CLICKED(IDC_RTS, &CLumetraDlg::OnBnClickedRts)
    ON_MESSAGE(CSerialLink::CNM_CTS, &CLumetraDlg::OnCommCts)
    ON_MESSAGE(CSerialLink::CNM_DSR, &CLumetraDlg::OnCommDsr)
    ON_MESSAGE(CSerialLink::CNM_RING, &CLumetraDlg::OnCommRing)
    ON_MESSAGE(CSerialLink::CNM_RLSD, &CLumetraDlg::OnCommRlsd)
    ON_MESSAGE(CSerialLink::CNM_ERROR, &CLumetraDlg::OnCommError)
    ON_BN_CLICKED(IDC_SEND_FILE, &CLumetraDlg::OnBnClickedSendFile)
    ON_BN_CLICKED(IDC_SAVE_RECEIVE, &CLumetraDlg::OnBnClickedSaveReceive)
    ON_CBN_DROPDOWN(IDC_PORT_LIST, &CLumetraDlg::OnCbnDropdownPort)
    ON_WM_DEVICECHANGE()
    ON_NOTIFY(NM_CLICK, IDC_PRESENT_PORTS, &CLumetraDlg::OnNMClickPresentPorts)
    ON_NOTIFY(NM_RETURN, IDC_PRESENT_PORTS, &CLumetraDlg::OnNMClickPresentPorts)
END_MESSAGE_MAP()

CLumetraDlg::CLumetraDlg(CWnd* pParent, LogFileApi& logFiles, ISerialPortApi& ports)
    : CDialog(static_cast<UINT>(IDD), pParent),
      m_hIcon(nullptr),
      m_Comm(ports),
      m_nDataBits(0),
      m_nStopBits(0),
      m_nParity(0),
      m_bPauseDisplay(FALSE),
      m_bCyclicSend(FALSE),
      m_bClearAfterSend(FALSE),
      m_nInterval(1000),
      m_bHexDisplay(FALSE),
      m_bTimestamps(FALSE),
      m_nPacketGap(CReceiveFormatter::kDefaultPacketGap),
      m_bHexSend(FALSE),
      m_bSendNewLine(FALSE),
      m_bLogToFile(FALSE),
      m_nCheck(0),
      m_bShowSent(FALSE),
      m_sessionLog(logFiles)
{
    m_hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

// The members go in reverse order of declaration: the session log (closed, its file complete),
// the strings, then the port object (which closes an open port and stops its workers), then the
// list wrappers.
CLumetraDlg::~CLumetraDlg() = default;

void CLumetraDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STOPBITS_LIST, m_cbStopBits);
    DDX_Control(pDX, IDC_DATABITS_LIST, m_cbDataBits);
    DDX_Control(pDX, IDC_PARITY_LIST, m_cbParity);
    DDX_Control(pDX, IDC_BAUD_LIST, m_cbBaud);
    DDX_Control(pDX, IDC_PORT_LIST, m_cbPort);
    DDX_CBString(pDX, IDC_BAUD_LIST, m_strBaud);
    DDX_CBIndex(pDX, IDC_DATABITS_LIST, m_nDataBits);
    DDX_CBIndex(pDX, IDC_STOPBITS_LIST, m_nStopBits);
    DDX_CBIndex(pDX, IDC_PARITY_LIST, m_nParity);
    DDX_Check(pDX, IDC_PAUSE_DISPLAY, m_bPauseDisplay);
    DDX_Text(pDX, IDC_RECEIVE_EDIT, m_strReceive);
    DDX_Text(pDX, IDC_SEND_EDIT, m_strSend);
    DDX_Check(pDX, IDC_CLEAR_AFTER_SEND, m_bClearAfterSend);
    DDX_Text(pDX, IDC_INTERVAL_EDIT, m_nInterval);
    DDX_Check(pDX, IDC_CYCLIC_SEND, m_bCyclicSend);
    // The options group: the check boxes first, so a refused packet gap leaves them read.
    DDX_Check(pDX, IDC_HEX_DISPLAY, m_bHexDisplay);
    DDX_Check(pDX, IDC_TIMESTAMPS, m_bTimestamps);
    DDX_Check(pDX, IDC_HEX_SEND, m_bHexSend);
    DDX_Check(pDX, IDC_SEND_NEW_LINE, m_bSendNewLine);
    DDX_Check(pDX, IDC_LOG_TO_FILE, m_bLogToFile);
    DDX_Control(pDX, IDC_CHECK_LIST, m_cbCheck);
    DDX_CBIndex(pDX, IDC_CHECK_LIST, m_nCheck);
    DDX_Check(pDX, IDC_SHOW_SENT, m_bShowSent);
    DDX_Text(pDX, IDC_PACKET_GAP_EDIT, m_nPacketGap);
    DDX_Control(pDX, IDC_FLOW_CONTROL, m_cbFlowControl);
}

// Every exchange from the controls goes through here. A bad interval entry stops it with a
// validation message, whose message loop keeps dispatching this window's receive notifications
// and cyclic-send ticks; while the flag is set they return at once, so their own exchanges cannot
// stack a second message on the first.
BOOL CLumetraDlg::ReadControls()
{
    const bool bWasReading = m_bReadingControls;
    m_bReadingControls = true;
    const BOOL bRead = UpdateData(TRUE);
    ApplyReceiveOptions();
    m_bReadingControls = bWasReading;
    m_bControlsRefused = !bRead;
    return bRead;
}

void CLumetraDlg::ReportError(LPCWSTR pszMessage)
{
    MessageBox(pszMessage, L"错误", MB_OK);
}

// Enter: the dialog ends only after a successful exchange, guarded like the handlers' ones.
void CLumetraDlg::OnOK()
{
    if (ReadControls())
        EndDialog(IDOK);
}

BOOL CLumetraDlg::OnInitDialog()
{
    // Writes the members to the controls and binds the list wrappers.
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // Inserted by position: text sorting would put "COM10" before "COM2".
    CString strPort;
    for (int i = 0; i < PORT_COUNT; ++i) {
        strPort.Format(L"COM%d", i + 1);
        m_cbPort.InsertString(i, strPort);
    }
    m_cbPort.SetCurSel(0);

    // The terminal's rates, then the fast ones of today's USB adapters; any other can be typed.
    FillList(m_cbBaud, { L"110", L"300", L"600", L"1200", L"2400", L"4800", L"9600", L"14400",
                         L"19200", L"38400", L"56000", L"57600", L"115200", L"128000", L"230400",
                         L"256000", L"460800", L"500000", L"921600", L"1000000", L"1500000",
                         L"2000000", L"3000000" }, 6);
    FillList(m_cbParity, { L"NONE", L"ODD", L"EVEN", L"MARK", L"SPACE" }, 0);
    FillList(m_cbDataBits, { L"5位", L"6位", L"7位", L"8位" }, 3);
    FillList(m_cbStopBits, { L"1位", L"2位" }, 0);
    FillList(m_cbFlowControl, { L"不变", L"无", L"RTS/CTS", L"XON/XOFF" }, kFlowUnchanged);
    ShowOutputLine(m_dtrLine, IDC_DTR);
    ShowOutputLine(m_rtsLine, IDC_RTS);
    FillList(m_cbCheck, { L"无", L"Modbus CRC16", L"CRC16 CCITT", L"累加和", L"异或" }, 0);
    ShowPresentPorts();
    // The members start as the lists show. Otherwise a handler that writes the members back
    // before any exchange has read them ("清空接受区" clicked first) would select "5位" (data-bits
    // index 0), and the next connect would use five data bits.
    ReadControls();

    GetDlgItem(IDC_RECEIVE_EDIT)->SendMessage(EM_SETWORDBREAKPROC, 0,
                                              reinterpret_cast<LPARAM>(&ReceiveWordBreakProc));
    m_Comm.SetNotifyWindow(m_hWnd);
    // The monitor stages received bytes with their arrival time as they come, so reading never
    // waits for this thread; the bound keeps a window that stops reading from growing the stage.
    m_Comm.SetMode(CSerialLink::MODE_DEFAULT | CSerialLink::MODE_RX_BUFFER | CSerialLink::MODE_HIGH_PRIORITY);
    m_Comm.SetReceiveBound(kReceiveStageBound);

    return TRUE;   // the system focuses the first tab stop, the port list
}

void CLumetraDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

// A minimised dialog draws its icon itself, centred in the client area; otherwise the system paints.
void CLumetraDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

// The image the system shows while the minimised window is dragged.
HCURSOR CLumetraDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
