#include "FileBytes.h"

#include <windows.h>

bool ReadFileBytes(const std::wstring& path, std::string& bytes)
{
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool bOk = ::GetFileSizeEx(hFile, &size) != FALSE && size.QuadPart < 0x40000000;
    if (bOk) {
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD dwRead = 0;
        bOk = bytes.empty() || (::ReadFile(hFile, &bytes[0], static_cast<DWORD>(bytes.size()), &dwRead, nullptr)
                                && dwRead == bytes.size());
    }
    ::CloseHandle(hFile);
    return bOk;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD dwWritten = 0;
    const bool bOk = bytes.empty()
        || (::WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &dwWritten, nullptr)
            && dwWritten == bytes.size());
    return ::CloseHandle(hFile) != FALSE && bOk;
}
