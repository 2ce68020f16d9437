#include "tests/pty/LinkTraffic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace ptytest
{
namespace
{
constexpr DWORD kWriteDeadline = 10000;
constexpr size_t kSlowBite = 1024;
} // namespace

std::string Pattern(size_t n, unsigned seed)
{
    std::string bytes(n, '\0');
    // Within each 256-byte run every value appears once; each run is shifted by 53 against
    // the one before, so runs differ and the whole repeats only after 64 KiB.
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i + 53 * (i >> 8) + seed) & 0xFF);
    return bytes;
}

std::string Difference(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return std::string();
    const auto mismatch = std::mismatch(expected.begin(), expected.end(), actual.begin(),
                                        actual.end());
    std::ostringstream text;
    text << "expected " << expected.size() << " bytes, got " << actual.size()
         << "; first difference at offset " << (mismatch.first - expected.begin());
    return text.str();
}

bool WriteThroughLink(CSerialLink& link, const std::string& bytes,
                      const std::vector<DWORD>& pieceSizes, std::string* pWhy)
{
    const bool queued = (link.Mode() & CSerialLink::MODE_TX_BUFFER) != 0;
    const bool overlapped = (link.Mode() & CSerialLink::MODE_OVERLAPPED) != 0;
    const DWORD start = ::GetTickCount();
    size_t offset = 0;
    for (size_t piece = 0; offset < bytes.size(); ++piece)
    {
        const DWORD n = static_cast<DWORD>(
            std::min<size_t>(pieceSizes[piece % pieceSizes.size()], bytes.size() - offset));
        DWORD done = 0;
        while (done < n)
        {
            const DWORD result = link.Write(bytes.data() + offset + done, n - done);
            std::ostringstream why;
            why << "Write of " << (n - done) << " bytes at offset " << (offset + done)
                << " returned " << result;
            if (queued || overlapped)
            {
                const bool expected = queued ? result == 0 : (result == 0 || result == n - done);
                if (!expected)
                {
                    *pWhy = why.str();
                    return false;
                }
                done = n;
            }
            else
            {
                if (result > n - done || ::GetTickCount() - start > kWriteDeadline)
                {
                    *pWhy = why.str();
                    return false;
                }
                done += result;
            }
        }
        offset += n;
    }
    return true;
}

std::string ReceiveThroughLink(CSerialLink& link, NotificationRecorder& recorder, size_t expected,
                               bool notified, DWORD timeoutMs,
                               std::vector<NotificationRecorder::Message>* pNotes)
{
    std::string received;
    const DWORD start = ::GetTickCount();
    char chunk[CSerialLink::READ_CHUNK + 1]; // room for the terminating zero a caller may add
    while (received.size() < expected && ::GetTickCount() - start < timeoutMs)
    {
        if (notified)
        {
            const auto notes =
                recorder.WaitFor(CSerialLink::CNM_RECEIVE, CSerialLink::CNM_RECEIVE, 500);
            pNotes->insert(pNotes->end(), notes.begin(), notes.end());
            if (notes.empty())
                continue;
        }
        DWORD n = 0;
        do
        {
            n = link.Read(chunk);
            if (n > CSerialLink::READ_CHUNK)
            {
                ADD_FAILURE() << "Read delivered " << n << " bytes";
                return received;
            }
            received.append(chunk, n);
        } while (n == CSerialLink::READ_CHUNK && received.size() < expected);
    }
    return received;
}

PeerReader::PeerReader(testsupport::PeerPort& peer, size_t count, DWORD timeoutMs, Pace pace)
    : m_thread([this, &peer, count, timeoutMs, pace] {
          if (pace == kFast)
          {
              m_bytes = peer.Receive(count, timeoutMs);
              return;
          }
          const DWORD start = ::GetTickCount();
          while (m_bytes.size() < count && ::GetTickCount() - start < timeoutMs)
          {
              m_bytes += peer.Receive(std::min<size_t>(kSlowBite, count - m_bytes.size()), timeoutMs);
              ::Sleep(1); // the device's pace, not a wait for a condition
          }
      })
{
}

PeerReader::~PeerReader()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::string PeerReader::Join()
{
    m_thread.join();
    return m_bytes;
}

PeerWriter::PeerWriter(testsupport::PeerPort& peer, std::string bytes)
    : m_bytes(std::move(bytes)), m_sent(false),
      m_thread([this, &peer] { m_sent = peer.Send(m_bytes); })
{
}

PeerWriter::~PeerWriter()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool PeerWriter::Join()
{
    m_thread.join();
    return m_sent;
}

PeerStreamer::PeerStreamer(testsupport::PeerPort& peer)
    : m_stop(false), m_finished(false), m_sent(0), m_thread([this, &peer] {
          const std::string piece = Pattern(256, 0);
          while (!m_stop)
          {
              // A send that times out while nobody reads the other end is simply tried again.
              if (peer.Send(piece))
                  m_sent += piece.size();
          }
          m_finished = true;
      })
{
}

PeerStreamer::~PeerStreamer()
{
    RequestStop();
    if (m_thread.joinable())
        m_thread.join();
}

void PeerStreamer::Join()
{
    m_thread.join();
}
} // namespace ptytest
