#include "ui/signals/FlowControl.h"

namespace {

const char kXon = 0x11;    // DC1
const char kXoff = 0x13;   // DC3

}  // namespace

bool SetFlowControl(DCB& dcb, int nFlowIndex)
{
    if (nFlowIndex < 0 || nFlowIndex >= kFlowChoiceCount)
        return false;
    if (nFlowIndex == kFlowUnchanged)
        return true;

    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE)
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        dcb.fRtsControl = RTS_CONTROL_ENABLE;

    if (nFlowIndex == kFlowRtsCts) {
        dcb.fOutxCtsFlow = TRUE;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    } else if (nFlowIndex == kFlowXonXoff) {
        dcb.fOutX = TRUE;
        dcb.fInX = TRUE;
        dcb.XonChar = kXon;
        dcb.XoffChar = kXoff;
    }
    return true;
}
