// The send text as the bytes that go out on the port: the text converted to a code page, nothing
// added. A function of values, so the conversion can be checked with any code page.
#pragma once

#include <windows.h>

#include <string>

// The text in the code page (CP_THREAD_ACP: the calling thread's ANSI code page), without a
// terminator. Characters the code page cannot represent become its default character. The size
// comes from the conversion itself, so code pages that need more than two bytes for one UTF-16
// unit (UTF-8 as the ANSI code page) lose nothing. Empty when the conversion fails.
std::string EncodeSendText(LPCWSTR pszText, UINT nCodePage = CP_THREAD_ACP);
