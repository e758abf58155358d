// Turns arbitrary bytes into catalogue records and field texts, runs the list
// and the report through them, and checks the result against a plain model:
// always terminated, never past a capacity, only whole lines of layered entries.
#include "report/layered_list.h"
#include "report/report.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

#define CHECK(condition)                                                   \
    do {                                                                   \
        if (!(condition)) {                                                \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                       \
        }                                                                  \
    } while (0)

// Exactly sized heap texts, so that AddressSanitizer sees any write past a capacity.
template <size_t Capacity>
struct HeapText {
    std::unique_ptr<char[]> storage{new char[Capacity]};
    char (&text())[Capacity] { return *reinterpret_cast<char(*)[Capacity]>(storage.get()); }
};

std::string ModelName(const CatalogEntry& entry)
{
    std::string name;
    for (int i = 0; i < CatalogNameUnits && entry.szProtocol[i] != 0 && entry.szProtocol[i] <= 0xFF; ++i)
        name += static_cast<char>(entry.szProtocol[i]);
    return name;
}

// "%04d": zeros between the sign and the digits up to four characters in all.
std::string Padded(int32_t id)
{
    std::string digits = std::to_string(id);
    if (digits.size() >= 4)
        return digits;
    const size_t sign = id < 0 ? 1 : 0;
    return digits.insert(sign, 4 - digits.size(), '0');
}

std::string ConsumeText(FuzzedDataProvider& data, size_t maxLength)
{
    std::string text = data.ConsumeRandomLengthString(maxLength);
    return text.substr(0, strnlen(text.c_str(), text.size()));  // as a C string sees it
}

void CheckList(FuzzedDataProvider& data)
{
    // The list may already hold text (always terminated), often up near its capacity.
    size_t prefill = 0;
    switch (data.ConsumeIntegralInRange<int>(0, 2)) {
    case 1: prefill = data.ConsumeIntegralInRange<size_t>(0, ReportTextCapacity - 1); break;
    case 2: prefill = ReportTextCapacity - 1 - data.ConsumeIntegralInRange<size_t>(0, 300); break;
    }

    const size_t given = data.ConsumeIntegralInRange<size_t>(0, 48);
    std::vector<CatalogEntry> records(given);
    for (CatalogEntry& entry : records) {
        memset(&entry, data.ConsumeIntegral<uint8_t>(), sizeof entry);  // noise around the fields
        entry.dwCatalogEntryId = data.ConsumeIntegral<uint32_t>();
        const int32_t chainChoices[] = {0, 0, 1, 3, data.ConsumeIntegral<int32_t>()};
        entry.ProtocolChain.ChainLen = chainChoices[data.ConsumeIntegralInRange<int>(0, 4)];
        const bool terminated = data.ConsumeBool();
        const int units = data.ConsumeIntegralInRange<int>(0, terminated ? CatalogNameUnits - 1 : CatalogNameUnits);
        const bool wide = data.ConsumeBool();
        for (int i = 0; i < units; ++i)
            entry.szProtocol[i] = wide ? data.ConsumeIntegral<uint16_t>() : data.ConsumeIntegralInRange<uint16_t>(1, 0xFF);
        if (terminated)
            entry.szProtocol[units] = 0;
    }

    int32_t reported;
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: reported = 0; break;
    case 1: reported = data.ConsumeIntegralInRange<int32_t>(INT32_MIN, -1); break;
    case 2: reported = static_cast<int32_t>(given); break;
    default: reported = data.ConsumeIntegralInRange<int32_t>(static_cast<int32_t>(given), INT32_MAX); break;
    }
    const uint32_t bufferBytes = static_cast<uint32_t>(given * sizeof(CatalogEntry));
    const int32_t count = ClampCatalogCount(reported, bufferBytes);
    CHECK(count <= static_cast<int32_t>(given));

    HeapText<ReportTextCapacity> list;
    memset(list.text(), 0, ReportTextCapacity);
    memset(list.text(), 'p', prefill);

    AppendLayeredProviders(list.text(), records.data(), count);

    const size_t length = strnlen(list.text(), ReportTextCapacity);
    CHECK(length < ReportTextCapacity);
    std::string expected(prefill, 'p');
    for (int32_t i = 0; i < count; ++i) {
        if (records[i].ProtocolChain.ChainLen != 0)
            continue;
        std::string line = Padded(static_cast<int32_t>(records[i].dwCatalogEntryId)) + " - " + ModelName(records[i]) + "\r\n";
        if (expected.size() + line.size() > ReportTextCapacity - 1)
            break;  // a line that does not fit ends the list
        expected += line;
    }
    CHECK(std::string(list.text(), length) == expected);
}

void CheckReport(FuzzedDataProvider& data)
{
    ReportFields fields;
    memset(&fields, 0, sizeof fields);
    fields.SystemId = DeriveSystemId(data.ConsumeIntegral<uint32_t>());
    CHECK(fields.SystemId < 0x80000000u);

    std::string list = ConsumeText(data, ReportTextCapacity - 1);
    memcpy(fields.LayeredList, list.data(), list.size());
    std::string ie = ConsumeText(data, ReportLineCapacity - 1);
    memcpy(fields.IeVersion, ie.data(), ie.size());

    // Platform texts of any length go through the line formatters.
    std::string csd = ConsumeText(data, 3000), description = ConsumeText(data, 3000), status = ConsumeText(data, 3000);
    HeapText<ReportLineCapacity> line;
    FormatWindowsLine(line.text(), data.ConsumeIntegral<uint32_t>(), data.ConsumeIntegral<uint32_t>(),
                      data.ConsumeIntegral<uint32_t>(), csd.c_str());
    CHECK(strnlen(line.text(), ReportLineCapacity) < ReportLineCapacity);
    CHECK(strncmp(line.text(), "Win ", 4) == 0);
    memcpy(fields.WindowsLine, line.text(), ReportLineCapacity);

    FormatWinsockLine(line.text(), data.ConsumeIntegral<uint16_t>(), data.ConsumeIntegral<uint16_t>(),
                      description.c_str(), status.c_str());
    CHECK(strnlen(line.text(), ReportLineCapacity) < ReportLineCapacity);
    CHECK(strncmp(line.text(), "WinSock: 0x", 11) == 0);
    memcpy(fields.WinsockLine, line.text(), ReportLineCapacity);

    FormatMemoryDiskLine(line.text(), data.ConsumeIntegral<uint32_t>(), data.ConsumeIntegral<uint32_t>(),
                         data.ConsumeIntegral<uint64_t>(), data.ConsumeIntegral<uint64_t>());
    CHECK(strnlen(line.text(), ReportLineCapacity) < ReportLineCapacity);
    memcpy(fields.MemoryDiskLine, line.text(), ReportLineCapacity);

    if (data.ConsumeBool())
        fields.WinsockLine[0] = '\0';  // a failed probe

    HeapText<ReportTextCapacity> report;
    memset(report.text(), 'r', ReportTextCapacity);
    ComposeReport(fields, report.text());

    char id[16];
    snprintf(id, sizeof id, "%X", static_cast<unsigned>(fields.SystemId));
    const std::string expected = std::string("SystemID: ") + id + "\r\n\r\n" + fields.LayeredList + "\r\nIE: " +
                                 fields.IeVersion + "\r\n" + fields.WindowsLine + "\r\n" + fields.WinsockLine +
                                 "\r\n" + fields.MemoryDiskLine + "\r\n";
    const size_t length = strnlen(report.text(), ReportTextCapacity);
    CHECK(length < ReportTextCapacity);
    CHECK(std::string(report.text(), length) == expected.substr(0, ReportTextCapacity - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    if (data.ConsumeBool())
        CheckList(data);
    else
        CheckReport(data);
    return 0;
}
