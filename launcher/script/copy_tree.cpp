// PURPOSE: the depth-first tree copy. The walk moves the current directory
// through the source tree, down by each subdirectory's name and up by "..",
// so source entries are named relative to it and no source path is built.
#include "copy_tree.h"
#include <windows.h>
#include <string.h>
#include "create_parent_directories.h"
#include "directory_entries.h"
#include "runtime/char_search.h"
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"
#include "source_drive.h"

namespace {

// When the destination lies inside the source, the walk meets the
// destination's own directory among the source's; copying it would copy what
// the walk has just written, level after level down to the path limit. This
// is the destination path that directory would be copied to, which the walk
// passes by; null for every other copy.
char* g_ownCopy = 0;

char* OwnCopyPath(const char* source, const char* destination) {
    size_t sourceLength = strlen(source), length = strlen(destination);
    // Searched, not looked at: a last byte 0x5C may end a double-byte character.
    const char* backslash = FindLastChar(destination, '\\');
    if (backslash && !backslash[1]) --length;   // "...\sub\" names "...\sub"
    backslash = FindLastChar(source, '\\');
    bool root = backslash && !backslash[1];
    if (length <= sourceLength || !(root || destination[sourceLength] == '\\')) return 0;
    char* path = AllocateArrayOrRaise<char>(2 * length - sourceLength + 2);
    memcpy(path, destination, length);
    path[sourceLength] = '\0';
    if (lstrcmpiA(path, source) != 0) {
        Release(path);
        return 0;
    }
    // destination, a backslash and the destination's path below the source
    path[sourceLength] = destination[sourceLength];
    char* end = path + length;
    if (root) *end++ = '\\';
    memcpy(end, destination + sourceLength, length - sourceLength);
    end[length - sourceLength] = '\0';
    return path;
}

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
    if (g_ownCopy && lstrcmpiA(destination, g_ownCopy) == 0) return;
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
        g_ownCopy = OwnCopyPath(source, destination);
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
    Release(g_ownCopy);
    PassOn(code);
}
