// PURPOSE: the `e` command: start a program from the disc and wait for it
// (a folder is opened and not waited for); in the menu variant also the
// steps of the same shape that open without waiting: `o`, `b` and `u`.
#include <windows.h>
#include "command_failure.h"
#include "resources/resource_ids.h"
#include "install_script.h"
#include "launch_and_wait.h"
#include "runtime/directory_queries.h"
#include "runtime/error_frame.h"
#include "runtime/field_split.h"
#include "runtime/heap.h"

namespace {

void RunStartCommand([[maybe_unused]] char letter, char* text) {
    char separator = text[0];
    if (separator == '\0') return;
    FieldArray fields;
    InitArray(fields);
    char* program = 0;
    ErrorCode code = Protect([&] {
        Split(text + 1, separator, fields);
        if (fields.count == 0) return;
#if LAUNCHER_MENU_EXTRAS
        // A web address names nothing on the disc: the shell takes it as
        // it is written.
        if (letter == 'u') {
            OpenWithShell(fields[0]);
            return;
        }
#endif
        program = ResolveAgainstLauncherDirectory(fields[0]);
        // A program that is not on this disc is skipped without a word.
        DWORD attributes = GetFileAttributesA(program);
        if (attributes == INVALID_FILE_ATTRIBUTES) return;
#if LAUNCHER_MENU_EXTRAS
        // The folder goes to the shell whole: the disc's own folder may be
        // a drive root, which has no name to start from its parent by.
        if (letter == 'b') {
            OpenWithShell(program);
            return;
        }
#endif
        const char* title = fields.count >= 2 && fields[1][0] != '\0' ? fields[1] : 0;
        // A folder opens in the file manager, whose window the user keeps as
        // long as they like: the script does not wait for it.
        bool wait = (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
#if LAUNCHER_MENU_EXTRAS
        // `o` opens a file as `e` starts a program, from its own folder,
        // and leaves it open.
        wait = wait && letter == 'e';
#endif
        LaunchAndWait(program, title, wait);
    });
    Release(program);
    Destroy(fields);
    if (code != kNoError) FailCommand(code, OFFSET_LAUNCH_FAILED);
}

}  // namespace

void RunExecuteCommand(char* text) {
    RunStartCommand('e', text);
}

#if LAUNCHER_MENU_EXTRAS
void RunOpenCommand(char letter, char* text) {
    RunStartCommand(letter, text);
}
#endif
