// PURPOSE: the `c` command: copy a file or a directory tree from the disc to
// a place under the Windows directory.
#include <windows.h>
#include "command_failure.h"
#include "resources/resource_ids.h"
#include "copy_file.h"
#include "copy_tree.h"
#include "install_script.h"
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/field_split.h"
#include "runtime/heap.h"

void RunCopyCommand(char* text) {
    char separator = text[0];
    if (separator == '\0') return;
    FieldArray fields;
    InitArray(fields);
    char* source = 0;
    char* destination = 0;
    ErrorCode code = Protect([&] {
        Split(text + 1, separator, fields);
        if (fields.count < 2) return;
        source = ResolveAgainstLauncherDirectory(fields[0]);
        DWORD attributes = GetFileAttributesA(source);
        // A source that is not on this disc is skipped without a word.
        if (attributes == INVALID_FILE_ATTRIBUTES) return;
        destination = ResolveAgainstKnownDirectory(fields[1], 'w');
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) CopyDirectoryTree(source, destination);
        else CopyFileWithParents(source, destination);
    });
    Release(source);
    Release(destination);
    Destroy(fields);
    if (code != kNoError) FailCommand(code, OFFSET_COPY_FAILED);
}
