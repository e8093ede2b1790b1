// Runs with a Japanese locale: the ANSI code page is 932, where 0x5C (the
// backslash) is also the trail byte of characters such as 0x95 0x5C.
#include <gtest/gtest.h>
#include <windows.h>
#include "waiter/text_rules.h"

namespace {

TEST(CodePage932, IsActive) {
    ASSERT_EQ(932u, GetACP()) << "the test needs the Japanese locale";
}

struct FolderCase {
    const char* path;
    size_t folderLength;
};

TEST(CodePage932, FolderLengthSkipsTrailBytes) {
    const FolderCase cases[] = {
        {"C:\\\x95\x5c\\Tarrywin.exe", 6},      // a folder named with 0x95 0x5C
        {"C:\\dir\\\x95\x5c.exe", 7},           // the file name ends in 0x5C
        {"C:\\dir\\\x95\x5c", 7},
        {"\x95\x5c", 0},
        {"C:\\a\x95", 3},                       // a lead byte at the end ends the string
        {"C:\\\x95\x5c\\\x95\x5c\\x", 9},
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(c.folderLength, FolderLength(c.path)) << c.path;
}

struct TextCase {
    const char* text;
    const char* title;
    bool same;
};

TEST(CodePage932, SameTextComparesCharacters) {
    const TextCase cases[] = {
        {"\x95\x5c\x8e\xa6", "\x95\x5c\x8e\xa6", true},
        {"\x95\x5c\x8e\xa6", "\x95\x5d\x8e\xa6", false},
        {"\x95\x5c", "\x95\x5c\x8e\xa6", false},
        {"Setup\x95", "Setup", true},      // a lead byte before the end counts as the end
        {"Setup", "Setup\x95", true},
        {"\x95", "", true},
        {"\x95\x5c", "\x95", false},
        {"a\x95\x5c", "a\\", false},       // the trail byte is no backslash
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(c.same, SameText(c.text, c.title)) << c.text << " / " << c.title;
}

}  // namespace
