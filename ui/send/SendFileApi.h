// The file sender's outside world: one virtual per kernel32 file call it makes, and a system
// implementation that holds no logic, so that tests can make a read fail half-way.
#pragma once

#include <windows.h>

class SendFileApi {
public:
    virtual ~SendFileApi() = default;
    // CreateFileW for reading an existing file, others may read and write it meanwhile.
    // INVALID_HANDLE_VALUE with the thread's last error set on failure.
    virtual HANDLE Open(LPCWSTR pszPath) = 0;
    virtual BOOL GetSize(HANDLE hFile, LARGE_INTEGER* pSize) = 0;   // GetFileSizeEx
    virtual BOOL Read(HANDLE hFile, void* pBytes, DWORD nCount, DWORD* pnRead) = 0;
    virtual BOOL Close(HANDLE hFile) = 0;
};

SendFileApi& SystemSendFileApi();
