// Resource ids of the framework tests' templates and strings.
#pragma once

#define IDD_EXCHANGE   200

#define IDC_LIST       201   // drop-down list
#define IDC_INDEXLIST  202   // drop-down list
#define IDC_EDITCOMBO  203   // drop-down combo box with an edit field
#define IDC_NAME       204   // single-line edit
#define IDC_NUMBER     205   // single-line edit, int
#define IDC_COUNT      206   // single-line edit, UINT
#define IDC_OPTION     207   // automatic check box
#define IDC_NOTE       208   // single-line edit
#define IDC_LOG        209   // multi-line edit, wraps
#define IDC_PRESS      210   // push button
#define IDC_OTHER      211   // push button

#define IDS_GREETING   300
#define IDS_MISSING    301   // not in the string table
