// The port side of devsim: runs the simulated device on a COM port through CSerialLink.
#pragma once

#include "tools/devsim/DeviceSimulator.h"

namespace devsim {

// Opens COM<port> at `baud` (8 data bits, no parity, one stop bit), plays `device` on it until a
// WM_QUIT reaches the calling thread, then closes the port. False, after saying why on stderr,
// when the port cannot be opened.
bool RunDeviceOnPort(int port, unsigned long baud, CDeviceSimulator& device);

} // namespace devsim
