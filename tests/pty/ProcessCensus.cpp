#include "tests/pty/ProcessCensus.h"

#include <tlhelp32.h>

#include <vector>

namespace
{
// SystemExtendedHandleInformation (class 64) of NtQuerySystemInformation: one entry per handle
// in the system, with the owning process id.
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry
{
    PVOID pObject;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleTable
{
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

QuerySystemInformation FindQuerySystemInformation()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll ? reinterpret_cast<QuerySystemInformation>(
                       reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQuerySystemInformation")))
                 : nullptr;
}
} // namespace

namespace ptytest
{
int CountThreads()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    const DWORD self = ::GetCurrentProcessId();
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
    {
        if (entry.th32OwnerProcessID == self)
            ++count;
        entry.dwSize = sizeof(entry);
    }
    ::CloseHandle(snapshot);
    return count;
}

int CountHandles()
{
    static const QuerySystemInformation query = FindQuerySystemInformation();
    if (!query)
        return -1;
    std::vector<BYTE> buffer(1 << 16);
    LONG status = 0;
    while ((status = query(kSystemExtendedHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), nullptr)) == kStatusInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    const HandleTable* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const ULONG_PTR self = ::GetCurrentProcessId();
    int count = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i)
    {
        if (table->entries[i].processId == self)
            ++count;
    }
    return count;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!condition())
    {
        if (::GetTickCount() - start >= timeoutMs)
            return condition();
        ::Sleep(5);
    }
    return true;
}
} // namespace ptytest
