// Identifiers shared by the framework, application code and resource scripts. Only #defines, so
// resource compilers can include this file as well as C++ sources.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)       // a control the program never addresses
#endif

#ifndef ID_HELP
#define ID_HELP 0xE146        // the standard Help command, routed to CWinApp::OnHelp by application maps
#endif
