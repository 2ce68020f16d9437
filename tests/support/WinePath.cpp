#include "tests/support/WinePath.h"

namespace testsupport {

std::wstring WinePathOfUnixFile(const std::string& unixPath)
{
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return path;
}

} // namespace testsupport
