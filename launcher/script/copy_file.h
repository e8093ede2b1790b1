// PURPOSE: copying one file into place, over whatever file is there.
#pragma once

// Copies source to destination, overwriting an existing file even when it is
// read-only. A destination that exists as a directory raises -183 before
// anything is written. When the copy fails the destination file is deleted
// (a partial copy, or the file that was there before) and -GetLastError() of
// the copy is raised.
void CopyOneFile(const char* source, const char* destination);

// CreateParentDirectories(destination), then CopyOneFile.
void CopyFileWithParents(const char* source, const char* destination);
