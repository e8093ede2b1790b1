// PURPOSE: the drive type of a copy source's root; see source_drive.h.
#include "source_drive.h"
#include <windows.h>
#include <string.h>
#include "runtime/char_search.h"

namespace {

// The length of path's root without its closing backslash ("X:" or
// "\\server\share"), or 0 when path has no root of its own.
size_t RootLength(const char* path) {
    if (path[0] != '\0' && path[1] == ':') return 2;
    if (path[0] != '\\' || path[1] != '\\') return 0;
    size_t server = SpanUntil(path + 2, "\\");
    if (path[2 + server] == '\0') return 0;
    size_t start = 2 + server + 1;
    size_t share = SpanUntil(path + start, "\\");
    return start + share;
}

}  // namespace

bool IsOnCdRom(const char* path) {
    size_t length = RootLength(path);
    if (length == 0) return GetDriveTypeA(NULL) == DRIVE_CDROM;
    char root[MAX_PATH + 2];
    if (length >= MAX_PATH) return false;
    memcpy(root, path, length);
    root[length++] = '\\';
    root[length] = '\0';
    return GetDriveTypeA(root) == DRIVE_CDROM;
}
