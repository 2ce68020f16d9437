// One output line of the port (DTR or RTS) as its check box shows it. Nothing is set on the port
// until the user chooses: left alone, the box shows the level the port has, read at connect. A
// choice made while disconnected waits for the next connect; one made while connected is set at
// once. A port that refuses keeps its own level, and the box shows that level again.
#pragma once

#include <windows.h>

class COutputLine {
public:
    // bShown: what the box shows before the first connect.
    explicit COutputLine(bool bShown) : m_bShown(bShown) {}

    // The level the box shows: the port's, or the user's choice that is still to be set.
    bool Shown() const { return m_bShown; }
    // Whether connecting sets the line (to Shown()): the user has chosen and no port refused it.
    bool IsChosen() const { return m_bChosen; }

    // The user ticked or unticked the box: while no port was open, or the port has just set
    // the line. Kept for the next connect either way (a port reopened starts at its own levels).
    void Choose(bool bOn);
    // The level the port has, read at connect for a line the user left alone.
    void PortHas(bool bOn) { m_bShown = bOn; }
    // The port refused to set the line: the choice is dropped, and the box shows bPortLevel.
    void Refused(bool bPortLevel);

private:
    bool m_bShown;
    bool m_bChosen = false;
};

// The levels of the output lines in line settings read from a port: a line held on, or under
// the driver's handshake (raised while the driver can take input), counts as on; a line held
// off, or RTS that is raised only while sending, counts as off.
bool DtrLevelOf(const DCB& dcb);
bool RtsLevelOf(const DCB& dcb);
