// The device side of the virtual null-modem pairs that the test runner creates (scripts/wine-run,
// NEEDS pty). Each pair has one end mapped as a COM number in the Wine prefix, for the code
// under test, and the other end (the "peer") that a test opens here and drives like a device.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

struct NullModem {
    int comNumber;         // the end the code under test opens as \\.\COM<n>
    std::wstring peerPath; // Windows path of the other end
};

// Pairs listed by the runner in LUMETRA_NULL_MODEMS ("<n>=<path>;..."); empty when none.
std::vector<NullModem> AvailableNullModems();

// The first listed pair, or a pair with comNumber 0 when there is none.
NullModem FirstNullModem();

// One peer end, opened for blocking I/O with short time-outs so no call can hang a test.
class PeerPort {
public:
    PeerPort() = default;
    explicit PeerPort(const std::wstring& path) { Open(path); }
    ~PeerPort() { Close(); }
    PeerPort(const PeerPort&) = delete;
    PeerPort& operator=(const PeerPort&) = delete;

    bool Open(const std::wstring& path);
    void Close();
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

    // Writes all bytes (retrying short writes); false if the port stops accepting them.
    bool Send(const std::string& bytes);
    // Reads until `count` bytes have arrived or `timeoutMs` has passed; returns what arrived.
    std::string Receive(size_t count, DWORD timeoutMs);
    // Reads whatever arrives until the line has been quiet for `quietMs` (or `timeoutMs` passed).
    std::string ReceiveUntilQuiet(DWORD quietMs, DWORD timeoutMs);
    // Discards anything waiting.
    void Drain();

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

} // namespace testsupport
