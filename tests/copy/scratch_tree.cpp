#include "scratch_tree.h"
#include <windows.h>
#include <vector>

const char kDirectory[] = "<directory>";

namespace {

void SnapshotInto(const std::string& directory, const std::string& prefix, Tree& tree) {
    for (const std::string& name : NamesIn(directory)) {
        std::string path = directory + "\\" + name;
        std::string relative = prefix + name;
        if (IsDirectory(path)) {
            tree[relative] = kDirectory;
            SnapshotInto(path, relative + "\\", tree);
        } else {
            // Large files show as their size, so a failure message stays short.
            std::string text = ReadFileText(path);
            tree[relative] = text.size() <= 256 ? text : "<" + std::to_string(text.size()) + " bytes>";
        }
    }
}

template <class Visit>
void ForEachName(const std::string& directory, Visit visit) {
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") visit(name, entry.dwFileAttributes);
    } while (FindNextFileA(listing, &entry));
    FindClose(listing);
}

}  // namespace

void MakeTree(const std::string& root, const Tree& tree) {
    CreateDirectoryA(root.c_str(), NULL);
    // Map order puts "a" before "a\b", so parents come first.
    for (const auto& [relative, content] : tree) {
        std::string path = root + "\\" + relative;
        if (content == kDirectory) {
            ASSERT_TRUE(CreateDirectoryA(path.c_str(), NULL)) << path << " " << GetLastError();
        } else {
            WriteFileText(path, content);
        }
    }
}

Tree SnapshotTree(const std::string& root) {
    Tree tree;
    SnapshotInto(root, "", tree);
    return tree;
}

std::set<std::string> NamesIn(const std::string& directory) {
    std::set<std::string> names;
    ForEachName(directory, [&](const std::string& name, DWORD) { names.insert(name); });
    return names;
}

std::vector<std::string> SubdirectoriesInListingOrder(const std::string& directory) {
    std::vector<std::string> names;
    ForEachName(directory, [&](const std::string& name, DWORD attributes) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) names.push_back(name);
    });
    return names;
}

void WriteFileText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path << " " << GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL));
    EXPECT_EQ(text.size(), written);
    CloseHandle(file);
}

std::string ReadFileText(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return "<cannot open>";
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, NULL) && read > 0) text.append(buffer, read);
    CloseHandle(file);
    return text;
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    for (const std::string& name : NamesIn(path)) RemoveTree(path + "\\" + name);
    RemoveDirectoryA(path.c_str());
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH * 2];
    GetCurrentDirectoryA(sizeof buffer, buffer);
    return buffer;
}

HeapUse ProcessHeapInUse() {
    HANDLE heap = GetProcessHeap();
    HeapUse use = {0, 0};
    PROCESS_HEAP_ENTRY entry;
    entry.lpData = NULL;
    HeapLock(heap);
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
            use.bytes += entry.cbData;
            ++use.blocks;
        }
    }
    HeapUnlock(heap);
    return use;
}

std::ostream& operator<<(std::ostream& out, const HeapUse& use) {
    return out << use.bytes << " bytes in " << use.blocks << " blocks";
}

void ScratchTest::SetUp() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::string(temp) + "copy_" + test->test_suite_name() + "_" + test->name();
    for (char& c : root_)
        if (c == '/') c = '_';   // parameterised test names
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), NULL)) << root_;
    savedDirectory_ = CurrentDirectory();
}

void ScratchTest::TearDown() {
    SetCurrentDirectoryA(savedDirectory_.c_str());
    RemoveTree(root_);
}
