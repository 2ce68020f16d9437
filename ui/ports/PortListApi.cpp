#include "ui/ports/PortListApi.h"

namespace {

class SystemApi : public PortListApi {
public:
    LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) override
    {
        return ::RegOpenKeyExW(hKey, lpSubKey, ulOptions, samDesired, phkResult);
    }
    LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                       LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) override
    {
        return ::RegEnumValueW(hKey, dwIndex, lpValueName, lpcchValueName, lpReserved, lpType, lpData, lpcbData);
    }
    LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                          LPDWORD lpcbData) override
    {
        return ::RegQueryValueExW(hKey, lpValueName, lpReserved, lpType, lpData, lpcbData);
    }
    LONG RegCloseKey(HKEY hKey) override { return ::RegCloseKey(hKey); }

    HDEVINFO SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent, DWORD Flags) override
    {
        return ::SetupDiGetClassDevsW(ClassGuid, Enumerator, hwndParent, Flags);
    }
    BOOL SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData) override
    {
        return ::SetupDiEnumDeviceInfo(DeviceInfoSet, MemberIndex, DeviceInfoData);
    }
    HKEY SetupDiOpenDevRegKey(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Scope,
                              DWORD HwProfile, DWORD KeyType, REGSAM samDesired) override
    {
        return ::SetupDiOpenDevRegKey(DeviceInfoSet, DeviceInfoData, Scope, HwProfile, KeyType, samDesired);
    }
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                           PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                           DWORD PropertyBufferSize, PDWORD RequiredSize) override
    {
        return ::SetupDiGetDeviceRegistryPropertyW(DeviceInfoSet, DeviceInfoData, Property, PropertyRegDataType,
                                                   PropertyBuffer, PropertyBufferSize, RequiredSize);
    }
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) override
    {
        return ::SetupDiDestroyDeviceInfoList(DeviceInfoSet);
    }

    DWORD GetFileAttributesW(LPCWSTR lpFileName) override { return ::GetFileAttributesW(lpFileName); }
    DWORD GetLastError() override { return ::GetLastError(); }
};

}  // namespace

PortListApi& SystemPortListApi()
{
    static SystemApi api;
    return api;
}
