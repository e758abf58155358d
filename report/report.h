// The report: the record of gathered values and the text it is laid out as.
// Plain formatting on plain values; nothing here touches the platform.
#pragma once

#include <cstddef>
#include <cstdint>

// Capacities in bytes, terminating NUL included.
constexpr size_t ReportLineCapacity = 1024;
constexpr size_t ReportTextCapacity = 10240;

// Every text is narrow, NUL-terminated, and ends its lines in CR LF.
// A text whose probe failed stays empty; its line keeps its place in the report.
struct ReportFields {
    uint32_t SystemId;
    char LayeredList[ReportTextCapacity];
    char IeVersion[ReportLineCapacity];
    char WindowsLine[ReportLineCapacity];
    char WinsockLine[ReportLineCapacity];
    char MemoryDiskLine[ReportLineCapacity];
};

uint32_t DeriveSystemId(uint32_t source);

// Each formatter zero-fills its line first. A line that would pass the
// capacity is cut at 1023 characters and stays terminated.
void FormatMemoryDiskLine(char (&line)[ReportLineCapacity], uint32_t availPhys, uint32_t totalPhys,
                          uint64_t totalFreeBytes, uint64_t totalBytes);
void FormatWinsockLine(char (&line)[ReportLineCapacity], uint16_t wVersion, uint16_t wHighVersion,
                       const char* szDescription, const char* szSystemStatus);
void FormatWindowsLine(char (&line)[ReportLineCapacity], uint32_t dwMajorVersion,
                       uint32_t dwMinorVersion, uint32_t dwBuildNumber, const char* szCSDVersion);

// Lays the whole record out as the report. A report that would pass its
// capacity is cut at 10239 characters, wherever that falls.
void ComposeReport(const ReportFields& fields, char (&report)[ReportTextCapacity]);
