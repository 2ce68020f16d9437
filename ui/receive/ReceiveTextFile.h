// "保存接收区": the receive area's text, as shown, written to a file as UTF-8 with a byte-order
// mark, so that any editor shows the Chinese. Written through the file seam of the session log,
// so a failing disk is a table case too; an existing file is replaced.
#pragma once

#include <windows.h>

#include <string>

#include "ui/receive/LogFileApi.h"
#include "ui/receive/SessionLog.h"

// The text as the file's bytes: EF BB BF, then the text in UTF-8.
std::string ReceiveTextFileBytes(const std::wstring& text);

// False with `error` (the file's name and the system's reason) when the file cannot be made or
// written; what was written then stays.
bool SaveReceiveText(LogFileApi& files, LPCWSTR pszPath, const std::wstring& text, SessionLogError& error);
