#include "ui/receive/ReceiveTextFile.h"

std::string ReceiveTextFileBytes(const std::wstring& text)
{
    std::string bytes = "\xEF\xBB\xBF";
    const int nLength = static_cast<int>(text.size());
    const int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), nLength, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0)
        return bytes;
    bytes.resize(3 + static_cast<size_t>(nBytes));
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), nLength, &bytes[3], nBytes, nullptr, nullptr);
    return bytes;
}

bool SaveReceiveText(LogFileApi& files, LPCWSTR pszPath, const std::wstring& text, SessionLogError& error)
{
    error.strPath = pszPath;
    const HANDLE hFile = files.Create(pszPath);
    if (hFile == INVALID_HANDLE_VALUE) {
        error.dwError = ::GetLastError();
        error.strReason = SystemErrorText(error.dwError);
        return false;
    }
    const std::string bytes = ReceiveTextFileBytes(text);
    size_t nDone = 0;
    DWORD dwError = 0;
    while (nDone < bytes.size() && dwError == 0) {
        DWORD nWritten = 0;
        if (!files.Write(hFile, bytes.data() + nDone, static_cast<DWORD>(bytes.size() - nDone), &nWritten))
            dwError = ::GetLastError();
        else if (nWritten == 0)
            dwError = ERROR_WRITE_FAULT;   // a write that takes nothing would never end
        nDone += nWritten;
    }
    if (!files.Close(hFile) && dwError == 0)
        dwError = ::GetLastError();
    if (dwError == 0)
        return true;
    error.dwError = dwError;
    error.strReason = SystemErrorText(dwError);
    return false;
}
