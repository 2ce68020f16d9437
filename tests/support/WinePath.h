// Paths of Linux files as Windows programs under Wine see them (drive Z: is the Linux root).
#pragma once

#include <string>

namespace testsupport {

std::wstring WinePathOfUnixFile(const std::string& unixPath);

} // namespace testsupport
