// CSessionLog: "记录到文件", every byte read from the port written to a file exactly as read
// (binary, zero bytes included). The window thread only copies the bytes into a buffer; a writer
// thread of the log's own takes whatever waits whenever it wakes and writes it in one go, so a
// slow or failing disk never holds the window. Bytes reach the system (which keeps them through
// a crash of the program) moments after they were read, and the disk within a second.
// A failure comes back with the file's name and the system's reason: at Open when the file
// cannot be created; from TakeFailure when a write or flush failed later, after which the log
// drops what it is given until Close, or when the last ones failed at Close. What was written
// stays in the file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/receive/LogFileApi.h"

struct SessionLogError {
    std::wstring strPath;
    DWORD dwError = 0;
    std::wstring strReason;   // SystemErrorText(dwError)
};

class CSessionLog {
public:
    explicit CSessionLog(LogFileApi& api = SystemLogFileApi());
    ~CSessionLog();
    CSessionLog(const CSessionLog&) = delete;
    CSessionLog& operator=(const CSessionLog&) = delete;

    // Creates the file (an existing one is emptied) and starts the writer; closes a log that was
    // open first. False with `error` set when the file cannot be made.
    bool Open(LPCWSTR pszPath, SessionLogError& error);
    bool IsOpen() const { return m_hWriter != nullptr; }
    // Window thread: queues the bytes for the writer and returns without waiting for the disk.
    void Write(const BYTE* pBytes, DWORD nCount);
    // True once after a write (or flush) failed, with `error` set; the log then stays open,
    // dropping bytes. After Close: true once if the last write or flush failed.
    bool TakeFailure(SessionLogError& error);
    // Writes what waits, flushes and closes the file. Waits for the writer as long as every stop
    // in the program does; a writer held longer by its disk finishes and closes the file by itself.
    void Close();
    // After Close: the writer is still finishing (its disk held it), so a failure of its last
    // write or flush may still come to TakeFailure.
    bool IsFinishing();

private:
    struct State;
    static unsigned __stdcall WriterMain(void* pParameter);

    LogFileApi& m_api;
    std::shared_ptr<State> m_state;   // shared with the writer thread; kept after Close for its failure
    HANDLE m_hWriter = nullptr;       // while open
    HANDLE m_hFinishing = nullptr;    // a closed log's writer that has not ended yet
    bool m_bFailureTaken = false;
};

// The system's message for an error code, without the line break it ends with.
std::wstring SystemErrorText(DWORD dwError);

// A file name to offer for a new file: "Lumetra_YYYYMMDD_HHMMSS.<extension>" of the given local
// time (a log, a saved receive area).
std::wstring SuggestDatedFileName(const SYSTEMTIME& localTime, LPCWSTR pszExtension);
