#include "report/layered_list.h"

#include <cstring>

#include "report/format_text.h"

static void NarrowProviderName(const char16_t (&wide)[CatalogNameUnits], char (&narrow)[CatalogNameUnits + 1])
{
    int length = 0;
    while (length < CatalogNameUnits && wide[length] != 0 && wide[length] <= 0xFF) {
        narrow[length] = static_cast<char>(wide[length]);
        ++length;
    }
    narrow[length] = '\0';
}

void AppendLayeredProviders(char (&list)[ReportTextCapacity], const CatalogEntry* entries, int32_t count)
{
    size_t used = strnlen(list, sizeof list);
    if (used == sizeof list)
        return;  // not a terminated text: there is no end to append at

    char line[ReportLineCapacity];
    memset(line, 0, sizeof line);
    for (int32_t index = 0; index < count; ++index) {
        const CatalogEntry& entry = entries[index];
        if (entry.ProtocolChain.ChainLen != LayeredProtocolChainLen)
            continue;

        char name[CatalogNameUnits + 1];
        NarrowProviderName(entry.szProtocol, name);
        // At most 271 characters: the scratch line always holds it whole.
        const size_t length = FormatText(line, sizeof line, "%04d - %s\r\n",
                                         static_cast<int32_t>(entry.dwCatalogEntryId), name);
        if (used + length >= sizeof list)
            return;
        memcpy(list + used, line, length + 1);
        used += length;
    }
}

int32_t ClampCatalogCount(int32_t reported, uint32_t bufferBytes)
{
    const uint32_t wholeRecords = bufferBytes / sizeof(CatalogEntry);
    if (reported > 0 && static_cast<uint32_t>(reported) > wholeRecords)
        return static_cast<int32_t>(wholeRecords);
    return reported;
}
