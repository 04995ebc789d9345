// UTF-8 <-> wide conversions (wide is UTF-32 here).  Malformed input becomes
// U+FFFD, one per bad sequence; nothing is dropped silently.
#include <string>

#include "platform/sim/sim_platform.h"

namespace Orv::Sim {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

bool Valid(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}
}  // namespace

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        char32_t c = static_cast<char32_t>(wc);
        if (!Valid(c))
            c = kReplacement;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t c = 0;
        char32_t min = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1, c = b & 0x1F, min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2, c = b & 0x0F, min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3, c = b & 0x07, min = 0x10000;
        } else {
            out += static_cast<wchar_t>(kReplacement);
            ++i;
            continue;
        }
        size_t j = i + 1;
        for (; j < n && j <= i + static_cast<size_t>(extra); ++j) {
            unsigned char cb = static_cast<unsigned char>(text[j]);
            if ((cb & 0xC0) != 0x80)
                break;
            c = (c << 6) | (cb & 0x3F);
        }
        if (j != i + 1 + static_cast<size_t>(extra) || c < min || !Valid(c)) {
            out += static_cast<wchar_t>(kReplacement);
            i = j > i + 1 ? j : i + 1;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i = j;
    }
    return out;
}

}  // namespace Orv::Sim
