// PURPOSE: measuring and drawing a packed bitmap that lives in the resources.
#include "app/dib_resource.h"
#include "app/resource_lookup.h"

namespace {

int32_t Magnitude(int32_t value) {
    return value < 0 ? -value : value;
}

// A header with biClrUsed 0 and at most 8 bits per pixel carries a full table.
uint32_t ColourTableEntries(const BITMAPINFOHEADER& header) {
    if (header.biClrUsed != 0) return header.biClrUsed;
    if (header.biBitCount <= 8) return 1u << header.biBitCount;
    return 0;
}

uint64_t Magnitude64(int32_t value) {
    return value < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(value))
                     : static_cast<uint64_t>(value);
}

bool IsPixelDepth(WORD bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The bytes of pixel data that the header makes Windows read, into *bytes;
// false when the header describes nothing that can be measured (an
// uncompressed depth Windows does not know, or compressed bits without their
// size), and the bitmap then counts as absent. Rows of uncompressed bits are
// padded to 4 bytes. A row longer than the whole resource stops the count
// before the product could overflow.
bool MeasurePixels(const BITMAPINFOHEADER& header, DWORD size, uint64_t* bytes) {
    if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) {
        *bytes = header.biSizeImage;
        return header.biSizeImage != 0;
    }
    if (!IsPixelDepth(header.biBitCount)) return false;
    uint64_t rowBytes = (Magnitude64(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    *bytes = rowBytes > size ? rowBytes : rowBytes * Magnitude64(header.biHeight);
    return true;
}

// A BITMAPINFOHEADER with colour masks has them right after the header;
// the later, longer headers hold them inside.
uint32_t MaskBytes(const BITMAPINFOHEADER& header) {
    return header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER)
               ? 3 * sizeof(DWORD)
               : 0;
}

}  // namespace

bool PackedDibFits(const void* data, DWORD size) {
    if (!data || size < sizeof(BITMAPINFOHEADER)) return false;
    const BITMAPINFOHEADER& header = *static_cast<const BITMAPINFOHEADER*>(data);
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size) return false;
    // A height with no magnitude in 32 bits cannot be measured.
    if (header.biHeight == static_cast<int32_t>(0x80000000u)) return false;
    uint64_t pixels = 0;
    if (!MeasurePixels(header, size, &pixels)) return false;
    uint64_t needed = static_cast<uint64_t>(header.biSize) + MaskBytes(header) +
                      4 * static_cast<uint64_t>(ColourTableEntries(header)) + pixels;
    return needed <= size;
}

void DibResource::Load(uint32_t id) {
    ResourceBytes found = FindResourceBytes(MAKEINTRESOURCEA(id & 0xFFFF), RT_BITMAP);
    header_ = PackedDibFits(found.data, found.size)
                  ? static_cast<const BITMAPINFOHEADER*>(found.data)
                  : 0;
}

DibSize DibResource::Size() const {
    DibSize size = {0, 0};
    if (header_) {
        size.width = header_->biWidth;
        size.height = Magnitude(header_->biHeight);
    }
    return size;
}

void DibResource::Draw(HDC hdc, const RECT* source) const {
    if (!header_) return;
    DibSize size = Size();
    int32_t sourceX = 0, sourceY = 0, width = size.width, height = size.height;
    if (source) {
        // StretchDIBits counts the source rows of a bottom-up bitmap from
        // the bottom of the picture.
        sourceX = source->left;
        sourceY = size.height - source->bottom;
        width = source->right - source->left;
        height = source->bottom - source->top;
    }
    // The pixels follow the header, its colour masks and its colour table,
    // exactly as PackedDibFits counted them.
    const BYTE* bits = reinterpret_cast<const BYTE*>(header_) + header_->biSize +
                       MaskBytes(*header_) + 4 * ColourTableEntries(*header_);
    StretchDIBits(hdc, 0, 0, width, height, sourceX, sourceY, width, height, bits,
                  reinterpret_cast<const BITMAPINFO*>(header_), DIB_RGB_COLORS, SRCCOPY);
}
