// FindResourceData, FindResourceBytes and LoadResourcePalette find the
// resources of the executable that started the process: this test program
// carries the shipped resource set (and one malformed palette) itself.
#include <gtest/gtest.h>
#include <windows.h>
#include "app/resource_lookup.h"
#include "shipped_resources.h"

namespace {

std::vector<WORD> Words(const void* data, size_t count) {
    const WORD* words = static_cast<const WORD*>(data);
    return std::vector<WORD>(words, words + count);
}

TEST(FindResourceData, FindsEachLanguageRecordWhateverItsLanguage) {
    for (const ExpectedLanguage& lang : kShippedLanguages) {
        SCOPED_TRACE(lang.tag);
        const void* record = FindResourceData(MAKEINTRESOURCEA(lang.recordName), "LANG");
        ASSERT_NE(nullptr, record);
        EXPECT_EQ((std::vector<WORD>{lang.dialogBase, lang.scriptBase}), Words(record, 2));
    }
    const void* fallback = FindResourceData("DEFAULT", "LANG");
    ASSERT_NE(nullptr, fallback);
    EXPECT_EQ((std::vector<WORD>{100, 1000}), Words(fallback, 2));
}

TEST(FindResourceData, ReportsAbsenceWithNull) {
    EXPECT_EQ(nullptr, FindResourceData(MAKEINTRESOURCEA(17), "LANG"));      // Japanese: no record
    EXPECT_EQ(nullptr, FindResourceData(MAKEINTRESOURCEA(100), "NOSUCHTYPE"));
    EXPECT_EQ(nullptr, FindResourceData(MAKEINTRESOURCEA(149), RT_DIALOG));  // B + 49 is never shipped
    EXPECT_EQ(nullptr, FindResourceData("NOSUCHPALETTE", "PALETTE"));
}

TEST(FindResourceData, UsesTheDataInPlace) {
    const void* first = FindResourceData(MAKEINTRESOURCEA(100), "BUTTON");
    const void* second = FindResourceData(MAKEINTRESOURCEA(100), "BUTTON");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    // Inside this program's own image, not a copy on the heap.
    MEMORY_BASIC_INFORMATION region;
    ASSERT_NE(0u, VirtualQuery(first, &region, sizeof region));
    EXPECT_EQ(GetModuleHandleA(NULL), region.AllocationBase);
}

TEST(FindResourceBytes, GivesTheSizeAlongWithTheData) {
    ResourceBytes buttons = FindResourceBytes(MAKEINTRESOURCEA(200), "BUTTON");
    EXPECT_EQ(FindResourceData(MAKEINTRESOURCEA(200), "BUTTON"), buttons.data);
    EXPECT_EQ(2u + 8u * 4u, buttons.size);
    EXPECT_EQ(768u, FindResourceBytes("DEFAULT", "PALETTE").size);
    ResourceBytes background = FindResourceBytes(MAKEINTRESOURCEA(300), RT_BITMAP);
    EXPECT_EQ(40u + 1024u + 488u * 242u, background.size);

    ResourceBytes missing = FindResourceBytes(MAKEINTRESOURCEA(17), "LANG");
    EXPECT_EQ(nullptr, missing.data);
    EXPECT_EQ(0u, missing.size);
}

TEST(LoadResourcePalette, MakesAllEntriesOfTheShippedPalette) {
    HPALETTE palette = LoadResourcePalette("DEFAULT");
    ASSERT_NE(nullptr, palette);
    WORD count = 0;
    ASSERT_EQ(static_cast<int>(sizeof count), GetObjectA(palette, sizeof count, &count));
    EXPECT_EQ(256, count);
    PALETTEENTRY entries[256];
    ASSERT_EQ(256u, GetPaletteEntries(palette, 0, 256, entries));
    for (int i = 0; i < 256; ++i) {
        PaletteColour expected = ExpectedPaletteEntry(i);
        EXPECT_TRUE(entries[i].peRed == expected.red && entries[i].peGreen == expected.green &&
                    entries[i].peBlue == expected.blue && entries[i].peFlags == 0)
            << "entry " << i;
    }
    EXPECT_TRUE(DeleteObject(palette));
}

TEST(LoadResourcePalette, GivesNoPaletteWhenThereIsNone) {
    EXPECT_EQ(nullptr, LoadResourcePalette("NOSUCHPALETTE"));
    EXPECT_EQ(nullptr, LoadResourcePalette(MAKEINTRESOURCEA(7)));
}

TEST(LoadResourcePalette, RefusesAPaletteShorterThan256Entries) {
    ASSERT_NE(nullptr, FindResourceData("SHORT", "PALETTE"));
    EXPECT_EQ(nullptr, LoadResourcePalette("SHORT"));
}

}  // namespace
