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

// Existing destinations of every kind of file are overwritten; neither the
// read-only bit nor the hidden or system bit (which makes the NT family
// refuse the overwrite) stands in the way, and none of them is left on the
// copy of a plain source.
TEST_F(FileCopy, OverwritesExistingFiles) {
    const DWORD kInTheWay = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const DWORD kKinds[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN,
                            FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
                            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE};
    MakeTree(Root(), {{"source.txt", "new text"}});
    std::string source = At("source.txt");
    ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL));
    for (DWORD attributes : kKinds) {
        std::string destination = At("old.txt");
        WriteFileText(destination, "old text that is longer than the new");
        ASSERT_TRUE(SetFileAttributesA(destination.c_str(), attributes));
        ASSERT_EQ(attributes & kInTheWay, GetFileAttributesA(destination.c_str()) & kInTheWay)
            << "the drive does not keep attributes " << attributes;
        EXPECT_EQ(kNoError, Protect([&] { CopyFileWithParents(source.c_str(), destination.c_str()); }))
            << "attributes " << attributes;
        EXPECT_EQ("new text", ReadFileText(destination)) << "attributes " << attributes;
        EXPECT_EQ(0u, GetFileAttributesA(destination.c_str()) & kInTheWay) << "attributes " << attributes;
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

// A copy that fails without having touched the file at the destination
// leaves that file as it was, content and attributes, and passes on the
// copy's own error.
TEST_F(FileCopy, FailedCopyKeepsAnUntouchedFile) {
    std::string source = At("source.txt");
    std::string destination = At("existing.txt");
    struct Case {
        const char* label;
        bool sourceExists;
        DWORD destinationAttributes;
        ErrorCode expected;
    } const kCases[] = {
        {"missing source", false, FILE_ATTRIBUTE_ARCHIVE, -static_cast<ErrorCode>(ERROR_FILE_NOT_FOUND)},
        {"missing source, read-only destination", false, FILE_ATTRIBUTE_READONLY,
         -static_cast<ErrorCode>(ERROR_FILE_NOT_FOUND)},
        {"source open without sharing", true, FILE_ATTRIBUTE_ARCHIVE,
         -static_cast<ErrorCode>(ERROR_SHARING_VIOLATION)},
        {"source open without sharing, hidden system read-only destination", true,
         FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         -static_cast<ErrorCode>(ERROR_SHARING_VIOLATION)},
    };
    for (const Case& c : kCases) {
        WriteFileText(destination, "was here before");
        ASSERT_TRUE(SetFileAttributesA(destination.c_str(), c.destinationAttributes));
        DWORD attributesBefore = GetFileAttributesA(destination.c_str());
        HANDLE locked = INVALID_HANDLE_VALUE;
        if (c.sourceExists) {
            WriteFileText(source, "source");
            locked = CreateFileA(source.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, locked);
        }
        EXPECT_EQ(c.expected, Protect([&] { CopyOneFile(source.c_str(), destination.c_str()); })) << c.label;
        EXPECT_EQ("was here before", ReadFileText(destination)) << c.label;
        EXPECT_EQ(attributesBefore, GetFileAttributesA(destination.c_str())) << c.label;
        if (locked != INVALID_HANDLE_VALUE) CloseHandle(locked);
        RemoveTree(source);
        RemoveTree(destination);
    }
}

// A copy that fails where there was no file leaves none.
TEST_F(FileCopy, FailedCopyLeavesNoNewFile) {
    std::string source = At("source.txt");
    std::string destination = At("new.txt");
    WriteFileText(source, "source");
    HANDLE locked = CreateFileA(source.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_EQ(-static_cast<ErrorCode>(ERROR_SHARING_VIOLATION),
              Protect([&] { CopyOneFile(source.c_str(), destination.c_str()); }));
    CloseHandle(locked);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(destination.c_str()));
    std::string missing = At("missing.txt");
    EXPECT_EQ(-static_cast<ErrorCode>(ERROR_FILE_NOT_FOUND),
              Protect([&] { CopyOneFile(missing.c_str(), destination.c_str()); }));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(destination.c_str()));
}

// Another program that rewrites the destination while copies onto it fail
// before they reach it (the source is locked) keeps its file: a copy deletes
// only what it created or truncated itself, however the file changed between
// the copy's looks at it. Each rewrite gives the file another length, so
// nearly every failed copy sees it changed.
struct RewritingProgram {
    const char* path;
    volatile LONG stop;
    volatile LONG rewrites;
};

DWORD WINAPI RewriteUntilStopped(LPVOID context) {
    RewritingProgram& program = *static_cast<RewritingProgram*>(context);
    for (DWORD n = 0; !program.stop; ++n) {
        HANDLE file = CreateFileA(program.path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_NOT_FOUND) return 0;   // deleted: it stays so
            continue;
        }
        char text[40];
        DWORD length = 1 + n % sizeof text, written = 0;
        FillMemory(text, length, 'a' + n % 26);
        WriteFile(file, text, length, &written, NULL);
        SetEndOfFile(file);
        CloseHandle(file);
        InterlockedIncrement(&program.rewrites);
    }
    return 0;
}

TEST_F(FileCopy, FailedCopyKeepsAFileAnotherProgramWrites) {
    std::string source = At("source.txt");
    std::string destination = At("shared.txt");
    WriteFileText(source, "source");
    WriteFileText(destination, "written by another program");
    HANDLE locked = CreateFileA(source.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    RewritingProgram program = {destination.c_str(), 0, 0};
    HANDLE writer = CreateThread(NULL, 0, RewriteUntilStopped, &program, 0, NULL);
    ASSERT_NE(static_cast<HANDLE>(NULL), writer);
    int copies = 0;
    for (; copies < 300 && IsFile(destination); ++copies)
        EXPECT_EQ(-static_cast<ErrorCode>(ERROR_SHARING_VIOLATION),
                  Protect([&] { CopyOneFile(source.c_str(), destination.c_str()); }));
    LONG rewrites = program.rewrites;
    InterlockedExchange(&program.stop, 1);
    WaitForSingleObject(writer, INFINITE);
    CloseHandle(writer);
    CloseHandle(locked);
    EXPECT_TRUE(IsFile(destination)) << "deleted after " << copies << " failed copies";
    EXPECT_GT(rewrites, 0) << "the file was never rewritten while the copies ran";
}

// A file copied onto itself, under any name that leads to it, is still there
// with its content and attributes, and the copy counts as done.
TEST_F(FileCopy, CopyOntoItselfKeepsTheFile) {
    MakeTree(Root(), {{"sub", kDirectory}, {"Only Copy.txt", "the only copy"}});
    std::string file = At("Only Copy.txt");
    char shortName[MAX_PATH];
    DWORD shortLength = GetShortPathNameA(file.c_str(), shortName, sizeof shortName);
    ASSERT_TRUE(shortLength > 0 && shortLength < sizeof shortName);
    struct Case {
        const char* label;
        std::string destination;
        DWORD attributes;
    } const kCases[] = {
        {"the same name", file, FILE_ATTRIBUTE_ARCHIVE},
        {"the same name, read-only", file, FILE_ATTRIBUTE_READONLY},
        {"the same name, hidden", file, FILE_ATTRIBUTE_HIDDEN},
        {"other letter case", At("ONLY COPY.TXT"), FILE_ATTRIBUTE_ARCHIVE},
        {"through a subfolder and back", At("sub\\..\\Only Copy.txt"), FILE_ATTRIBUTE_ARCHIVE},
        {"the short name", shortName, FILE_ATTRIBUTE_ARCHIVE},
    };
    for (const Case& c : kCases) {
        ASSERT_TRUE(SetFileAttributesA(file.c_str(), c.attributes));
        DWORD before = GetFileAttributesA(file.c_str());
        EXPECT_EQ(kNoError, Protect([&] { CopyOneFile(file.c_str(), c.destination.c_str()); })) << c.label;
        EXPECT_EQ("the only copy", ReadFileText(file)) << c.label;
        EXPECT_EQ(before, GetFileAttributesA(file.c_str())) << c.label;
    }
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
