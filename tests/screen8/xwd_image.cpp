// PURPOSE: reading an X window dump (xwd).
#include "xwd_image.h"
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

namespace {

uint32_t Big32(const std::vector<unsigned char>& d, size_t at) {
    return (uint32_t(d[at]) << 24) | (uint32_t(d[at + 1]) << 16) | (uint32_t(d[at + 2]) << 8) | d[at + 3];
}

uint16_t Big16(const std::vector<unsigned char>& d, size_t at) {
    return static_cast<uint16_t>((d[at] << 8) | d[at + 1]);
}

// The header's fields, in file order.
enum {
    kHeaderSize, kVersion, kFormat, kDepth, kWidth, kHeight, kXOffset, kByteOrder, kBitmapUnit,
    kBitOrder, kBitmapPad, kBitsPerPixel, kBytesPerLine, kVisualClass, kRedMask, kGreenMask,
    kBlueMask, kBitsPerRgb, kColormapEntries, kColours, kFieldCount = 25
};

int Shift(uint32_t mask) {
    int shift = 0;
    while (mask && !(mask & 1)) { mask >>= 1; ++shift; }
    return shift;
}

}  // namespace

bool ReadXwd(const std::string& path, ScreenImage* image, int* visualClass) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (d.size() < 100) return false;
    uint32_t h[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i) h[i] = Big32(d, 4 * i);
    if (h[kVersion] != 7 || h[kFormat] != 2) return false;   // ZPixmap only
    size_t at = h[kHeaderSize];
    std::map<uint32_t, uint32_t> colormap;
    for (uint32_t i = 0; i < h[kColours]; ++i, at += 12) {
        if (at + 12 > d.size()) return false;
        colormap[Big32(d, at)] = (uint32_t(Big16(d, at + 4) >> 8) << 16) |
                                 (uint32_t(Big16(d, at + 6) >> 8) << 8) | (Big16(d, at + 8) >> 8);
    }
    // The colormap's entries in file order, for DirectColor dumps.
    std::vector<uint32_t> channels;
    for (uint32_t i = 0; i < h[kColours]; ++i) {
        size_t entry = h[kHeaderSize] + 12 * i;
        channels.push_back((uint32_t(Big16(d, entry + 4) >> 8) << 16) |
                           (uint32_t(Big16(d, entry + 6) >> 8) << 8) | (Big16(d, entry + 8) >> 8));
    }
    int bpp = static_cast<int>(h[kBitsPerPixel]);
    if (bpp != 8 && bpp != 24 && bpp != 32) return false;
    size_t bytesPerLine = h[kBytesPerLine];
    image->width = static_cast<int>(h[kWidth]);
    image->height = static_cast<int>(h[kHeight]);
    if (at + bytesPerLine * image->height > d.size()) return false;
    *visualClass = static_cast<int>(h[kVisualClass]);
    image->pixels.assign(static_cast<size_t>(image->width) * image->height, 0);
    bool lsbFirst = h[kByteOrder] == 0;
    int bytes = bpp / 8;
    for (int y = 0; y < image->height; ++y) {
        const unsigned char* row = &d[at + bytesPerLine * y];
        for (int x = 0; x < image->width; ++x) {
            uint32_t value = 0;
            for (int b = 0; b < bytes; ++b)
                value |= uint32_t(row[x * bytes + b]) << (8 * (lsbFirst ? b : bytes - 1 - b));
            uint32_t colour;
            if (bpp == 8) {
                auto found = colormap.find(value);
                colour = found == colormap.end() ? 0xFF000000u : found->second;
            } else {
                uint32_t r = (value & h[kRedMask]) >> Shift(h[kRedMask]);
                uint32_t g = (value & h[kGreenMask]) >> Shift(h[kGreenMask]);
                uint32_t b = (value & h[kBlueMask]) >> Shift(h[kBlueMask]);
                // DirectColor: each field indexes its own channel of the
                // colormap that the dump carries.
                if (h[kVisualClass] == 5 && !channels.empty()) {
                    r = (channels[r % channels.size()] >> 16) & 0xFF;
                    g = (channels[g % channels.size()] >> 8) & 0xFF;
                    b = channels[b % channels.size()] & 0xFF;
                }
                colour = (r << 16) | (g << 8) | b;
            }
            image->pixels[static_cast<size_t>(y) * image->width + x] = colour;
        }
    }
    return true;
}
