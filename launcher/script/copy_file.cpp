// PURPOSE: copying one file into place.
#include "copy_file.h"
#include "create_parent_directories.h"
#include "file_state.h"
#include "runtime/error_frame.h"
#include "source_drive.h"

namespace {

const DWORD kAttributesInTheWay = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool AlreadyThere(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// Errors with which CopyFileA stops before it creates or truncates the
// destination: a source or destination that is missing, denied, in use or
// (when it is to fail then) already there.
bool StoppedBeforeWriting(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_ACCESS_DENIED ||
           error == ERROR_SHARING_VIOLATION || AlreadyThere(error);
}

// After a failed copy: a half-written file must not stay, nor one that could
// be taken for the new one. A file the copy never touched belongs to the
// user, or to a program that wrote it while the copy ran, and stays with the
// attributes it had. Best effort: the copy's own error is what counts.
void CleanUpAfterFailedCopy(const char* destination, const FileState& before, DWORD error) {
    if (!StoppedBeforeWriting(error)) {
        FileState after = StateOf(destination);
        if (after.exists && !(before.exists && SameContentStamp(before, after))) {
            if (after.attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(destination);
            return;
        }
    }
    if (before.exists && (before.attributes & kAttributesInTheWay)) SetFileAttributesA(destination, before.attributes);
}

// One CopyFileA. With failIfExists, a file already at the destination makes
// it return false with nothing touched; any other failure is cleaned up
// after and raised.
bool Copy(const char* source, const char* destination, const FileState& before, BOOL failIfExists) {
    if (CopyFileA(source, destination, failIfExists)) return true;
    ErrorCode code = LastWindowsError();
    DWORD error = static_cast<DWORD>(-code);
    if (failIfExists && AlreadyThere(error)) return false;
    CleanUpAfterFailedCopy(destination, before, error);
    RaiseError(code);
    return false;   // not reached: the raise leaves
}

// Copies over whatever is at the destination. Returns false, having copied
// nothing, when the destination is the source file itself.
bool CopyOverFile(const char* source, const char* destination, CopyPlan& plan) {
    FileState before;
    before.exists = false;
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) RaiseError(kWrongKindOfDestination);
        if (plan.askSameFile) {
            // Overwriting a file onto itself would at best do nothing and at
            // worst cut it short.
            if (SameFile(source, destination)) return false;
            plan.askSameFile = false;
        }
        // CopyFileA refuses a read-only destination, and on the NT family a
        // hidden or system one too.
        if ((attributes & kAttributesInTheWay) && !SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL))
            RaiseError(LastWindowsError());
        // Read just before the copy, so that a change made by anyone else
        // before it is not taken for the copy's.
        before = StateOf(destination);
        before.attributes = attributes;
    }
    return Copy(source, destination, before, FALSE);
}

// Files on a CD-ROM are all read-only; the copy, which has its source's
// attributes, is meant to be the installed file, which its program may want
// to write. A bit that cannot be cleared leaves it read-only, as the disc
// had it.
void DropReadOnlyOfDiscCopy(const char* destination, DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
}

}  // namespace

void CopyPlannedFile(const char* source, DWORD sourceAttributes, const char* destination, CopyPlan& plan) {
    FileState none;
    none.exists = false;
    bool copied = plan.intoNewDirectory && Copy(source, destination, none, TRUE);
    if (!copied) copied = CopyOverFile(source, destination, plan);
    if (copied && plan.fromCdRom) DropReadOnlyOfDiscCopy(destination, sourceAttributes);
}

void CopyOneFile(const char* source, const char* destination) {
    CopyPlan plan = {IsOnCdRom(source), false, true};
    if (CopyOverFile(source, destination, plan) && plan.fromCdRom)
        DropReadOnlyOfDiscCopy(destination, GetFileAttributesA(destination));
}

void CopyFileWithParents(const char* source, const char* destination) {
    CreateParentDirectories(destination);
    CopyOneFile(source, destination);
}
