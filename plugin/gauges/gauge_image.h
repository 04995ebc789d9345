// A gauge picture: a BMP file decoded into 32-bit top-down pixels (rows of
// width values, no padding, each pixel 0xAARRGGBB: blue, green, red and the
// fourth byte in memory), with the image's axis point and its alpha flag.
//
// The fourth byte is the file's alpha for 32-bit files and 0 otherwise (see
// plugin/gauges/bmp_decoder.h); the colour-keyed copies look at the colour
// bytes only, and the alpha flag (the gauge file's "Alpha") chooses the
// renderer's alpha path.
//
// An image is loaded once: a load into an image that holds pixels fails and
// leaves it as it was.  After loading it is read only, from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/gauges/bmp_decoder.h"

namespace Orv {

// The largest BMP file read from disk.
inline constexpr uint64_t kMaxBmpFileSize = 4 * kMaxBmpPixels + 64u * 1024u;

class GaugeImage {
public:
    // Loads folder + "\" + name (backslashes are separators on every
    // platform); the axis point and the alpha flag are recorded with the
    // pixels.  false when the image is already loaded or the file is
    // missing, too large or no BMP that the decoder reads.
    bool LoadFromFile(const std::wstring& folder, const std::wstring& name, float axisX,
                      float axisY, bool alpha);
    // The same from the bytes of a file.
    bool LoadFromBytes(const uint8_t* data, size_t size, float axisX, float axisY, bool alpha);

    bool HasBitmap() const { return !bmp_.pixels.empty(); }
    // 0 x 0 while nothing is loaded.
    int32_t Width() const { return bmp_.width; }
    int32_t Height() const { return bmp_.height; }
    // Bytes from one row to the next.
    int32_t Stride() const { return bmp_.width * 4; }
    const uint32_t* Pixels() const { return bmp_.pixels.data(); }
    uint32_t Pixel(int32_t x, int32_t y) const {
        return bmp_.pixels[static_cast<size_t>(y) * static_cast<size_t>(bmp_.width) +
                           static_cast<size_t>(x)];
    }
    // Whether any pixel's fourth byte is not 0.
    bool FileHasAlpha() const { return bmp_.hasAlpha; }

    float axisX = 0.0f;
    float axisY = 0.0f;
    bool alpha = false;

private:
    DecodedBmp bmp_;
};

}  // namespace Orv
