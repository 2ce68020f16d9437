// Raw bytes of one resource compiled into the running executable.
#pragma once

#include <windows.h>

#include <cstddef>

namespace resourcetest {

struct ResourceBytes {
    const BYTE* data = nullptr; // null when the resource is missing
    DWORD size = 0;
};

// Looks the resource up in this process's executable, in whatever language it was compiled.
inline ResourceBytes FindModuleResource(LPCWSTR type, LPCWSTR name)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, name, type);
    if (info == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(module, info);
    if (loaded == nullptr) {
        return {};
    }
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, info)};
}

} // namespace resourcetest
