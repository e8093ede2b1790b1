// Copies from a CD-ROM: drive R: is a folder that the copy_cdrom_drive
// fixture maps as a Wine drive of type CD-ROM. Every file on a disc carries
// the read-only bit; the installed copy must not, while copies from other
// drives keep their source's attributes.
#include <gtest/gtest.h>
#include <windows.h>
#include "scratch_tree.h"
#include "script/copy_file.h"
#include "script/copy_tree.h"

namespace {

const char kDisc[] = "R:\\";

class DiscCopy : public ScratchTest {
protected:
    void SetUp() override {
        ASSERT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA(kDisc)) << "drive R: is not a CD-ROM drive";
        ScratchTest::SetUp();
        RemoveTree(Disc("disc"));
        MakeTree(Disc("disc"), {{"setup.ini", "[setup]"}, {"sub", kDirectory}, {"sub\\data.cfg", "data"}});
        MarkReadOnly(Disc("disc\\setup.ini"));
        MarkReadOnly(Disc("disc\\sub\\data.cfg"));
    }
    void TearDown() override {
        RemoveTree(Disc("disc"));
        ScratchTest::TearDown();
    }
    static std::string Disc(const std::string& relative) { return kDisc + relative; }
    static void MarkReadOnly(const std::string& path) {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        ASSERT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    }
    static DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
};

TEST_F(DiscCopy, FileCopyDropsTheReadOnlyBit) {
    std::string source = Disc("disc\\setup.ini");
    std::string destination = At("installed\\setup.ini");
    EXPECT_EQ(kNoError, Protect([&] { CopyFileWithParents(source.c_str(), destination.c_str()); }));
    EXPECT_EQ("[setup]", ReadFileText(destination));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, Attributes(destination));
    EXPECT_EQ(0u, Attributes(destination) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(Attributes(source) & FILE_ATTRIBUTE_READONLY) << "the disc's file was changed";
}

// The tree walk names its sources relative to the current directory, which
// is then on the disc.
TEST_F(DiscCopy, TreeCopyDropsTheReadOnlyBit) {
    std::string source = Disc("disc");
    std::string destination = At("installed");
    EXPECT_EQ(kNoError, Protect([&] { CopyDirectoryTree(source.c_str(), destination.c_str()); }));
    EXPECT_EQ((Tree{{"setup.ini", "[setup]"}, {"sub", kDirectory}, {"sub\\data.cfg", "data"}}),
              SnapshotTree(destination));
    EXPECT_EQ(0u, Attributes(At("installed\\setup.ini")) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0u, Attributes(At("installed\\sub\\data.cfg")) & FILE_ATTRIBUTE_READONLY);
}

// A read-only file on a fixed drive gives a read-only copy, by file and by
// tree, as CopyFileA makes it.
TEST_F(DiscCopy, CopiesFromOtherDrivesKeepTheReadOnlyBit) {
    MakeTree(At("fixed"), {{"kept.ini", "kept"}});
    MarkReadOnly(At("fixed\\kept.ini"));
    std::string source = At("fixed\\kept.ini");
    std::string file = At("by file\\kept.ini");
    EXPECT_EQ(kNoError, Protect([&] { CopyFileWithParents(source.c_str(), file.c_str()); }));
    EXPECT_TRUE(Attributes(file) & FILE_ATTRIBUTE_READONLY);
    std::string tree = At("by tree");
    std::string folder = At("fixed");
    EXPECT_EQ(kNoError, Protect([&] { CopyDirectoryTree(folder.c_str(), tree.c_str()); }));
    EXPECT_TRUE(Attributes(At("by tree\\kept.ini")) & FILE_ATTRIBUTE_READONLY);
}

}  // namespace
