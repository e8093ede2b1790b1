// PURPOSE: file states and file identity for the copy; see file_state.h.
// Windows 95 has no GetFileAttributesExA: a one-name find gives the same.
#include "file_state.h"
#include "runtime/char_search.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"

namespace {

struct Identity {
    bool known;
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

// Opened for no access at all, so that a file that is open elsewhere (even
// locked against reading) can still be asked who it is.
Identity IdentityOf(const char* path) {
    Identity identity = {false, 0, 0, 0};
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return identity;
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(file, &information)) {
        identity.volume = information.dwVolumeSerialNumber;
        identity.indexHigh = information.nFileIndexHigh;
        identity.indexLow = information.nFileIndexLow;
        // Some network redirectors give every file index 0: no identity.
        identity.known = identity.indexHigh != 0 || identity.indexLow != 0;
    }
    CloseHandle(file);
    return identity;
}

// The full path of path in a new buffer; raises -14 or -N.
char* NewFullPath(const char* path) {
    char* filePart;
    DWORD size = GetFullPathNameA(path, 0, NULL, &filePart);
    if (size == 0) RaiseError(LastWindowsError());
    char* full = AllocateArrayOrRaise<char>(size + 1);
    DWORD length = GetFullPathNameA(path, size + 1, full, &filePart);
    if (length == 0 || length > size) {
        Release(full);
        RaiseError(length == 0 ? LastWindowsError() : kOutOfMemory);
    }
    return full;
}

bool SameFullPath(const char* source, const char* destination) {
    char* first = 0;
    char* second = 0;
    bool same = false;
    // A path that cannot be made full cannot be shown to be the same.
    Protect([&] {
        first = NewFullPath(source);
        second = NewFullPath(destination);
        same = lstrcmpiA(first, second) == 0;
    });
    Release(first);
    Release(second);
    return same;
}

}  // namespace

FileState StateOf(const char* path) {
    FileState state;
    ZeroMemory(&state, sizeof state);
    // A wildcard in the name would find some other file; no file has one.
    if (path[SpanUntil(path, "*?<>\"")] != '\0') return state;
    WIN32_FIND_DATAA entry;
    HANDLE found = FindFirstFileA(path, &entry);
    if (found == INVALID_HANDLE_VALUE) return state;
    FindClose(found);
    state.exists = true;
    state.attributes = entry.dwFileAttributes;
    state.sizeHigh = entry.nFileSizeHigh;
    state.sizeLow = entry.nFileSizeLow;
    state.lastWrite = entry.ftLastWriteTime;
    return state;
}

bool SameContentStamp(const FileState& before, const FileState& after) {
    return before.sizeHigh == after.sizeHigh && before.sizeLow == after.sizeLow &&
           before.lastWrite.dwLowDateTime == after.lastWrite.dwLowDateTime &&
           before.lastWrite.dwHighDateTime == after.lastWrite.dwHighDateTime;
}

bool SameFile(const char* source, const char* destination) {
    Identity first = IdentityOf(source);
    if (first.known) {
        Identity second = IdentityOf(destination);
        if (second.known)
            return first.volume == second.volume && first.indexHigh == second.indexHigh &&
                   first.indexLow == second.indexLow;
    }
    return SameFullPath(source, destination);
}
