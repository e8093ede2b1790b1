// PURPOSE: the one way the launcher reads its own resources: found in the
// executable's image and used in place, never copied and never released.
#pragma once
#include <windows.h>

// The bytes of resource (name, type) of the launcher's own executable, in
// whichever language it exists, or null when any step of the lookup fails.
// The pointer is read-only and valid for the life of the process. Never raises.
const void* FindResourceData(LPCSTR name, LPCSTR type);

// A found resource and its size in bytes; {null, 0} when it is absent.
struct ResourceBytes {
    const void* data;
    DWORD size;
};

// FindResourceData with the resource's size, for readers that must not read
// past the end of a short or malformed resource.
ResourceBytes FindResourceBytes(LPCSTR name, LPCSTR type);

// The PALETTE resource `name` (256 entries of red, green, blue) as a GDI
// palette, or null when there is none, when it holds fewer than 768 bytes, or
// when CreatePalette fails. The caller deletes it. Never raises.
HPALETTE LoadResourcePalette(LPCSTR name);
