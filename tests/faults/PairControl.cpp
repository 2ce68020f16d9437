#include "tests/faults/PairControl.h"

#include <cstdlib>

#include "tests/ui/support/DialogHost.h"

namespace faults {

namespace {

// Restoring a pair starts a process on the Linux side; that takes well under a second, but the
// machine is shared.
constexpr DWORD kAnswerTimeLimitMs = 15000;

bool WriteWholeFile(const std::wstring& path, const std::string& bytes)
{
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nWritten = 0;
    const BOOL bWritten = ::WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr);
    ::CloseHandle(hFile);
    return bWritten && nWritten == bytes.size();
}

std::string ReadWholeFile(const std::wstring& path)
{
    HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char chunk[256];
    DWORD nRead = 0;
    while (::ReadFile(hFile, chunk, sizeof chunk, &nRead, nullptr) && nRead > 0)
        bytes.append(chunk, nRead);
    ::CloseHandle(hFile);
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r'))
        bytes.pop_back();
    return bytes;
}

}  // namespace

PairControl::PairControl()
{
    if (const wchar_t* pszFolder = _wgetenv(L"LUMETRA_NULL_MODEM_CONTROL"))
        m_folder = pszFolder;
}

std::string PairControl::Cut(int nPair)
{
    return Request("cut " + std::to_string(nPair));
}

std::string PairControl::Restore(int nPair)
{
    return Request("restore " + std::to_string(nPair));
}

std::string PairControl::Alias(int nCom, int nPair)
{
    return Request("alias " + std::to_string(nCom) + " " + std::to_string(nPair));
}

std::string PairControl::Request(const std::string& line)
{
    if (!IsAvailable())
        return "error the runner serves no requests (NEEDS pty-control)";
    const std::wstring request = m_folder + L"\\request";
    const std::wstring pending = m_folder + L"\\request.tmp";
    const std::wstring reply = m_folder + L"\\reply";
    ::DeleteFileW(reply.c_str());
    // Renamed into place, so the controller never reads half a request.
    if (!WriteWholeFile(pending, line + "\n") || !::MoveFileExW(pending.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING))
        return "error the request could not be written";
    if (!dialog_host::WaitUntil([&] { return ::GetFileAttributesW(reply.c_str()) != INVALID_FILE_ATTRIBUTES; },
                                kAnswerTimeLimitMs))
        return "no answer";
    const std::string answer = ReadWholeFile(reply);
    ::DeleteFileW(reply.c_str());
    return answer;
}

}  // namespace faults
