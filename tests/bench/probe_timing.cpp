// Times each probe of the report with the performance counter, in the order
// the program runs them, and prints microseconds per probe: the first run
// (what one start of the program pays, caches cold) and the median, minimum
// and maximum over all runs.
//
//   probe_timing [RUNS]   runs per probe, 20 unless given
// The probes' headers first: they bring in winsock2.h, which must come before windows.h.
#include "probes/catalog.h"
#include "probes/gather.h"
#include "report/layered_list.h"
#include "report/report.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

static LARGE_INTEGER frequency;

// Large enough to keep off the stack; zero-filled before every timed run.
static ReportFields fields;
static char report[ReportTextCapacity];
static char list[ReportTextCapacity];
static char line[ReportLineCapacity];
static volatile uint32_t systemId;

static void CatalogStep()
{
    ProtocolCatalog catalog = EnumProtocolCatalog();
    if (catalog.buffer != nullptr) {
        AppendLayeredProviders(list, reinterpret_cast<const CatalogEntry*>(catalog.buffer), catalog.count);
        FreeProtocolCatalog(catalog.buffer);
    }
}

static void MemoryDisk() { ProbeMemoryDisk(line); }
static void Winsock() { ProbeWinsock(line); }
static void WindowsVersion() { ProbeWindowsVersion(line); }
static void IeVersion() { ProbeIeVersion(line); }
static void SystemId() { systemId = ProbeSystemId(); }

static void GatherAndCompose()
{
    GatherReportFields(fields);
    ComposeReport(fields, report);
}

static void ZeroAll()
{
    memset(&fields, 0, sizeof fields);
    memset(report, 0, sizeof report);
    memset(list, 0, sizeof list);
    memset(line, 0, sizeof line);
}

struct Probe {
    const char* name;
    void (*run)();
};

static double Microseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

int main(int argc, char** argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 20;
    if (runs < 1 || runs > 100000) {
        fprintf(stderr, "usage: probe_timing [RUNS], RUNS from 1 to 100000\n");
        return 2;
    }
    QueryPerformanceFrequency(&frequency);

    // The program's order, so that each first run is what one start of it pays.
    const Probe probes[] = {
        {"catalogue (enum + list + free)", CatalogStep},
        {"ProbeMemoryDisk", MemoryDisk},
        {"ProbeWinsock", Winsock},
        {"ProbeWindowsVersion", WindowsVersion},
        {"ProbeIeVersion", IeVersion},
        {"ProbeSystemId", SystemId},
        {"GatherReportFields + ComposeReport", GatherAndCompose},
    };

    printf("%d runs per probe, counter at %lld Hz; microseconds\n", runs,
           static_cast<long long>(frequency.QuadPart));
    printf("%-36s %10s %10s %10s %10s\n", "probe", "first", "median", "min", "max");
    std::vector<double> samples(static_cast<size_t>(runs));
    for (const Probe& probe : probes) {
        for (int run = 0; run < runs; ++run) {
            ZeroAll();
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            probe.run();
            QueryPerformanceCounter(&end);
            samples[static_cast<size_t>(run)] = Microseconds(start, end);
        }
        const double first = samples[0];
        std::sort(samples.begin(), samples.end());
        const size_t middle = samples.size() / 2;
        const double median =
            samples.size() % 2 != 0 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
        printf("%-36s %10.1f %10.1f %10.1f %10.1f\n", probe.name, first, median, samples.front(),
               samples.back());
    }

    // What the last whole gathering found, so the figures can be read against it.
    printf("report: %u bytes, layered list %u bytes\n", static_cast<unsigned>(strlen(report)),
           static_cast<unsigned>(strlen(fields.LayeredList)));
    return 0;
}
