#include "ui/send/FileSender.h"

#include <algorithm>

DWORD FilePieceBytes(DWORD nBaud)
{
    return std::min(std::max(nBaud / 100, kSmallestFilePiece), kLargestFilePiece);
}

bool CFileSender::Start(LPCWSTR pszPath, DWORD nPieceBytes, FileSendError& error)
{
    Stop();
    m_strPath = pszPath;
    m_nSent = 0;
    m_nSize = 0;
    error.strPath = pszPath;
    const HANDLE hFile = m_api.Open(pszPath);
    if (hFile == INVALID_HANDLE_VALUE) {
        error.dwError = ::GetLastError();
        return false;
    }
    LARGE_INTEGER size = {};
    if (!m_api.GetSize(hFile, &size)) {
        error.dwError = ::GetLastError();
        m_api.Close(hFile);
        return false;
    }
    m_hFile = hFile;
    m_nSize = static_cast<ULONGLONG>(size.QuadPart);
    m_piece.resize(std::max<DWORD>(nPieceBytes, 1));
    return true;
}

// The end of the file is where a read gives nothing, not the size seen at Start: a file that
// grows or shrinks meanwhile is sent as it is read.
CFileSender::Progress CFileSender::Pump(CSerialLink& link, int nMostPieces, ULONGLONG& nTaken,
                                        FileSendError& error)
{
    for (int i = 0; i < nMostPieces; ++i) {
        if (!IsSending())
            return Progress::Finished;
        const DWORD nPending = link.PendingWriteBytes();   // a write that has ended is reaped
        if (LineLeftBytesUnsent(link, error))
            return Progress::BytesUnsent;
        // One piece waits behind the one going out, so the line never idles between pieces
        // (the port object hands it over as the first completes); no more piles up behind it.
        if (nPending > m_piece.size())
            return Progress::Sending;
        DWORD nRead = 0;
        if (!m_api.Read(m_hFile, m_piece.data(), static_cast<DWORD>(m_piece.size()), &nRead)) {
            error.strPath = m_strPath;
            error.dwError = ::GetLastError();
            Stop();
            return Progress::ReadFailed;
        }
        if (nRead == 0) {
            if (nPending != 0)
                return Progress::Sending;   // finished once the line has taken the last piece
            Stop();
            return Progress::Finished;
        }
        const DWORD nBefore = link.BytesWritten();
        link.Write(m_piece.data(), nRead);
        const DWORD nPieceTaken = link.BytesWritten() - nBefore;   // unsigned: right across the wrap
        if (nPieceTaken == 0) {
            Stop();
            return Progress::PortRefused;
        }
        m_nSent += nPieceTaken;
        nTaken += nPieceTaken;
    }
    return IsSending() ? Progress::Sending : Progress::Finished;
}

bool CFileSender::LineLeftBytesUnsent(CSerialLink& link, FileSendError& error)
{
    const DWORD nUnsent = link.TakeUnsentWriteBytes();
    if (nUnsent == 0)
        return false;
    m_nSent -= std::min<ULONGLONG>(nUnsent, m_nSent);
    error.strPath = m_strPath;
    error.nUnsent = nUnsent;
    Stop();
    return true;
}

void CFileSender::Stop()
{
    if (!IsSending())
        return;
    m_api.Close(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_piece.clear();
    m_piece.shrink_to_fit();
}
