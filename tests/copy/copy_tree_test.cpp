// CopyDirectoryTree on the Wine drive: what ends up where, in which order
// the walk goes, and where it leaves the current directory.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include "scratch_tree.h"
#include "script/copy_file.h"
#include "script/copy_tree.h"
#include "script/create_parent_directories.h"

namespace {

class CopyTree : public ScratchTest {
protected:
    // Copies At(source) to At(destination) with the scratch folder current,
    // and checks that it is current again afterwards.
    ErrorCode Copy(const char* source, const char* destination) {
        std::string from = At(source);
        std::string to = At(destination);
        EXPECT_TRUE(SetCurrentDirectoryA(Root().c_str()));
        ErrorCode code = Protect([&] { CopyDirectoryTree(from.c_str(), to.c_str()); });
        EXPECT_EQ(Root(), CurrentDirectory()) << "after code " << code;
        return code;
    }
};

TEST_F(CopyTree, CopiesEverythingIntoANewDestination) {
    const Tree source = {
        {"a.txt", "A"},
        {"a much longer file name than the others.txt", "long"},
        {"b", "B"},
        {".cfg", "file whose name begins with a dot"},
        {"sub", kDirectory},
        {"sub\\x.txt", "X"},
        {"sub\\deeper", kDirectory},
        {"sub\\deeper\\y.txt", "Y"},
        {".hidden", kDirectory},
        {".hidden\\z", "Z"},
        {"..two dots", kDirectory},
        {"..two dots\\w", "W"},
        {"empty", kDirectory},
    };
    MakeTree(At("source"), source);
    EXPECT_EQ(kNoError, Copy("source", "out\\new\\destination"));
    EXPECT_EQ(source, SnapshotTree(At("out\\new\\destination")));
    EXPECT_EQ((std::set<std::string>{"source", "out"}), NamesIn(Root()));
    EXPECT_EQ(source, SnapshotTree(At("source")));
}

// A destination written with a closing backslash names the same directory:
// it is made on the first run and filled, and a second run merges into it.
TEST_F(CopyTree, DestinationWithAClosingBackslash) {
    const Tree source = {{"a.txt", "A"}, {"sub", kDirectory}, {"sub\\b.txt", "B"}};
    MakeTree(At("source"), source);
    struct Case {
        const char* label;
        const char* destination;
        const char* copied;
    } const kCases[] = {
        {"missing, parents missing", "out\\new\\", "out\\new"},
        {"missing, parent there", "out\\second\\", "out\\second"},
        {"there already", "out\\new\\", "out\\new"},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(kNoError, Copy("source", c.destination)) << c.label;
        EXPECT_EQ(source, SnapshotTree(At(c.copied))) << c.label;
    }
    EXPECT_EQ((std::set<std::string>{"new", "second"}), NamesIn(At("out")));
}

// A file of the tree that cannot be read stops the copy; the file of that
// name already at the destination, which the copy never wrote, stays.
// A destination inside the source is met by the walk among the source's
// directories: the copy passes it by and holds the source tree exactly once,
// however the destination is written.
TEST_F(CopyTree, DestinationInsideTheSourceHoldsTheTreeOnce) {
    const Tree source = {
        {"a.txt", "A"}, {"sub", kDirectory}, {"sub\\x.txt", "X"}, {"sub\\deeper", kDirectory},
        {"sub\\deeper\\y.txt", "Y"}, {"other", kDirectory}, {"other\\z.txt", "Z"},
    };
    const struct {
        const char* destination;
        const char* copied;
    } kCases[] = {
        {"source\\inside", "source\\inside"},                      // a new directory of the source
        {"source\\inside\\", "source\\inside"},                    // the same with a closing backslash
        {"source\\sub\\deeper\\inside", "source\\sub\\deeper\\inside"},  // two levels down
        {"SOURCE\\Other\\inside", "source\\other\\inside"},      // written in another case
    };
    for (const auto& c : kCases) {
        MakeTree(At("source"), source);
        EXPECT_EQ(kNoError, Copy("source", c.destination)) << c.destination;
        EXPECT_EQ(source, SnapshotTree(At(c.copied))) << c.destination;
        RemoveTree(At("source"));
    }
}

TEST_F(CopyTree, FailedFileKeepsTheFileThatWasThere) {
    MakeTree(At("source"), {{"locked.txt", "new"}});
    MakeTree(At("destination"), {{"locked.txt", "was here before"}, {"other.txt", "kept"}});
    HANDLE locked = CreateFileA(At("source\\locked.txt").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_EQ(-static_cast<ErrorCode>(ERROR_SHARING_VIOLATION), Copy("source", "destination"));
    CloseHandle(locked);
    EXPECT_EQ((Tree{{"locked.txt", "was here before"}, {"other.txt", "kept"}}), SnapshotTree(At("destination")));
}

TEST_F(CopyTree, MergesIntoAnExistingDestination) {
    MakeTree(At("source"), {
        {"same.txt", "new"},
        {"sub", kDirectory},
        {"sub\\same.txt", "new below"},
        {"added", kDirectory},
        {"added\\f", "F"},
    });
    MakeTree(At("destination"), {
        {"same.txt", "old and read-only"},
        {"other.txt", "kept"},
        {"sub", kDirectory},
        {"sub\\same.txt", "old below"},
        {"sub\\mine.txt", "kept below"},
    });
    SetFileAttributesA(At("destination\\same.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(kNoError, Copy("source", "destination"));
    EXPECT_EQ((Tree{
                  {"same.txt", "new"},
                  {"other.txt", "kept"},
                  {"sub", kDirectory},
                  {"sub\\same.txt", "new below"},
                  {"sub\\mine.txt", "kept below"},
                  {"added", kDirectory},
                  {"added\\f", "F"},
              }),
              SnapshotTree(At("destination")));
}

TEST_F(CopyTree, EmptySourceCreatesJustTheDestination) {
    MakeTree(At("source"), {});
    EXPECT_EQ(kNoError, Copy("source", "out\\destination"));
    EXPECT_EQ((Tree{{"source", kDirectory}, {"out", kDirectory}, {"out\\destination", kDirectory}}),
              SnapshotTree(Root()));
}

TEST_F(CopyTree, FileAtTheDestinationIsTheWrongKind) {
    MakeTree(At("source"), {{"a.txt", "A"}});
    WriteFileText(At("taken"), "a file");
    EXPECT_EQ(kWrongKindOfDestination, Copy("source", "taken"));
    EXPECT_EQ((Tree{{"source", kDirectory}, {"source\\a.txt", "A"}, {"taken", "a file"}}), SnapshotTree(Root()));
}

// A source that is not there: the destination has been made for it, the
// error is the one from entering the source.
TEST_F(CopyTree, MissingSourceFailsAfterMakingTheDestination) {
    ErrorCode code = Copy("no such source", "destination");
    EXPECT_TRUE(code == -static_cast<ErrorCode>(ERROR_FILE_NOT_FOUND) ||
                code == -static_cast<ErrorCode>(ERROR_PATH_NOT_FOUND))
        << code;
    EXPECT_EQ((Tree{{"destination", kDirectory}}), SnapshotTree(Root()));
}

// Each level's files are copied before any of its subdirectories is
// entered: a file that cannot be copied stops the walk before "sub" exists.
TEST_F(CopyTree, FilesComeBeforeSubdirectories) {
    MakeTree(At("source"), {{"f.txt", "F"}, {"sub", kDirectory}, {"sub\\g.txt", "G"}});
    MakeTree(At("destination"), {{"f.txt", kDirectory}});
    EXPECT_EQ(kWrongKindOfDestination, Copy("source", "destination"));
    EXPECT_EQ((Tree{{"f.txt", kDirectory}}), SnapshotTree(At("destination")));
}

// Each subdirectory is copied completely before the next: a failure deep in
// the first one listed leaves the second one untouched, while the first
// one's files (copied before its subdirectories) are there.
TEST_F(CopyTree, SubdirectoriesAreCopiedDepthFirst) {
    MakeTree(At("source"), {
        {"one", kDirectory}, {"one\\y.txt", "Y1"}, {"one\\deep", kDirectory}, {"one\\deep\\x.txt", "X1"},
        {"two", kDirectory}, {"two\\y.txt", "Y2"}, {"two\\deep", kDirectory}, {"two\\deep\\x.txt", "X2"},
    });
    std::vector<std::string> order = SubdirectoriesInListingOrder(At("source"));
    ASSERT_EQ(2u, order.size());
    const std::string& first = order[0];
    MakeTree(At("destination"), {{first, kDirectory}, {first + "\\deep", "occupied by a file"}});
    EXPECT_EQ(kWrongKindOfDestination, Copy("source", "destination"));
    std::string y = first == "one" ? "Y1" : "Y2";
    EXPECT_EQ((Tree{{first, kDirectory}, {first + "\\y.txt", y}, {first + "\\deep", "occupied by a file"}}),
              SnapshotTree(At("destination")));
}

// Failures three levels below the source: the error comes back, the current
// directory is where it was, and nothing holds the source tree open, so it
// can be removed.
TEST_F(CopyTree, DeepFailureRestoresTheCurrentDirectory) {
    const Tree source = {
        {"a", kDirectory}, {"a\\b", kDirectory}, {"a\\b\\c", kDirectory},
        {"a\\b\\c\\locked.txt", "L"}, {"a\\b\\c\\d", kDirectory}, {"a\\b\\c\\d\\f.txt", "F"},
    };
    struct Case {
        const char* label;
        Tree destination;
        bool lockSourceFile;
        ErrorCode expected;
    } const kCases[] = {
        {"destination subdirectory occupied by a file",
         {{"a", kDirectory}, {"a\\b", kDirectory}, {"a\\b\\c", "a file"}},
         false, kWrongKindOfDestination},
        {"source file that cannot be read", {}, true, -static_cast<ErrorCode>(ERROR_SHARING_VIOLATION)},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.label);
        std::string folder = std::to_string(&c - kCases);
        MakeTree(At(folder), {});
        MakeTree(At(folder + "\\source"), source);
        MakeTree(At(folder + "\\destination"), c.destination);
        HANDLE locked = INVALID_HANDLE_VALUE;
        if (c.lockSourceFile)
            locked = CreateFileA(At(folder + "\\source\\a\\b\\c\\locked.txt").c_str(), GENERIC_READ, 0,
                                 NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_EQ(c.expected, Copy((folder + "\\source").c_str(), (folder + "\\destination").c_str()));
        if (locked != INVALID_HANDLE_VALUE) CloseHandle(locked);
        RemoveTree(At(folder + "\\source"));
        EXPECT_FALSE(IsDirectory(At(folder + "\\source"))) << "the source tree is still held open";
    }
}

// Each level climbs back out of the subdirectory it entered, also when the
// copy below fails, so a level called on its own ends where it began.
TEST_F(CopyTree, LevelEndsInItsOwnSourceDirectory) {
    MakeTree(At("source"), {
        {"a", kDirectory}, {"a\\b", kDirectory}, {"a\\b\\c", kDirectory}, {"a\\b\\c\\f.txt", "F"},
    });
    const std::string fine = At("fine");
    const std::string blocked = At("blocked");
    MakeTree(fine, {});
    MakeTree(blocked, {{"a", kDirectory}, {"a\\b", kDirectory}, {"a\\b\\c", "a file"}});
    ASSERT_TRUE(SetCurrentDirectoryA(At("source").c_str()));
    EXPECT_EQ(kNoError, Protect([&] { CopyTreeLevel(fine.c_str()); }));
    EXPECT_EQ(At("source"), CurrentDirectory());
    EXPECT_EQ(kWrongKindOfDestination, Protect([&] { CopyTreeLevel(blocked.c_str()); }));
    EXPECT_EQ(At("source"), CurrentDirectory());
    EXPECT_EQ(SnapshotTree(At("source")), SnapshotTree(fine));
}

// Every level releases its find handle and its path buffer on both paths,
// and so does each file copy and parent creation: the process heap, where
// all of them live, is the same after repeated runs as after the first.
TEST_F(CopyTree, RepeatedRunsHoldNoMemory) {
    MakeTree(At("source"), {
        {"f.txt", "F"}, {"a", kDirectory}, {"a\\b", kDirectory}, {"a\\b\\g.txt", "G"},
        {"a\\b\\c", kDirectory}, {"a\\b\\c\\d", kDirectory}, {"a\\b\\c\\d\\h.txt", "H"},
    });
    MakeTree(At("blocked"), {{"a", kDirectory}, {"a\\b", kDirectory}, {"a\\b\\c", "a file"}});
    const std::string source = At("source"), copied = At("copied"), blocked = At("blocked");
    const std::string file = At("source\\f.txt"), missing = At("missing.txt");
    const std::string deepFile = At("x\\y\\z\\f.txt");
    struct Run {
        const char* label;
        ErrorCode expected;
        std::function<void()> call;
    } const kRuns[] = {
        {"tree copied", kNoError, [&] { CopyDirectoryTree(source.c_str(), copied.c_str()); }},
        {"tree failing three levels down", kWrongKindOfDestination,
         [&] { CopyDirectoryTree(source.c_str(), blocked.c_str()); }},
        {"file copied with parents", kNoError, [&] { CopyFileWithParents(file.c_str(), deepFile.c_str()); }},
        {"file copy failing", -static_cast<ErrorCode>(ERROR_FILE_NOT_FOUND),
         [&] { CopyOneFile(missing.c_str(), deepFile.c_str()); }},
        {"no ancestor", kNoExistingAncestor, [&] { CreateParentDirectories("no backslash"); }},
    };
    for (const Run& run : kRuns) {
        EXPECT_EQ(run.expected, Protect([&] { run.call(); })) << run.label;
        HeapUse first = ProcessHeapInUse();
        ErrorCode codes[3];
        for (ErrorCode& code : codes) code = Protect([&] { run.call(); });
        HeapUse after = ProcessHeapInUse();
        EXPECT_EQ(first, after) << run.label;
        for (ErrorCode code : codes) EXPECT_EQ(run.expected, code) << run.label;
    }
}

}  // namespace
