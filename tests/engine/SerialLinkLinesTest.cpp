// The line's own signals: DTR and RTS set through EscapeCommFunction, the modem status read with
// GetCommModemStatus; each one call on an open port, false when the port refuses or is closed.
#include "tests/engine/LinkUnderTest.h"

#include <gtest/gtest.h>

#include <functional>

using Call = FakeSerialDevice::Call;

namespace
{
struct LineCase
{
    const char* name;
    std::function<bool(CSerialLink&)> set;
    DWORD function;                              // the EscapeCommFunction code expected
    std::function<bool(FakeSerialDevice&)> line; // the line's level at the device
    bool on;
};

const LineCase kLineCases[] = {
    {"DTR on", [](CSerialLink& l) { return l.SetDtr(true); }, SETDTR,
     [](FakeSerialDevice& d) { return d.DtrOn(); }, true},
    {"DTR off", [](CSerialLink& l) { return l.SetDtr(false); }, CLRDTR,
     [](FakeSerialDevice& d) { return d.DtrOn(); }, false},
    {"RTS on", [](CSerialLink& l) { return l.SetRts(true); }, SETRTS,
     [](FakeSerialDevice& d) { return d.RtsOn(); }, true},
    {"RTS off", [](CSerialLink& l) { return l.SetRts(false); }, CLRRTS,
     [](FakeSerialDevice& d) { return d.RtsOn(); }, false},
};

std::vector<DWORD> EscapeFunctions(FakeSerialDevice& device)
{
    std::vector<DWORD> functions;
    for (const auto& record : device.Calls())
    {
        if (record.call == Call::EscapeCommFunction)
            functions.push_back(record.args[0]);
    }
    return functions;
}
} // namespace

TEST(SerialLinkLines, DtrAndRtsAreSetByOneEscapeCommFunctionEach)
{
    for (const LineCase& c : kLineCases)
    {
        SCOPED_TRACE(c.name);
        FakeSerialDevice device;
        LinkUnderTest link(device);
        ASSERT_TRUE(link.SetMode(0));
        ASSERT_TRUE(link.Open(3));
        device.ClearCalls();
        EXPECT_TRUE(c.set(link));
        EXPECT_EQ(std::vector<DWORD>{c.function}, EscapeFunctions(device));
        EXPECT_EQ(c.on, c.line(device));
    }
}

TEST(SerialLinkLines, RefusedOrClosedPortReportsFalseAndTheLineStaysAsItWas)
{
    for (const LineCase& c : kLineCases)
    {
        SCOPED_TRACE(c.name);
        FakeSerialDevice device;
        LinkUnderTest link(device);
        EXPECT_FALSE(c.set(link)) << "closed";
        EXPECT_EQ(0u, device.CountCalls(Call::EscapeCommFunction)) << "closed: no call";

        ASSERT_TRUE(link.SetMode(0));
        ASSERT_TRUE(link.Open(3));
        const bool before = c.line(device);
        device.FailCall(Call::EscapeCommFunction, ERROR_NOT_SUPPORTED);
        EXPECT_FALSE(c.set(link)) << "refused";
        EXPECT_EQ(before, c.line(device));
    }
}

TEST(SerialLinkLines, ModemStatusIsReadWhileOpenAndNotPretendedOtherwise)
{
    FakeSerialDevice device;
    LinkUnderTest link(device);
    DWORD status = 0xDEADBEEF;
    EXPECT_FALSE(link.ReadModemStatus(&status)) << "closed";
    EXPECT_EQ(0u, device.CountCalls(Call::GetCommModemStatus));

    ASSERT_TRUE(link.SetMode(0));
    ASSERT_TRUE(link.Open(3));
    device.SetModemStatus(MS_CTS_ON | MS_RLSD_ON);
    ASSERT_TRUE(link.ReadModemStatus(&status));
    EXPECT_EQ(static_cast<DWORD>(MS_CTS_ON | MS_RLSD_ON), status);

    device.FailCall(Call::GetCommModemStatus, ERROR_NOT_SUPPORTED);
    EXPECT_FALSE(link.ReadModemStatus(&status)) << "refused";
}
