// The serial ports present on this machine, found without opening any.
#pragma once

#include <string>
#include <vector>

#include "ui/ports/PortListApi.h"

struct PresentPort {
    int nNumber;          // n of "COMn"
    std::wstring name;    // the device's description; empty when the system gives none
};

// The ports from COM1 to COM<nHighest> that the system lists now, by number, each once.
//
// - Which ports: the device map, HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, whose values name "COMn".
//   Windows' serial drivers add a port there when its device arrives and remove it when it leaves.
// - Under Wine (HKLM\Software\Wine exists) the map is written once, when the session starts, with
//   every number Wine maps (HKLM\Software\Wine\Ports and the host's own serial devices), whether a
//   device is behind it or not. There a port counts as present only while its COM link leads to
//   something that is not a folder: Wine answers GetFileAttributesW("\\.\COMn") by looking at
//   that file, without opening it. On Windows the call is never made: there it would open the port.
// - Names: the "Ports" device class (present devices only), matching its "PortName" value to the
//   number; the name is the device description ("USB-SERIAL CH340"). Wine lists no such devices.
//
// Anything unreadable (a value of another type, a text that is not "COMn", a number out of range,
// a device without a port name) is left out; a source that cannot be read at all gives nothing.
std::vector<PresentPort> FindPresentPorts(PortListApi& api, int nHighest);
