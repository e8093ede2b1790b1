// PURPOSE: copying a directory tree into a destination directory.
#pragma once
#include "copy_file.h"

// Copies everything below the source directory into the destination
// directory, merging with what is there: files of the same name are
// overwritten, others stay. A missing destination is created with its
// parents; one that exists as a file raises -183. Depth first, each level's
// files before its subdirectories. The current directory is the same
// afterwards on both paths. Raises on the first failure; what was copied
// before stays.
//
// What holds for the whole tree is decided once: whether the source is on a
// CD-ROM, and, for each destination directory, whether this copy made it
// (then its files are simply created) or it was there (then each file is
// looked at before it is overwritten).
void CopyDirectoryTree(const char* source, const char* destination);

// One level of the walk: the current directory is the source directory of
// the level, destination the matching destination directory, which exists.
// Copies the level's files, then each subdirectory completely, and leaves
// the current directory where it found it.
void CopyTreeLevel(const char* destination);
