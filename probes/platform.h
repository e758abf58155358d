// The Win32 records, types and constants the probes use. On Windows they are
// the platform's own; on the host they are stand-ins laid out as on 32-bit
// Windows, holding only what the probes touch, so that the same probe code
// runs against the fake in the tests.
#pragma once

#include "report/layered_list.h"

#ifdef _WIN32

#include <winsock2.h>
#include <ws2spi.h>
#include <windows.h>

#include <cstddef>

// The catalogue buffer is read in place as CatalogEntry records.
static_assert(sizeof(WSAPROTOCOL_INFOW) == 628, "WSAPROTOCOL_INFOW size");
static_assert(sizeof(WCHAR) == sizeof(char16_t), "WCHAR is one UTF-16 unit");
static_assert(offsetof(WSAPROTOCOL_INFOW, dwCatalogEntryId) == offsetof(CatalogEntry, dwCatalogEntryId),
              "dwCatalogEntryId offset");
static_assert(offsetof(WSAPROTOCOL_INFOW, ProtocolChain.ChainLen) == offsetof(CatalogEntry, ProtocolChain.ChainLen),
              "ProtocolChain.ChainLen offset");
static_assert(offsetof(WSAPROTOCOL_INFOW, szProtocol) == offsetof(CatalogEntry, szProtocol), "szProtocol offset");
static_assert(sizeof(MEMORYSTATUS) == 32, "MEMORYSTATUS size");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA size");

#else

#include <cstddef>
#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef int32_t BOOL;
typedef int32_t LONG;
typedef DWORD REGSAM;
typedef size_t SIZE_T;
typedef void* HGLOBAL;
typedef struct HostKey* HKEY;

#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u)))
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr int SOCKET_ERROR = -1;
constexpr int WSAENOBUFS = 10055;

typedef CatalogEntry WSAPROTOCOL_INFOW;

struct MEMORYSTATUS {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    uint32_t dwTotalPhys;
    uint32_t dwAvailPhys;
    uint32_t dwTotalPageFile;
    uint32_t dwAvailPageFile;
    uint32_t dwTotalVirtual;
    uint32_t dwAvailVirtual;
};
static_assert(sizeof(MEMORYSTATUS) == 32, "MEMORYSTATUS size");

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA size");

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[256 + 1];
    char szSystemStatus[128 + 1];
};

union ULARGE_INTEGER {
    uint64_t QuadPart;
};

#endif
