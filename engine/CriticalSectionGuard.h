#pragma once

#include <windows.h>

// Holds a critical section for the guard's scope and leaves it on every way out, exceptions
// included.
class CriticalSectionGuard
{
public:
    explicit CriticalSectionGuard(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CriticalSectionGuard() { ::LeaveCriticalSection(&m_cs); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};
