#include "probes/gather.h"

#include <cstring>

#include "probes/catalog.h"
#include "probes/os.h"
#include "report/layered_list.h"

uint32_t ProbeSystemId()
{
    char volumeName[100];      // discarded
    char fileSystemName[100];  // discarded
    DWORD serial = 0, maximumComponentLength = 0, fileSystemFlags = 0;

    // Always drive C, whatever the system drive is; without it, the packed version.
    uint32_t source;
    if (OsGetVolumeInformationA("c:\\", volumeName, sizeof volumeName, &serial, &maximumComponentLength,
                                &fileSystemFlags, fileSystemName, sizeof fileSystemName))
        source = serial;
    else
        source = OsGetVersion();
    return DeriveSystemId(source);
}

void ProbeMemoryDisk(char (&line)[ReportLineCapacity])
{
    MEMORYSTATUS memory;
    memset(&memory, 0, sizeof memory);
    memory.dwLength = sizeof memory;
    OsGlobalMemoryStatus(&memory);

    // The disk of the current directory. A failed call reports zeros rather
    // than whatever it left in the totals.
    ULARGE_INTEGER availableToCaller, totalBytes, totalFreeBytes;
    availableToCaller.QuadPart = totalBytes.QuadPart = totalFreeBytes.QuadPart = 0;
    if (!OsGetDiskFreeSpaceExA(nullptr, &availableToCaller, &totalBytes, &totalFreeBytes))
        totalBytes.QuadPart = totalFreeBytes.QuadPart = 0;

    FormatMemoryDiskLine(line, memory.dwAvailPhys, memory.dwTotalPhys, totalFreeBytes.QuadPart, totalBytes.QuadPart);
}

void ProbeWinsock(char (&line)[ReportLineCapacity])
{
    WSADATA data;
    memset(&data, 0, sizeof data);
    if (OsWSAStartup(0x0101, &data) != 0)
        return;  // not started, so nothing to clean up

    // The platform's texts end within their fields, terminated or not.
    data.szDescription[sizeof data.szDescription - 1] = '\0';
    data.szSystemStatus[sizeof data.szSystemStatus - 1] = '\0';
    FormatWinsockLine(line, data.wVersion, data.wHighVersion, data.szDescription, data.szSystemStatus);
    OsWSACleanup();
}

void ProbeWindowsVersion(char (&line)[ReportLineCapacity])
{
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!OsGetVersionExA(&info))
        return;

    info.szCSDVersion[sizeof info.szCSDVersion - 1] = '\0';
    FormatWindowsLine(line, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.szCSDVersion);
}

void ProbeIeVersion(char (&version)[ReportLineCapacity])
{
    HKEY key;
    if (OsRegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return;

    // Read straight into the text; neither the type nor the result is asked for.
    DWORD bytes = sizeof version;
    OsRegQueryValueExA(key, "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(version), &bytes);
    OsRegCloseKey(key);

    // A value of any type or length still leaves a text that ends within its capacity.
    version[sizeof version - 1] = '\0';
}

void GatherReportFields(ReportFields& fields)
{
    memset(fields.LayeredList, 0, sizeof fields.LayeredList);
    ProtocolCatalog catalog = EnumProtocolCatalog();
    if (catalog.buffer != nullptr) {
        AppendLayeredProviders(fields.LayeredList, reinterpret_cast<const CatalogEntry*>(catalog.buffer),
                               catalog.count);
        FreeProtocolCatalog(catalog.buffer);
    }

    memset(fields.MemoryDiskLine, 0, sizeof fields.MemoryDiskLine);
    ProbeMemoryDisk(fields.MemoryDiskLine);

    memset(fields.WinsockLine, 0, sizeof fields.WinsockLine);
    ProbeWinsock(fields.WinsockLine);

    memset(fields.WindowsLine, 0, sizeof fields.WindowsLine);
    ProbeWindowsVersion(fields.WindowsLine);

    memset(fields.IeVersion, 0, sizeof fields.IeVersion);
    ProbeIeVersion(fields.IeVersion);

    fields.SystemId = ProbeSystemId();
}
