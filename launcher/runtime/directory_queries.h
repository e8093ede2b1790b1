// PURPOSE: Windows-held directories as heap strings, and names taken relative
// to the launcher's directory or to a known directory. No path is built by
// joining strings: a name is completed by GetFullPathNameA while the base
// directory is current, and the current directory is always restored.
#pragma once

// New heap strings owned by the caller (release with Release()). Raise
// -GetLastError() when the Windows call fails, -14 when memory runs out.
char* QueryWindowsDirectory();
char* QuerySystemDirectory();
char* QueryCurrentDirectory();
char* QueryFullPath(const char* name);

// The full path of name taken relative to the folder of the launcher's own
// executable; absolute names come back completed but otherwise unchanged.
char* ResolveAgainstLauncherDirectory(const char* name);

// The same relative to KnownDirectory(letter).
char* ResolveAgainstKnownDirectory(const char* name, char letter);

// 's' the system directory, 'w' the Windows directory (case-sensitive); any
// other letter raises 1. Each is queried once per process; the string
// belongs to the cache.
const char* KnownDirectory(char letter);
