#include "report/report.h"

#include <cstring>

#include "report/format_text.h"

uint32_t DeriveSystemId(uint32_t source)
{
    return ~source >> 1;
}

void FormatMemoryDiskLine(char (&line)[ReportLineCapacity], uint32_t availPhys, uint32_t totalPhys,
                          uint64_t totalFreeBytes, uint64_t totalBytes)
{
    // "Mb" is 10^6 bytes. The disk quotients are printed as their signed low 32 bits.
    const uint32_t megabyte = 1000000;
    memset(line, 0, sizeof line);
    FormatText(line, sizeof line, "RAM %dMb/%dMb, HDD %dMb/%dMb",
             static_cast<int32_t>(availPhys / megabyte), static_cast<int32_t>(totalPhys / megabyte),
             static_cast<int32_t>(static_cast<uint32_t>(totalFreeBytes / megabyte)),
             static_cast<int32_t>(static_cast<uint32_t>(totalBytes / megabyte)));
}

void FormatWinsockLine(char (&line)[ReportLineCapacity], uint16_t wVersion, uint16_t wHighVersion,
                       const char* szDescription, const char* szSystemStatus)
{
    memset(line, 0, sizeof line);
    FormatText(line, sizeof line, "WinSock: 0x%04X, 0x%04X, %s, %s", static_cast<unsigned>(wVersion),
             static_cast<unsigned>(wHighVersion), szDescription, szSystemStatus);
}

void FormatWindowsLine(char (&line)[ReportLineCapacity], uint32_t dwMajorVersion,
                       uint32_t dwMinorVersion, uint32_t dwBuildNumber, const char* szCSDVersion)
{
    memset(line, 0, sizeof line);
    FormatText(line, sizeof line, "Win %d.%d build %d, %s", static_cast<int32_t>(dwMajorVersion),
             static_cast<int32_t>(dwMinorVersion), static_cast<int32_t>(dwBuildNumber), szCSDVersion);
}

void ComposeReport(const ReportFields& fields, char (&report)[ReportTextCapacity])
{
    memset(report, 0, sizeof report);
    FormatText(report, sizeof report, "SystemID: %X\r\n\r\n%s\r\nIE: %s\r\n%s\r\n%s\r\n%s\r\n",
             static_cast<unsigned>(fields.SystemId), fields.LayeredList, fields.IeVersion,
             fields.WindowsLine, fields.WinsockLine, fields.MemoryDiskLine);
}
