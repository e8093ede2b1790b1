// PURPOSE: the names the waiter builds from the folder it was loaded from.
// Every string returned is a new zero-terminated string on the process heap,
// or null when memory ran out; FreeText releases it.
#pragma once

// The folder of the waiter's own program file, its final backslash kept; ""
// when the module name holds no backslash. Taken from the module name, not the
// command line, which may name the program bare.
char* NewModuleFolder();

// first + second + third.
char* NewJoinedText(const char* first, const char* second, const char* third);

void FreeText(char*& text);
