// PURPOSE: recording MessageBeep calls by patching this program's import
// address table: the launcher's code calls through it, Windows' own dialogs
// (which beep inside user32) do not.
#include "beep_recorder.h"
#include <mutex>
#include <string.h>

namespace {

typedef BOOL(WINAPI* MessageBeepFunction)(UINT);
MessageBeepFunction g_realMessageBeep = nullptr;
std::mutex g_lock;
std::vector<UINT> g_beeps;

BOOL WINAPI RecordingMessageBeep(UINT type) {
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_beeps.push_back(type);
    }
    return g_realMessageBeep(type);
}

}  // namespace

bool RecordMessageBeeps() {
    HMODULE self = GetModuleHandleA(NULL);
    BYTE* base = reinterpret_cast<BYTE*>(self);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return false;
    FARPROC real = GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBeep");
    if (!real) return false;
    g_realMessageBeep = reinterpret_cast<MessageBeepFunction>(reinterpret_cast<void*>(real));
    bool patched = false;
    for (const IMAGE_IMPORT_DESCRIPTOR* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), "user32.dll") != 0) continue;
        const IMAGE_THUNK_DATA* names =
            reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        IMAGE_THUNK_DATA* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const IMAGE_IMPORT_BY_NAME* name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(name->Name), "MessageBeep") != 0) continue;
            DWORD protection;
            if (!VirtualProtect(&addresses->u1.Function, sizeof addresses->u1.Function,
                                PAGE_READWRITE, &protection))
                return false;
            addresses->u1.Function = reinterpret_cast<DWORD_PTR>(&RecordingMessageBeep);
            VirtualProtect(&addresses->u1.Function, sizeof addresses->u1.Function, protection,
                           &protection);
            patched = true;
        }
    }
    return patched;
}

std::vector<UINT> TakeRecordedBeeps() {
    std::lock_guard<std::mutex> hold(g_lock);
    std::vector<UINT> beeps;
    beeps.swap(g_beeps);
    return beeps;
}
