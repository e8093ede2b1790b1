// PURPOSE: what a copy needs to know of a file before and after it: whether
// it is there, its attributes, size and last-write time, and whether two
// names lead to the same file.
#pragma once
#include <windows.h>

struct FileState {
    bool exists;
    DWORD attributes;
    DWORD sizeHigh;
    DWORD sizeLow;
    FILETIME lastWrite;
};

// The state of the file or directory at path; exists is false when it cannot
// be found (or its name cannot be read as a name).
FileState StateOf(const char* path);

// Whether the file at path still has the size and last-write time it had in
// before (both states must exist).
bool SameContentStamp(const FileState& before, const FileState& after);

// Whether source and destination name one and the same file: the same file
// identity (volume and file index) where both can be opened and the file
// system gives one, otherwise the same full path compared without regard to
// letter case.
bool SameFile(const char* source, const char* destination);
