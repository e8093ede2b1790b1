// PURPOSE: the waiter's two rules on 8-bit strings of the active ANSI code
// page: where a path's folder ends, and when a window text equals the title.
// A lead byte and the byte after it are one character, so the trail byte of a
// double-byte character (0x5C included) is never taken for a backslash.
#pragma once
#include <stddef.h>

// The number of bytes of path up to and including its last backslash; 0 when
// it has none.
size_t FolderLength(const char* path);

// Whether the two texts are equal as whole strings, exactly and with case,
// character by character; a lead byte directly before the terminating zero
// counts as the end of its string.
bool SameText(const char* text, const char* title);
