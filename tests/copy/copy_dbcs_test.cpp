// Runs with a Japanese locale: the ANSI code page is 932, where the
// backslash byte 0x5C is also the trail byte of characters such as 0x95 0x5C.
// Directory names made of such characters must be neither cut there when the
// deepest existing directory is searched for nor split there when the
// missing ones are created.
#include <gtest/gtest.h>
#include <windows.h>
#include "scratch_tree.h"
#include "script/copy_file.h"
#include "script/copy_tree.h"
#include "script/create_parent_directories.h"

namespace {

const std::string kTable = "\x95\x5c";   // one character whose trail byte is 0x5C

TEST(CodePage932, IsActive) {
    ASSERT_EQ(932u, GetACP()) << "the test needs the Japanese locale";
}

using DoubleByteNames = ScratchTest;

// An existing directory T whose name is the start of the missing one, T T:
// the search stops at the real backslash before T T, and only T T is made.
TEST_F(DoubleByteNames, DeepestExistingDirectoryIsFoundAtARealBackslash) {
    MakeTree(Root(), {{kTable, kDirectory}});
    std::string path = At(kTable + kTable + "\\file.txt");
    EXPECT_EQ(kNoError, Protect([&] { CreateParentDirectories(path.c_str()); }));
    EXPECT_EQ((Tree{{kTable, kDirectory}, {kTable + kTable, kDirectory}}), SnapshotTree(Root()));
}

// A trail byte is no backslash: a relative name whose only 0x5C bytes are
// trail bytes has no directory part, even when T . would name a directory.
TEST_F(DoubleByteNames, TrailBytesAreNoDirectoryPart) {
    MakeTree(Root(), {{kTable, kDirectory}});
    ASSERT_TRUE(SetCurrentDirectoryA(Root().c_str()));
    for (std::string name : {kTable + "x", "a" + kTable + kTable + "b"})
        EXPECT_EQ(kNoExistingAncestor, Protect([&] { CreateParentDirectories(name.c_str()); })) << name;
    EXPECT_EQ((Tree{{kTable, kDirectory}}), SnapshotTree(Root()));
}

TEST_F(DoubleByteNames, MissingDirectoriesAreCreatedWhole) {
    const std::string a = "a" + kTable, b = kTable, c = "b" + kTable + "c", d = kTable + kTable;
    std::string path = At(a + "\\" + b + "\\" + c + "\\" + d + "\\name" + kTable);
    EXPECT_EQ(kNoError, Protect([&] { CreateParentDirectories(path.c_str()); }));
    EXPECT_EQ((Tree{{a, kDirectory},
                    {a + "\\" + b, kDirectory},
                    {a + "\\" + b + "\\" + c, kDirectory},
                    {a + "\\" + b + "\\" + c + "\\" + d, kDirectory}}),
              SnapshotTree(Root()));
}

TEST_F(DoubleByteNames, FilesAndTreesAreCopied) {
    const Tree source = {
        {"f" + kTable, "file"},
        {kTable, kDirectory},
        {kTable + "\\" + kTable + ".txt", "below"},
        {kTable + "\\x" + kTable, kDirectory},
        {kTable + "\\x" + kTable + "\\y", "deeper"},
    };
    MakeTree(At("source"), source);
    std::string from = At("source");
    std::string to = At(kTable + "\\" + kTable + "out" + kTable);
    std::string file = At("source\\f" + kTable);
    std::string fileTo = At("x" + kTable + "\\" + kTable + "\\copy" + kTable);
    std::string before = CurrentDirectory();
    EXPECT_EQ(kNoError, Protect([&] { CopyDirectoryTree(from.c_str(), to.c_str()); }));
    EXPECT_EQ(before, CurrentDirectory());
    EXPECT_EQ(source, SnapshotTree(to));
    EXPECT_EQ(kNoError, Protect([&] { CopyFileWithParents(file.c_str(), fileTo.c_str()); }));
    EXPECT_EQ((Tree{{kTable, kDirectory}, {kTable + "\\copy" + kTable, "file"}}), SnapshotTree(At("x" + kTable)));
}

}  // namespace
