#pragma once

#include "engine/SerialPortApi.h"

// The real port: each method forwards to the kernel32 function of the same name.
class SystemSerialPortApi final : public ISerialPortApi
{
public:
    // The one instance every default-constructed CSerialLink uses.
    static SystemSerialPortApi& Instance();

    HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                       LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                       DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) override;
    BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) override;
    BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) override;
    BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) override;
    BOOL GetCommState(HANDLE hFile, LPDCB lpDCB) override;
    BOOL SetCommState(HANDLE hFile, LPDCB lpDCB) override;
    BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) override;
    BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) override;
    BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                  LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) override;
    BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                   LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) override;
    BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                             LPDWORD lpNumberOfBytesTransferred, BOOL bWait) override;
    DWORD GetLastError() override;
    BOOL WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped) override;
    BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) override;
    BOOL GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat) override;
    BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) override;
    BOOL ClearCommBreak(HANDLE hFile) override;
    BOOL FlushFileBuffers(HANDLE hFile) override;
    BOOL CloseHandle(HANDLE hObject) override;
    BOOL CancelIoEx(HANDLE hFile, LPOVERLAPPED lpOverlapped) override;
};
