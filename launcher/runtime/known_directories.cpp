// PURPOSE: the letter-keyed cache of known directories, kept for the life of
// the process; its element storage is released by an exit handler.
#include <windows.h>
#include "directory_queries.h"
#include "error_frame.h"
#include "growable_array.h"
#include "startup/exit_handlers.h"

namespace {

struct KnownDirectoryEntry {
    char letter;
    const char* path;   // owned by the cache, never released
};

GrowableArray<KnownDirectoryEntry> g_cache;
bool g_cacheCreated = false;

void ReleaseCacheStorage() {
    Destroy(g_cache);
}

}  // namespace

const char* KnownDirectory(char letter) {
    if (!g_cacheCreated) {
        InitArray(g_cache);
        RegisterExitHandler(ReleaseCacheStorage);
        g_cacheCreated = true;
    }
    for (uint32_t i = g_cache.count; i > 0; --i)
        if (g_cache[i - 1].letter == letter) return g_cache[i - 1].path;

    char* path = 0;
    if (letter == 's') {
        path = QuerySystemDirectory();
    } else if (letter == 'w') {
        path = QueryWindowsDirectory();
    } else {
        RaiseError(kQuietStop);
    }
    // The string becomes the cache's only once its entry is stored.
    KnownDirectoryEntry entry = {letter, path};
    ErrorCode code = Protect([&] { Append(g_cache, entry); });
    if (code != kNoError) Release(path);
    PassOn(code);
    return path;
}
