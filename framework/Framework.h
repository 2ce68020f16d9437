// The framework: a small dialog layer over plain Win32 that keeps the classic API, so dialog code
// in the classic style compiles against it. Unicode only; it throws no exceptions of its own.
// Include this header to get all of it:
//   CString, CCmdTarget + message maps, CWnd, CDialog, CComboBox, CMenu, CDC/CPaintDC,
//   CFileDialog, CDataExchange + DDX_ routines, CWinApp + wWinMain, and FrameworkIds.h (ID_HELP, IDC_STATIC).
#pragma once

#include "framework/CComboBox.h"
#include "framework/CDC.h"
#include "framework/CDialog.h"
#include "framework/CFileDialog.h"
#include "framework/CMenu.h"
#include "framework/CString.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "framework/DataExchange.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageMap.h"
