// Resource ids of Lumetra.exe, shared by Lumetra.rc and the C++ sources.
// Plain #defines only, so that the resource compiler can read this file too.
#ifndef LUMETRA_RESOURCES_RESOURCE_H
#define LUMETRA_RESOURCES_RESOURCE_H

// Dialog templates, strings and the application icon.
#define IDD_ABOUTBOX            100
#define IDS_ABOUTBOX            101
#define IDD_LUMETRA_DIALOG      102
#define IDR_MAINFRAME           128

// System-menu command that opens the About box; the system reserves commands
// from 0xF000 upwards, and the low four bits of system commands are flags.
#define IDM_ABOUTBOX            0x0010

// Controls of the main dialog.
#define IDC_PORT_LIST           1001
#define IDC_BAUD_LIST           1003
#define IDC_STOPBITS_LIST       1004
#define IDC_PARITY_LIST         1005
#define IDC_DATABITS_LIST       1006
#define IDC_CONNECT             1007
#define IDC_PAUSE_DISPLAY       1010
#define IDC_RECEIVE_EDIT        1012
#define IDC_CLEAR_AFTER_SEND    1014
#define IDC_CYCLIC_SEND         1016
#define IDC_INTERVAL_EDIT       1017
#define IDC_SEND_EDIT           1018
#define IDC_SEND                1019
#define IDC_CLEAR_RECEIVE       1022
// The group of options beyond the original window, in their tab order.
#define IDC_HEX_DISPLAY         1023
#define IDC_TIMESTAMPS          1024
#define IDC_PACKET_GAP_EDIT     1025
#define IDC_HEX_SEND            1026
#define IDC_SEND_NEW_LINE       1027
#define IDC_LOG_TO_FILE         1028
#define IDC_RECEIVE_COUNT       1029
#define IDC_SEND_COUNT          1030
#define IDC_CLEAR_COUNTS        1031
// The group of the line's own signals, in their tab order.
#define IDC_DTR                 1100
#define IDC_RTS                 1101
#define IDC_FLOW_CONTROL        1102
#define IDC_CTS_STATE           1103
#define IDC_DSR_STATE           1104
#define IDC_RI_STATE            1105
#define IDC_DCD_STATE           1106
#define IDC_FRAME_ERRORS        1107
#define IDC_PARITY_ERRORS       1108
#define IDC_OVERRUN_ERRORS      1109
// The sending side's options, in the same group, in their tab order.
#define IDC_CHECK_LIST          1300
#define IDC_SHOW_SENT           1301
#define IDC_SEND_FILE           1302
#define IDC_SAVE_RECEIVE        1303
#define IDC_SEND_FILE_PROGRESS  1304
// The line of ports present, below everything else.
#define IDC_PRESENT_PORTS       1200

#endif
