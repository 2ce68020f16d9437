#pragma once

#include "engine/SerialLink.h"

#include <atomic>

// A CSerialLink on the real ports that counts how often each worker loop was entered and how
// often it returned, so a test sees which workers a mode starts and that every one of them ended
// by itself (a worker ended by force enters its loop and never returns).
class ObservedLink : public CSerialLink
{
public:
    // The loops count into the members below: stop them while those still exist.
    ~ObservedLink() override { Close(STOP_WAIT); }

    // One bit per worker loop.
    enum Loop : unsigned
    {
        kMonitorOverlapped = 1,
        kMonitorPolled = 2,
        kReceive = 4,
        kTransmit = 8,
    };

    // Loops entered at least once since construction.
    unsigned EnteredLoops() const { return Select([](int entered, int) { return entered > 0; }); }
    // Loops entered and not yet returned.
    unsigned RunningLoops() const
    {
        return Select([](int entered, int returned) { return entered > returned; });
    }

    unsigned MonitorLoopOverlapped() override
    {
        Enter(0);
        return Leave(0, CSerialLink::MonitorLoopOverlapped());
    }
    unsigned MonitorLoopPolled() override
    {
        Enter(1);
        return Leave(1, CSerialLink::MonitorLoopPolled());
    }
    unsigned ReceiveLoop() override
    {
        Enter(2);
        return Leave(2, CSerialLink::ReceiveLoop());
    }
    unsigned TransmitLoop() override
    {
        Enter(3);
        return Leave(3, CSerialLink::TransmitLoop());
    }

private:
    static constexpr int kLoops = 4; // index i stands for Loop bit 1 << i

    void Enter(int index) { ++m_entered[index]; }
    unsigned Leave(int index, unsigned result)
    {
        ++m_returned[index];
        return result;
    }
    template <class Test>
    unsigned Select(Test test) const
    {
        unsigned loops = 0;
        for (int i = 0; i < kLoops; ++i)
        {
            // Returned is read first: a loop counted as returned has certainly been entered.
            const int returned = m_returned[i];
            if (test(m_entered[i].load(), returned))
                loops |= 1u << i;
        }
        return loops;
    }

    std::atomic<int> m_entered[kLoops] = {};
    std::atomic<int> m_returned[kLoops] = {};
};
