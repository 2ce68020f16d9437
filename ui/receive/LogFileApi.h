// The session log's outside world: one virtual per kernel32 file call it makes, and a system
// implementation that holds no logic, so that tests can make a write fail as a full disk does.
#pragma once

#include <windows.h>

class LogFileApi {
public:
    virtual ~LogFileApi() = default;
    // CreateFileW for writing, emptying an existing file, others may read it meanwhile.
    // INVALID_HANDLE_VALUE with the thread's last error set on failure.
    virtual HANDLE Create(LPCWSTR pszPath) = 0;
    virtual BOOL Write(HANDLE hFile, const void* pBytes, DWORD nCount, DWORD* pnWritten) = 0;
    virtual BOOL Flush(HANDLE hFile) = 0;   // FlushFileBuffers
    virtual BOOL Close(HANDLE hFile) = 0;
};

LogFileApi& SystemLogFileApi();
