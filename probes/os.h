// The platform calls the probes make, one function each, with the Win32
// signature. os_win32.cpp binds them to Windows; the host tests bind them to
// a fake that records every call.
#pragma once

#include "probes/platform.h"

int OsWSCEnumProtocols(int* lpiProtocols, WSAPROTOCOL_INFOW* lpProtocolBuffer, DWORD* lpdwBufferLength, int* lpErrno);
HGLOBAL OsGlobalAlloc(UINT uFlags, SIZE_T dwBytes);
void OsGlobalFree(HGLOBAL hMem);

BOOL OsGetVolumeInformationA(const char* lpRootPathName, char* lpVolumeNameBuffer, DWORD nVolumeNameSize,
                             DWORD* lpVolumeSerialNumber, DWORD* lpMaximumComponentLength,
                             DWORD* lpFileSystemFlags, char* lpFileSystemNameBuffer, DWORD nFileSystemNameSize);
DWORD OsGetVersion();
void OsGlobalMemoryStatus(MEMORYSTATUS* lpBuffer);
BOOL OsGetDiskFreeSpaceExA(const char* lpDirectoryName, ULARGE_INTEGER* lpFreeBytesAvailableToCaller,
                           ULARGE_INTEGER* lpTotalNumberOfBytes, ULARGE_INTEGER* lpTotalNumberOfFreeBytes);
int OsWSAStartup(WORD wVersionRequested, WSADATA* lpWSAData);
int OsWSACleanup();
BOOL OsGetVersionExA(OSVERSIONINFOA* lpVersionInformation);
LONG OsRegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY* phkResult);
LONG OsRegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                        DWORD* lpcbData);
LONG OsRegCloseKey(HKEY hKey);
