#include "probes/catalog.h"
#include "probes/gather.h"
#include "tests/fake_os.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

class Probes : public ::testing::Test {
protected:
    void SetUp() override { ResetFakeOs(); }
    void TearDown() override { EXPECT_TRUE(fakeOs.liveAllocations.empty()) << "catalogue buffer not released"; }

    ReportFields Gather()
    {
        ReportFields fields;
        memset(&fields, 'g', sizeof fields);  // every text must be set, not inherited
        GatherReportFields(fields);
        return fields;
    }

    std::string Report(const ReportFields& fields)
    {
        static char report[ReportTextCapacity];
        ComposeReport(fields, report);
        return report;
    }

    // The calls made while the catalogue was read, before memory is probed.
    Calls CatalogueCalls()
    {
        Calls calls;
        for (const std::string& call : fakeOs.calls) {
            if (call.rfind("GlobalMemoryStatus", 0) == 0)
                break;
            calls.push_back(call);
        }
        return calls;
    }

    size_t Count(const std::string& call) { return std::count(fakeOs.calls.begin(), fakeOs.calls.end(), call); }
};

TEST_F(Probes, GathersEverythingInOrderWithTheRightArguments)
{
    fakeOs.enumReplies = {
        {SOCKET_ERROR, WSAENOBUFS, 3 * 628, {}},
        {3, 0, 3 * 628, {FakeCatalogEntry(1001, 1, u"MSAFD Tcpip [TCP/IP]"),
                         FakeCatalogEntry(1007, 0, u"Example Layer"),
                         FakeCatalogEntry(1008, 2, u"Example Layer over [TCP/IP]")}},
    };
    ReportFields fields = Gather();

    EXPECT_EQ(fakeOs.calls, (Calls{
        "WSCEnumProtocols(NULL, NULL, 0)",
        "GlobalAlloc(0x0040, 1884)",
        "WSCEnumProtocols(NULL, allocation, 1884)",
        "GlobalFree(allocation)",
        "GlobalMemoryStatus(dwLength=32)",
        "GetDiskFreeSpaceExA(NULL)",
        "WSAStartup(0x0101)",
        "WSACleanup()",
        "GetVersionExA(size=148, zeroed)",
        "RegOpenKeyExA(HKLM, SOFTWARE\\Microsoft\\Internet Explorer, 0, 0x1)",
        "RegQueryValueExA(key, Version, NULL, NULL, 1024)",
        "RegCloseKey(key)",
        "GetVolumeInformationA(c:\\, 100, 100)",
    }));
    EXPECT_EQ(Report(fields),
              "SystemID: 76E5D4C3\r\n"
              "\r\n"
              "1007 - Example Layer\r\n"
              "\r\n"
              "IE: 8.0.6001.18702\r\n"
              "Win 5.1 build 2600, Service Pack 3\r\n"
              "WinSock: 0x0101, 0x0202, WinSock 2.0, Running\r\n"
              "RAM 536Mb/1073Mb, HDD 20013Mb/80026Mb\r\n");
}

TEST_F(Probes, EveryProbeFailingStillGivesEveryLine)
{
    fakeOs.enumReplies = {{SOCKET_ERROR, 10014 /* WSAEFAULT */, 0, {}}};
    fakeOs.diskResult = 0;
    fakeOs.startupResult = 10091;  // WSASYSNOTREADY
    fakeOs.versionExResult = 0;
    fakeOs.openResult = 2;  // ERROR_FILE_NOT_FOUND
    fakeOs.volumeResult = 0;
    ReportFields fields = Gather();

    EXPECT_EQ(fakeOs.calls, (Calls{
        "WSCEnumProtocols(NULL, NULL, 0)",
        "GlobalMemoryStatus(dwLength=32)",
        "GetDiskFreeSpaceExA(NULL)",
        "WSAStartup(0x0101)",
        "GetVersionExA(size=148, zeroed)",
        "RegOpenKeyExA(HKLM, SOFTWARE\\Microsoft\\Internet Explorer, 0, 0x1)",
        "GetVolumeInformationA(c:\\, 100, 100)",
        "GetVersion()",
    }));
    // No catalogue, no WinSock, no Windows version, no browser key; the
    // identifier comes from GetVersion's 0x0A280105 and the disk shows zeros.
    EXPECT_EQ(Report(fields),
              "SystemID: 7AEBFF7D\r\n"
              "\r\n"
              "\r\n"
              "IE: \r\n"
              "\r\n"
              "\r\n"
              "RAM 536Mb/1073Mb, HDD 0Mb/0Mb\r\n");
}

TEST_F(Probes, CatalogueEnumerationPaths)
{
    const std::vector<CatalogEntry> two = {FakeCatalogEntry(1001, 0, u"First Layer"),
                                           FakeCatalogEntry(1002, 0, u"Second Layer")};
    struct Row {
        const char* what;
        std::vector<FakeEnumReply> replies;
        bool allocFails;
        Calls calls;
        const char* list;
    } rows[] = {
        {"first call fails with another error: no allocation at all",
         {{SOCKET_ERROR, 10014, 0, {}}}, false,
         {"WSCEnumProtocols(NULL, NULL, 0)"}, ""},
        {"first call does not fail: allocate what it reported, even zero, and release",
         {{0, 0, 0, {}}, {0, 0, 0, {}}}, false,
         {"WSCEnumProtocols(NULL, NULL, 0)", "GlobalAlloc(0x0040, 0)", "WSCEnumProtocols(NULL, allocation, 0)",
          "GlobalFree(allocation)"}, ""},
        {"second call fails: the buffer is released",
         {{SOCKET_ERROR, WSAENOBUFS, 1256, {}}, {SOCKET_ERROR, WSAENOBUFS, 1884, {}}}, false,
         {"WSCEnumProtocols(NULL, NULL, 0)", "GlobalAlloc(0x0040, 1256)", "WSCEnumProtocols(NULL, allocation, 1256)",
          "GlobalFree(allocation)"}, ""},
        {"allocation fails: no second call",
         {{SOCKET_ERROR, WSAENOBUFS, 1256, {}}}, true,
         {"WSCEnumProtocols(NULL, NULL, 0)", "GlobalAlloc(0x0040, 1256)"}, ""},
        {"second call claims more records than the buffer holds: only whole records in it",
         {{SOCKET_ERROR, WSAENOBUFS, 2 * 628 + 100, {}}, {7, 0, 2 * 628 + 100, two}}, false,
         {"WSCEnumProtocols(NULL, NULL, 0)", "GlobalAlloc(0x0040, 1356)", "WSCEnumProtocols(NULL, allocation, 1356)",
          "GlobalFree(allocation)"}, "1001 - First Layer\r\n1002 - Second Layer\r\n"},
        {"count of zero: empty list, buffer still released",
         {{SOCKET_ERROR, WSAENOBUFS, 1256, {}}, {0, 0, 1256, two}}, false,
         {"WSCEnumProtocols(NULL, NULL, 0)", "GlobalAlloc(0x0040, 1256)", "WSCEnumProtocols(NULL, allocation, 1256)",
          "GlobalFree(allocation)"}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ResetFakeOs();
        fakeOs.enumReplies = row.replies;
        fakeOs.globalAllocFails = row.allocFails;
        ReportFields fields = Gather();
        EXPECT_EQ(CatalogueCalls(), row.calls);
        EXPECT_STREQ(fields.LayeredList, row.list);
        EXPECT_TRUE(fakeOs.liveAllocations.empty());
    }
}

TEST_F(Probes, WinsockIsCleanedUpOnlyAfterItStarted)
{
    struct Row { int startup; size_t cleanups; const char* line; } rows[] = {
        {0, 1, "WinSock: 0x0101, 0x0202, WinSock 2.0, Running"},
        {10091, 0, ""},
        {-1, 0, ""},
    };
    for (const Row& row : rows) {
        ResetFakeOs();
        fakeOs.startupResult = row.startup;
        ReportFields fields = Gather();
        EXPECT_EQ(Count("WSACleanup()"), row.cleanups) << "WSAStartup returned " << row.startup;
        EXPECT_STREQ(fields.WinsockLine, row.line) << "WSAStartup returned " << row.startup;
    }
}

TEST_F(Probes, PlatformTextsWithoutTerminatorEndAtTheirFields)
{
    memset(fakeOs.startupData.szDescription, 'd', sizeof fakeOs.startupData.szDescription);
    memset(fakeOs.startupData.szSystemStatus, 's', sizeof fakeOs.startupData.szSystemStatus);
    memset(fakeOs.versionEx.szCSDVersion, 'c', sizeof fakeOs.versionEx.szCSDVersion);
    ReportFields fields = Gather();
    EXPECT_EQ(std::string(fields.WinsockLine),
              "WinSock: 0x0101, 0x0202, " + std::string(256, 'd') + ", " + std::string(128, 's'));
    EXPECT_EQ(std::string(fields.WindowsLine), "Win 5.1 build 2600, " + std::string(127, 'c'));
}

TEST_F(Probes, BrowserVersionOfAnyShapeStaysATerminatedText)
{
    struct Row { const char* what; std::string value; std::string expected; bool closed; } rows[] = {
        {"a string", std::string("11.0.9600.19036", 16), "11.0.9600.19036", true},
        {"an empty value", std::string(), "", true},
        {"1023 characters and terminator: fits", std::string(1023, 'v') + '\0', std::string(1023, 'v'), true},
        {"1024 characters, no terminator: cut", std::string(1024, 'v'), std::string(1023, 'v'), true},
        {"2000 characters: too long, still terminated", std::string(2000, 'v'), std::string(1023, 'X'), true},
        {"a DWORD: its bytes as they are", std::string("\x0b\0\0\0", 4), "\x0b", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ResetFakeOs();
        fakeOs.versionValue = row.value;
        ReportFields fields = Gather();
        ASSERT_LT(strnlen(fields.IeVersion, sizeof fields.IeVersion), sizeof fields.IeVersion);
        EXPECT_EQ(std::string(fields.IeVersion), row.expected);
        EXPECT_EQ(Count("RegCloseKey(key)"), 1u);
    }

    ResetFakeOs();
    fakeOs.openResult = 5;  // ERROR_ACCESS_DENIED
    ReportFields fields = Gather();
    EXPECT_STREQ(fields.IeVersion, "");
    EXPECT_EQ(Count("RegCloseKey(key)"), 0u);
    EXPECT_EQ(Count("RegQueryValueExA(key, Version, NULL, NULL, 1024)"), 0u);
}

TEST_F(Probes, IdentifierComesFromDriveCOrElseTheWindowsVersion)
{
    struct Row { BOOL volume; DWORD serial; DWORD version; uint32_t id; size_t versionCalls; } rows[] = {
        {1, 0x12345678, 0x0A280105, 0x76E5D4C3, 0},
        {1, 0, 0x0A280105, 0x7FFFFFFF, 0},          // a serial of zero is still a serial
        {0, 0x12345678, 0x0A280105, 0x7AEBFF7D, 1},
        {0, 0x12345678, 0x1DB10106, 0x71277F7C, 1},
    };
    for (const Row& row : rows) {
        ResetFakeOs();
        fakeOs.volumeResult = row.volume;
        fakeOs.volumeSerial = row.serial;
        fakeOs.packedVersion = row.version;
        EXPECT_EQ(ProbeSystemId(), row.id) << std::hex << "serial 0x" << row.serial << ", version 0x" << row.version;
        EXPECT_EQ(Count("GetVersion()"), row.versionCalls);
    }
}

TEST_F(Probes, FailedDiskQueryShowsZerosNotLeftovers)
{
    fakeOs.diskResult = 0;
    char line[ReportLineCapacity] = {};
    ProbeMemoryDisk(line);
    EXPECT_STREQ(line, "RAM 536Mb/1073Mb, HDD 0Mb/0Mb");
}

}  // namespace
