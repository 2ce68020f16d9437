// The line's own signals as values: the flow-control list as DCB flow fields, a DTR or RTS box
// through a connect's events, the status-line indicators and the line-error counts.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ui/signals/FlowControl.h"
#include "ui/signals/LineErrorCounts.h"
#include "ui/signals/ModemStatusLines.h"
#include "ui/signals/OutputLine.h"

namespace {

// Line settings as a port may report them: every byte clear, every byte set, and every flow
// handshake on.
DCB Filled(int nByte)
{
    DCB dcb;
    std::memset(&dcb, nByte, sizeof dcb);
    return dcb;
}

DCB AllHandshakes()
{
    DCB dcb = Filled(0);
    dcb.fOutxCtsFlow = TRUE;
    dcb.fOutxDsrFlow = TRUE;
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

struct FlowFields {
    unsigned cts, dsr, outX, inX, dtr, rts;
    int xon, xoff;
};

FlowFields FlowFieldsOf(const DCB& dcb)
{
    return { dcb.fOutxCtsFlow, dcb.fOutxDsrFlow, dcb.fOutX, dcb.fInX, dcb.fDtrControl, dcb.fRtsControl,
             static_cast<unsigned char>(dcb.XonChar), static_cast<unsigned char>(dcb.XoffChar) };
}

// dcb with the flow fields of from: what is left differs from the original only where a field
// outside the flow fields was changed.
DCB WithFlowFieldsOf(DCB dcb, const DCB& from)
{
    dcb.fOutxCtsFlow = from.fOutxCtsFlow;
    dcb.fOutxDsrFlow = from.fOutxDsrFlow;
    dcb.fOutX = from.fOutX;
    dcb.fInX = from.fInX;
    dcb.fDtrControl = from.fDtrControl;
    dcb.fRtsControl = from.fRtsControl;
    dcb.XonChar = from.XonChar;
    dcb.XoffChar = from.XoffChar;
    return dcb;
}

TEST(FlowControl, EachEntrySetsItsFlowFieldsAndNoOtherByte)
{
    const DCB zeros = Filled(0x00), ones = Filled(0xFF), handshakes = AllHandshakes();
    const struct {
        const char* name;
        DCB before;
        int nIndex;
        FlowFields expected;
    } cases[] = {
        { "clear, 无", zeros, kFlowNone, { 0, 0, 0, 0, DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE, 0, 0 } },
        { "clear, RTS/CTS", zeros, kFlowRtsCts, { 1, 0, 0, 0, DTR_CONTROL_DISABLE, RTS_CONTROL_HANDSHAKE, 0, 0 } },
        { "clear, XON/XOFF", zeros, kFlowXonXoff, { 0, 0, 1, 1, DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE, 0x11, 0x13 } },
        // Every bit set: DTR's reserved level and RTS toggling are not handshakes and stay.
        { "set, 无", ones, kFlowNone, { 0, 0, 0, 0, 3, RTS_CONTROL_TOGGLE, 0xFF, 0xFF } },
        { "set, RTS/CTS", ones, kFlowRtsCts, { 1, 0, 0, 0, 3, RTS_CONTROL_HANDSHAKE, 0xFF, 0xFF } },
        { "set, XON/XOFF", ones, kFlowXonXoff, { 0, 0, 1, 1, 3, RTS_CONTROL_TOGGLE, 0x11, 0x13 } },
        { "handshakes, 无", handshakes, kFlowNone, { 0, 0, 0, 0, DTR_CONTROL_ENABLE, RTS_CONTROL_ENABLE, 0x11, 0x13 } },
        { "handshakes, RTS/CTS", handshakes, kFlowRtsCts, { 1, 0, 0, 0, DTR_CONTROL_ENABLE, RTS_CONTROL_HANDSHAKE, 0x11, 0x13 } },
        { "handshakes, XON/XOFF", handshakes, kFlowXonXoff, { 0, 0, 1, 1, DTR_CONTROL_ENABLE, RTS_CONTROL_ENABLE, 0x11, 0x13 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DCB dcb = c.before;
        ASSERT_TRUE(SetFlowControl(dcb, c.nIndex));
        const FlowFields got = FlowFieldsOf(dcb);
        EXPECT_EQ(c.expected.cts, got.cts);
        EXPECT_EQ(c.expected.dsr, got.dsr);
        EXPECT_EQ(c.expected.outX, got.outX);
        EXPECT_EQ(c.expected.inX, got.inX);
        EXPECT_EQ(c.expected.dtr, got.dtr);
        EXPECT_EQ(c.expected.rts, got.rts);
        EXPECT_EQ(c.expected.xon, got.xon);
        EXPECT_EQ(c.expected.xoff, got.xoff);
        const DCB rest = WithFlowFieldsOf(dcb, c.before);
        EXPECT_EQ(0, std::memcmp(&rest, &c.before, sizeof rest)) << "a byte outside the flow fields changed";
    }
}

TEST(FlowControl, UnchangedAndIndicesOutsideTheListLeaveEveryByte)
{
    for (const DCB& before : { Filled(0x00), Filled(0xFF), AllHandshakes() }) {
        for (int nIndex : { static_cast<int>(kFlowUnchanged), -1, static_cast<int>(kFlowChoiceCount) }) {
            DCB dcb = before;
            EXPECT_EQ(nIndex == kFlowUnchanged, SetFlowControl(dcb, nIndex)) << nIndex;
            EXPECT_EQ(0, std::memcmp(&dcb, &before, sizeof dcb)) << nIndex;
        }
    }
}

TEST(OutputLine, ShowsThePortsLevelUntilChosenAndDropsAChoiceThePortRefused)
{
    enum Event { kChoose, kPortHas, kRefused };
    const struct Step {
        Event event;
        bool bLevel;
        bool bShown, bChosen;   // afterwards
    } steps[] = {
        { kPortHas, false, false, false },   // a connect with the box left alone
        { kPortHas, true, true, false },
        { kChoose, false, false, true },     // unticked
        { kRefused, true, true, false },     // the port would not: its level again, nothing to set
        { kChoose, true, true, true },
        { kChoose, false, false, true },
        { kRefused, false, false, false },
    };
    COutputLine line(true);
    EXPECT_TRUE(line.Shown());
    EXPECT_FALSE(line.IsChosen());
    int nStep = 0;
    for (const Step& s : steps) {
        if (s.event == kChoose)
            line.Choose(s.bLevel);
        else if (s.event == kPortHas)
            line.PortHas(s.bLevel);
        else
            line.Refused(s.bLevel);
        EXPECT_EQ(s.bShown, line.Shown()) << "step " << nStep;
        EXPECT_EQ(s.bChosen, line.IsChosen()) << "step " << nStep;
        ++nStep;
    }
}

TEST(OutputLine, LevelsOfTheLinesInReportedSettings)
{
    const struct { unsigned control; bool bDtrOn, bRtsOn; } cases[] = {
        { 0, false, false },   // DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE
        { 1, true, true },     // ..._ENABLE
        { 2, true, true },     // ..._HANDSHAKE
        { 3, false, false },   // RTS_CONTROL_TOGGLE: raised only while sending
    };
    for (const auto& c : cases) {
        DCB dcb = Filled(0);
        dcb.fDtrControl = c.control;
        dcb.fRtsControl = c.control;
        EXPECT_EQ(c.bDtrOn, DtrLevelOf(dcb)) << c.control;
        EXPECT_EQ(c.bRtsOn, RtsLevelOf(dcb)) << c.control;
    }
}

TEST(ModemStatusLines, UnknownUntilReadThenEachLineFromItsBitOrItsNotification)
{
    using L = CModemStatusLines;
    const L::Line lines[] = { L::kCts, L::kDsr, L::kRing, L::kDcd };
    const DWORD bits[] = { MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON };
    L status;
    for (L::Line line : lines)
        EXPECT_EQ(L::kUnknown, status.StateOf(line));

    for (size_t i = 0; i < 4; ++i) {
        status.Read(bits[i]);
        for (size_t j = 0; j < 4; ++j)
            EXPECT_EQ(i == j ? L::kOn : L::kOff, status.StateOf(lines[j])) << "bit " << i << ", line " << j;
    }
    status.Read(MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON | 0xFF00);
    status.Set(L::kDsr, false);
    EXPECT_EQ(L::kOn, status.StateOf(L::kCts));
    EXPECT_EQ(L::kOff, status.StateOf(L::kDsr));
    status.Forget();
    for (L::Line line : lines)
        EXPECT_EQ(L::kUnknown, status.StateOf(line));
}

TEST(ModemStatusLines, IndicatorNamesTheLineAndMarksItsState)
{
    using L = CModemStatusLines;
    const struct { L::Line line; L::State state; const wchar_t* text; } cases[] = {
        { L::kCts, L::kOn, L"CTS ●" },
        { L::kDsr, L::kOff, L"DSR ○" },
        { L::kRing, L::kUnknown, L"RI ？" },
        { L::kDcd, L::kOn, L"DCD ●" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, L::IndicatorText(c.line, c.state));
}

TEST(LineErrorCounts, EachNotificationCountsOnceForEveryKindItsFlagsName)
{
    const struct { DWORD flags; ULONGLONG nFraming, nParity, nOverrun; } steps[] = {
        { 0, 0, 0, 0 },
        { CE_FRAME, 1, 0, 0 },
        { CE_FRAME, 2, 0, 0 },
        { CE_RXPARITY, 2, 1, 0 },
        { CE_OVERRUN, 2, 1, 1 },
        { CE_RXOVER, 2, 1, 2 },
        { CE_OVERRUN | CE_RXOVER, 2, 1, 3 },   // bytes were lost: one overrun
        { CE_FRAME | CE_RXPARITY | CE_OVERRUN, 3, 2, 4 },
        { CE_BREAK | CE_TXFULL, 3, 2, 4 },     // not line errors of received data
    };
    LineErrorCounts counts;
    for (const auto& s : steps) {
        counts.Add(s.flags);
        EXPECT_EQ(s.nFraming, counts.nFraming) << std::hex << s.flags;
        EXPECT_EQ(s.nParity, counts.nParity) << std::hex << s.flags;
        EXPECT_EQ(s.nOverrun, counts.nOverrun) << std::hex << s.flags;
    }
    EXPECT_NE(LineErrorCounts(), counts);
    EXPECT_EQ(LineErrorCounts(), LineErrorCounts());
}

}  // namespace
