// Asks the test runner to unplug and re-plug the device of a null-modem pair (scripts/wine-run,
// NEEDS pty-control; the protocol is in scripts/nullmodem-control). A Windows process cannot
// signal the Linux processes behind the pairs, so requests travel as files in a folder that the
// runner's controller watches.
#pragma once

#include <windows.h>

#include <string>

namespace faults {

class PairControl {
public:
    PairControl();

    // The runner serves requests (LUMETRA_NULL_MODEM_CONTROL is set).
    bool IsAvailable() const { return !m_folder.empty(); }

    // Each returns the controller's answer: "ok", "error <why>", or "no answer" after a time-out.
    // Ends pair n: both of its pseudo-terminals vanish, and COM<n> cannot be opened.
    std::string Cut(int nPair);
    // Creates pair n again: COM<n> and the same peer path work again.
    std::string Restore(int nPair);
    // Makes COM<nCom> open the peer end of pair nPair (for a device program such as devsim).
    std::string Alias(int nCom, int nPair);

private:
    std::string Request(const std::string& line);

    std::wstring m_folder;   // Windows path of the control folder, empty when not served
};

}  // namespace faults
