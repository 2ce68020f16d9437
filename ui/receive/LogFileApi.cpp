#include "ui/receive/LogFileApi.h"

namespace {

class SystemApi : public LogFileApi {
public:
    HANDLE Create(LPCWSTR pszPath) override
    {
        return ::CreateFileW(pszPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    BOOL Write(HANDLE hFile, const void* pBytes, DWORD nCount, DWORD* pnWritten) override
    {
        return ::WriteFile(hFile, pBytes, nCount, pnWritten, nullptr);
    }
    BOOL Flush(HANDLE hFile) override { return ::FlushFileBuffers(hFile); }
    BOOL Close(HANDLE hFile) override { return ::CloseHandle(hFile); }
};

}  // namespace

LogFileApi& SystemLogFileApi()
{
    static SystemApi api;
    return api;
}
