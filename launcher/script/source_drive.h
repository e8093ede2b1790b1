// PURPOSE: telling whether a copy's source lies on a CD-ROM, whose files all
// carry the read-only bit whatever they were when the disc was made.
#pragma once

// Whether path is on a CD-ROM drive (GetDriveTypeA of its root). path is a
// full path ("X:\...", "\\server\share\...") or a name relative to the
// current directory, whose root is then the current directory's.
bool IsOnCdRom(const char* path);
