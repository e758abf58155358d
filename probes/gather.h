// Gathers every value of the report from the running machine.
#pragma once

#include <cstdint>

#include "report/report.h"

// Runs the probes in a fixed order and fills every field. A probe that fails
// leaves its text empty; the identifier falls back to the Windows version.
void GatherReportFields(ReportFields& fields);

// Each takes its text of ReportFields, zero-filled by the caller.
uint32_t ProbeSystemId();
void ProbeMemoryDisk(char (&line)[ReportLineCapacity]);
void ProbeWinsock(char (&line)[ReportLineCapacity]);
void ProbeWindowsVersion(char (&line)[ReportLineCapacity]);
void ProbeIeVersion(char (&version)[ReportLineCapacity]);
