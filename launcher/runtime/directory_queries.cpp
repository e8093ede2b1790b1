// PURPOSE: the directory queries and the two resolving operations.
#include "directory_queries.h"
#include <windows.h>
#include "char_search.h"
#include "error_frame.h"
#include "heap.h"

namespace {

// Every directory and full path is longer than one character, so a 2-byte
// probe makes Windows report the size needed, terminating zero included.
template <class Query>
char* QueryString(Query query) {
    char probe[2];
    DWORD size = query(probe, sizeof probe);
    if (size == 0) RaiseError(LastWindowsError());
    char* result = AllocateArrayOrRaise<char>(size);
    // The second answer must fit what the first one asked for: a call that
    // fails only now (a name past the system's limit) or whose answer grew
    // meanwhile would leave the buffer without its terminating zero.
    DWORD written = query(result, size);
    if (written == 0 || written >= size) {
        ErrorCode code = written ? -static_cast<ErrorCode>(ERROR_INSUFFICIENT_BUFFER) : LastWindowsError();
        Release(result);
        RaiseError(code);
    }
    return result;
}

void SetCurrentDirectoryOrRaise(const char* directory) {
    if (!SetCurrentDirectoryA(directory)) RaiseError(LastWindowsError());
}

// Completes name while directory is current. On failure the saved directory
// is set back (a failure of that is ignored, so the first error wins).
char* CompleteWhileCurrent(const char* name, const char* directory, const char* saved) {
    SetCurrentDirectoryOrRaise(directory);
    char* result = 0;
    ErrorCode code = Protect([&] { result = QueryFullPath(name); });
    if (code != kNoError) {
        SetCurrentDirectoryA(saved);
        PassOn(code);
    }
    return result;
}

}  // namespace

char* QueryWindowsDirectory() {
    return QueryString([](char* b, DWORD n) { return static_cast<DWORD>(GetWindowsDirectoryA(b, n)); });
}

char* QuerySystemDirectory() {
    return QueryString([](char* b, DWORD n) { return static_cast<DWORD>(GetSystemDirectoryA(b, n)); });
}

char* QueryCurrentDirectory() {
    return QueryString([](char* b, DWORD n) { return GetCurrentDirectoryA(n, b); });
}

char* QueryFullPath(const char* name) {
    return QueryString([name](char* b, DWORD n) {
        char* filePart;
        return GetFullPathNameA(name, n, b, &filePart);
    });
}

char* ResolveAgainstLauncherDirectory(const char* name) {
    char stackBuffer[MAX_PATH];
    char* moduleName = stackBuffer;
    char* saved = 0;
    char* result = 0;
    ErrorCode code = Protect([&] {
        DWORD size = sizeof stackBuffer;
        // A name that fills the buffer up to its last byte may have been cut:
        // grow by a third and read it again. Windows 9x and NT 4.0 report a
        // cut name as size - 1, later Windows as size.
        // A length of 0 is a failure, never an empty name.
        DWORD length;
        while ((length = GetModuleFileNameA(NULL, moduleName, size)) >= size - 1) {
            size += size / 3;
            char* previous = moduleName;
            moduleName = stackBuffer;   // nothing to release if the allocation fails
            if (previous != stackBuffer) Release(previous);
            moduleName = AllocateArrayOrRaise<char>(size);
        }
        if (length == 0) RaiseError(LastWindowsError());
        char* backslash = FindLastChar(moduleName, '\\');
        if (!backslash) {
            result = QueryFullPath(name);
            return;
        }
        backslash[1] = '.';
        backslash[2] = '\0';
        saved = QueryCurrentDirectory();
        result = CompleteWhileCurrent(name, moduleName, saved);
        SetCurrentDirectoryOrRaise(saved);
    });
    if (moduleName != stackBuffer) Release(moduleName);
    Release(saved);
    if (code != kNoError) Release(result);
    PassOn(code);
    return result;
}

char* ResolveAgainstKnownDirectory(const char* name, char letter) {
    char* saved = 0;
    char* result = 0;
    ErrorCode code = Protect([&] {
        saved = QueryCurrentDirectory();
        result = CompleteWhileCurrent(name, KnownDirectory(letter), saved);
        SetCurrentDirectoryOrRaise(saved);
    });
    Release(saved);
    if (code != kNoError) Release(result);
    PassOn(code);
    return result;
}
