// PURPOSE: resolving, clearing and comparing the destinations of copy steps.
#include "copy_check.h"
#include <windows.h>
#include "processes.h"

std::string CopyDestination(const std::string& destination) {
    char saved[MAX_PATH], windows[MAX_PATH], full[MAX_PATH * 2];
    GetCurrentDirectoryA(sizeof saved, saved);
    GetWindowsDirectoryA(windows, sizeof windows);
    SetCurrentDirectoryA(windows);
    DWORD length = GetFullPathNameA(destination.c_str(), sizeof full, full, NULL);
    SetCurrentDirectoryA(saved);
    return length && length < sizeof full ? std::string(full) : destination;
}

bool RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) != 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..") RemoveTree(path + "\\" + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(path.c_str()) != 0;
}

std::string CompareCopy(const std::string& source, const std::string& copy) {
    DWORD attributes = GetFileAttributesA(source.c_str());
    DWORD copied = GetFileAttributesA(copy.c_str());
    if (copied == INVALID_FILE_ATTRIBUTES) return copy + " is missing";
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (copied & FILE_ATTRIBUTE_DIRECTORY) return copy + " is a folder, not a file";
        return ReadTextFile(source) == ReadTextFile(copy) ? "" : copy + " differs from " + source;
    }
    if (!(copied & FILE_ATTRIBUTE_DIRECTORY)) return copy + " is a file, not a folder";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((source + "\\*").c_str(), &found);
    std::string difference;
    if (search == INVALID_HANDLE_VALUE) return "";
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            difference = CompareCopy(source + "\\" + name, copy + "\\" + name);
    } while (difference.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return difference;
}
