// Sees the line settings that the program hands to the system: while a recorder exists, this
// module's imports of GetCommState and SetCommState go through it. Every call is passed on
// unchanged; each SetCommState is recorded with the DCB that the last GetCommState on the same
// handle returned, so a test can tell which fields the caller changed.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

class CommStateRecorder {
public:
    struct Applied {
        DWORD dwThreadId;   // the thread that called SetCommState
        DCB before;         // what GetCommState last returned for the handle (zeros if never)
        DCB applied;        // what SetCommState was given
        BOOL bResult;
    };

    CommStateRecorder();
    ~CommStateRecorder();
    CommStateRecorder(const CommStateRecorder&) = delete;
    CommStateRecorder& operator=(const CommStateRecorder&) = delete;

    bool IsInstalled() const { return m_bInstalled; }
    // The SetCommState calls made on one thread so far, oldest first.
    std::vector<Applied> AppliedOn(DWORD dwThreadId) const;

private:
    static BOOL WINAPI GetCommStateHook(HANDLE hFile, LPDCB lpDCB);
    static BOOL WINAPI SetCommStateHook(HANDLE hFile, LPDCB lpDCB);

    bool m_bInstalled = false;
    mutable std::mutex m_mutex;
    std::vector<std::pair<HANDLE, DCB>> m_lastRead;
    std::vector<Applied> m_applied;
};
