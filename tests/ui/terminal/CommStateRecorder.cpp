#include "tests/ui/terminal/CommStateRecorder.h"

#include <cstring>

namespace {

using CommStateFn = BOOL(WINAPI*)(HANDLE, LPDCB);

CommStateRecorder* g_pRecorder = nullptr;   // the hooks have no context of their own
CommStateFn g_pfnGetCommState = nullptr;
CommStateFn g_pfnSetCommState = nullptr;

// The import address slot of one function of kernel32 in this module, or null.
void** FindKernel32Import(const char* pszFunction)
{
    BYTE* pBase = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const IMAGE_DOS_HEADER* pDos = reinterpret_cast<IMAGE_DOS_HEADER*>(pBase);
    const IMAGE_NT_HEADERS* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* pImport = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + imports.VirtualAddress);
         pImport->Name != 0; ++pImport) {
        if (::lstrcmpiA(reinterpret_cast<char*>(pBase + pImport->Name), "kernel32.dll") != 0 || pImport->OriginalFirstThunk == 0)
            continue;
        IMAGE_THUNK_DATA* pName = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pImport->OriginalFirstThunk);
        IMAGE_THUNK_DATA* pSlot = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pImport->FirstThunk);
        for (; pName->u1.AddressOfData != 0; ++pName, ++pSlot) {
            if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal))
                continue;
            const IMAGE_IMPORT_BY_NAME* pByName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pName->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(pByName->Name), pszFunction) == 0)
                return reinterpret_cast<void**>(&pSlot->u1.Function);
        }
    }
    return nullptr;
}

// Replaces the function in an import slot; returns the one it held.
CommStateFn Exchange(void** ppSlot, CommStateFn pfnNew)
{
    DWORD dwProtect = 0;
    ::VirtualProtect(ppSlot, sizeof *ppSlot, PAGE_READWRITE, &dwProtect);
    CommStateFn pfnOld = reinterpret_cast<CommStateFn>(*ppSlot);
    *ppSlot = reinterpret_cast<void*>(pfnNew);
    ::VirtualProtect(ppSlot, sizeof *ppSlot, dwProtect, &dwProtect);
    return pfnOld;
}

}  // namespace

CommStateRecorder::CommStateRecorder()
{
    void** ppGet = FindKernel32Import("GetCommState");
    void** ppSet = FindKernel32Import("SetCommState");
    if (g_pRecorder != nullptr || ppGet == nullptr || ppSet == nullptr)
        return;
    g_pRecorder = this;
    g_pfnGetCommState = Exchange(ppGet, &GetCommStateHook);
    g_pfnSetCommState = Exchange(ppSet, &SetCommStateHook);
    m_bInstalled = true;
}

CommStateRecorder::~CommStateRecorder()
{
    if (!m_bInstalled)
        return;
    Exchange(FindKernel32Import("GetCommState"), g_pfnGetCommState);
    Exchange(FindKernel32Import("SetCommState"), g_pfnSetCommState);
    g_pRecorder = nullptr;
}

std::vector<CommStateRecorder::Applied> CommStateRecorder::AppliedOn(DWORD dwThreadId) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Applied> applied;
    for (const Applied& a : m_applied) {
        if (a.dwThreadId == dwThreadId)
            applied.push_back(a);
    }
    return applied;
}

BOOL WINAPI CommStateRecorder::GetCommStateHook(HANDLE hFile, LPDCB lpDCB)
{
    const BOOL bResult = g_pfnGetCommState(hFile, lpDCB);
    if (bResult) {
        std::lock_guard<std::mutex> lock(g_pRecorder->m_mutex);
        g_pRecorder->m_lastRead.emplace_back(hFile, *lpDCB);
    }
    return bResult;
}

BOOL WINAPI CommStateRecorder::SetCommStateHook(HANDLE hFile, LPDCB lpDCB)
{
    Applied applied = {};
    applied.dwThreadId = ::GetCurrentThreadId();
    applied.applied = *lpDCB;
    applied.bResult = g_pfnSetCommState(hFile, lpDCB);
    std::lock_guard<std::mutex> lock(g_pRecorder->m_mutex);
    for (auto it = g_pRecorder->m_lastRead.rbegin(); it != g_pRecorder->m_lastRead.rend(); ++it) {
        if (it->first == hFile) {
            applied.before = it->second;
            break;
        }
    }
    g_pRecorder->m_applied.push_back(applied);
    return applied.bResult;
}
