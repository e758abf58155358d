#include "tests/fake_os.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "probes/os.h"

FakeOs fakeOs;

static const HKEY openedKey = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234));

static std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
static std::string Printf(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

static const char* NameOf(const void* pointer)
{
    if (pointer == nullptr)
        return "NULL";
    if (std::find(fakeOs.liveAllocations.begin(), fakeOs.liveAllocations.end(), pointer) !=
        fakeOs.liveAllocations.end())
        return "allocation";
    return "other";
}

static bool AllZero(const void* bytes, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    return std::all_of(p, p + size, [](unsigned char b) { return b == 0; });
}

void ResetFakeOs()
{
    for (void* p : fakeOs.liveAllocations)
        free(p);
    fakeOs = FakeOs();
    fakeOs.enumReplies = {{SOCKET_ERROR, WSAENOBUFS, 0, {}}, {0, 0, 0, {}}};
    fakeOs.volumeResult = 1;
    fakeOs.volumeSerial = 0x12345678;
    fakeOs.packedVersion = 0x0A280105;
    fakeOs.availPhys = 536870912;
    fakeOs.totalPhys = 1073741824;
    fakeOs.diskResult = 1;
    fakeOs.diskTotal = 80026361856ull;
    fakeOs.diskTotalFree = 20013180928ull;
    fakeOs.startupResult = 0;
    memset(&fakeOs.startupData, 0, sizeof fakeOs.startupData);
    fakeOs.startupData.wVersion = 0x0101;
    fakeOs.startupData.wHighVersion = 0x0202;
    snprintf(fakeOs.startupData.szDescription, sizeof fakeOs.startupData.szDescription, "WinSock 2.0");
    snprintf(fakeOs.startupData.szSystemStatus, sizeof fakeOs.startupData.szSystemStatus, "Running");
    fakeOs.versionExResult = 1;
    memset(&fakeOs.versionEx, 0, sizeof fakeOs.versionEx);
    fakeOs.versionEx.dwMajorVersion = 5;
    fakeOs.versionEx.dwMinorVersion = 1;
    fakeOs.versionEx.dwBuildNumber = 2600;
    snprintf(fakeOs.versionEx.szCSDVersion, sizeof fakeOs.versionEx.szCSDVersion, "Service Pack 3");
    fakeOs.openResult = ERROR_SUCCESS;
    fakeOs.versionValue = std::string("8.0.6001.18702", 15);
}

CatalogEntry FakeCatalogEntry(uint32_t id, int32_t chainLen, const std::u16string& name)
{
    CatalogEntry entry;
    memset(&entry, 0, sizeof entry);
    entry.dwCatalogEntryId = id;
    entry.ProtocolChain.ChainLen = chainLen;
    memcpy(entry.szProtocol, name.data(), std::min(name.size(), size_t(CatalogNameUnits)) * sizeof(char16_t));
    return entry;
}

int OsWSCEnumProtocols(int* lpiProtocols, WSAPROTOCOL_INFOW* lpProtocolBuffer, DWORD* lpdwBufferLength, int* lpErrno)
{
    fakeOs.calls.push_back(Printf("WSCEnumProtocols(%s, %s, %u)", lpiProtocols ? "list" : "NULL",
                                  NameOf(lpProtocolBuffer), *lpdwBufferLength));
    if (fakeOs.enumCallsMade >= fakeOs.enumReplies.size())
        abort();  // the test did not expect this call
    const FakeEnumReply& reply = fakeOs.enumReplies[fakeOs.enumCallsMade++];
    if (lpProtocolBuffer != nullptr && !reply.records.empty()) {
        const size_t fit = std::min(reply.records.size(), size_t(*lpdwBufferLength / sizeof(CatalogEntry)));
        memcpy(lpProtocolBuffer, reply.records.data(), fit * sizeof(CatalogEntry));
    }
    *lpdwBufferLength = reply.lengthOut;
    *lpErrno = reply.error;
    return reply.result;
}

HGLOBAL OsGlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    fakeOs.calls.push_back(Printf("GlobalAlloc(0x%04X, %zu)", uFlags, dwBytes));
    if (fakeOs.globalAllocFails)
        return nullptr;
    // Exactly the size asked for, so that AddressSanitizer sees a read past it.
    void* memory = malloc(dwBytes == 0 ? 1 : dwBytes);
    memset(memory, (uFlags & GMEM_ZEROINIT) ? 0 : 0xCD, dwBytes == 0 ? 1 : dwBytes);
    fakeOs.liveAllocations.push_back(memory);
    return memory;
}

void OsGlobalFree(HGLOBAL hMem)
{
    fakeOs.calls.push_back(Printf("GlobalFree(%s)", NameOf(hMem)));
    auto live = std::find(fakeOs.liveAllocations.begin(), fakeOs.liveAllocations.end(), hMem);
    if (live != fakeOs.liveAllocations.end()) {
        free(hMem);
        fakeOs.liveAllocations.erase(live);
    }
}

BOOL OsGetVolumeInformationA(const char* lpRootPathName, char* lpVolumeNameBuffer, DWORD nVolumeNameSize,
                             DWORD* lpVolumeSerialNumber, DWORD* lpMaximumComponentLength,
                             DWORD* lpFileSystemFlags, char* lpFileSystemNameBuffer, DWORD nFileSystemNameSize)
{
    fakeOs.calls.push_back(Printf("GetVolumeInformationA(%s, %u, %u)", lpRootPathName, nVolumeNameSize,
                                  nFileSystemNameSize));
    // Fill every out-parameter to its stated size: a size larger than the real buffer shows under ASan.
    memset(lpVolumeNameBuffer, 'v', nVolumeNameSize);
    memset(lpFileSystemNameBuffer, 'f', nFileSystemNameSize);
    *lpMaximumComponentLength = 255;
    *lpFileSystemFlags = 0x3;
    if (!fakeOs.volumeResult)
        return 0;
    *lpVolumeSerialNumber = fakeOs.volumeSerial;
    return 1;
}

DWORD OsGetVersion()
{
    fakeOs.calls.push_back("GetVersion()");
    return fakeOs.packedVersion;
}

void OsGlobalMemoryStatus(MEMORYSTATUS* lpBuffer)
{
    fakeOs.calls.push_back(Printf("GlobalMemoryStatus(dwLength=%u)", lpBuffer->dwLength));
    lpBuffer->dwAvailPhys = fakeOs.availPhys;
    lpBuffer->dwTotalPhys = fakeOs.totalPhys;
}

BOOL OsGetDiskFreeSpaceExA(const char* lpDirectoryName, ULARGE_INTEGER* lpFreeBytesAvailableToCaller,
                           ULARGE_INTEGER* lpTotalNumberOfBytes, ULARGE_INTEGER* lpTotalNumberOfFreeBytes)
{
    fakeOs.calls.push_back(Printf("GetDiskFreeSpaceExA(%s)", lpDirectoryName ? lpDirectoryName : "NULL"));
    if (!fakeOs.diskResult) {
        // A failed call may leave anything behind.
        lpFreeBytesAvailableToCaller->QuadPart = lpTotalNumberOfBytes->QuadPart =
            lpTotalNumberOfFreeBytes->QuadPart = 0xDEADBEEFDEADBEEFull;
        return 0;
    }
    lpFreeBytesAvailableToCaller->QuadPart = 1;  // never shown: the report wants the volume's totals
    lpTotalNumberOfBytes->QuadPart = fakeOs.diskTotal;
    lpTotalNumberOfFreeBytes->QuadPart = fakeOs.diskTotalFree;
    return 1;
}

int OsWSAStartup(WORD wVersionRequested, WSADATA* lpWSAData)
{
    fakeOs.calls.push_back(Printf("WSAStartup(0x%04X)", wVersionRequested));
    if (fakeOs.startupResult != 0)
        return fakeOs.startupResult;
    *lpWSAData = fakeOs.startupData;
    return 0;
}

int OsWSACleanup()
{
    fakeOs.calls.push_back("WSACleanup()");
    return 0;
}

BOOL OsGetVersionExA(OSVERSIONINFOA* lpVersionInformation)
{
    const bool zeroed = AllZero(reinterpret_cast<const char*>(lpVersionInformation) + sizeof(DWORD),
                                sizeof *lpVersionInformation - sizeof(DWORD));
    fakeOs.calls.push_back(Printf("GetVersionExA(size=%u, %s)", lpVersionInformation->dwOSVersionInfoSize,
                                  zeroed ? "zeroed" : "not zeroed"));
    if (!fakeOs.versionExResult)
        return 0;
    const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    *lpVersionInformation = fakeOs.versionEx;
    lpVersionInformation->dwOSVersionInfoSize = size;
    return 1;
}

LONG OsRegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY* phkResult)
{
    fakeOs.calls.push_back(Printf("RegOpenKeyExA(%s, %s, %u, 0x%X)", hKey == HKEY_LOCAL_MACHINE ? "HKLM" : "other",
                                  lpSubKey, ulOptions, samDesired));
    if (fakeOs.openResult != ERROR_SUCCESS)
        return fakeOs.openResult;
    *phkResult = openedKey;
    return ERROR_SUCCESS;
}

LONG OsRegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                        DWORD* lpcbData)
{
    fakeOs.calls.push_back(Printf("RegQueryValueExA(%s, %s, %s, %s, %u)", hKey == openedKey ? "key" : "other",
                                  lpValueName, lpReserved ? "reserved" : "NULL", lpType ? "type" : "NULL",
                                  *lpcbData));
    const DWORD size = static_cast<DWORD>(fakeOs.versionValue.size());
    const DWORD room = *lpcbData;
    *lpcbData = size;
    if (size > room) {
        // What a too-small buffer holds afterwards is not defined; fill it all.
        memset(lpData, 'X', room);
        return ERROR_MORE_DATA;
    }
    memcpy(lpData, fakeOs.versionValue.data(), size);
    return ERROR_SUCCESS;
}

LONG OsRegCloseKey(HKEY hKey)
{
    fakeOs.calls.push_back(Printf("RegCloseKey(%s)", hKey == openedKey ? "key" : "other"));
    return ERROR_SUCCESS;
}
