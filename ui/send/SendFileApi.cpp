#include "ui/send/SendFileApi.h"

namespace {

class SystemApi : public SendFileApi {
public:
    HANDLE Open(LPCWSTR pszPath) override
    {
        return ::CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    }
    BOOL GetSize(HANDLE hFile, LARGE_INTEGER* pSize) override { return ::GetFileSizeEx(hFile, pSize); }
    BOOL Read(HANDLE hFile, void* pBytes, DWORD nCount, DWORD* pnRead) override
    {
        return ::ReadFile(hFile, pBytes, nCount, pnRead, nullptr);
    }
    BOOL Close(HANDLE hFile) override { return ::CloseHandle(hFile); }
};

}  // namespace

SendFileApi& SystemSendFileApi()
{
    static SystemApi api;
    return api;
}
