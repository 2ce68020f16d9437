#include "tests/support/NullModem.h"

#include <cstdlib>

namespace testsupport {

std::vector<NullModem> AvailableNullModems()
{
    std::vector<NullModem> modems;
    const wchar_t* list = _wgetenv(L"LUMETRA_NULL_MODEMS");
    if (list == nullptr)
        return modems;
    std::wstring rest(list);
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find(L';', start);
        if (end == std::wstring::npos)
            end = rest.size();
        std::wstring entry = rest.substr(start, end - start);
        size_t eq = entry.find(L'=');
        if (eq != std::wstring::npos)
            modems.push_back({_wtoi(entry.substr(0, eq).c_str()), entry.substr(eq + 1)});
        start = end + 1;
    }
    return modems;
}

NullModem FirstNullModem()
{
    std::vector<NullModem> modems = AvailableNullModems();
    return modems.empty() ? NullModem{0, L""} : modems.front();
}

bool PeerPort::Open(const std::wstring& path)
{
    Close();
    m_handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE)
        return false;
    // Reads return after 20 ms without data; a write may take at most 2 s.
    COMMTIMEOUTS timeouts = {10, 0, 20, 0, 2000};
    SetCommTimeouts(m_handle, &timeouts);
    return true;
}

void PeerPort::Close()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

bool PeerPort::Send(const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(m_handle, bytes.data() + sent, static_cast<DWORD>(bytes.size() - sent),
                       &written, nullptr) || written == 0)
            return false;
        sent += written;
    }
    return true;
}

std::string PeerPort::Receive(size_t count, DWORD timeoutMs)
{
    std::string received;
    const DWORD start = GetTickCount();
    char chunk[4096];
    while (received.size() < count && GetTickCount() - start < timeoutMs) {
        DWORD want = static_cast<DWORD>(count - received.size());
        if (want > sizeof chunk)
            want = sizeof chunk;
        DWORD got = 0;
        if (!ReadFile(m_handle, chunk, want, &got, nullptr) && GetLastError() != ERROR_TIMEOUT)
            break;
        received.append(chunk, got);
    }
    return received;
}

std::string PeerPort::ReceiveUntilQuiet(DWORD quietMs, DWORD timeoutMs)
{
    std::string received;
    const DWORD start = GetTickCount();
    DWORD lastData = start;
    char chunk[4096];
    while (GetTickCount() - start < timeoutMs && GetTickCount() - lastData < quietMs) {
        DWORD got = 0;
        if (!ReadFile(m_handle, chunk, sizeof chunk, &got, nullptr) && GetLastError() != ERROR_TIMEOUT)
            break;
        if (got > 0) {
            received.append(chunk, got);
            lastData = GetTickCount();
        }
    }
    return received;
}

void PeerPort::Drain()
{
    ReceiveUntilQuiet(50, 2000);
}

} // namespace testsupport
