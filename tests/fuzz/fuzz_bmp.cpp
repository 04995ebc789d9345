// Fuzz target: the BMP decoder on any bytes.  An accepted file gives
// exactly width x height pixels within the size limits; a refused one
// leaves nothing; a gauge image takes the same bytes once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "plugin/gauges/bmp_decoder.h"
#include "plugin/gauges/gauge_image.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Orv;
    DecodedBmp bmp;
    bool ok = DecodeBmp(data, size, &bmp);
    if (!ok) {
        Check(bmp.pixels.empty() && bmp.width == 0 && bmp.height == 0);
        return 0;
    }
    Check(bmp.width > 0 && bmp.width <= kMaxBmpSide && bmp.height > 0 && bmp.height <= kMaxBmpSide);
    Check(bmp.pixels.size() == static_cast<size_t>(bmp.width) * static_cast<size_t>(bmp.height));
    bool alpha = false;
    for (uint32_t pixel : bmp.pixels)
        alpha = alpha || (pixel >> 24) != 0;
    Check(alpha == bmp.hasAlpha);

    GaugeImage image;
    Check(image.LoadFromBytes(data, size, 1.0f, 2.0f, true));
    Check(!image.LoadFromBytes(data, size, 0.0f, 0.0f, false));
    Check(image.Width() == bmp.width && image.Height() == bmp.height && image.axisX == 1.0f);
    return 0;
}
