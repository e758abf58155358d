// The machine's WinSock protocol catalogue, read whole into one buffer.
#pragma once

#include <cstdint>

#include "probes/platform.h"

struct ProtocolCatalog {
    WSAPROTOCOL_INFOW* buffer;  // GlobalAlloc'd; none when the catalogue could not be read
    int32_t count;              // whole records in the buffer
};

// The caller owns the buffer, when there is one, and frees it with FreeProtocolCatalog.
ProtocolCatalog EnumProtocolCatalog();
void FreeProtocolCatalog(WSAPROTOCOL_INFOW* buffer);
