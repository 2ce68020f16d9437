// CFileSender: "发送文件", a file's bytes exactly as they are (binary) handed to the port piece by
// piece at the line's pace. A piece goes while the port holds at most one piece not yet sent
// (CSerialLink::PendingWriteBytes): one waits behind the one going out, so the line does not idle
// between them and nothing more piles up behind it; the file is read one piece at a time, so
// memory stays a few pieces whatever the file's size. The window drives it from a timer; stopping
// hands nothing more (at most the two pieces already handed to the port go out).
// No window: the port object and the file seam are all it touches.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/SerialLink.h"
#include "ui/send/SendFileApi.h"

// A file that could not be opened or read: its name and the system's error code; or bytes the
// port did not send (nUnsent).
struct FileSendError {
    std::wstring strPath;
    DWORD dwError = 0;
    DWORD nUnsent = 0;
};

// A piece is about a tenth of a second of the line (ten bits a byte), within these bounds: a stop
// takes effect that soon on a slow line, and a fast one needs few writes.
constexpr DWORD kSmallestFilePiece = 64;
constexpr DWORD kLargestFilePiece = 16 * 1024;
DWORD FilePieceBytes(DWORD nBaud);

class CFileSender {
public:
    enum class Progress {
        Sending,       // more to come
        Finished,      // every byte handed to the port and taken by it; the file is closed
        ReadFailed,    // the file could not be read (error set); closed, what went stays sent
        PortRefused,   // the port took no piece (closed or vanished); closed
        BytesUnsent,   // a write ended with nUnsent bytes unsent (its time-out ran out on a
                       // stalled line, or a purge after line errors ended it); closed, and
                       // BytesSent no longer counts them
    };

    explicit CFileSender(SendFileApi& api = SystemSendFileApi()) : m_api(api) {}
    ~CFileSender() { Stop(); }
    CFileSender(const CFileSender&) = delete;
    CFileSender& operator=(const CFileSender&) = delete;

    // Opens the file and learns its size; stops a send under way first. False with `error` set
    // when it cannot be opened or sized: nothing is sent.
    bool Start(LPCWSTR pszPath, DWORD nPieceBytes, FileSendError& error);
    bool IsSending() const { return m_hFile != INVALID_HANDLE_VALUE; }
    // Hands the next pieces to the port while it holds at most one unsent, at most nMostPieces.
    // Adds to nTaken the bytes the port took. Not sending: Finished.
    Progress Pump(CSerialLink& link, int nMostPieces, ULONGLONG& nTaken, FileSendError& error);
    // Hands nothing more and closes the file.
    void Stop();

    ULONGLONG BytesSent() const { return m_nSent; }   // handed to the port, of this file
    ULONGLONG FileSize() const { return m_nSize; }    // as it was at Start
    const std::wstring& Path() const { return m_strPath; }

private:
    // A send that lost bytes must not go on as if the file went whole: stops it.
    bool LineLeftBytesUnsent(CSerialLink& link, FileSendError& error);

    SendFileApi& m_api;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::wstring m_strPath;
    std::vector<char> m_piece;   // the one piece read at a time
    ULONGLONG m_nSent = 0;
    ULONGLONG m_nSize = 0;
};
