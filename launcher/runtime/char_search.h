// PURPOSE: character search in 8-bit strings of the active ANSI code page. A
// lead byte and the byte after it are one character, so the trail byte of a
// double-byte character (0x5C included) is never taken for a separator.
#pragma once
#include <stddef.h>

// The first occurrence of ch, or null.
char* FindFirstChar(const char* text, char ch);

// The last occurrence of ch, or null.
char* FindLastChar(const char* text, char ch);

// The number of bytes before the first character that is in set (the whole
// length when there is none).
size_t SpanUntil(const char* text, const char* set);
