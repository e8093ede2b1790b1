// PURPOSE: one level of the tree walk: the entries of the current directory,
// each paired with its path under the level's destination directory.
#pragma once
#include <windows.h>

enum EntryKind {
    kFileEntries,            // every entry that is not a directory
    kSubdirectoryEntries,    // directories, without "." and ".."
};

typedef void (*EntryVisitor)(void* context, const char* name, const char* destinationPath, DWORD attributes);

// Calls visit(context, name, destinationPath, attributes) for each entry of
// the kind in the current directory, in the file system's order. name is the
// entry's name (its short name when the long one is empty) and serves as the
// source, relative to the current directory; destinationPath is destination,
// a backslash and the same name. Both are valid only during the call;
// attributes are the entry's as the listing gives them. A
// directory without entries visits nothing. A failing listing raises
// -GetLastError(); the find handle and the path buffer are released on every
// path.
void ForEachEntryCall(EntryKind kind, const char* destination, EntryVisitor visit, void* context);

// ForEachEntry(kind, destination, [&](const char* name, const char* path, DWORD attributes) { ... })
template <class Visit>
void ForEachEntry(EntryKind kind, const char* destination, Visit visit) {
    ForEachEntryCall(kind, destination,
                     [](void* context, const char* name, const char* path, DWORD attributes) {
                         (*static_cast<Visit*>(context))(name, path, attributes);
                     },
                     &visit);
}
