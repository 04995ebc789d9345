// The BMP decoder of the gauge pictures: the bytes of a BMP file in, 32-bit
// top-down pixels out, as a 32-bit top-down DIB holds them.
//
// Read: the core (12-byte) header with 1, 4, 8 or 24 bits per pixel, and the
// 40-byte info header and its longer forms (52, 56, V4 108, V5 124 bytes)
// with 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed (BI_RGB), with
// bit fields (BI_BITFIELDS, 16 and 32 bits) or run-length encoded (RLE8 at 8
// bits, RLE4 at 4 bits); rows bottom-up (positive height) or top-down
// (negative height, uncompressed only).  Anything else is refused: other
// compressions (JPEG, PNG), planes other than 1, a width or height of 0, an
// image of more than kMaxBmpPixels pixels or kMaxBmpSide on a side, and a
// file shorter than its headers, palette or pixel rows say (an RLE stream
// must end with its end-of-bitmap code inside the file).
//
// Pixels: each a 32-bit value 0xAARRGGBB (in memory blue, green, red, then
// the fourth byte).  The fourth byte is the file's own for 32-bit files (the
// fourth byte of each BI_RGB pixel, or the alpha mask's bits scaled to 0-255
// when a V4 or V5 header gives one) and 0 for every other format; hasAlpha
// tells whether any pixel's fourth byte is not 0, so that a 32-bit file
// whose reserved bytes are all 0 counts as an opaque picture.  Palette
// indexes beyond the palette, and pixels that an RLE stream skips, are
// black.
//
// The decoder reads only inside the bytes given and allocates only the
// pixels of an accepted image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Orv {

inline constexpr int32_t kMaxBmpSide = 16384;
inline constexpr uint64_t kMaxBmpPixels = 16u * 1024u * 1024u;

struct DecodedBmp {
    int32_t width = 0;
    int32_t height = 0;
    // width x height values, top row first.
    std::vector<uint32_t> pixels;
    bool hasAlpha = false;
};

// Decodes a whole BMP file.  false leaves *out empty.
bool DecodeBmp(const uint8_t* data, size_t size, DecodedBmp* out);

}  // namespace Orv
