// The report text's cost against the size of the protocol catalogue: the
// layered list built from N records, then the whole report laid out.
// The list stops at its capacity, so past a few hundred records the cost
// should stop growing; below that it should grow in step with N.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "report/layered_list.h"
#include "report/report.h"

namespace {

void SetName(CatalogEntry& entry, const char* name)
{
    size_t index = 0;
    for (; name[index] != '\0' && index + 1 < CatalogNameUnits; ++index)
        entry.szProtocol[index] = static_cast<char16_t>(static_cast<unsigned char>(name[index]));
    entry.szProtocol[index] = 0;
}

// A catalogue as machines have them: base providers and their protocol
// chains, with a layered record (ChainLen 0) every few entries. Layered names
// run to a few dozen characters, so the list fills after about 200 of them.
std::vector<CatalogEntry> MakeCatalog(int count)
{
    static const char* const protocols[] = {"TCP/IP", "UDP/IP", "TCP/IPv6", "UDP/IPv6", "RSVP TCP Service Provider"};
    std::vector<CatalogEntry> entries(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) {
        CatalogEntry& entry = entries[static_cast<size_t>(index)];
        memset(&entry, 0, sizeof entry);
        entry.dwCatalogEntryId = 1001 + static_cast<uint32_t>(index);
        const char* protocol = protocols[index % 5];
        char name[CatalogNameUnits];
        switch (index % 3) {
        case 0:  // layered
            entry.ProtocolChain.ChainLen = LayeredProtocolChainLen;
            snprintf(name, sizeof name, "Quorvane Test Layer %d over [%s]", index, protocol);
            break;
        case 1:  // base
            entry.ProtocolChain.ChainLen = 1;
            snprintf(name, sizeof name, "Base Provider [%s]", protocol);
            break;
        default:  // chain: a layer over a base
            entry.ProtocolChain.ChainLen = 2;
            entry.ProtocolChain.ChainEntries[0] = entry.dwCatalogEntryId - 2;
            entry.ProtocolChain.ChainEntries[1] = entry.dwCatalogEntryId - 1;
            snprintf(name, sizeof name, "Quorvane Test Chain %d [%s]", index, protocol);
            break;
        }
        SetName(entry, name);
    }
    return entries;
}

class ReportText : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State& state) override
    {
        entries = MakeCatalog(static_cast<int>(state.range(0)));
        memset(&fields, 0, sizeof fields);
        fields.SystemId = DeriveSystemId(0x13572468);
        snprintf(fields.IeVersion, sizeof fields.IeVersion, "%s", "11.0.9600.19036");
        FormatWindowsLine(fields.WindowsLine, 6, 1, 7601, "Service Pack 1");
        FormatWinsockLine(fields.WinsockLine, 0x0101, 0x0202, "WinSock 2.0", "Running");
        FormatMemoryDiskLine(fields.MemoryDiskLine, 1536000000u, 4294000000u, 51200000000ull, 256000000000ull);
    }

    void TearDown(const benchmark::State&) override { entries.clear(); }

    // How far the list got: "listed" below "layered" means it stopped at its capacity.
    void Report(benchmark::State& state, bool withReport)
    {
        state.SetComplexityN(state.range(0));
        int layered = 0, listed = 0;
        for (const CatalogEntry& entry : entries)
            layered += entry.ProtocolChain.ChainLen == LayeredProtocolChainLen;
        for (const char* at = fields.LayeredList; (at = strchr(at, '\n')) != nullptr; ++at)
            ++listed;
        state.counters["layered"] = layered;
        state.counters["listed"] = listed;
        state.counters["list_bytes"] = static_cast<double>(strlen(fields.LayeredList));
        if (withReport)
            state.counters["report_bytes"] = static_cast<double>(strlen(report));
    }

    std::vector<CatalogEntry> entries;
    ReportFields fields;
    char report[ReportTextCapacity] = {};
};

}  // namespace

BENCHMARK_DEFINE_F(ReportText, LayeredList)(benchmark::State& state)
{
    const int32_t count = static_cast<int32_t>(entries.size());
    for (auto _ : state) {
        // Zero-filled whole, as the program does before each gathering.
        memset(fields.LayeredList, 0, sizeof fields.LayeredList);
        AppendLayeredProviders(fields.LayeredList, entries.data(), count);
        benchmark::DoNotOptimize(fields.LayeredList);
        benchmark::ClobberMemory();
    }
    Report(state, false);
}
// The empty catalogue is the fixed cost on its own: the curve is fitted
// without it, as Google Benchmark cannot fit through N = 0.
BENCHMARK_REGISTER_F(ReportText, LayeredList)->Arg(0);
BENCHMARK_REGISTER_F(ReportText, LayeredList)->Arg(10)->Arg(37)->Arg(1000)->Complexity();

BENCHMARK_DEFINE_F(ReportText, LayeredListAndReport)(benchmark::State& state)
{
    const int32_t count = static_cast<int32_t>(entries.size());
    for (auto _ : state) {
        memset(fields.LayeredList, 0, sizeof fields.LayeredList);
        AppendLayeredProviders(fields.LayeredList, entries.data(), count);
        ComposeReport(fields, report);
        benchmark::DoNotOptimize(report);
        benchmark::ClobberMemory();
    }
    Report(state, true);
}
BENCHMARK_REGISTER_F(ReportText, LayeredListAndReport)->Arg(0);
BENCHMARK_REGISTER_F(ReportText, LayeredListAndReport)->Arg(10)->Arg(37)->Arg(1000)->Complexity();
