// PURPOSE: the depth-first tree copy. The walk moves the current directory
// through the source tree, down by each subdirectory's name and up by "..",
// so source entries are named relative to it and no source path is built.
#include "copy_tree.h"
#include <windows.h>
#include "create_parent_directories.h"
#include "directory_entries.h"
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"
#include "source_drive.h"

namespace {

// Makes sure directory exists as a directory, creating it (and, when asked,
// its parents) if it is missing. Returns whether it was created here.
bool EnsureDirectory(const char* directory, bool withParents) {
    DWORD attributes = GetFileAttributesA(directory);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) RaiseError(kWrongKindOfDestination);
        return false;
    }
    if (withParents) {
        CreateParentDirectories(directory);
        // A path that ends in a backslash names the directory itself as its
        // last parent: it has just been made.
        attributes = GetFileAttributesA(directory);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    }
    if (!CreateDirectoryA(directory, NULL)) RaiseError(LastWindowsError());
    return true;
}

void SetCurrentDirectoryOrRaise(const char* directory) {
    if (!SetCurrentDirectoryA(directory)) RaiseError(LastWindowsError());
}

// A level's destination directory is new when this copy made it.
CopyPlan LevelPlan(bool fromCdRom, bool made) {
    CopyPlan plan = {fromCdRom, made, !made};
    return plan;
}

void CopyLevel(const char* destination, CopyPlan& plan);

// Copies the subdirectory name of the current directory into destination,
// which names the matching destination subdirectory. Below a directory
// this copy made, nothing can be there yet: it is made without a look.
void CopySubdirectory(const char* name, const char* destination, const CopyPlan& parent) {
    bool made = (parent.intoNewDirectory && CreateDirectoryA(destination, NULL)) ||
                EnsureDirectory(destination, false);
    CopyPlan plan = LevelPlan(parent.fromCdRom, made);
    SetCurrentDirectoryOrRaise(name);
    ErrorCode code = Protect([&] { CopyLevel(destination, plan); });
    if (code != kNoError) {
        SetCurrentDirectoryA("..");   // the first error is the one to report
        PassOn(code);
    }
    SetCurrentDirectoryOrRaise("..");
}

// Every file of the level is copied before any subdirectory is entered.
void CopyLevel(const char* destination, CopyPlan& plan) {
    ForEachEntry(kFileEntries, destination, [&](const char* name, const char* path, DWORD attributes) {
        CopyPlannedFile(name, attributes, path, plan);
    });
    ForEachEntry(kSubdirectoryEntries, destination,
                 [&](const char* name, const char* path, DWORD) { CopySubdirectory(name, path, plan); });
}

}  // namespace

void CopyTreeLevel(const char* destination) {
    CopyPlan plan = LevelPlan(IsOnCdRom(""), false);
    CopyLevel(destination, plan);
}

void CopyDirectoryTree(const char* source, const char* destination) {
    CopyPlan plan = LevelPlan(IsOnCdRom(source), EnsureDirectory(destination, true));
    char* saved = 0;
    ErrorCode code = Protect([&] {
        saved = QueryCurrentDirectory();
        SetCurrentDirectoryOrRaise(source);
        ErrorCode walk = Protect([&] { CopyLevel(destination, plan); });
        if (walk != kNoError) {
            SetCurrentDirectoryA(saved);   // the first error is the one to report
            PassOn(walk);
        }
        SetCurrentDirectoryOrRaise(saved);
    });
    Release(saved);
    PassOn(code);
}
