// PURPOSE: the waiter's folder, INI path and command line as heap strings.
#include "waiter_paths.h"
#include <windows.h>
#include <string.h>
#include "text_rules.h"

namespace {

char* NewText(size_t size) {
    return static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size));
}

}  // namespace

char* NewModuleFolder() {
    // The module name can be longer than MAX_PATH on NT; a name that fills the
    // buffer may have been cut, so the buffer grows until it does not.
    DWORD size = MAX_PATH;
    for (;;) {
        char* name = NewText(size);
        if (!name) return 0;
        DWORD length = GetModuleFileNameA(0, name, size);
        if (length < size - 1 || size >= 0x8000) {
            if (length >= size) length = size - 1;
            name[length] = '\0';
            name[FolderLength(name)] = '\0';
            return name;
        }
        FreeText(name);
        size += size / 3 + 4;
    }
}

char* NewJoinedText(const char* first, const char* second, const char* third) {
    size_t a = strlen(first), b = strlen(second), c = strlen(third);
    char* text = NewText(a + b + c + 1);
    if (!text) return 0;
    memcpy(text, first, a);
    memcpy(text + a, second, b);
    memcpy(text + a + b, third, c + 1);
    return text;
}

void FreeText(char*& text) {
    if (text) HeapFree(GetProcessHeap(), 0, text);
    text = 0;
}
