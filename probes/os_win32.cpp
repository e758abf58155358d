// The real binding: each seam call is the Win32 call of the same name.
#include "probes/os.h"

int OsWSCEnumProtocols(int* lpiProtocols, WSAPROTOCOL_INFOW* lpProtocolBuffer, DWORD* lpdwBufferLength, int* lpErrno)
{
    return WSCEnumProtocols(lpiProtocols, lpProtocolBuffer, lpdwBufferLength, lpErrno);
}

HGLOBAL OsGlobalAlloc(UINT uFlags, SIZE_T dwBytes) { return GlobalAlloc(uFlags, dwBytes); }

void OsGlobalFree(HGLOBAL hMem) { GlobalFree(hMem); }

BOOL OsGetVolumeInformationA(const char* lpRootPathName, char* lpVolumeNameBuffer, DWORD nVolumeNameSize,
                             DWORD* lpVolumeSerialNumber, DWORD* lpMaximumComponentLength,
                             DWORD* lpFileSystemFlags, char* lpFileSystemNameBuffer, DWORD nFileSystemNameSize)
{
    return GetVolumeInformationA(lpRootPathName, lpVolumeNameBuffer, nVolumeNameSize, lpVolumeSerialNumber,
                                 lpMaximumComponentLength, lpFileSystemFlags, lpFileSystemNameBuffer,
                                 nFileSystemNameSize);
}

DWORD OsGetVersion() { return GetVersion(); }

void OsGlobalMemoryStatus(MEMORYSTATUS* lpBuffer) { GlobalMemoryStatus(lpBuffer); }

BOOL OsGetDiskFreeSpaceExA(const char* lpDirectoryName, ULARGE_INTEGER* lpFreeBytesAvailableToCaller,
                           ULARGE_INTEGER* lpTotalNumberOfBytes, ULARGE_INTEGER* lpTotalNumberOfFreeBytes)
{
    return GetDiskFreeSpaceExA(lpDirectoryName, lpFreeBytesAvailableToCaller, lpTotalNumberOfBytes,
                               lpTotalNumberOfFreeBytes);
}

int OsWSAStartup(WORD wVersionRequested, WSADATA* lpWSAData) { return WSAStartup(wVersionRequested, lpWSAData); }

int OsWSACleanup() { return WSACleanup(); }

BOOL OsGetVersionExA(OSVERSIONINFOA* lpVersionInformation) { return GetVersionExA(lpVersionInformation); }

LONG OsRegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY* phkResult)
{
    return RegOpenKeyExA(hKey, lpSubKey, ulOptions, samDesired, phkResult);
}

LONG OsRegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                        DWORD* lpcbData)
{
    return RegQueryValueExA(hKey, lpValueName, lpReserved, lpType, lpData, lpcbData);
}

LONG OsRegCloseKey(HKEY hKey) { return RegCloseKey(hKey); }
