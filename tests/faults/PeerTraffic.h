// Devices played by the test on a null-modem pair's peer end, each on a thread of its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "tests/support/NullModem.h"

namespace faults {

// Runs a loop body on a thread until it returns false or Stop() is called. A derived class calls
// Stop() in its destructor, so the thread has ended before the members it uses go.
class PeerThread {
public:
    PeerThread(const PeerThread&) = delete;
    PeerThread& operator=(const PeerThread&) = delete;
    void Stop();
    bool Finished() const { return m_bFinished; }

protected:
    PeerThread();
    ~PeerThread();
    // Call last in the derived constructor. `pass` runs until it returns false or Stop(); between
    // passes the thread pauses nPauseMs (0: none).
    template <class F>
    void Start(F pass, DWORD nPauseMs)
    {
        m_thread = std::thread([this, pass, nPauseMs]() mutable {
            while (pass() && ::WaitForSingleObject(m_hStop, nPauseMs) == WAIT_TIMEOUT) {
            }
            m_bFinished = true;
        });
    }

private:
    HANDLE m_hStop;
    std::atomic<bool> m_bFinished{false};
    std::thread m_thread;
};

// Sends numbered 64-byte lines at about the given rate until stopped or until the line stops
// taking them (the device side of the pair vanished).
class PeerStreamer : public PeerThread {
public:
    PeerStreamer(testsupport::PeerPort& peer, DWORD nBytesPerSecond);
    ~PeerStreamer() { Stop(); }
    unsigned long BytesSent() const { return m_nSent; }
    bool LineFailed() const { return m_bLineFailed; }

private:
    std::atomic<unsigned long> m_nSent{0};
    std::atomic<bool> m_bLineFailed{false};
};

// Reads every byte that arrives and keeps a copy; as an echoing device it also sends each byte
// back as soon as it has read it.
class PeerListener : public PeerThread {
public:
    enum class Reply { None, Echo };
    PeerListener(testsupport::PeerPort& peer, Reply reply);
    ~PeerListener() { Stop(); }
    std::string Received() const;
    bool LineFailed() const { return m_bLineFailed; }

private:
    mutable std::mutex m_mutex;
    std::string m_received;   // guarded by m_mutex
    std::atomic<bool> m_bLineFailed{false};
};

}  // namespace faults
