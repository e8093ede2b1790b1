// PURPOSE: the install script interpreter: loads the script's strings, cuts
// them into commands and runs each, stopping at the first failure.
#include "install_script.h"
#include <windows.h>
#include "app/language_bases.h"
#include "app/message_dialog.h"
#include "app/resource_lookup.h"
#include "busy_cursor.h"
#include "command_failure.h"
#include "resources/resource_ids.h"
#include "runtime/error_frame.h"
#include "runtime/field_split.h"

namespace {

const int kCommandBufferSize = 1024;

// The script's string ids, bounded by the resource's size: a script shorter
// than its count says is treated like a missing one.
struct ScriptList {
    const int16_t* ids;
    int16_t count;
};

bool FindScript(uint32_t scriptId, ScriptList& list) {
    ResourceBytes script = FindResourceBytes(MAKEINTRESOURCEA(scriptId & 0xFFFF), "INST");
    if (!script.data || script.size < 2) return false;
    const int16_t* words = static_cast<const int16_t*>(script.data);
    list.count = words[0];
    list.ids = words + 1;
    return list.count < 1 || script.size >= 2u + 2u * static_cast<uint32_t>(list.count);
}

void RunCommandString(char* buffer, FieldArray& commands) {
    Split(buffer, ';', commands);
    for (uint32_t i = 0; i < commands.count; ++i) {
        char* command = commands[i];
        if (command[0] == 'c') RunCopyCommand(command + 1);
        else if (command[0] == 'e') RunExecuteCommand(command + 1);
#if LAUNCHER_MENU_EXTRAS
        else if (command[0] == 'o' || command[0] == 'b' || command[0] == 'u')
            RunOpenCommand(command[0], command + 1);
#endif
    }
}

}  // namespace

void RunInstallScript(uint32_t scriptId) {
    char buffer[kCommandBufferSize];
    FieldArray commands;
    InitArray(commands);
    ErrorCode code = Protect([&] {
        BeginBusyCursor();
        ScriptList list = {0, 0};
        if (!FindScript(scriptId, list)) RaiseError(kQuietStop);
        for (int16_t i = 0; i < list.count; ++i) {
            // A string that does not exist loads as empty and holds no command.
            buffer[0] = '\0';
            LoadStringA(GetModuleHandleA(NULL), static_cast<uint16_t>(list.ids[i]), buffer,
                        kCommandBufferSize);
            RunCommandString(buffer, commands);
        }
    });
    EndBusyCursor();
    Destroy(commands);
    if (code == kNoError) return;
    // Failures inside commands were reported there (code 1); what is left
    // is running out of memory while cutting a string into commands.
    if (code != kQuietStop) ShowMessageDialog(DialogBase() + OFFSET_COPY_FAILED, MB_ICONHAND);
    RaiseError(kQuietStop);
}
