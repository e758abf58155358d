// A fake platform for the probes: every seam call is logged with its
// arguments, in order, and answers what the test scripted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "probes/platform.h"

struct FakeEnumReply {
    int result;
    int error;
    DWORD lengthOut;                     // what the call leaves in *lpdwBufferLength
    std::vector<CatalogEntry> records;   // written into the buffer, as far as it reaches
};

struct FakeOs {
    std::vector<std::string> calls;

    std::vector<FakeEnumReply> enumReplies;  // one per WSCEnumProtocols call
    size_t enumCallsMade;
    bool globalAllocFails;
    std::vector<void*> liveAllocations;

    BOOL volumeResult;
    DWORD volumeSerial;
    DWORD packedVersion;

    uint32_t availPhys, totalPhys;
    BOOL diskResult;
    uint64_t diskTotal, diskTotalFree;

    int startupResult;
    WSADATA startupData;

    BOOL versionExResult;
    OSVERSIONINFOA versionEx;

    LONG openResult;
    std::string versionValue;  // the raw bytes of "Version", terminator included where wanted
};

extern FakeOs fakeOs;

// A machine on which every call succeeds, with an empty catalogue.
void ResetFakeOs();

CatalogEntry FakeCatalogEntry(uint32_t id, int32_t chainLen, const std::u16string& name);
