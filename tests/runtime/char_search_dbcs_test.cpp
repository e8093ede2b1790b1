// Runs with a Japanese locale: the ANSI code page is 932, where 0x5C (the
// backslash) is also the trail byte of characters such as 0x95 0x5C.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "runtime/char_search.h"
#include "runtime/field_split.h"

namespace {

const char kTable[] = "\x95\x5c";   // one double-byte character ending in 0x5C

TEST(CodePage932, IsActive) {
    ASSERT_EQ(932u, GetACP()) << "the test needs the Japanese locale";
}

TEST(CodePage932, TrailByteIsNotABackslash) {
    std::string path = std::string("C:\\dir") + kTable + "x";
    char* found = FindFirstChar(path.c_str(), '\\');
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(2, found - path.c_str());
    EXPECT_EQ(nullptr, FindFirstChar(kTable, '\\'));
}

TEST(CodePage932, FindLastCharSkipsAFinalTrailByte) {
    std::string path = std::string("C:\\a\\b") + kTable;
    char* found = FindLastChar(path.c_str(), '\\');
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(4, found - path.c_str());
}

TEST(CodePage932, SpanUntilStopsOnlyAtARealSeparator) {
    std::string component = std::string("ab") + kTable + "c\\d";
    EXPECT_EQ(5u, SpanUntil(component.c_str(), "\\"));
    EXPECT_EQ(4u, SpanUntil((std::string("ab") + kTable).c_str(), "\\"));
}

TEST(CodePage932, LeadByteBeforeTheEndCountsAsTheEnd) {
    const char text[] = "a\x95";
    EXPECT_EQ(nullptr, FindFirstChar(text, '\\'));
    EXPECT_EQ(2u, SpanUntil(text, "\\"));
}

TEST(CodePage932, SplitKeepsDoubleByteCharactersWhole) {
    std::string buffer = std::string("x") + kTable + "y\\z";
    FieldArray fields;
    InitArray(fields);
    Split(&buffer[0], '\\', fields);
    ASSERT_EQ(2u, fields.count);
    EXPECT_EQ(std::string("x") + kTable + "y", fields[0]);
    EXPECT_STREQ("z", fields[1]);
    Destroy(fields);
}

}  // namespace
