// PURPOSE: copying one file into place, over whatever file is there.
#pragma once

// Copies source to destination, overwriting an existing file whatever its
// attributes (read-only, hidden, system). A destination that exists as a
// directory raises -183 before anything is written. A copy onto the very same
// file does nothing and succeeds. A copy from a CD-ROM drive leaves the copy
// without the read-only bit that every file on such a disc carries.
//
// When the copy fails, -GetLastError() of the copy is raised, and the
// destination is deleted only when this copy created or changed it (a partial
// copy, or a file whose size or last-write time is no longer what it was); a
// file that was there before and is untouched stays, with its attributes.
void CopyOneFile(const char* source, const char* destination);

// CreateParentDirectories(destination), then CopyOneFile.
void CopyFileWithParents(const char* source, const char* destination);
