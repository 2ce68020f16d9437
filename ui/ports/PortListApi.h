// Where the ports present come from: the registry's device map, the Ports device class and, under
// Wine, the device a COM number leads to. One virtual per system call, with the same arguments and
// results, and a system implementation that holds no logic, so tests can stand in for a machine's
// devices. None of these calls opens a port: opening one raises DTR, and many boards reset then.
#pragma once

#include <windows.h>
#include <setupapi.h>

class PortListApi {
public:
    virtual ~PortListApi() = default;

    virtual LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                               PHKEY phkResult) = 0;
    virtual LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                               LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) = 0;
    virtual LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                  LPBYTE lpData, LPDWORD lpcbData) = 0;
    virtual LONG RegCloseKey(HKEY hKey) = 0;

    virtual HDEVINFO SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent,
                                          DWORD Flags) = 0;
    virtual BOOL SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex,
                                       PSP_DEVINFO_DATA DeviceInfoData) = 0;
    virtual HKEY SetupDiOpenDevRegKey(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                      DWORD Scope, DWORD HwProfile, DWORD KeyType,
                                      REGSAM samDesired) = 0;
    virtual BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                   DWORD Property, PDWORD PropertyRegDataType,
                                                   PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                                   PDWORD RequiredSize) = 0;
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) = 0;

    // Under Wine only (see FindPresentPorts): Wine answers from the file its COM link names.
    virtual DWORD GetFileAttributesW(LPCWSTR lpFileName) = 0;
    virtual DWORD GetLastError() = 0;
};

PortListApi& SystemPortListApi();
