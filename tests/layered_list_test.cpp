#include "report/layered_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

CatalogEntry Entry(uint32_t id, int32_t chainLen, const std::u16string& name)
{
    CatalogEntry entry;
    memset(&entry, 0, sizeof entry);
    entry.dwCatalogEntryId = id;
    entry.ProtocolChain.ChainLen = chainLen;
    EXPECT_LT(name.size(), static_cast<size_t>(CatalogNameUnits));
    memcpy(entry.szProtocol, name.data(), name.size() * sizeof(char16_t));
    return entry;
}

std::string List(const std::vector<CatalogEntry>& entries, int32_t count)
{
    static char list[ReportTextCapacity];
    memset(list, 0, sizeof list);
    AppendLayeredProviders(list, entries.data(), count);
    return list;
}

std::string List(const std::vector<CatalogEntry>& entries)
{
    return List(entries, static_cast<int32_t>(entries.size()));
}

TEST(AppendLayeredProviders, OneEntry)
{
    struct Row {
        uint32_t id;
        int32_t chainLen;
        std::u16string name;
        std::string expected;
    } rows[] = {
        {7, 0, u"Example Layer", "0007 - Example Layer\r\n"},
        {1001, 0, u"L", "1001 - L\r\n"},
        {12345, 0, u"L", "12345 - L\r\n"},        // four digits is a minimum, not a width
        {0, 0, u"", "0000 - \r\n"},
        {0x80000000u, 0, u"L", "-2147483648 - L\r\n"},  // printed as a signed value
        {0xFFFFFFFFu, 0, u"L", "-001 - L\r\n"},
        {1002, 1, u"Base", ""},                    // base protocol
        {1003, 3, u"Chain", ""},                   // protocol chain
        {1004, -1, u"Odd", ""},
        {1, 0, u"Caf\u00e9", "0001 - Caf\xE9\r\n"},  // narrowed by value: Latin-1 byte
        {1, 0, u"\u00ff\u0001", "0001 - \xFF\x01\r\n"},
        {1, 0, u"AB\u0100CD", "0001 - AB\r\n"},    // the first unit above U+00FF ends the name
        {1, 0, u"\u4e2d", "0001 - \r\n"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(List({Entry(row.id, row.chainLen, row.name)}), row.expected) << "id " << row.id;
}

TEST(AppendLayeredProviders, CatalogueOrderAndOnlyLayeredEntries)
{
    std::vector<CatalogEntry> catalogue = {
        Entry(1009, 0, u"Zeta Layer"),
        Entry(1001, 1, u"Zeta Layer over TCP"),
        Entry(1005, 0, u"Alpha \u0416Layer"),  // cut name: the next entry still starts its own line
        Entry(1002, 3, u"Alpha chain"),
        Entry(1003, 0, u"Beta Layer"),
    };
    EXPECT_EQ(List(catalogue), "1009 - Zeta Layer\r\n1005 - Alpha \r\n1003 - Beta Layer\r\n");
    EXPECT_EQ(List(catalogue, 2), "1009 - Zeta Layer\r\n");
}

TEST(AppendLayeredProviders, NoCountNoLines)
{
    std::vector<CatalogEntry> catalogue = {Entry(7, 0, u"Layer")};
    for (int32_t count : {0, -1, INT32_MIN})
        EXPECT_EQ(List(catalogue, count), "") << "count " << count;
    EXPECT_EQ(List({Entry(1, 1, u"Base"), Entry(2, 2, u"Chain")}), "");
}

TEST(AppendLayeredProviders, AppendsAfterTheTextAlreadyThere)
{
    char list[ReportTextCapacity] = "0001 - First\r\n";
    CatalogEntry entry = Entry(2, 0, u"Second");
    AppendLayeredProviders(list, &entry, 1);
    EXPECT_STREQ(list, "0001 - First\r\n0002 - Second\r\n");
}

TEST(AppendLayeredProviders, LongestNamesStayInsideTheirField)
{
    // 255 units plus terminator: the longest name the platform gives.
    std::u16string longest(255, u'N');
    EXPECT_EQ(List({Entry(1, 0, longest)}), "0001 - " + std::string(255, 'N') + "\r\n");

    // A name with no terminator ends at the end of its field, not in the next record.
    std::vector<CatalogEntry> catalogue = {Entry(1, 0, u""), Entry(2, 1, u"")};
    for (char16_t& unit : catalogue[0].szProtocol)
        unit = u'A';
    memset(catalogue[1].before, 'Z', sizeof catalogue[1].before);
    EXPECT_EQ(List(catalogue), "0001 - " + std::string(256, 'A') + "\r\n");
}

TEST(AppendLayeredProviders, LineThatDoesNotFitIsLeftOutWithEverythingAfterIt)
{
    // "1000 - " + 255 units + CR LF: 264 characters.
    const size_t lineLength = 264;
    const std::string longLine = "1000 - " + std::string(255, 'N') + "\r\n";
    std::vector<CatalogEntry> catalogue = {Entry(1000, 0, std::u16string(255, u'N')), Entry(2, 0, u"A")};

    struct Row { size_t prefill; std::string appended; } rows[] = {
        {ReportTextCapacity - 1 - lineLength - 10, longLine + "0002 - A\r\n"},  // both just fit
        {ReportTextCapacity - 1 - lineLength, longLine},      // the long line just fits, the short one not
        {ReportTextCapacity - lineLength, ""},                // one short: neither, though "0002 - A" would fit
        {ReportTextCapacity - 1, ""},                         // full list
    };
    for (const Row& row : rows) {
        struct {
            char text[ReportTextCapacity];
            unsigned char guard[32];
        } out;
        memset(out.text, 0, sizeof out.text);
        memset(out.text, 'x', row.prefill);
        memset(out.guard, 0xA5, sizeof out.guard);
        AppendLayeredProviders(out.text, catalogue.data(), 2);
        for (unsigned char byte : out.guard)
            ASSERT_EQ(byte, 0xA5) << "written past the capacity";
        ASSERT_LT(strnlen(out.text, sizeof out.text), sizeof out.text);
        EXPECT_EQ(std::string(out.text), std::string(row.prefill, 'x') + row.appended) << "prefill " << row.prefill;
    }

    // Lines of the longest name fill the list with 38 of them; the 39th and later are left out.
    std::vector<CatalogEntry> many(50, Entry(1000, 0, std::u16string(255, u'N')));
    std::string expected;
    for (int i = 0; i < 38; ++i)
        expected += longLine;
    EXPECT_EQ(List(many), expected);
}

TEST(ClampCatalogCount, NeverMoreThanTheWholeRecordsInTheBuffer)
{
    struct Row { int32_t reported; uint32_t bufferBytes; int32_t expected; } rows[] = {
        {5, 628 * 5, 5},
        {3, 628 * 10, 3},
        {5, 628 * 3, 3},
        {5, 628 * 3 + 627, 3},  // a partial record is not read
        {1, 627, 0},
        {INT32_MAX, 628, 1},
        {0, 628, 0},
        {-1, 0, -1},            // nothing to list either way
    };
    for (const Row& row : rows)
        EXPECT_EQ(ClampCatalogCount(row.reported, row.bufferBytes), row.expected)
            << row.reported << " records reported in " << row.bufferBytes << " bytes";
}

}  // namespace
