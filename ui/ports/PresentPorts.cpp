#include "ui/ports/PresentPorts.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string>

#include "framework/DecimalDigits.h"

namespace {

// The "Ports" setup class (COM and LPT ports): {4D36E978-E325-11CE-BFC1-08002BE10318}.
const GUID kPortsClass = { 0x4D36E978, 0xE325, 0x11CE, { 0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18 } };

const wchar_t kDeviceMapKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
const wchar_t kWineKey[] = L"Software\\Wine";

// Long enough for "COM255" and its terminator, and for any name a device map value has.
constexpr DWORD kPortNameChars = 16;
constexpr DWORD kValueNameChars = 256;
constexpr DWORD kDescriptionChars = 256;

// The text of a registry value of cbData bytes, up to its terminator: the registry does not
// guarantee one, and what follows the value in the buffer is not the value's.
std::wstring RegistryText(const wchar_t* pszData, DWORD cbData)
{
    const wchar_t* end = pszData + cbData / sizeof(wchar_t);
    return std::wstring(pszData, std::find(pszData, end, L'\0'));
}

// The number of a port name, "COMn" (any case) with 1 <= n <= nHighest; 0 for anything else.
int PortNumber(const wchar_t* pszData, DWORD cbData, int nHighest)
{
    const std::wstring text = RegistryText(pszData, cbData);
    const wchar_t* last = text.c_str() + text.size();
    if (text.size() < 4 || (text[0] | 0x20) != L'c' || (text[1] | 0x20) != L'o' || (text[2] | 0x20) != L'm')
        return 0;
    unsigned long long nNumber = 0;
    if (ReadDecimalDigits(text.c_str() + 3, last, static_cast<unsigned long long>(nHighest), nNumber) != last
        || nNumber == 0)
        return 0;
    return static_cast<int>(nNumber);
}

// The port number that a REG_SZ value of the key names, or 0.
int QueryPortNumber(PortListApi& api, HKEY hKey, LPCWSTR pszValue, int nHighest)
{
    wchar_t szData[kPortNameChars] = L"";
    DWORD nType = 0;
    DWORD cbData = sizeof(szData);
    if (api.RegQueryValueExW(hKey, pszValue, nullptr, &nType, reinterpret_cast<BYTE*>(szData), &cbData)
            != ERROR_SUCCESS
        || nType != REG_SZ)
        return 0;
    return PortNumber(szData, cbData, nHighest);
}

// The numbers the device map lists, each mapped to an empty name.
std::map<int, std::wstring> ReadDeviceMap(PortListApi& api, int nHighest)
{
    std::map<int, std::wstring> ports;
    HKEY hKey = nullptr;
    if (api.RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDeviceMapKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return ports;
    for (DWORD nIndex = 0;; ++nIndex) {
        wchar_t szValueName[kValueNameChars];
        DWORD nValueNameChars = kValueNameChars;
        wchar_t szData[kPortNameChars];
        DWORD cbData = sizeof(szData);
        DWORD nType = 0;
        const LONG nResult = api.RegEnumValueW(hKey, nIndex, szValueName, &nValueNameChars, nullptr, &nType,
                                               reinterpret_cast<BYTE*>(szData), &cbData);
        if (nResult == ERROR_MORE_DATA)
            continue;   // too long for a port name; the next value may be one
        if (nResult != ERROR_SUCCESS)
            break;      // ERROR_NO_MORE_ITEMS, or a map that cannot be read further
        if (nType != REG_SZ)
            continue;
        if (const int nNumber = PortNumber(szData, cbData, nHighest))
            ports.emplace(nNumber, std::wstring());
    }
    api.RegCloseKey(hKey);
    return ports;
}

bool IsWine(PortListApi& api)
{
    HKEY hKey = nullptr;
    if (api.RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWineKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    api.RegCloseKey(hKey);
    return true;
}

// Under Wine: whether COMn's link leads to a device. A missing link or target reads as "not
// found" or "bad device type"; a folder (the prefix may map a number to one) is no port; a
// device file, neither file nor folder, is refused as ERROR_INVALID_PARAMETER. Any other answer
// counts as present, so a port is never hidden on a guess.
bool WineDeviceIsThere(PortListApi& api, int nNumber)
{
    const std::wstring path = L"\\\\.\\COM" + std::to_wstring(nNumber);
    const DWORD nAttributes = api.GetFileAttributesW(path.c_str());
    if (nAttributes != INVALID_FILE_ATTRIBUTES)
        return (nAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    const DWORD nError = api.GetLastError();
    return nError != ERROR_FILE_NOT_FOUND && nError != ERROR_PATH_NOT_FOUND && nError != ERROR_BAD_DEV_TYPE;
}

// Gives each listed port the description of the present device whose "PortName" names it.
void ReadNames(PortListApi& api, int nHighest, std::map<int, std::wstring>& ports)
{
    const HDEVINFO hDevices = api.SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (hDevices == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD nIndex = 0; api.SetupDiEnumDeviceInfo(hDevices, nIndex, &device); ++nIndex) {
        const HKEY hKey = api.SetupDiOpenDevRegKey(hDevices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
        if (hKey == INVALID_HANDLE_VALUE)
            continue;
        const int nNumber = QueryPortNumber(api, hKey, L"PortName", nHighest);
        api.RegCloseKey(hKey);
        const auto port = ports.find(nNumber);
        if (port == ports.end() || !port->second.empty())
            continue;
        wchar_t szDescription[kDescriptionChars] = L"";
        DWORD nType = 0;
        DWORD cbDescription = sizeof(szDescription);
        if (api.SetupDiGetDeviceRegistryPropertyW(hDevices, &device, SPDRP_DEVICEDESC, &nType,
                                                  reinterpret_cast<BYTE*>(szDescription), sizeof(szDescription),
                                                  &cbDescription)
            && nType == REG_SZ)
            port->second = RegistryText(szDescription, std::min<DWORD>(cbDescription, sizeof(szDescription)));
    }
    api.SetupDiDestroyDeviceInfoList(hDevices);
}

}  // namespace

std::vector<PresentPort> FindPresentPorts(PortListApi& api, int nHighest)
{
    std::map<int, std::wstring> ports = ReadDeviceMap(api, nHighest);
    if (!ports.empty() && IsWine(api)) {
        for (auto port = ports.begin(); port != ports.end();)
            port = WineDeviceIsThere(api, port->first) ? std::next(port) : ports.erase(port);
    }
    if (!ports.empty())
        ReadNames(api, nHighest, ports);

    std::vector<PresentPort> present;
    for (auto& port : ports)
        present.push_back({ port.first, std::move(port.second) });
    return present;
}
