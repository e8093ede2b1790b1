// PURPOSE: copying a directory tree into a destination directory.
#pragma once

// Copies everything below the source directory into the destination
// directory, merging with what is there: files of the same name are
// overwritten, others stay. A missing destination is created with its
// parents; one that exists as a file raises -183. Depth first, each level's
// files before its subdirectories. The current directory is the same
// afterwards on both paths. Raises on the first failure; what was copied
// before stays.
void CopyDirectoryTree(const char* source, const char* destination);

// The steps of the walk; the current directory is the source directory of
// the level, destination the matching destination directory, which exists.
// CopyTreeLevel copies the level's files, then each subdirectory completely,
// and leaves the current directory where it found it; CopyDirectoryFiles
// copies only the files.
void CopyTreeLevel(const char* destination);
void CopyDirectoryFiles(const char* destination);
