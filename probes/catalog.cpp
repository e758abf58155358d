#include "probes/catalog.h"

#include "probes/os.h"

ProtocolCatalog EnumProtocolCatalog()
{
    ProtocolCatalog catalog = {nullptr, 0};
    DWORD length = 0;
    int error = 0;

    // The first pass only learns the size; WinSock need not be started for it.
    if (OsWSCEnumProtocols(nullptr, nullptr, &length, &error) == SOCKET_ERROR && error != WSAENOBUFS)
        return catalog;

    const DWORD allocated = length;
    WSAPROTOCOL_INFOW* buffer = static_cast<WSAPROTOCOL_INFOW*>(OsGlobalAlloc(GMEM_ZEROINIT, allocated));
    if (buffer == nullptr)
        return catalog;

    // No retry: a catalogue that grew in between simply goes unlisted.
    const int count = OsWSCEnumProtocols(nullptr, buffer, &length, &error);
    if (count == SOCKET_ERROR) {
        OsGlobalFree(buffer);
        return catalog;
    }

    catalog.buffer = buffer;
    // Never trust the count past the records that fit in what was allocated.
    catalog.count = ClampCatalogCount(count, allocated);
    return catalog;
}

void FreeProtocolCatalog(WSAPROTOCOL_INFOW* buffer)
{
    OsGlobalFree(buffer);
}
