// Gathers the report with the real Win32 calls and prints it, bytes as they
// are (CR LF included), for the Wine tests to check.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "probes/gather.h"
#include "report/report.h"

static ReportFields fields;
static char report[ReportTextCapacity];

int main()
{
    GatherReportFields(fields);
    ComposeReport(fields, report);
    _setmode(_fileno(stdout), _O_BINARY);
    fwrite(report, 1, strlen(report), stdout);
    return 0;
}
