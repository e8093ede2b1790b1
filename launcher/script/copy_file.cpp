// PURPOSE: copying one file into place.
#include "copy_file.h"
#include <windows.h>
#include "create_parent_directories.h"
#include "file_state.h"
#include "runtime/error_frame.h"
#include "source_drive.h"

namespace {

const DWORD kAttributesInTheWay = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// After a failed copy: a half-written file must not stay, nor one that could
// be taken for the new one; a file the copy never touched is the user's and
// stays as it was. Best effort: the copy's own error is what counts.
void CleanUpAfterFailedCopy(const char* destination, const FileState& before) {
    FileState after = StateOf(destination);
    if (!after.exists) return;
    if (before.exists && SameContentStamp(before, after)) {
        if (after.attributes != before.attributes) SetFileAttributesA(destination, before.attributes);
        return;
    }
    if (after.attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(destination);
}

// Files on a CD-ROM are all read-only; the copy is meant to be the
// installed file, which its program may want to write.
void DropReadOnlyOfDiscCopy(const char* source, const char* destination) {
    if (!IsOnCdRom(source)) return;
    DWORD attributes = GetFileAttributesA(destination);
    // The file is copied; a bit that cannot be cleared leaves it read-only,
    // as the disc had it.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
}

}  // namespace

void CopyOneFile(const char* source, const char* destination) {
    FileState before = StateOf(destination);
    if (before.exists) {
        if (before.attributes & FILE_ATTRIBUTE_DIRECTORY) RaiseError(kWrongKindOfDestination);
        // Overwriting a file onto itself would at best do nothing and at
        // worst cut it short.
        if (SameFile(source, destination)) return;
        // CopyFileA refuses a read-only destination, and on the NT family a
        // hidden or system one too.
        if ((before.attributes & kAttributesInTheWay) &&
            !SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL))
            RaiseError(LastWindowsError());
    }
    if (CopyFileA(source, destination, FALSE)) {
        DropReadOnlyOfDiscCopy(source, destination);
        return;
    }
    ErrorCode code = LastWindowsError();
    CleanUpAfterFailedCopy(destination, before);
    RaiseError(code);
}

void CopyFileWithParents(const char* source, const char* destination) {
    CreateParentDirectories(destination);
    CopyOneFile(source, destination);
}
