// CopyOneFile and CopyFileWithParents on the Wine drive.
#include <gtest/gtest.h>
#include <windows.h>
#include "scratch_tree.h"
#include "script/copy_file.h"

namespace {

using FileCopy = ScratchTest;

TEST_F(FileCopy, CreatesMissingParentsAndWritesTheFile) {
    MakeTree(Root(), {{"source.txt", "new text"}});
    std::string source = At("source.txt");
    std::string destination = At("out\\one\\two\\copy.txt");
    EXPECT_EQ(kNoError, Protect([&] { CopyFileWithParents(source.c_str(), destination.c_str()); }));
    EXPECT_EQ((Tree{{"source.txt", "new text"},
                    {"out", kDirectory},
                    {"out\\one", kDirectory},
                    {"out\\one\\two", kDirectory},
                    {"out\\one\\two\\copy.txt", "new text"}}),
              SnapshotTree(Root()));
}

// Existing destinations of every kind of file are overwritten; the read-only
// bit does not stand in the way.
TEST_F(FileCopy, OverwritesExistingFiles) {
    const DWORD kKinds[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY,
                            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE};
    MakeTree(Root(), {{"source.txt", "new text"}});
    std::string source = At("source.txt");
    for (DWORD attributes : kKinds) {
        std::string destination = At("old.txt");
        WriteFileText(destination, "old text that is longer than the new");
        ASSERT_TRUE(SetFileAttributesA(destination.c_str(), attributes));
        EXPECT_EQ(kNoError, Protect([&] { CopyFileWithParents(source.c_str(), destination.c_str()); }))
            << "attributes " << attributes;
        EXPECT_EQ("new text", ReadFileText(destination)) << "attributes " << attributes;
        EXPECT_FALSE(GetFileAttributesA(destination.c_str()) & FILE_ATTRIBUTE_READONLY);
        RemoveTree(destination);
    }
}

TEST_F(FileCopy, DirectoryAtTheDestinationIsTheWrongKind) {
    Tree before = {{"source.txt", "new text"}, {"taken", kDirectory}, {"taken\\inside.txt", "i"}};
    MakeTree(Root(), before);
    std::string source = At("source.txt");
    std::string destination = At("taken");
    EXPECT_EQ(kWrongKindOfDestination, Protect([&] { CopyOneFile(source.c_str(), destination.c_str()); }));
    EXPECT_EQ(kWrongKindOfDestination,
              Protect([&] { CopyFileWithParents(source.c_str(), destination.c_str()); }));
    EXPECT_EQ(before, SnapshotTree(Root()));
}

// A copy that fails removes the file that was at the destination, read-only
// or not, and passes on the copy's own error.
TEST_F(FileCopy, FailedCopyLeavesNoFile) {
    std::string source = At("source.txt");
    std::string destination = At("existing.txt");
    struct Case {
        const char* label;
        bool sourceExists;
        DWORD destinationAttributes;
        ErrorCode expected;
    } const kCases[] = {
        {"missing source", false, FILE_ATTRIBUTE_NORMAL, -static_cast<ErrorCode>(ERROR_FILE_NOT_FOUND)},
        {"missing source, read-only destination", false, FILE_ATTRIBUTE_READONLY,
         -static_cast<ErrorCode>(ERROR_FILE_NOT_FOUND)},
        {"source open without sharing", true, FILE_ATTRIBUTE_NORMAL,
         -static_cast<ErrorCode>(ERROR_SHARING_VIOLATION)},
    };
    for (const Case& c : kCases) {
        WriteFileText(destination, "was here before");
        SetFileAttributesA(destination.c_str(), c.destinationAttributes);
        HANDLE locked = INVALID_HANDLE_VALUE;
        if (c.sourceExists) {
            WriteFileText(source, "source");
            locked = CreateFileA(source.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, locked);
        }
        EXPECT_EQ(c.expected, Protect([&] { CopyOneFile(source.c_str(), destination.c_str()); })) << c.label;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(destination.c_str())) << c.label;
        if (locked != INVALID_HANDLE_VALUE) CloseHandle(locked);
        RemoveTree(source);
        RemoveTree(destination);
    }
}

}  // namespace
