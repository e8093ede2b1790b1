// PURPOSE: the depth-first tree copy. The walk moves the current directory
// through the source tree, down by each subdirectory's name and up by "..",
// so source entries are named relative to it and no source path is built.
#include "copy_tree.h"
#include <windows.h>
#include "copy_file.h"
#include "create_parent_directories.h"
#include "directory_entries.h"
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"

namespace {

// Makes sure directory exists as a directory, creating it (and, when asked,
// its parents) if it is missing.
void EnsureDirectory(const char* directory, bool withParents) {
    DWORD attributes = GetFileAttributesA(directory);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (withParents) {
            CreateParentDirectories(directory);
            // A path that ends in a backslash names the directory itself as
            // its last parent: it has just been made.
            attributes = GetFileAttributesA(directory);
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
        }
        if (!CreateDirectoryA(directory, NULL)) RaiseError(LastWindowsError());
    } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        RaiseError(kWrongKindOfDestination);
    }
}

void SetCurrentDirectoryOrRaise(const char* directory) {
    if (!SetCurrentDirectoryA(directory)) RaiseError(LastWindowsError());
}

// Copies the subdirectory name of the current directory into destination,
// which names the matching destination subdirectory.
void CopySubdirectory(const char* name, const char* destination) {
    EnsureDirectory(destination, false);
    SetCurrentDirectoryOrRaise(name);
    ErrorCode code = Protect([&] { CopyTreeLevel(destination); });
    if (code != kNoError) {
        SetCurrentDirectoryA("..");   // the first error is the one to report
        PassOn(code);
    }
    SetCurrentDirectoryOrRaise("..");
}

}  // namespace

void CopyDirectoryFiles(const char* destination) {
    ForEachEntry(kFileEntries, destination,
                 [](const char* name, const char* path) { CopyOneFile(name, path); });
}

void CopyTreeLevel(const char* destination) {
    CopyDirectoryFiles(destination);
    ForEachEntry(kSubdirectoryEntries, destination, CopySubdirectory);
}

void CopyDirectoryTree(const char* source, const char* destination) {
    EnsureDirectory(destination, true);
    char* saved = 0;
    ErrorCode code = Protect([&] {
        saved = QueryCurrentDirectory();
        SetCurrentDirectoryOrRaise(source);
        ErrorCode walk = Protect([&] { CopyTreeLevel(destination); });
        if (walk != kNoError) {
            SetCurrentDirectoryA(saved);   // the first error is the one to report
            PassOn(walk);
        }
        SetCurrentDirectoryOrRaise(saved);
    });
    Release(saved);
    PassOn(code);
}
