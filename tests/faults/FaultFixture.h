// The terminal fixture (the real main window on null-modem pairs, the test as the device) with
// what the fault tests add: a runner that can unplug and re-plug a pair's device, clicks that are
// timed and bounded, and figures printed for the report.
#pragma once

#include <string>

#include "tests/faults/PairControl.h"
#include "tests/ui/terminal/TerminalFixture.h"

class FaultTest : public TerminalTest {
protected:
    // A handler that takes this long counts as hung.
    static constexpr DWORD kHandlerTimeLimitMs = 10000;

    void SetUp() override;

    // Clicks a control as the user would and returns how long the dialog took to handle the
    // click, in milliseconds; records a failure when it did not within kHandlerTimeLimitMs.
    DWORD TimedClick(int nID);
    // The peer path of a pair, as the runner lists it.
    static std::wstring PeerPath(int nCom);
    bool WaitForReceiveTextContaining(const std::wstring& part, DWORD nTimeLimitMs = kWaitMs);
    // Prints one figure of the run (shown by ctest -V and in the test log).
    static void Figure(const char* pszFormat, ...);

    faults::PairControl m_control;
};
