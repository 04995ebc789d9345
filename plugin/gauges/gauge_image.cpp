#include "plugin/gauges/gauge_image.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "plugin/core/trace.h"

namespace Orv {

namespace {

// A path from a gauge file, whose separators are backslashes, in the form
// the file system takes.
std::filesystem::path NativePath(std::wstring path) {
    if constexpr (std::filesystem::path::preferred_separator != L'\\')
        std::replace(path.begin(), path.end(), L'\\', L'/');
    return std::filesystem::path(path);
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>* bytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    uint64_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxBmpFileSize)
        return false;
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file)
        return false;
    bytes->resize(static_cast<size_t>(size));
    file.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size));
    return static_cast<uint64_t>(file.gcount()) == size;
}

}  // namespace

bool GaugeImage::LoadFromBytes(const uint8_t* data, size_t size, float x, float y, bool a) {
    if (HasBitmap())
        return false;
    DecodedBmp decoded;
    if (!DecodeBmp(data, size, &decoded))
        return false;
    bmp_ = std::move(decoded);
    axisX = x;
    axisY = y;
    alpha = a;
    return true;
}

bool GaugeImage::LoadFromFile(const std::wstring& folder, const std::wstring& name, float x,
                              float y, bool a) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_GDP_PANEL);
    if (HasBitmap())
        return false;
    std::wstring path = folder + L"\\" + name;
    std::vector<uint8_t> bytes;
    bool read = false;
    try {
        read = ReadWholeFile(NativePath(path), &bytes);
    } catch (const std::exception&) {
        // A name that the file system cannot spell, or no memory.
        read = false;
    }
    if (!read) {
        WriteTrace(TRACE_LEVEL_DETAIL, TRACE_KEYWORD_GDP_PANEL, TRACE_KIND_MESSAGE,
                   L"The bitmap cannot be read: %s", path.c_str());
        return false;
    }
    if (!LoadFromBytes(bytes.data(), bytes.size(), x, y, a)) {
        WriteTrace(TRACE_LEVEL_DETAIL, TRACE_KEYWORD_GDP_PANEL, TRACE_KIND_MESSAGE,
                   L"The bitmap is no BMP picture that can be read: %s", path.c_str());
        return false;
    }
    return true;
}

}  // namespace Orv
