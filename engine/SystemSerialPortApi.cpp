#include "engine/SystemSerialPortApi.h"

SystemSerialPortApi& SystemSerialPortApi::Instance()
{
    static SystemSerialPortApi api;
    return api;
}

HANDLE SystemSerialPortApi::CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess,
                                        DWORD dwShareMode,
                                        LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                        DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                                        HANDLE hTemplateFile)
{
    return ::CreateFileW(lpFileName, dwDesiredAccess, dwShareMode, lpSecurityAttributes,
                         dwCreationDisposition, dwFlagsAndAttributes, hTemplateFile);
}

BOOL SystemSerialPortApi::SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue)
{
    return ::SetupComm(hFile, dwInQueue, dwOutQueue);
}

BOOL SystemSerialPortApi::GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts)
{
    return ::GetCommTimeouts(hFile, lpCommTimeouts);
}

BOOL SystemSerialPortApi::SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts)
{
    return ::SetCommTimeouts(hFile, lpCommTimeouts);
}

BOOL SystemSerialPortApi::GetCommState(HANDLE hFile, LPDCB lpDCB)
{
    return ::GetCommState(hFile, lpDCB);
}

BOOL SystemSerialPortApi::SetCommState(HANDLE hFile, LPDCB lpDCB)
{
    return ::SetCommState(hFile, lpDCB);
}

BOOL SystemSerialPortApi::PurgeComm(HANDLE hFile, DWORD dwFlags)
{
    return ::PurgeComm(hFile, dwFlags);
}

BOOL SystemSerialPortApi::ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat)
{
    return ::ClearCommError(hFile, lpErrors, lpStat);
}

BOOL SystemSerialPortApi::ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                   LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped)
{
    return ::ReadFile(hFile, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
}

BOOL SystemSerialPortApi::WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                    LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped)
{
    return ::WriteFile(hFile, lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten,
                       lpOverlapped);
}

BOOL SystemSerialPortApi::GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                                              LPDWORD lpNumberOfBytesTransferred, BOOL bWait)
{
    return ::GetOverlappedResult(hFile, lpOverlapped, lpNumberOfBytesTransferred, bWait);
}

DWORD SystemSerialPortApi::GetLastError()
{
    return ::GetLastError();
}

BOOL SystemSerialPortApi::WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask,
                                        LPOVERLAPPED lpOverlapped)
{
    return ::WaitCommEvent(hFile, lpEvtMask, lpOverlapped);
}

BOOL SystemSerialPortApi::SetCommMask(HANDLE hFile, DWORD dwEvtMask)
{
    return ::SetCommMask(hFile, dwEvtMask);
}

BOOL SystemSerialPortApi::GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat)
{
    return ::GetCommModemStatus(hFile, lpModemStat);
}

BOOL SystemSerialPortApi::EscapeCommFunction(HANDLE hFile, DWORD dwFunc)
{
    return ::EscapeCommFunction(hFile, dwFunc);
}

BOOL SystemSerialPortApi::ClearCommBreak(HANDLE hFile)
{
    return ::ClearCommBreak(hFile);
}

BOOL SystemSerialPortApi::FlushFileBuffers(HANDLE hFile)
{
    return ::FlushFileBuffers(hFile);
}

BOOL SystemSerialPortApi::CloseHandle(HANDLE hObject)
{
    return ::CloseHandle(hObject);
}

BOOL SystemSerialPortApi::CancelIoEx(HANDLE hFile, LPOVERLAPPED lpOverlapped)
{
    return ::CancelIoEx(hFile, lpOverlapped);
}
