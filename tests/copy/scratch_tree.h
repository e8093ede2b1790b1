// Helpers for the copy tests: a scratch folder on the Wine drive, trees
// described as tables of relative paths, and snapshots of real trees in the
// same form so that a whole tree can be compared in one expectation.
#pragma once
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "runtime/error_frame.h"

// Relative path (backslashes) -> file content, or kDirectory for a directory.
typedef std::map<std::string, std::string> Tree;
extern const char kDirectory[];

// Creates the tree's files and directories below root (parents first).
void MakeTree(const std::string& root, const Tree& tree);

// Everything below root, in the same form (a file over 256 bytes shows as
// "<size bytes>"). A missing root gives an empty tree.
Tree SnapshotTree(const std::string& root);

// The names directly inside directory, without "." and "..".
std::set<std::string> NamesIn(const std::string& directory);

// The names of directory's subdirectories (without "." and "..") in the
// order the file system lists them.
std::vector<std::string> SubdirectoriesInListingOrder(const std::string& directory);

void WriteFileText(const std::string& path, const std::string& text);
std::string ReadFileText(const std::string& path);
bool IsFile(const std::string& path);
bool IsDirectory(const std::string& path);
void RemoveTree(const std::string& path);   // clears read-only bits first
std::string CurrentDirectory();

// Bytes and blocks in use on the process heap, where the launcher's buffers
// and Windows' find handles live.
struct HeapUse {
    size_t bytes;
    size_t blocks;
    bool operator==(const HeapUse& other) const { return bytes == other.bytes && blocks == other.blocks; }
};
HeapUse ProcessHeapInUse();
std::ostream& operator<<(std::ostream& out, const HeapUse& use);

// A fresh folder below the temporary folder for each test, removed after it;
// the current directory is set back to what it was.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string At(const std::string& relative) const { return root_ + "\\" + relative; }
    const std::string& Root() const { return root_; }

private:
    std::string root_;
    std::string savedDirectory_;
};
