#include "tests/faults/PeerTraffic.h"

#include <cstdio>

namespace faults {

namespace {

constexpr DWORD kStreamPeriodMs = 10;
constexpr DWORD kListenReadMs = 20;   // how long one read of the listener waits for bytes
constexpr size_t kLineLength = 64;

// Line k of the stream: its number, a space, letters that change with the number, CR LF.
std::string NumberedLine(unsigned long nLine)
{
    char szLine[kLineLength + 1];
    int nUsed = std::snprintf(szLine, sizeof szLine, "%08lu ", nLine);
    for (size_t i = static_cast<size_t>(nUsed); i < kLineLength - 2; ++i)
        szLine[i] = static_cast<char>('A' + (nLine + i) % 26);
    szLine[kLineLength - 2] = '\r';
    szLine[kLineLength - 1] = '\n';
    return std::string(szLine, kLineLength);
}

}  // namespace

PeerThread::PeerThread() : m_hStop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

PeerThread::~PeerThread()
{
    Stop();
    ::CloseHandle(m_hStop);
}

void PeerThread::Stop()
{
    ::SetEvent(m_hStop);
    if (m_thread.joinable())
        m_thread.join();
}

PeerStreamer::PeerStreamer(testsupport::PeerPort& peer, DWORD nBytesPerSecond)
{
    const size_t nLinesPerPass = nBytesPerSecond * kStreamPeriodMs / 1000 / kLineLength + 1;
    Start(
        [this, &peer, nLinesPerPass] {
            std::string bytes;
            for (size_t i = 0; i < nLinesPerPass; ++i)
                bytes += NumberedLine(m_nSent / kLineLength + i);
            if (!peer.Send(bytes)) {
                m_bLineFailed = true;
                return false;
            }
            m_nSent += static_cast<unsigned long>(bytes.size());
            return true;
        },
        kStreamPeriodMs);
}

PeerListener::PeerListener(testsupport::PeerPort& peer, Reply reply)
{
    Start(
        [this, &peer, reply] {
            const std::string bytes = peer.Receive(4096, kListenReadMs);
            if (bytes.empty())
                return true;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_received += bytes;
            }
            if (reply == Reply::Echo && !peer.Send(bytes)) {
                m_bLineFailed = true;
                return false;
            }
            return true;
        },
        0);
}

std::string PeerListener::Received() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

}  // namespace faults
