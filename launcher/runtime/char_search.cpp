// PURPOSE: double-byte-aware character search (IsDBCSLeadByte follows the
// system's ANSI code page).
#include "char_search.h"
#include <windows.h>

namespace {

// The next character after the one at text; a lead byte followed by the
// terminating zero counts as the end of the string.
const char* NextChar(const char* text) {
    if (IsDBCSLeadByte(static_cast<BYTE>(*text)) && text[1] != '\0') return text + 2;
    return text + 1;
}

bool IsSingleByteChar(const char* text, char ch) {
    return *text == ch && !IsDBCSLeadByte(static_cast<BYTE>(*text));
}

}  // namespace

char* FindFirstChar(const char* text, char ch) {
    for (; *text; text = NextChar(text))
        if (IsSingleByteChar(text, ch)) return const_cast<char*>(text);
    return 0;
}

char* FindLastChar(const char* text, char ch) {
    const char* last = 0;
    for (; *text; text = NextChar(text))
        if (IsSingleByteChar(text, ch)) last = text;
    return const_cast<char*>(last);
}

size_t SpanUntil(const char* text, const char* set) {
    const char* at = text;
    for (; *at; at = NextChar(at))
        for (const char* s = set; *s; ++s)
            if (IsSingleByteChar(at, *s)) return static_cast<size_t>(at - text);
    return static_cast<size_t>(at - text);
}
