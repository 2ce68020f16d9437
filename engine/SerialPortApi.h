#pragma once

#include <windows.h>

// The kernel32 communications calls the serial engine makes, one method per call with the
// same arguments and results. CSerialLink talks to its port only through this interface, so a
// scripted device can stand in for a real port; everything else (threads, events, locks,
// messages) stays real Win32.
//
// Contract of every implementation: a failing call leaves its error in the calling thread's
// last-error value, where GetLastError() finds it.
class ISerialPortApi
{
public:
    virtual ~ISerialPortApi() = default;

    virtual HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                               LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                               DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                               HANDLE hTemplateFile) = 0;
    virtual BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) = 0;
    virtual BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) = 0;
    virtual BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) = 0;
    virtual BOOL GetCommState(HANDLE hFile, LPDCB lpDCB) = 0;
    virtual BOOL SetCommState(HANDLE hFile, LPDCB lpDCB) = 0;
    virtual BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) = 0;
    virtual BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) = 0;
    virtual BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                          LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) = 0;
    virtual BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                           LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) = 0;
    virtual BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                                     LPDWORD lpNumberOfBytesTransferred, BOOL bWait) = 0;
    virtual DWORD GetLastError() = 0;
    virtual BOOL WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped) = 0;
    virtual BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) = 0;
    virtual BOOL GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat) = 0;
    virtual BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) = 0;
    virtual BOOL ClearCommBreak(HANDLE hFile) = 0;
    virtual BOOL FlushFileBuffers(HANDLE hFile) = 0;
    virtual BOOL CloseHandle(HANDLE hObject) = 0;
    virtual BOOL CancelIoEx(HANDLE hFile, LPOVERLAPPED lpOverlapped) = 0;
};
