// PURPOSE: creating the missing directories above a path, working on a copy
// of the path that is cut back to the deepest existing directory and then
// grown again one component at a time.
#include "create_parent_directories.h"
#include <windows.h>
#include <string.h>
#include "runtime/char_search.h"
#include "runtime/error_frame.h"
#include "runtime/heap.h"

namespace {

// Cuts work back until it names an existing directory and returns the
// position of the backslash after that directory. Asking for "ancestor\."
// rather than "ancestor" keeps the backslash of a drive root: "C:" alone
// would name the current directory of drive C. work has room for two bytes
// after the path's end.
size_t DeepestExistingAncestor(char* work) {
    char* backslash;
    while ((backslash = FindLastChar(work, '\\')) != 0) {
        backslash[1] = '.';
        backslash[2] = '\0';
        if (GetFileAttributesA(work) != INVALID_FILE_ATTRIBUTES)
            return static_cast<size_t>(backslash - work);
        *backslash = '\0';
    }
    RaiseError(kNoExistingAncestor);
    return 0;   // not reached: the caller's frame takes the raise
}

// Grows work from the backslash at position k again, component by component
// of path, creating each directory; the last component is left alone.
void CreateMissingDirectories(const char* path, char* work, size_t k) {
    for (;;) {
        work[k++] = '\\';
        size_t length = SpanUntil(path + k, "\\");
        if (path[k + length] == '\0') return;
        memcpy(work + k, path + k, length);
        k += length;
        work[k] = '\0';
        if (!CreateDirectoryA(work, NULL)) RaiseError(LastWindowsError());
    }
}

}  // namespace

void CreateParentDirectories(const char* path) {
    size_t length = strlen(path);
    char* work = AllocateArrayOrRaise<char>(length + 2);
    ErrorCode code = Protect([&] {
        memcpy(work, path, length + 1);
        size_t k = DeepestExistingAncestor(work);
        CreateMissingDirectories(path, work, k);
    });
    Release(work);
    PassOn(code);
}
