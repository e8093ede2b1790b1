// PURPOSE: the `e` command: start a program from the disc and wait for it
// (a folder is opened and not waited for).
#include <windows.h>
#include "command_failure.h"
#include "resources/resource_ids.h"
#include "install_script.h"
#include "launch_and_wait.h"
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/field_split.h"
#include "runtime/heap.h"

void RunExecuteCommand(char* text) {
    char separator = text[0];
    if (separator == '\0') return;
    FieldArray fields;
    InitArray(fields);
    char* program = 0;
    ErrorCode code = Protect([&] {
        Split(text + 1, separator, fields);
        if (fields.count == 0) return;
        program = ResolveAgainstLauncherDirectory(fields[0]);
        // A program that is not on this disc is skipped without a word.
        DWORD attributes = GetFileAttributesA(program);
        if (attributes == INVALID_FILE_ATTRIBUTES) return;
        const char* title = fields.count >= 2 && fields[1][0] != '\0' ? fields[1] : 0;
        // A folder opens in the file manager, whose window the user keeps as
        // long as they like: the script does not wait for it.
        LaunchAndWait(program, title, (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0);
    });
    Release(program);
    Destroy(fields);
    if (code != kNoError) FailCommand(code, OFFSET_LAUNCH_FAILED);
}
