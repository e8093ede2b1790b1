// Copies onto a drive that runs full: drive Q: is a 1 MB tmpfs that the
// copy_small_drive fixture mounts for this test. A copy that does not fit
// fails with the disk-full error and leaves no partial file behind.
#include <gtest/gtest.h>
#include <windows.h>
#include "scratch_tree.h"
#include "script/copy_file.h"
#include "script/copy_tree.h"

namespace {

const char kDrive[] = "Q:\\";
const ErrorCode kDiskFull = -static_cast<ErrorCode>(ERROR_DISK_FULL);

ULONGLONG FreeBytes() {
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA(kDrive, &available, &total, &free)) return 0;
    return free.QuadPart;
}

class FullDisk : public ScratchTest {
protected:
    void SetUp() override {
        if (GetFileAttributesA(kDrive) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "drive Q: is not mapped: a small tmpfs could not be mounted here (needs root)";
        ULARGE_INTEGER available, total, free;
        ASSERT_TRUE(GetDiskFreeSpaceExA(kDrive, &available, &total, &free));
        ASSERT_LE(total.QuadPart, 1u << 20) << "drive Q: is not the small drive";
        ScratchTest::SetUp();
        RemoveTree(Q("tree"));
        RemoveTree(Q("files"));
        freeBefore_ = FreeBytes();
        // Twice the drive: it cannot fit whatever is already there.
        WriteFileText(At("big.bin"), std::string(2u << 20, 'b'));
    }
    void TearDown() override {
        if (IsSkipped()) return;
        RemoveTree(Q("tree"));
        RemoveTree(Q("files"));
        ScratchTest::TearDown();
    }
    static std::string Q(const std::string& relative) { return kDrive + relative; }
    ULONGLONG freeBefore_ = 0;
};

TEST_F(FullDisk, FileCopyFailsAndLeavesNoFile) {
    std::string big = At("big.bin");
    // Into directories that do not exist yet: they are made, the file is not.
    std::string fresh = Q("files\\new\\big.bin");
    EXPECT_EQ(kDiskFull, Protect([&] { CopyFileWithParents(big.c_str(), fresh.c_str()); }));
    EXPECT_EQ((Tree{{"new", kDirectory}}), SnapshotTree(Q("files")));
    // Over a file that was there: the copy has already cut it short, so what
    // is left of it goes too.
    std::string existing = Q("files\\existing.bin");
    WriteFileText(existing, "was here before");
    SetFileAttributesA(existing.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(kDiskFull, Protect([&] { CopyOneFile(big.c_str(), existing.c_str()); }));
    EXPECT_EQ((Tree{{"new", kDirectory}}), SnapshotTree(Q("files")));
    RemoveTree(Q("files"));
    EXPECT_EQ(freeBefore_, FreeBytes()) << "space is still taken on the drive";
}

TEST_F(FullDisk, TreeCopyStopsAtTheFileThatDoesNotFit) {
    MakeTree(At("source"), {{"small.txt", "fits"}, {"sub", kDirectory}});
    ASSERT_TRUE(CopyFileA(At("big.bin").c_str(), At("source\\sub\\big.bin").c_str(), FALSE));
    std::string source = At("source");
    std::string destination = Q("tree\\copy");
    std::string before = CurrentDirectory();
    EXPECT_EQ(kDiskFull, Protect([&] { CopyDirectoryTree(source.c_str(), destination.c_str()); }));
    EXPECT_EQ(before, CurrentDirectory());
    // Files first: small.txt was copied before sub was entered.
    EXPECT_EQ((Tree{{"small.txt", "fits"}, {"sub", kDirectory}}), SnapshotTree(destination));
}

}  // namespace
