#include "report/report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A text with guard bytes behind it, to see any write past the capacity.
template <size_t Capacity>
struct Guarded {
    char text[Capacity];
    unsigned char guard[32];
};

template <size_t Capacity>
void ArmGuard(Guarded<Capacity>& g)
{
    memset(g.text, 'x', sizeof g.text);
    memset(g.guard, 0xA5, sizeof g.guard);
}

template <size_t Capacity>
void ExpectGuardIntact(const Guarded<Capacity>& g)
{
    for (unsigned char byte : g.guard)
        ASSERT_EQ(byte, 0xA5) << "written past the capacity";
}

ReportFields EmptyFields()
{
    ReportFields fields;
    memset(&fields, 0, sizeof fields);
    return fields;
}

void Put(char* dst, size_t capacity, const std::string& text)
{
    ASSERT_LT(text.size(), capacity);
    memcpy(dst, text.c_str(), text.size() + 1);
}

std::string Compose(const ReportFields& fields)
{
    static char report[ReportTextCapacity];
    ComposeReport(fields, report);
    return report;
}

TEST(DeriveSystemId, ComplementsThenShiftsRight)
{
    struct Row { uint32_t source, expected; } rows[] = {
        {0x12345678u, 0x76E5D4C3u},
        {0x00000000u, 0x7FFFFFFFu},
        {0x00000001u, 0x7FFFFFFFu},  // the lowest bit never shows
        {0xFFFFFFFEu, 0x00000000u},
        {0xFFFFFFFFu, 0x00000000u},
        {0x80000000u, 0x3FFFFFFFu},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DeriveSystemId(row.source), row.expected) << std::hex << "source 0x" << row.source;
}

TEST(ComposeReport, FirstLineIsUpperHexWithoutPaddingOrPrefix)
{
    struct Row { uint32_t source; const char* firstLine; } rows[] = {
        {0x12345678u, "SystemID: 76E5D4C3\r\n"},
        {0xFFFFFFFFu, "SystemID: 0\r\n"},
        {0xFFFF0000u, "SystemID: 7FFF\r\n"},
    };
    for (const Row& row : rows) {
        ReportFields fields = EmptyFields();
        fields.SystemId = DeriveSystemId(row.source);
        std::string report = Compose(fields);
        EXPECT_EQ(report.substr(0, strlen(row.firstLine)), row.firstLine);
    }
}

TEST(ComposeReport, LaysOutEveryFieldInOrder)
{
    ReportFields fields = EmptyFields();
    fields.SystemId = 0x76E5D4C3u;
    Put(fields.LayeredList, sizeof fields.LayeredList, "1001 - Layer A\r\n1003 - Layer B\r\n");
    Put(fields.IeVersion, sizeof fields.IeVersion, "8.0.6001.18702");
    Put(fields.WindowsLine, sizeof fields.WindowsLine, "Win 5.1 build 2600, Service Pack 3");
    Put(fields.WinsockLine, sizeof fields.WinsockLine, "WinSock: 0x0101, 0x0202, WinSock 2.0, Running");
    Put(fields.MemoryDiskLine, sizeof fields.MemoryDiskLine, "RAM 512Mb/1024Mb, HDD 20000Mb/80000Mb");

    EXPECT_EQ(Compose(fields),
              "SystemID: 76E5D4C3\r\n"
              "\r\n"
              "1001 - Layer A\r\n"
              "1003 - Layer B\r\n"
              "\r\n"
              "IE: 8.0.6001.18702\r\n"
              "Win 5.1 build 2600, Service Pack 3\r\n"
              "WinSock: 0x0101, 0x0202, WinSock 2.0, Running\r\n"
              "RAM 512Mb/1024Mb, HDD 20000Mb/80000Mb\r\n");
}

TEST(ComposeReport, EmptyFieldsKeepTheirLines)
{
    ReportFields fields = EmptyFields();
    fields.SystemId = 0x7FFFFFFFu;
    Put(fields.WindowsLine, sizeof fields.WindowsLine, "Win 6.2 build 9200, ");
    Put(fields.MemoryDiskLine, sizeof fields.MemoryDiskLine, "RAM 1Mb/2Mb, HDD 3Mb/4Mb");

    // Empty list: two empty lines; empty IE: "IE: " with its blank; empty WinSock: an empty line.
    EXPECT_EQ(Compose(fields),
              "SystemID: 7FFFFFFF\r\n"
              "\r\n"
              "\r\n"
              "IE: \r\n"
              "Win 6.2 build 9200, \r\n"
              "\r\n"
              "RAM 1Mb/2Mb, HDD 3Mb/4Mb\r\n");

    ReportFields nothing = EmptyFields();
    EXPECT_EQ(Compose(nothing), "SystemID: 0\r\n\r\n\r\nIE: \r\n\r\n\r\n\r\n");
}

TEST(ComposeReport, OneListLineSitsBetweenTwoEmptyLines)
{
    ReportFields fields = EmptyFields();
    Put(fields.LayeredList, sizeof fields.LayeredList, "0007 - Example Layer\r\n");
    EXPECT_EQ(Compose(fields), "SystemID: 0\r\n\r\n0007 - Example Layer\r\n\r\nIE: \r\n\r\n\r\n\r\n");
}

TEST(ComposeReport, CutAtCapacityAndAlwaysTerminated)
{
    // With SystemId 0 and every other field empty, the layout itself takes 29 characters.
    const size_t layout = 29;
    struct Row { size_t listLength; size_t reportLength; const char* tail; } rows[] = {
        {ReportTextCapacity - 1 - layout, ReportTextCapacity - 1, "\r\n\r\n\r\n\r\n"},  // just fits
        {ReportTextCapacity - layout, ReportTextCapacity - 1, " \r\n\r\n\r\n\r"},     // one too many
        {ReportTextCapacity - 1, ReportTextCapacity - 1, "xxxxxxxx"},                 // fullest list
    };
    for (const Row& row : rows) {
        ReportFields fields = EmptyFields();
        memset(fields.LayeredList, 'x', row.listLength);
        Guarded<ReportTextCapacity> out;
        ArmGuard(out);
        ComposeReport(fields, out.text);
        ExpectGuardIntact(out);
        ASSERT_EQ(strnlen(out.text, ReportTextCapacity), row.reportLength) << "list of " << row.listLength;
        std::string report(out.text);
        EXPECT_EQ(report.substr(report.size() - 8), row.tail) << "list of " << row.listLength;
    }

    // Every field full: far more than fits, still cut and terminated.
    ReportFields full = EmptyFields();
    memset(full.LayeredList, 'L', ReportTextCapacity - 1);
    for (char* text : {full.IeVersion, full.WindowsLine, full.WinsockLine, full.MemoryDiskLine})
        memset(text, 'f', ReportLineCapacity - 1);
    Guarded<ReportTextCapacity> out;
    ArmGuard(out);
    ComposeReport(full, out.text);
    ExpectGuardIntact(out);
    EXPECT_EQ(strnlen(out.text, ReportTextCapacity), ReportTextCapacity - 1);
}

TEST(FormatMemoryDiskLine, DividesByAMillionAndPrintsSignedLow32Bits)
{
    struct Row {
        uint32_t availPhys, totalPhys;
        uint64_t totalFree, total;
        const char* expected;
    } rows[] = {
        {999999u, 4294967295u, 250059350016ull, 250059350016ull, "RAM 0Mb/4294Mb, HDD 250059Mb/250059Mb"},
        {1000000u, 1999999u, 999999ull, 1000000ull, "RAM 1Mb/1Mb, HDD 0Mb/1Mb"},
        // Available before total, free before total: the order is not sorted.
        {536870912u, 268435456u, 80000000000ull, 40000000000ull, "RAM 536Mb/268Mb, HDD 80000Mb/40000Mb"},
        // Quotient 2^31 prints as negative; 2^32 + 5 prints its low 32 bits.
        {0u, 0u, 2147483648000000ull, 4294967301000000ull, "RAM 0Mb/0Mb, HDD -2147483648Mb/5Mb"},
        {0u, 0u, 0ull, 0ull, "RAM 0Mb/0Mb, HDD 0Mb/0Mb"},
        {0u, 0u, UINT64_MAX, UINT64_MAX, "RAM 0Mb/0Mb, HDD -140462611Mb/-140462611Mb"},
    };
    for (const Row& row : rows) {
        char line[ReportLineCapacity];
        memset(line, 'x', sizeof line);
        FormatMemoryDiskLine(line, row.availPhys, row.totalPhys, row.totalFree, row.total);
        EXPECT_STREQ(line, row.expected);
    }
}

TEST(FormatWinsockLine, FourUpperHexDigitsThenTextsVerbatim)
{
    struct Row {
        uint16_t version, highVersion;
        const char *description, *status, *expected;
    } rows[] = {
        {0x0101, 0x0202, "WinSock 2.0", "Running", "WinSock: 0x0101, 0x0202, WinSock 2.0, Running"},
        {0x0002, 0xABCD, "d", "s", "WinSock: 0x0002, 0xABCD, d, s"},
        {0xFFFF, 0x0000, "", "", "WinSock: 0xFFFF, 0x0000, , "},
        {0x0101, 0x0202, "100% %s", "%n", "WinSock: 0x0101, 0x0202, 100% %s, %n"},
    };
    for (const Row& row : rows) {
        char line[ReportLineCapacity];
        memset(line, 'x', sizeof line);
        FormatWinsockLine(line, row.version, row.highVersion, row.description, row.status);
        EXPECT_STREQ(line, row.expected);
    }
}

TEST(FormatWindowsLine, SignedDecimalsAndServicePackVerbatim)
{
    struct Row {
        uint32_t major, minor, build;
        const char *csd, *expected;
    } rows[] = {
        {5, 1, 2600, "Service Pack 3", "Win 5.1 build 2600, Service Pack 3"},
        {6, 2, 9200, "", "Win 6.2 build 9200, "},
        {10, 0, 0xFFFFFFFFu, "x", "Win 10.0 build -1, x"},
        {0x80000000u, 0, 0, "", "Win -2147483648.0 build 0, "},
    };
    for (const Row& row : rows) {
        char line[ReportLineCapacity];
        memset(line, 'x', sizeof line);
        FormatWindowsLine(line, row.major, row.minor, row.build, row.csd);
        EXPECT_STREQ(line, row.expected);
    }
}

TEST(LineFormatters, OverlongTextIsCutAtTheLineCapacity)
{
    // "WinSock: 0x0101, 0x0202, " + description + ", s" is 28 characters besides the description.
    struct Row { size_t descriptionLength; const char* tail; } rows[] = {
        {ReportLineCapacity - 1 - 28, "dd, s"},  // just fits
        {ReportLineCapacity - 28, "ddd, "},      // one too many: the last character goes
        {2000, "ddddd"},
    };
    for (const Row& row : rows) {
        std::string description(row.descriptionLength, 'd');
        Guarded<ReportLineCapacity> out;
        ArmGuard(out);
        FormatWinsockLine(out.text, 0x0101, 0x0202, description.c_str(), "s");
        ExpectGuardIntact(out);
        std::string line(out.text, strnlen(out.text, ReportLineCapacity));
        ASSERT_EQ(line.size(), ReportLineCapacity - 1) << "description of " << row.descriptionLength;
        EXPECT_EQ(line.substr(0, 25), "WinSock: 0x0101, 0x0202, ");
        EXPECT_EQ(line.substr(line.size() - 5), row.tail) << "description of " << row.descriptionLength;
    }

    std::string servicePack(2000, 'p');
    Guarded<ReportLineCapacity> out;
    ArmGuard(out);
    FormatWindowsLine(out.text, 5, 1, 2600, servicePack.c_str());
    ExpectGuardIntact(out);
    EXPECT_EQ(std::string(out.text), "Win 5.1 build 2600, " + servicePack.substr(0, ReportLineCapacity - 1 - 20));
}

}  // namespace
