// PURPOSE: copying one file into place.
#include "copy_file.h"
#include <windows.h>
#include "create_parent_directories.h"
#include "runtime/error_frame.h"

namespace {

// A failed copy must not leave half a file behind, nor a stale one that could
// be taken for the new one. Best effort: the copy's own error is what counts.
void DeleteAfterFailedCopy(const char* destination) {
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileA(destination);
}

}  // namespace

void CopyOneFile(const char* source, const char* destination) {
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) RaiseError(kWrongKindOfDestination);
        // CopyFileA refuses to overwrite a read-only file.
        if ((attributes & FILE_ATTRIBUTE_READONLY) &&
            !SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY))
            RaiseError(LastWindowsError());
    }
    if (CopyFileA(source, destination, FALSE)) return;
    ErrorCode code = LastWindowsError();
    DeleteAfterFailedCopy(destination);
    RaiseError(code);
}

void CopyFileWithParents(const char* source, const char* destination) {
    CreateParentDirectories(destination);
    CopyOneFile(source, destination);
}
