// PURPOSE: a view of one packed device-independent bitmap among the program's
// resources, drawn straight from the resource data.
#pragma once
#include <windows.h>
#include <stdint.h>

struct DibSize {
    int32_t width;
    int32_t height;
};

// The view owns nothing: the resource data stays valid for the life of the
// process, so copying a view is free and nothing is ever released.
// Whether `size` bytes hold the whole packed bitmap that starts at `data`:
// its header, its colour masks, its colour table and its pixel bits, as far
// as Windows reads them when drawing. A bitmap that does not fit, or whose
// header gives no measurable size, is treated as absent, so drawing never
// reads past the resource.
bool PackedDibFits(const void* data, DWORD size);

class DibResource {
public:
    DibResource() : header_(0) {}

    // Finds bitmap `id` (low 16 bits) among the program's own resources; an
    // absent or truncated bitmap leaves the view empty.
    void Load(uint32_t id);
    bool IsLoaded() const { return header_ != 0; }

    // Width and height in pixels (height always positive); (0, 0) when empty.
    DibSize Size() const;

    // Draws the whole bitmap, or only `source` (rows counted from the top of
    // the picture), at the origin of hdc at 1:1. Does nothing when empty.
    void Draw(HDC hdc, const RECT* source) const;

private:
    const BITMAPINFOHEADER* header_;
};
