// The BMP decoder and the gauge image: one small picture written in every
// format the decoder reads (by the writer below) must decode to the same
// pixels; broken files must be refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plugin/gauges/bmp_decoder.h"
#include "plugin/gauges/gauge_image.h"

namespace Orv {
namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

// A 5 x 3 picture (odd width: every row format needs padding) of n colours.
constexpr int kWidth = 5, kHeight = 3;
constexpr uint32_t kColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

std::vector<uint32_t> Picture(int colours) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels.push_back(kColours[(x + 2 * y + (x == 4 && y == 0)) % colours]);
    return pixels;
}

struct Format {
    const char* label;
    uint32_t headerSize;  // 12, 40, 108 or 124
    uint32_t bitCount;
    uint32_t compression;
    bool topDown;
    uint32_t masks[4];  // bit fields: red, green, blue, alpha
};

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

uint32_t ByMask(uint32_t component, uint32_t mask) {
    if (mask == 0)
        return 0;
    int shift = std::countr_zero(mask);
    uint32_t max = mask >> shift;
    return ((component * max + 127) / 255) << shift;
}

// The picture as a BMP file.  With an alpha mask every pixel gets alpha 0x80.
std::vector<uint8_t> WriteBmp(const Format& f, const std::vector<uint32_t>& pixels) {
    std::vector<uint32_t> palette;
    if (f.bitCount <= 8)
        for (uint32_t p : pixels)
            if (std::find(palette.begin(), palette.end(), p) == palette.end())
                palette.push_back(p);
    auto index = [&](uint32_t p) {
        return static_cast<uint32_t>(std::find(palette.begin(), palette.end(), p) -
                                     palette.begin());
    };

    std::vector<uint8_t> rows;
    for (int r = 0; r < kHeight; ++r) {
        int y = f.topDown ? r : kHeight - 1 - r;
        const uint32_t* row = &pixels[static_cast<size_t>(y * kWidth)];
        if (f.compression == kRle8 || f.compression == kRle4) {
            // Three pixels in absolute mode, then runs of one.
            rows.push_back(0);
            rows.push_back(3);
            if (f.compression == kRle8) {
                for (int x = 0; x < 3; ++x)
                    rows.push_back(static_cast<uint8_t>(index(row[x])));
                rows.push_back(0);
            } else {
                rows.push_back(static_cast<uint8_t>(index(row[0]) << 4 | index(row[1])));
                rows.push_back(static_cast<uint8_t>(index(row[2]) << 4));
            }
            for (int x = 3; x < kWidth; ++x) {
                rows.push_back(1);
                uint32_t i = index(row[x]);
                rows.push_back(static_cast<uint8_t>(f.compression == kRle8 ? i : i << 4 | i));
            }
            rows.push_back(0);
            rows.push_back(r + 1 == kHeight ? 1 : 0);
            continue;
        }
        std::vector<uint8_t> line((kWidth * f.bitCount + 31) / 32 * 4, 0);
        for (int x = 0; x < kWidth; ++x) {
            uint32_t p = row[x];
            uint32_t red = p >> 16 & 0xFF, green = p >> 8 & 0xFF, blue = p & 0xFF;
            switch (f.bitCount) {
                case 1:
                    line[x / 8] |= static_cast<uint8_t>(index(p) << (7 - x % 8));
                    break;
                case 4:
                    line[x / 2] |= static_cast<uint8_t>(index(p) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    line[x] = static_cast<uint8_t>(index(p));
                    break;
                case 16: {
                    uint32_t v = f.compression == kBitfields
                                     ? ByMask(red, f.masks[0]) | ByMask(green, f.masks[1]) |
                                           ByMask(blue, f.masks[2])
                                     : (red >> 3) << 10 | (green >> 3) << 5 | blue >> 3;
                    line[2 * x] = static_cast<uint8_t>(v);
                    line[2 * x + 1] = static_cast<uint8_t>(v >> 8);
                    break;
                }
                case 24:
                    line[3 * x] = static_cast<uint8_t>(blue);
                    line[3 * x + 1] = static_cast<uint8_t>(green);
                    line[3 * x + 2] = static_cast<uint8_t>(red);
                    break;
                case 32: {
                    uint32_t v = f.compression == kBitfields
                                     ? ByMask(red, f.masks[0]) | ByMask(green, f.masks[1]) |
                                           ByMask(blue, f.masks[2]) | ByMask(0x80, f.masks[3])
                                     : p;
                    for (int k = 0; k < 4; ++k)
                        line[4 * x + k] = static_cast<uint8_t>(v >> (8 * k));
                    break;
                }
            }
        }
        rows.insert(rows.end(), line.begin(), line.end());
    }

    std::vector<uint8_t> header;
    Put32(header, f.headerSize);
    if (f.headerSize == 12) {
        Put16(header, kWidth);
        Put16(header, kHeight);
        Put16(header, 1);
        Put16(header, f.bitCount);
    } else {
        Put32(header, kWidth);
        Put32(header, f.topDown ? static_cast<uint32_t>(-kHeight) : kHeight);
        Put16(header, 1);
        Put16(header, f.bitCount);
        Put32(header, f.compression);
        Put32(header, static_cast<uint32_t>(rows.size()));
        Put32(header, 3200);
        Put32(header, 3200);
        Put32(header, static_cast<uint32_t>(palette.size()));
        Put32(header, 0);
        if (f.headerSize > 40 || f.compression == kBitfields)
            for (int k = 0; k < (f.headerSize > 40 ? 4 : 3); ++k)
                Put32(header, f.masks[k]);
        header.resize(f.headerSize + (f.headerSize == 40 && f.compression == kBitfields ? 12 : 0));
    }
    for (uint32_t p : palette) {
        header.push_back(static_cast<uint8_t>(p));
        header.push_back(static_cast<uint8_t>(p >> 8));
        header.push_back(static_cast<uint8_t>(p >> 16));
        if (f.headerSize != 12)
            header.push_back(0);
    }
    std::vector<uint8_t> file = {'B', 'M'};
    Put32(file, static_cast<uint32_t>(14 + header.size() + rows.size()));
    Put32(file, 0);
    Put32(file, static_cast<uint32_t>(14 + header.size()));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}

const Format kFormats[] = {
    {"1-bit", 40, 1, kRgb, false, {}},
    {"1-bit core", 12, 1, kRgb, false, {}},
    {"4-bit", 40, 4, kRgb, false, {}},
    {"4-bit RLE", 40, 4, kRle4, false, {}},
    {"8-bit", 40, 8, kRgb, false, {}},
    {"8-bit top-down", 40, 8, kRgb, true, {}},
    {"8-bit core", 12, 8, kRgb, false, {}},
    {"8-bit RLE", 40, 8, kRle8, false, {}},
    {"8-bit V5", 124, 8, kRgb, false, {}},
    {"16-bit 5-5-5", 40, 16, kRgb, false, {}},
    {"16-bit fields 5-6-5", 40, 16, kBitfields, false, {0xF800, 0x07E0, 0x001F, 0}},
    {"16-bit fields V4 4-4-4-4", 108, 16, kBitfields, true, {0x0F00, 0x00F0, 0x000F, 0xF000}},
    {"24-bit", 40, 24, kRgb, false, {}},
    {"24-bit top-down", 40, 24, kRgb, true, {}},
    {"24-bit core", 12, 24, kRgb, false, {}},
    {"24-bit V4", 108, 24, kRgb, false, {}},
    {"32-bit", 40, 32, kRgb, false, {}},
    {"32-bit fields, blue low", 40, 32, kBitfields, false, {0xFF, 0xFF00, 0xFF0000, 0}},
    {"32-bit fields V5 alpha", 124, 32, kBitfields, true, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
};

TEST(BmpDecoder, EveryFormatGivesThePicture) {
    for (const Format& f : kFormats) {
        SCOPED_TRACE(f.label);
        std::vector<uint32_t> expected = Picture(f.bitCount == 1 ? 2 : 4);
        std::vector<uint8_t> file = WriteBmp(f, expected);
        DecodedBmp bmp;
        ASSERT_TRUE(DecodeBmp(file.data(), file.size(), &bmp));
        EXPECT_EQ(bmp.width, kWidth);
        EXPECT_EQ(bmp.height, kHeight);
        // Only a 32-bit file with an alpha mask brings its alpha bytes.
        bool alpha = f.bitCount == 32 && f.masks[3] != 0;
        if (alpha)
            for (uint32_t& p : expected)
                p |= 0x80000000u;
        EXPECT_EQ(bmp.pixels, expected);
        EXPECT_EQ(bmp.hasAlpha, alpha);

        // Every shorter file is refused.
        for (size_t cut = 0; cut < file.size(); ++cut)
            ASSERT_FALSE(DecodeBmp(file.data(), cut, &bmp)) << "cut at " << cut;
        EXPECT_TRUE(bmp.pixels.empty());
    }
}

TEST(BmpDecoder, ThirtyTwoBitFilesKeepTheirFourthByte) {
    Format f = {"32-bit", 40, 32, kRgb, false, {}};
    std::vector<uint32_t> pixels = Picture(4);
    pixels[0] |= 0x7F000000u;
    std::vector<uint8_t> file = WriteBmp(f, pixels);
    DecodedBmp bmp;
    ASSERT_TRUE(DecodeBmp(file.data(), file.size(), &bmp));
    EXPECT_EQ(bmp.pixels, pixels);
    EXPECT_TRUE(bmp.hasAlpha);
}

TEST(BmpDecoder, RleEscapesAndClipping) {
    // A 4 x 2 RLE8 picture: a delta to (1, 1) from the bottom-left, a run
    // of 9 white pixels that leaves the row (clipped), two ends of line past
    // the top row, a run there (dropped), end of bitmap.  What the stream
    // skips stays black.
    Format f = {"8-bit RLE", 40, 8, kRle8, false, {}};
    std::vector<uint8_t> file = WriteBmp(f, std::vector<uint32_t>(kWidth * kHeight, 0xFFFFFF));
    std::vector<uint8_t> bytes(file.begin(), file.begin() + 14 + 40 + 4);
    bytes[18] = 4;  // width
    bytes[22] = 2;  // height
    const uint8_t stream[] = {0, 2, 1, 1, 9, 0, 0, 0, 0, 0, 2, 0, 0, 1};
    bytes.insert(bytes.end(), std::begin(stream), std::end(stream));
    DecodedBmp bmp;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), &bmp));
    EXPECT_EQ(bmp.pixels, (std::vector<uint32_t>{0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0}));
}

// A valid 24-bit file with one field changed.
std::vector<uint8_t> Changed(size_t offset, std::vector<uint8_t> value, uint32_t bits = 24,
                             uint32_t compression = kRgb) {
    Format f = {"", 40, bits, compression, false, {0xF800, 0x07E0, 0x001F, 0}};
    std::vector<uint8_t> file = WriteBmp(f, Picture(4));
    for (size_t i = 0; i < value.size(); ++i)
        file[offset + i] = value[i];
    return file;
}

TEST(BmpDecoder, RefusesBrokenFiles) {
    struct {
        const char* label;
        std::vector<uint8_t> file;
    } cases[] = {
        {"no magic", Changed(0, {'M', 'B'})},
        {"pixels past the end", Changed(10, {0xFF, 0xFF, 0, 0})},
        {"pixels inside the header", Changed(10, {20, 0, 0, 0})},
        {"unknown header size", Changed(14, {64})},
        {"header longer than the file", Changed(14, {0, 1, 0, 0})},
        {"zero width", Changed(18, {0, 0, 0, 0})},
        {"negative width", Changed(18, {0xFB, 0xFF, 0xFF, 0xFF})},
        {"zero height", Changed(22, {0, 0, 0, 0})},
        {"height beyond the rows", Changed(22, {4, 0, 0, 0})},
        {"oversized", Changed(18, {0xA0, 0x86, 0x01, 0, 0xA0, 0x86, 0x01, 0})},
        {"too many pixels", Changed(18, {0, 0x40, 0, 0, 0, 0x40, 0, 0})},
        {"two planes", Changed(26, {2})},
        {"3 bits per pixel", Changed(28, {3})},
        {"JPEG", Changed(30, {4})},
        {"RLE8 at 24 bits", Changed(30, {kRle8})},
        {"bit fields at 24 bits", Changed(30, {kBitfields})},
        {"RLE top-down", Changed(22, {0xFD, 0xFF, 0xFF, 0xFF}, 8, kRle8)},
        {"split mask", Changed(54, {0x0F, 0xF0}, 16, kBitfields)},
    };
    for (const auto& c : cases) {
        DecodedBmp bmp;
        EXPECT_FALSE(DecodeBmp(c.file.data(), c.file.size(), &bmp)) << c.label;
        EXPECT_TRUE(bmp.pixels.empty()) << c.label;
        EXPECT_EQ(bmp.width, 0) << c.label;
    }
    DecodedBmp bmp;
    EXPECT_FALSE(DecodeBmp(nullptr, 0, &bmp));
}

TEST(GaugeImage, LoadsOnceFromFolderAndName) {
    namespace fs = std::filesystem;
    fs::path folder =
        fs::temp_directory_path() /
        ("orv-gauge-image-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(folder / "sub");
    Format f = {"24-bit", 40, 24, kRgb, false, {}};
    std::vector<uint8_t> file = WriteBmp(f, Picture(4));
    {
        std::ofstream out(folder / "sub" / "needle.bmp", std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
    }
    std::wstring base = folder.wstring();

    GaugeImage image;
    EXPECT_FALSE(image.LoadFromFile(base, L"", 0, 0, false));  // the folder itself
    EXPECT_FALSE(image.LoadFromFile(base, L"missing.bmp", 0, 0, false));
    EXPECT_FALSE(image.HasBitmap());
    ASSERT_TRUE(image.LoadFromFile(base, L"sub\\needle.bmp", 2.5f, 3.0f, true));
    EXPECT_EQ(image.Width(), kWidth);
    EXPECT_EQ(image.Height(), kHeight);
    EXPECT_EQ(image.Stride(), kWidth * 4);
    EXPECT_EQ(image.Pixel(4, 0), Picture(4)[4]);
    EXPECT_EQ(image.axisX, 2.5f);
    EXPECT_EQ(image.axisY, 3.0f);
    EXPECT_TRUE(image.alpha);

    // A second load fails and keeps the first picture and its axis.
    Format other = {"8-bit", 40, 8, kRgb, false, {}};
    std::vector<uint8_t> second = WriteBmp(other, Picture(2));
    EXPECT_FALSE(image.LoadFromBytes(second.data(), second.size(), 9, 9, false));
    EXPECT_FALSE(image.LoadFromFile(base, L"sub\\needle.bmp", 9, 9, false));
    EXPECT_EQ(image.Pixel(4, 0), Picture(4)[4]);
    EXPECT_EQ(image.axisX, 2.5f);
    EXPECT_TRUE(image.alpha);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace Orv
