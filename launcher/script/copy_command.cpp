// PURPOSE: the `c` command: copy a file or a directory tree from the disc to
// a place under the Windows directory.
#include <windows.h>
#include <string.h>
#include "command_failure.h"
#include "resources/resource_ids.h"
#include "copy_file.h"
#include "copy_tree.h"
#include "install_script.h"
#include "runtime/char_search.h"
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/field_split.h"
#include "runtime/heap.h"

namespace {

// A destination that ends in a backslash names a folder: the file goes into
// it under its own name, as the author means. Null for any other destination.
char* IntoFolder(const char* source, const char* destination) {
    const char* backslash = FindLastChar(destination, '\\');
    if (!backslash || backslash[1]) return 0;
    const char* name = FindLastChar(source, '\\') + 1;   // the source is a full path
    size_t folderLength = strlen(destination), nameLength = strlen(name) + 1;
    char* path = AllocateArrayOrRaise<char>(folderLength + nameLength);
    memcpy(path, destination, folderLength);
    memcpy(path + folderLength, name, nameLength);
    return path;
}

}  // namespace

void RunCopyCommand(char* text) {
    char separator = text[0];
    if (separator == '\0') return;
    FieldArray fields;
    InitArray(fields);
    char* source = 0;
    char* destination = 0;
    char* named = 0;
    ErrorCode code = Protect([&] {
        Split(text + 1, separator, fields);
        if (fields.count < 2) return;
        source = ResolveAgainstLauncherDirectory(fields[0]);
        DWORD attributes = GetFileAttributesA(source);
        // A source that is not on this disc is skipped without a word.
        if (attributes == INVALID_FILE_ATTRIBUTES) return;
        destination = ResolveAgainstKnownDirectory(fields[1], 'w');
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) CopyDirectoryTree(source, destination);
        else {
            named = IntoFolder(source, destination);
            CopyFileWithParents(source, named ? named : destination);
        }
    });
    Release(source);
    Release(destination);
    Release(named);
    Destroy(fields);
    if (code != kNoError) FailCommand(code, OFFSET_COPY_FAILED);
}
