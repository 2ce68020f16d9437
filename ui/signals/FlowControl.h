// The flow-control list of the main window as the DCB's flow fields. A function of values only,
// so every entry can be checked without a port.
#pragma once

#include <windows.h>

// The list's entries, in its order.
enum FlowControlChoice {
    kFlowUnchanged,   // "不变": the port keeps the flow control it has
    kFlowNone,        // "无"
    kFlowRtsCts,      // "RTS/CTS"
    kFlowXonXoff,     // "XON/XOFF"
    kFlowChoiceCount
};

// Sets the flow fields of dcb for the list index and nothing else:
// - kFlowUnchanged: no field at all;
// - every other entry first switches off the handshakes it does not name: output flow on CTS and
//   on DSR, XON/XOFF both ways, and a DTR or RTS line under handshake is held on instead;
// - kFlowRtsCts: output waits for CTS, RTS is raised while the driver can take input;
// - kFlowXonXoff: both ways, with the usual characters DC1 (XON) and DC3 (XOFF).
// A DTR or RTS line that the user holds on or off, or RTS toggling for a half-duplex converter,
// stays as it is unless RTS/CTS takes RTS over. Returns false, with dcb unchanged, for an index
// outside the list.
bool SetFlowControl(DCB& dcb, int nFlowIndex);
