// PURPOSE: resource lookup in the launcher's own executable.
#include "app/resource_lookup.h"

namespace {

const int kPaletteEntries = 256;
const DWORD kPaletteBytes = 3 * kPaletteEntries;

// A LOGPALETTE with room for every entry, so that it can live on the stack.
struct FullLogPalette {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[kPaletteEntries];
};

}  // namespace

ResourceBytes FindResourceBytes(LPCSTR name, LPCSTR type) {
    ResourceBytes found = {NULL, 0};
    // A null module is the executable that started the process, which is
    // where the launcher's resources live even when its code is in a library.
    HRSRC info = FindResourceA(NULL, name, type);
    if (info == NULL) return found;
    HGLOBAL handle = LoadResource(NULL, info);
    if (handle == NULL) return found;
    const void* data = LockResource(handle);
    if (data == NULL) return found;
    found.data = data;
    found.size = SizeofResource(GetModuleHandleA(NULL), info);
    return found;
}

const void* FindResourceData(LPCSTR name, LPCSTR type) {
    return FindResourceBytes(name, type).data;
}

HPALETTE LoadResourcePalette(LPCSTR name) {
    ResourceBytes palette = FindResourceBytes(name, "PALETTE");
    if (palette.data == NULL || palette.size < kPaletteBytes) return NULL;
    const BYTE* rgb = static_cast<const BYTE*>(palette.data);
    FullLogPalette logical;
    logical.palVersion = 0x300;
    logical.palNumEntries = kPaletteEntries;
    for (int i = 0; i < kPaletteEntries; ++i) {
        logical.palPalEntry[i].peRed = rgb[3 * i];
        logical.palPalEntry[i].peGreen = rgb[3 * i + 1];
        logical.palPalEntry[i].peBlue = rgb[3 * i + 2];
        logical.palPalEntry[i].peFlags = 0;
    }
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
}
