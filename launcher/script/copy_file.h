// PURPOSE: copying one file into place, over whatever file is there.
#pragma once
#include <windows.h>

// What a copy knows before it starts, decided once for a command or a tree
// level rather than asked again for every file.
struct CopyPlan {
    bool fromCdRom;          // every copy loses the read-only bit its source has
    bool intoNewDirectory;   // the destination directory was made by this copy
    bool askSameFile;        // a destination file may still be its source itself
};

// Copies source to destination, overwriting an existing file whatever its
// attributes (read-only, hidden, system). A destination that exists as a
// directory raises -183 before anything is written. A copy onto the very same
// file does nothing and succeeds. A copy from a CD-ROM drive leaves the copy
// without the read-only bit that every file on such a disc carries.
//
// When the copy fails, -GetLastError() of the copy is raised, and the
// destination is deleted only when this copy created or truncated it: a
// copy that stopped before it opened the destination (source or destination
// missing, denied or in use) deletes nothing, and a file whose size and
// last-write time are what they were just before the copy stays, with its
// attributes.
void CopyOneFile(const char* source, const char* destination);

// CreateParentDirectories(destination), then CopyOneFile.
void CopyFileWithParents(const char* source, const char* destination);

// CopyOneFile as a tree level does it: sourceAttributes are the source's as
// its directory listing gave them. In a new directory the file is created
// without a look at the destination first (a file that someone else put
// there meanwhile is then overwritten like any other). Once a destination
// file proves not to be its source, plan.askSameFile is cleared: the two
// directories differ, so no later file of the level can be its own source.
void CopyPlannedFile(const char* source, DWORD sourceAttributes, const char* destination, CopyPlan& plan);
