// PURPOSE: listing the current directory for the tree walk, with one
// destination path buffer per level.
#include "directory_entries.h"
#include <windows.h>
#include <string.h>
#include "runtime/char_search.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"

namespace {

// The level's destination directory, a backslash and the current entry's
// name. The buffer is reallocated only for a name longer than every name
// before it, so most entries rewrite just the name. A directory that already
// ends in a backslash (a drive root, or a destination written that way) gets
// no second one: prefixLength covers the directory and its one backslash.
struct DestinationPath {
    const char* directory;
    size_t directoryLength;
    size_t prefixLength;
    char* buffer;
    size_t longestName;
};

DestinationPath NewDestinationPath(const char* directory) {
    size_t length = strlen(directory);
    const char* backslash = FindLastChar(directory, '\\');
    bool endsInBackslash = backslash && backslash == directory + length - 1;
    DestinationPath path = {directory, length, endsInBackslash ? length : length + 1, 0, 0};
    return path;
}

const char* FitName(DestinationPath& path, const char* name) {
    size_t length = strlen(name);
    if (length > path.longestName || !path.buffer) {
        Release(path.buffer);
        path.buffer = AllocateArrayOrRaise<char>(path.prefixLength + length + 1);
        memcpy(path.buffer, path.directory, path.directoryLength);
        path.buffer[path.prefixLength - 1] = '\\';
        path.longestName = length;
    }
    memcpy(path.buffer + path.prefixLength, name, length + 1);
    return path.buffer;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool IsWanted(EntryKind kind, const WIN32_FIND_DATAA& entry) {
    bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (kind == kFileEntries) return !directory;
    return directory && !IsDotOrDotDot(entry.cFileName);
}

const char* EntryName(const WIN32_FIND_DATAA& entry) {
    return entry.cFileName[0] ? entry.cFileName : entry.cAlternateFileName;
}

}  // namespace

void ForEachEntryCall(EntryKind kind, const char* destination, EntryVisitor visit, void* context) {
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA("*", &entry);
    if (listing == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return;   // an empty directory
        RaiseError(LastWindowsError());
    }
    DestinationPath path = NewDestinationPath(destination);
    ErrorCode code = Protect([&] {
        do {
            if (!IsWanted(kind, entry)) continue;
            const char* name = EntryName(entry);
            visit(context, name, FitName(path, name), entry.dwFileAttributes);
        } while (FindNextFileA(listing, &entry));
        DWORD error = GetLastError();
        if (error != ERROR_SUCCESS && error != ERROR_NO_MORE_FILES)
            RaiseError(-static_cast<ErrorCode>(error));
    });
    FindClose(listing);
    Release(path.buffer);
    PassOn(code);
}
