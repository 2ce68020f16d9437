#pragma once

#include "engine/SerialLink.h"
#include "tests/support/NotificationRecorder.h"
#include "tests/support/NullModem.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Moving recognisable byte streams between a CSerialLink and the peer end of a null-modem pair.
namespace ptytest
{
// n bytes of every value 0..255 in an order that does not repeat within 64 KiB, so a lost,
// repeated or reordered run shows at its offset.
std::string Pattern(size_t n, unsigned seed);

// Empty when the two are equal; otherwise their sizes and the first offset where they differ
// (kilobytes of binary make no useful failure message).
std::string Difference(const std::string& expected, const std::string& actual);

// Writes all bytes through Write, in pieces of the given sizes taken in turn. A blocking direct
// write reports what it wrote and the rest is offered again; a pending overlapped write (0 or
// the whole piece) and a queued write (0) are complete once issued. Returns false, with a
// reason in *pWhy, when a result is not one the road may give or the bytes are not taken in time.
bool WriteThroughLink(CSerialLink& link, const std::string& bytes,
                      const std::vector<DWORD>& pieceSizes, std::string* pWhy);

// Reads through Read until `expected` bytes have come or `timeoutMs` has passed. With
// `notified`, each round first waits for CNM_RECEIVE (as the terminal window does) and reads
// until a Read returns less than a full chunk; the notifications are appended to *pNotes.
// Without it, Read is called until everything arrived.
std::string ReceiveThroughLink(CSerialLink& link, NotificationRecorder& recorder, size_t expected,
                               bool notified, DWORD timeoutMs,
                               std::vector<NotificationRecorder::Message>* pNotes);

// Receives a number of bytes on the peer end on a thread of its own: as fast as they come, or
// like a device slower than the computer (about 1 KiB per millisecond), which keeps the line
// full so that writes have to wait for room.
class PeerReader
{
public:
    enum Pace
    {
        kFast,
        kSlow
    };
    PeerReader(testsupport::PeerPort& peer, size_t count, DWORD timeoutMs, Pace pace = kFast);
    ~PeerReader();
    std::string Join();

private:
    std::string m_bytes;
    std::thread m_thread;
};

// Sends bytes from the peer end on a thread of its own.
class PeerWriter
{
public:
    PeerWriter(testsupport::PeerPort& peer, std::string bytes);
    ~PeerWriter();
    // Whether the peer could send everything.
    bool Join();

private:
    std::string m_bytes;
    bool m_sent;
    std::thread m_thread;
};

// Sends from the peer end without pause until stopped, on a thread of its own.
class PeerStreamer
{
public:
    explicit PeerStreamer(testsupport::PeerPort& peer);
    ~PeerStreamer();
    // Asks the thread to stop after its current write.
    void RequestStop() { m_stop = true; }
    // True once the thread has ended.
    bool Finished() const { return m_finished; }
    // Waits for the thread; RequestStop first.
    void Join();
    unsigned long long BytesSent() const { return m_sent; }

private:
    std::atomic<bool> m_stop;
    std::atomic<bool> m_finished;
    std::atomic<unsigned long long> m_sent;
    std::thread m_thread;
};
} // namespace ptytest
