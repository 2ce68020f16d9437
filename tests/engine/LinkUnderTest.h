#pragma once

#include "engine/SerialLink.h"
#include "tests/support/FakeSerialDevice.h"

#include <mutex>
#include <string>
#include <vector>

// A CSerialLink on a fake device, with its internals open to the tests.
class LinkUnderTest : public CSerialLink
{
public:
    explicit LinkUnderTest(FakeSerialDevice& device) : CSerialLink(device) {}

    using CSerialLink::m_bRunning;
    using CSerialLink::m_csTransmit;
    using CSerialLink::m_hMonitorThread;
    using CSerialLink::m_hMonitorWake;
    using CSerialLink::m_hReceiveThread;
    using CSerialLink::m_hReceiveWake;
    using CSerialLink::m_hTransmitThread;
    using CSerialLink::m_hTransmitWake;
    using CSerialLink::m_olRead;
    using CSerialLink::m_olWait;
    using CSerialLink::m_olWrite;
    using CSerialLink::m_szPortName;
    using CSerialLink::NoteQueueEmpty;
};

// Records every notification hook (and, for ordering, how many reads and writes the device had
// seen when it ran), then lets the base class deliver it.
class HookRecordingLink : public LinkUnderTest
{
public:
    struct Hook
    {
        std::string name;
        size_t readsBefore;
        size_t writesBefore;
    };

    explicit HookRecordingLink(FakeSerialDevice& device) : LinkUnderTest(device), m_device(device) {}
    // Workers run the hooks: stop them while the members the hooks use still exist.
    ~HookRecordingLink() override { Close(STOP_WAIT); }

    std::vector<std::string> HookNames()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::string> names;
        for (const Hook& hook : m_hooks)
            names.push_back(hook.name);
        return names;
    }
    std::vector<Hook> Hooks()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_hooks;
    }

    void NotifyReceive() override
    {
        Record("Receive");
        CSerialLink::NotifyReceive();
    }
    void NotifyDsr() override
    {
        Record("Dsr");
        CSerialLink::NotifyDsr();
    }
    void NotifyCts() override
    {
        Record("Cts");
        CSerialLink::NotifyCts();
    }
    void NotifyBreak() override
    {
        Record("Break");
        CSerialLink::NotifyBreak();
    }
    void NotifyTxEmpty() override
    {
        Record("TxEmpty");
        CSerialLink::NotifyTxEmpty();
    }
    void NotifyError() override
    {
        Record("Error");
        CSerialLink::NotifyError();
    }
    void NotifyRing() override
    {
        Record("Ring");
        CSerialLink::NotifyRing();
    }
    void NotifyRlsd() override
    {
        Record("Rlsd");
        CSerialLink::NotifyRlsd();
    }
    void NotifyRxFlag() override
    {
        Record("RxFlag");
        CSerialLink::NotifyRxFlag();
    }
    void NotifyAux1() override
    {
        Record("Aux1");
        CSerialLink::NotifyAux1();
    }
    void NotifyAux2() override
    {
        Record("Aux2");
        CSerialLink::NotifyAux2();
    }
    void NotifyAux3() override
    {
        Record("Aux3");
        CSerialLink::NotifyAux3();
    }
    void NotifyAux4() override
    {
        Record("Aux4");
        CSerialLink::NotifyAux4();
    }
    void NotifyAux5() override
    {
        Record("Aux5");
        CSerialLink::NotifyAux5();
    }

private:
    void Record(const char* name)
    {
        const size_t reads = m_device.CountCalls(FakeSerialDevice::Call::ReadFile);
        const size_t writes = m_device.CountCalls(FakeSerialDevice::Call::WriteFile);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hooks.push_back({name, reads, writes});
    }

    FakeSerialDevice& m_device;
    std::mutex m_mutex;
    std::vector<Hook> m_hooks;
};
