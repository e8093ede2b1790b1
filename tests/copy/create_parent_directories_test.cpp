// CreateParentDirectories on the Wine drive: which directories appear, in
// which order, and what a path without any existing ancestor gives.
#include <gtest/gtest.h>
#include <windows.h>
#include "scratch_tree.h"
#include "script/create_parent_directories.h"

namespace {

struct ParentsCase {
    const char* label;
    Tree before;
    const char* path;      // relative to the scratch folder
    Tree after;
};

const ParentsCase kParentsCases[] = {
    {"AllMissing", {}, "a\\b\\c\\file.txt",
     {{"a", kDirectory}, {"a\\b", kDirectory}, {"a\\b\\c", kDirectory}}},
    {"LastComponentIsNeverCreated", {}, "name", {}},
    {"TrailingBackslashCreatesEveryNamedDirectory", {}, "a\\b\\",
     {{"a", kDirectory}, {"a\\b", kDirectory}}},
    {"ExistingAncestorsAreKept",
     {{"a", kDirectory}, {"a\\keep.txt", "k"}}, "a\\b\\c\\file.txt",
     {{"a", kDirectory}, {"a\\keep.txt", "k"}, {"a\\b", kDirectory}, {"a\\b\\c", kDirectory}}},
    {"EverythingThere",
     {{"a", kDirectory}, {"a\\b", kDirectory}}, "a\\b\\file.txt",
     {{"a", kDirectory}, {"a\\b", kDirectory}}},
    {"DotNames", {}, ".a\\..b\\f",
     {{".a", kDirectory}, {".a\\..b", kDirectory}}},
};

class CreateParents : public ScratchTest, public ::testing::WithParamInterface<ParentsCase> {};

TEST_P(CreateParents, CreatesExactlyTheMissingDirectories) {
    const ParentsCase& c = GetParam();
    MakeTree(Root(), c.before);
    std::string path = At(c.path);
    EXPECT_EQ(kNoError, Protect([&] { CreateParentDirectories(path.c_str()); }));
    EXPECT_EQ(c.after, SnapshotTree(Root()));
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateParents, ::testing::ValuesIn(kParentsCases),
                         [](const auto& info) { return std::string(info.param.label); });

using CreateParentsFailure = ScratchTest;

// A directory that cannot be created stops the walk; the directories
// outside it were created before it, those inside it never are.
TEST_F(CreateParentsFailure, OutermostDirectoriesComeFirst) {
    std::string path = At("outer\\bad|name\\inner\\file.txt");
    ErrorCode code = Protect([&] { CreateParentDirectories(path.c_str()); });
    EXPECT_EQ(-static_cast<ErrorCode>(ERROR_INVALID_NAME), code);
    EXPECT_EQ((Tree{{"outer", kDirectory}}), SnapshotTree(Root()));
}

// "plain.txt\." names the file itself, so the file counts as the deepest
// existing ancestor and creating a directory below it fails.
TEST_F(CreateParentsFailure, FileWhereADirectoryMustBeChangesNothing) {
    MakeTree(Root(), {{"plain.txt", "p"}});
    std::string path = At("plain.txt\\sub\\file.txt");
    EXPECT_EQ(-static_cast<ErrorCode>(ERROR_PATH_NOT_FOUND),
              Protect([&] { CreateParentDirectories(path.c_str()); }));
    EXPECT_EQ((Tree{{"plain.txt", "p"}}), SnapshotTree(Root()));
}

// A drive letter that Wine does not map: every ancestor up to "X:" is tried
// and none exists.
std::string UnmappedDrive() {
    for (char letter = 'Y'; letter >= 'D'; --letter) {
        std::string root = std::string(1, letter) + ":\\";
        if (GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES)
            return std::string(1, letter) + ":";
    }
    return "";
}

TEST(CreateParentsWithoutAncestor, RaisesNoExistingAncestor) {
    std::string drive = UnmappedDrive();
    ASSERT_FALSE(drive.empty()) << "every drive letter is mapped";
    for (std::string path : {drive + "\\a\\b\\file.txt", drive + "\\file.txt", std::string("file.txt"),
                             std::string("")}) {
        EXPECT_EQ(kNoExistingAncestor, Protect([&] { CreateParentDirectories(path.c_str()); })) << path;
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((drive + "\\a").c_str()));
}

}  // namespace
