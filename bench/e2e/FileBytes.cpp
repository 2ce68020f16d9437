#include "FileBytes.h"

#include <windows.h>

bool ReadFileBytes(const std::wstring& path, std::string& bytes)
{
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    // Read to the end rather than to the size: Linux's /proc files (seen through Wine) report 0.
    LARGE_INTEGER size;
    bytes.clear();
    bytes.reserve(::GetFileSizeEx(hFile, &size) && size.QuadPart < 0x40000000 ? static_cast<size_t>(size.QuadPart) : 0);
    char piece[65536];
    bool bOk = true;
    for (;;) {
        DWORD dwRead = 0;
        bOk = ::ReadFile(hFile, piece, sizeof(piece), &dwRead, nullptr) != FALSE;
        if (!bOk || dwRead == 0)
            break;
        bytes.append(piece, dwRead);
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
