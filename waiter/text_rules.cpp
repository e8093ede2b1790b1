// PURPOSE: folder cut and text equality, double-byte aware (IsDBCSLeadByte
// follows the system's ANSI code page).
#include "text_rules.h"
#include <windows.h>

namespace {

// The size in bytes of the character at text: 0 at the end of the string, 2
// for a double-byte character, 1 otherwise. A lead byte with no trail byte
// before the terminating zero ends the string.
size_t CharacterSize(const char* text) {
    if (*text == '\0') return 0;
    if (IsDBCSLeadByte(static_cast<BYTE>(*text))) return text[1] != '\0' ? 2 : 0;
    return 1;
}

}  // namespace

size_t FolderLength(const char* path) {
    size_t folder = 0;
    size_t size;
    for (const char* at = path; (size = CharacterSize(at)) != 0; at += size)
        if (size == 1 && *at == '\\') folder = static_cast<size_t>(at - path) + 1;
    return folder;
}

bool SameText(const char* text, const char* title) {
    for (;;) {
        size_t size = CharacterSize(text);
        if (size != CharacterSize(title)) return false;
        if (size == 0) return true;
        for (size_t i = 0; i < size; ++i)
            if (text[i] != title[i]) return false;
        text += size;
        title += size;
    }
}
