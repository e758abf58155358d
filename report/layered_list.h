// The list of layered service providers in the WinSock protocol catalogue.
#pragma once

#include <cstddef>
#include <cstdint>

#include "report/report.h"

constexpr int CatalogNameUnits = 256;  // WSAPROTOCOL_LEN + 1
constexpr int32_t LayeredProtocolChainLen = 0;

// One catalogue record (WSAPROTOCOL_INFOW) as the list reads it: the three
// fields it needs at their offsets in the platform's 628-byte record, so that
// the catalogue buffer can be read in place. Everything else is opaque.
struct CatalogEntry {
    uint8_t before[36];
    uint32_t dwCatalogEntryId;
    struct {
        int32_t ChainLen;
        uint32_t ChainEntries[7];
    } ProtocolChain;
    uint8_t between[44];
    char16_t szProtocol[CatalogNameUnits];
};

static_assert(sizeof(CatalogEntry) == 628, "catalogue records lie 628 bytes apart");
static_assert(offsetof(CatalogEntry, dwCatalogEntryId) == 36, "dwCatalogEntryId offset");
static_assert(offsetof(CatalogEntry, ProtocolChain.ChainLen) == 40, "ChainLen offset");
static_assert(offsetof(CatalogEntry, szProtocol) == 116, "szProtocol offset");

// Appends "%04d - <name>\r\n" for each layered entry (ChainLen 0), in
// catalogue order, to the terminated text already in the list. The name is
// narrowed by value (U+0001..U+00FF become that byte; the first unit above
// U+00FF ends it) and never read past its 256-unit field.
// A line that does not fit whole is left out, and so is every entry after
// it: the list never holds a cut line.
void AppendLayeredProviders(char (&list)[ReportTextCapacity], const CatalogEntry* entries, int32_t count);

// The number of records to read from a catalogue buffer of bufferBytes whose
// enumeration reported `reported`: never more than the whole records it holds.
int32_t ClampCatalogCount(int32_t reported, uint32_t bufferBytes);
