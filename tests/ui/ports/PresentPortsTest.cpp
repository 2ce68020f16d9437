// The ports present, read from a fake machine: its device map, its Ports-class devices and, under
// Wine, what each COM link leads to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ui/ports/PresentPorts.h"

bool operator==(const PresentPort& a, const PresentPort& b)
{
    return a.nNumber == b.nNumber && a.name == b.name;
}

std::ostream& operator<<(std::ostream& os, const PresentPort& port)
{
    return os << "COM" << port.nNumber << " \"" << std::string(port.name.begin(), port.name.end()) << "\"";
}

namespace {

constexpr int kHighest = 255;

struct RegistryValue {
    std::wstring name;
    DWORD nType;
    std::wstring data;
    bool bTerminated = true;   // the stored bytes end with a zero character
};

struct PortsDevice {
    std::optional<std::wstring> portName;      // its device key's "PortName"
    std::optional<std::wstring> description;   // SPDRP_DEVICEDESC
    bool bDescriptionTerminated = true;
};

// What GetFileAttributesW answers for \\.\COMn under Wine.
struct FileAnswer {
    DWORD nAttributes;
    DWORD nError;
};

const FileAnswer kDevice = { INVALID_FILE_ATTRIBUTES, ERROR_INVALID_PARAMETER };   // a device file
const FileAnswer kNoDevice = { INVALID_FILE_ATTRIBUTES, ERROR_BAD_DEV_TYPE };      // link without target
const FileAnswer kFolder = { FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE, 0 };

// A machine as the query sees it. Every key and device list it hands out must be given back.
class FakeMachine : public PortListApi {
public:
    std::optional<std::vector<RegistryValue>> deviceMap;   // none: the key does not exist
    bool bWine = false;
    std::map<int, FileAnswer> files;                      // others: not found
    std::vector<PortsDevice> devices;

    std::vector<std::wstring> askedFiles;
    int nOpenHandles = 0;

    LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) override
    {
        EXPECT_EQ(HKEY_LOCAL_MACHINE, hKey);
        const std::wstring subKey = lpSubKey;
        if (subKey == L"HARDWARE\\DEVICEMAP\\SERIALCOMM" && deviceMap)
            *phkResult = kDeviceMapKey;
        else if (subKey == L"Software\\Wine" && bWine)
            *phkResult = kWineKey;
        else
            return ERROR_FILE_NOT_FOUND;
        ++nOpenHandles;
        return ERROR_SUCCESS;
    }

    LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                       LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) override
    {
        EXPECT_EQ(kDeviceMapKey, hKey);
        if (dwIndex >= deviceMap->size())
            return ERROR_NO_MORE_ITEMS;
        const RegistryValue& value = (*deviceMap)[dwIndex];
        if (value.name.size() + 1 > *lpcchValueName)
            return ERROR_MORE_DATA;
        std::wmemcpy(lpValueName, value.name.c_str(), value.name.size() + 1);
        *lpcchValueName = static_cast<DWORD>(value.name.size());
        *lpType = value.nType;
        return CopyData(value.data, value.bTerminated, lpData, lpcbData);
    }

    LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                          LPDWORD lpcbData) override
    {
        const size_t nDevice = reinterpret_cast<UINT_PTR>(hKey) - kFirstDeviceKey;
        if (nDevice >= devices.size() || std::wstring(lpValueName) != L"PortName" || !devices[nDevice].portName)
            return ERROR_FILE_NOT_FOUND;
        *lpType = REG_SZ;
        return CopyData(*devices[nDevice].portName, true, lpData, lpcbData);
    }

    LONG RegCloseKey(HKEY) override
    {
        --nOpenHandles;
        return ERROR_SUCCESS;
    }

    HDEVINFO SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR, HWND, DWORD Flags) override
    {
        const GUID portsClass = { 0x4D36E978, 0xE325, 0x11CE, { 0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18 } };
        EXPECT_TRUE(ClassGuid != nullptr && IsEqualGUID(*ClassGuid, portsClass));
        EXPECT_EQ(static_cast<DWORD>(DIGCF_PRESENT), Flags);
        ++nOpenHandles;
        return kDeviceList;
    }

    BOOL SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData) override
    {
        EXPECT_EQ(kDeviceList, DeviceInfoSet);
        EXPECT_EQ(sizeof(SP_DEVINFO_DATA), DeviceInfoData->cbSize);
        if (MemberIndex >= devices.size()) {
            m_nLastError = ERROR_NO_MORE_ITEMS;
            return FALSE;
        }
        DeviceInfoData->DevInst = MemberIndex;
        return TRUE;
    }

    HKEY SetupDiOpenDevRegKey(HDEVINFO, PSP_DEVINFO_DATA DeviceInfoData, DWORD, DWORD, DWORD KeyType, REGSAM) override
    {
        EXPECT_EQ(static_cast<DWORD>(DIREG_DEV), KeyType);
        ++nOpenHandles;
        return reinterpret_cast<HKEY>(static_cast<UINT_PTR>(kFirstDeviceKey + DeviceInfoData->DevInst));
    }

    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                           PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                           DWORD PropertyBufferSize, PDWORD RequiredSize) override
    {
        const PortsDevice& device = devices.at(DeviceInfoData->DevInst);
        if (Property != SPDRP_DEVICEDESC || !device.description) {
            m_nLastError = ERROR_INVALID_DATA;
            return FALSE;
        }
        *PropertyRegDataType = REG_SZ;
        // What the buffer held before: none of the value's.
        std::fill_n(reinterpret_cast<wchar_t*>(PropertyBuffer), PropertyBufferSize / sizeof(wchar_t), L'X');
        DWORD cbData = PropertyBufferSize;
        const LONG nResult = CopyData(*device.description, device.bDescriptionTerminated, PropertyBuffer, &cbData);
        if (RequiredSize != nullptr)
            *RequiredSize = cbData;
        return nResult == ERROR_SUCCESS;
    }

    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) override
    {
        EXPECT_EQ(kDeviceList, DeviceInfoSet);
        --nOpenHandles;
        return TRUE;
    }

    DWORD GetFileAttributesW(LPCWSTR lpFileName) override
    {
        askedFiles.push_back(lpFileName);
        int nNumber = 0;
        const auto answer = std::swscanf(lpFileName, L"\\\\.\\COM%d", &nNumber) == 1 ? files.find(nNumber) : files.end();
        const FileAnswer found = answer != files.end() ? answer->second : FileAnswer{ INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND };
        m_nLastError = found.nError;
        return found.nAttributes;
    }

    DWORD GetLastError() override { return m_nLastError; }

private:
    static inline const HKEY kDeviceMapKey = reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x100));
    static inline const HKEY kWineKey = reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x101));
    static constexpr UINT_PTR kFirstDeviceKey = 0x200;
    static inline const HDEVINFO kDeviceList = reinterpret_cast<HDEVINFO>(static_cast<UINT_PTR>(0x300));

    static LONG CopyData(const std::wstring& text, bool bTerminated, LPBYTE lpData, LPDWORD lpcbData)
    {
        const DWORD cbNeeded = static_cast<DWORD>((text.size() + (bTerminated ? 1 : 0)) * sizeof(wchar_t));
        if (cbNeeded > *lpcbData) {
            *lpcbData = cbNeeded;
            return ERROR_MORE_DATA;
        }
        std::memcpy(lpData, text.c_str(), cbNeeded);
        *lpcbData = cbNeeded;
        return ERROR_SUCCESS;
    }

    DWORD m_nLastError = 0;
};

RegistryValue Port(const std::wstring& text)
{
    static int nSerial = 0;
    return { L"\\Device\\Serial" + std::to_wstring(nSerial++), REG_SZ, text };
}

TEST(PresentPortsTest, PortsTheSystemListsWithTheirDevicesNames)
{
    struct Case {
        const wchar_t* name;
        std::optional<std::vector<RegistryValue>> deviceMap;
        bool bWine;
        std::map<int, FileAnswer> files;
        std::vector<PortsDevice> devices;
        std::vector<PresentPort> expected;
    };
    const std::map<int, FileAnswer> wineFiles = {
        { 5, kDevice }, { 6, kNoDevice }, { 7, kFolder }, { 9, { FILE_ATTRIBUTE_NORMAL, 0 } },
        { 33, { INVALID_FILE_ATTRIBUTES, ERROR_ACCESS_DENIED } },
    };
    const std::vector<RegistryValue> wineMap = { Port(L"COM5"), Port(L"COM6"), Port(L"COM7"), Port(L"COM8"),
                                                 Port(L"COM9"), Port(L"COM33") };
    const Case cases[] = {
        { L"no device map", std::nullopt, false, {}, {}, {} },
        { L"an empty device map", std::vector<RegistryValue>{}, false, {}, {}, {} },
        { L"one port", std::vector<RegistryValue>{ Port(L"COM3") }, false, {}, {}, { { 3, L"" } } },
        { L"several, by number, each once",
          std::vector<RegistryValue>{ Port(L"COM12"), Port(L"COM3"), { L"\\Device\\VCP0", REG_SZ, L"COM3" } },
          false, {}, {}, { { 3, L"" }, { 12, L"" } } },
        { L"names from the Ports devices (one stored without its terminator); a name missing, a device without a port name or on no listed port",
          std::vector<RegistryValue>{ Port(L"COM3"), Port(L"COM12") }, false, {},
          { { L"COM9", L"Not listed" }, { std::nullopt, L"No port name" }, { L"LPT1", L"打印机端口" },
            { L"COM12", std::nullopt }, { L"COM3", L"USB-SERIAL CH340", false }, { L"COM3", L"Second device" } },
          { { 3, L"USB-SERIAL CH340" }, { 12, L"" } } },
        { L"values that name no port of the list are left out",
          std::vector<RegistryValue>{
              { L"\\Device\\Serial1", REG_EXPAND_SZ, L"COM1" }, Port(L"COM0"), Port(L"COM256"), Port(L"COMX"),
              Port(L"LPT2"), Port(L"COM"), Port(L"COM4 "), Port(L"+COM4"),
              Port(L"COM4 followed by a text too long for a port name"), Port(L"com7"),
              { L"\\Device\\Serial9", REG_SZ, L"COM9", false },
              { std::wstring(300, L'N'), REG_SZ, L"COM10" }, Port(L"COM255") },
          false, {}, {}, { { 7, L"" }, { 9, L"" }, { 255, L"" } } },
        { L"Wine: only numbers whose link leads to a device, a file or something unknown",
          wineMap, true, wineFiles, {}, { { 5, L"" }, { 9, L"" }, { 33, L"" } } },
        { L"Windows: the map alone, no port looked at", wineMap, false, wineFiles, {},
          { { 5, L"" }, { 6, L"" }, { 7, L"" }, { 8, L"" }, { 9, L"" }, { 33, L"" } } },
    };
    for (const Case& c : cases) {
        FakeMachine machine;
        machine.deviceMap = c.deviceMap;
        machine.bWine = c.bWine;
        machine.files = c.files;
        machine.devices = c.devices;
        EXPECT_EQ(c.expected, FindPresentPorts(machine, kHighest)) << c.name;
        EXPECT_EQ(0, machine.nOpenHandles) << c.name << ": keys or device lists left open";
        if (!c.bWine) {
            EXPECT_TRUE(machine.askedFiles.empty()) << c.name << ": a port was looked at outside Wine";
        }
    }
}

}  // namespace
