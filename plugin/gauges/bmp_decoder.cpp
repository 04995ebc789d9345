#include "plugin/gauges/bmp_decoder.h"

#include <bit>
#include <cstdint>

namespace Orv {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;

// Little-endian reads; the caller has checked the bounds.
uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel given by a bit mask: its bits scaled to 0-255.
struct Channel {
    uint32_t shift = 0;
    uint32_t max = 0;  // 0: the channel is absent

    static bool Make(uint32_t mask, Channel* channel) {
        *channel = Channel();
        if (mask == 0)
            return true;
        channel->shift = static_cast<uint32_t>(std::countr_zero(mask));
        uint32_t bits = mask >> channel->shift;
        // Only a contiguous run of bits is a channel.
        if ((bits & (bits + 1)) != 0)
            return false;
        channel->max = bits;
        return true;
    }
    uint32_t Get(uint32_t value) const {
        if (max == 0)
            return 0;
        uint64_t v = (value >> shift) & max;
        return static_cast<uint32_t>((v * 255u + max / 2) / max);
    }
};

struct Layout {
    int32_t width = 0;
    int32_t height = 0;  // always positive here
    bool topDown = false;
    uint32_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t palette[256] = {};
    uint32_t paletteSize = 0;
    Channel red, green, blue, alpha;
    bool fileAlpha = false;  // the fourth byte comes from the file
};

uint32_t Pack(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

uint32_t PaletteColour(const Layout& layout, uint32_t index) {
    return index < layout.paletteSize ? layout.palette[index] : 0u;
}

// The uncompressed rows.
bool DecodeRows(const Layout& layout, const uint8_t* bits, size_t available, DecodedBmp* out) {
    uint64_t stride = ((static_cast<uint64_t>(layout.width) * layout.bitCount + 31) / 32) * 4;
    if (stride * static_cast<uint64_t>(layout.height) > available)
        return false;
    const size_t width = static_cast<size_t>(layout.width);
    for (int32_t row = 0; row < layout.height; ++row) {
        const uint8_t* src = bits + stride * static_cast<uint64_t>(row);
        int32_t y = layout.topDown ? row : layout.height - 1 - row;
        uint32_t* dst = out->pixels.data() + static_cast<size_t>(y) * width;
        for (size_t x = 0; x < width; ++x) {
            switch (layout.bitCount) {
                case 1:
                    dst[x] = PaletteColour(layout, (src[x / 8] >> (7 - x % 8)) & 1u);
                    break;
                case 4:
                    dst[x] = PaletteColour(layout, (src[x / 2] >> (x % 2 ? 0 : 4)) & 0xFu);
                    break;
                case 8:
                    dst[x] = PaletteColour(layout, src[x]);
                    break;
                case 16: {
                    uint32_t v = U16(src + 2 * x);
                    dst[x] = Pack(layout.red.Get(v), layout.green.Get(v), layout.blue.Get(v),
                                  layout.alpha.Get(v));
                    break;
                }
                case 24:
                    dst[x] = Pack(src[3 * x + 2], src[3 * x + 1], src[3 * x], 0);
                    break;
                default: {
                    uint32_t v = U32(src + 4 * x);
                    dst[x] = layout.compression == kBiRgb
                                 ? v
                                 : Pack(layout.red.Get(v), layout.green.Get(v), layout.blue.Get(v),
                                        layout.alpha.Get(v));
                    break;
                }
            }
        }
    }
    return true;
}

// An RLE8 or RLE4 stream, rows bottom-up.  Pixels that fall outside the
// image are dropped; the stream must reach its end-of-bitmap code.
bool DecodeRle(const Layout& layout, const uint8_t* bits, size_t available, DecodedBmp* out) {
    const bool four = layout.compression == kBiRle4;
    const int64_t width = layout.width;
    const int64_t height = layout.height;
    int64_t x = 0;
    int64_t row = 0;  // from the bottom
    auto put = [&](uint32_t index) {
        if (x < width && row < height) {
            size_t y = static_cast<size_t>(height - 1 - row);
            out->pixels[y * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                PaletteColour(layout, index);
        }
        ++x;
    };
    size_t i = 0;
    while (i + 2 <= available) {
        uint32_t count = bits[i];
        uint32_t value = bits[i + 1];
        i += 2;
        if (count > 0) {
            for (uint32_t k = 0; k < count && x < width; ++k)
                put(four ? (k % 2 ? value & 0xFu : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++row;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (i + 2 > available)
                return false;
            x += bits[i];
            row += bits[i + 1];
            i += 2;
        } else {  // absolute run of value pixels, padded to a 16-bit boundary
            size_t bytes = four ? (value + 1) / 2 : value;
            size_t padded = bytes + (bytes % 2);
            if (i + padded > available)
                return false;
            for (uint32_t k = 0; k < value; ++k) {
                uint8_t b = bits[i + (four ? k / 2 : k)];
                put(four ? (k % 2 ? b & 0xFu : b >> 4) : b);
            }
            i += padded;
        }
        if (row > height)
            row = height;  // further rows are dropped; keep the counter bounded
        if (x > width)
            x = width;
    }
    return false;
}

bool Decode(const uint8_t* data, size_t size, DecodedBmp* out) {
    if (!data || size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M')
        return false;
    const uint32_t offBits = U32(data + 10);
    const uint32_t headerSize = U32(data + 14);
    const uint8_t* h = data + kFileHeaderSize;
    if (headerSize > size - kFileHeaderSize)
        return false;

    Layout layout;
    int64_t height = 0;
    uint32_t planes = 0;
    uint32_t colourCount = 0;
    size_t paletteEntry = 4;
    size_t afterHeader = kFileHeaderSize + headerSize;
    if (headerSize == kCoreHeaderSize) {
        layout.width = U16(h + 4);
        height = U16(h + 6);
        planes = U16(h + 8);
        layout.bitCount = U16(h + 10);
        paletteEntry = 3;
        if (layout.bitCount != 1 && layout.bitCount != 4 && layout.bitCount != 8 &&
            layout.bitCount != 24)
            return false;
    } else if (headerSize == kInfoHeaderSize || headerSize == 52 || headerSize == 56 ||
               headerSize == kV4HeaderSize || headerSize == kV5HeaderSize) {
        layout.width = static_cast<int32_t>(U32(h + 4));
        height = static_cast<int32_t>(U32(h + 8));
        planes = U16(h + 12);
        layout.bitCount = U16(h + 14);
        layout.compression = U32(h + 16);
        colourCount = U32(h + 32);
    } else {
        return false;
    }
    if (planes != 1 || layout.width <= 0 || height == 0)
        return false;
    if (height < 0) {
        layout.topDown = true;
        height = -height;
    }
    if (layout.width > kMaxBmpSide || height > kMaxBmpSide ||
        static_cast<uint64_t>(layout.width) * static_cast<uint64_t>(height) > kMaxBmpPixels)
        return false;
    layout.height = static_cast<int32_t>(height);

    switch (layout.compression) {
        case kBiRgb:
            if (layout.bitCount != 1 && layout.bitCount != 4 && layout.bitCount != 8 &&
                layout.bitCount != 16 && layout.bitCount != 24 && layout.bitCount != 32)
                return false;
            break;
        case kBiRle8:
        case kBiRle4:
            if (layout.bitCount != (layout.compression == kBiRle8 ? 8u : 4u) || layout.topDown)
                return false;
            break;
        case kBiBitfields:
            if (layout.bitCount != 16 && layout.bitCount != 32)
                return false;
            break;
        default:
            return false;
    }

    // Channel masks: 5-5-5 for 16-bit BI_RGB; for bit fields the three
    // masks after a 40-byte header, or those inside a longer header (with
    // the alpha mask from 56 bytes on).
    if (layout.compression == kBiBitfields) {
        const uint8_t* masks = h + kInfoHeaderSize;
        bool withAlpha = headerSize >= 56;
        if (headerSize == kInfoHeaderSize) {
            if (size - afterHeader < 12)
                return false;
            afterHeader += 12;
        }
        if (!Channel::Make(U32(masks), &layout.red) ||
            !Channel::Make(U32(masks + 4), &layout.green) ||
            !Channel::Make(U32(masks + 8), &layout.blue) ||
            !Channel::Make(withAlpha ? U32(masks + 12) : 0, &layout.alpha))
            return false;
        layout.fileAlpha = layout.bitCount == 32 && layout.alpha.max != 0;
    } else if (layout.bitCount == 16) {
        Channel::Make(0x7C00, &layout.red);
        Channel::Make(0x03E0, &layout.green);
        Channel::Make(0x001F, &layout.blue);
    } else if (layout.bitCount == 32) {
        layout.fileAlpha = true;
    }
    if (layout.bitCount == 16 && layout.compression == kBiBitfields)
        layout.alpha = Channel();  // no alpha for 16-bit pictures

    if (offBits < afterHeader || offBits >= size)
        return false;
    if (layout.bitCount <= 8) {
        // The palette runs from the headers to the pixels; a file that
        // stores fewer entries than its bit count or colour count allows
        // (the core header gives no count) has those only, the others
        // are black.
        uint32_t full = 1u << layout.bitCount;
        uint32_t count = colourCount == 0 || colourCount > full ? full : colourCount;
        size_t stored = (offBits - afterHeader) / paletteEntry;
        if (stored < count)
            count = static_cast<uint32_t>(stored);
        const uint8_t* p = data + afterHeader;
        for (uint32_t k = 0; k < count; ++k, p += paletteEntry)
            layout.palette[k] = Pack(p[2], p[1], p[0], 0);
        layout.paletteSize = count;
    }

    out->width = layout.width;
    out->height = layout.height;
    out->pixels.assign(static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height), 0u);
    const uint8_t* bits = data + offBits;
    size_t available = size - offBits;
    bool ok = layout.compression == kBiRle8 || layout.compression == kBiRle4
                  ? DecodeRle(layout, bits, available, out)
                  : DecodeRows(layout, bits, available, out);
    if (!ok)
        return false;
    if (!layout.fileAlpha) {
        for (uint32_t& pixel : out->pixels)
            pixel &= 0x00FFFFFFu;
    }
    for (uint32_t pixel : out->pixels)
        if ((pixel >> 24) != 0) {
            out->hasAlpha = true;
            break;
        }
    return true;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, DecodedBmp* out) {
    *out = DecodedBmp();
    if (Decode(data, size, out))
        return true;
    *out = DecodedBmp();
    return false;
}

}  // namespace Orv
