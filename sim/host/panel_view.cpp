#include "sim/host/panel_view.h"

#include "common/device_ids.h"

namespace Orv::Host {

namespace {

std::string Raw(const std::vector<uint8_t>& report) {
    return "bytes " + HexBytes(report);
}

// Gear lamps: per gear a green lamp (down and locked) and a red one (in
// transit), bits of byte 1.
std::string Toggle(const std::vector<uint8_t>& report) {
    if (report.size() != 2 || report[0] != 0)
        return Raw(report);
    static const uint8_t kGreen[3] = {0x02, 0x01, 0x04};
    static const uint8_t kRed[3] = {0x10, 0x08, 0x20};
    std::string text = "gear";
    for (int n = 0; n < 3; ++n) {
        bool green = (report[1] & kGreen[n]) != 0;
        bool red = (report[1] & kRed[n]) != 0;
        text += "  " + std::to_string(n) + ":";
        text += green && red ? "green+red" : green ? "green" : red ? "red" : "dark";
    }
    return text;
}

// One seven-segment field of the tuner: a blank for a dark digit, the
// decimal point after the digit that carries it.
std::string TunerField(const uint8_t* digits) {
    std::string text;
    for (int i = 0; i < 5; ++i) {
        uint8_t b = digits[i];
        if (b <= 9) {
            text.push_back(char('0' + b));
        } else if (b >= 0xD0 && b <= 0xD9) {
            text.push_back(char('0' + (b & 0x0F)));
            text.push_back('.');
        } else if (b == 0xE0) {
            text.push_back('-');
        } else if (b == 0xFF) {
            text.push_back(' ');
        } else {
            text.push_back('?');
        }
    }
    return "[" + text + "]";
}

std::string Tuner(const std::vector<uint8_t>& report) {
    if (report.size() != 24 || report[0] != 0)
        return Raw(report);
    const uint8_t* r = report.data();
    return "upper " + TunerField(r + 1) + " " + TunerField(r + 6) + "   lower " +
           TunerField(r + 11) + " " + TunerField(r + 16);
}

std::string ModeRow(const uint8_t* digits) {
    std::string text;
    for (int i = 0; i < 5; ++i) {
        uint8_t b = digits[i];
        text.push_back(b <= 9 ? char('0' + b) : b == 0x0E ? '-' : b == 0xFF ? ' ' : '?');
    }
    return "[" + text + "]";
}

// The two rows, then the eight LEDs: a lit one by its name, a dark one as
// dots.
std::string Mode(const std::vector<uint8_t>& report) {
    if (report.size() != 13 || report[0] != 0)
        return Raw(report);
    static const char* const kLeds[8] = {"AP", "HDG", "NAV", "IAS", "ALT", "VS", "APR", "REV"};
    std::string text = ModeRow(&report[1]) + " " + ModeRow(&report[6]) + "  ";
    for (int bit = 0; bit < 8; ++bit) {
        std::string name = kLeds[bit];
        text += " ";
        text += (report[11] & (1u << bit)) != 0 ? name : std::string(name.size(), '.');
    }
    return text;
}

// The lit lenses with their colours (green and red together show amber).
std::string Annunciator(const std::vector<uint8_t>& report) {
    if (report.size() == 2 && report[0] == 0xB2)
        return "brightness " + std::to_string(report[1]);
    if (report.size() != 7 || report[0] != 0xB8)
        return Raw(report);
    std::string text;
    for (int lens = 0; lens < 24; ++lens) {
        uint8_t bit = uint8_t(1u << (lens % 8));
        bool green = (report[1 + lens / 8] & bit) != 0;
        bool red = (report[4 + lens / 8] & bit) != 0;
        if (!green && !red)
            continue;
        text += text.empty() ? "lenses " : "  ";
        text += std::to_string(lens) + ":" + (green && red ? "amber" : green ? "green" : "red");
    }
    return text.empty() ? "lenses all dark" : text;
}

}  // namespace

std::string DescribeMfd(const std::array<std::string, 3>& lines, uint32_t shift) {
    constexpr size_t kColumns = 16;
    std::string text = "mfd";
    for (const std::string& line : lines) {
        text += " |";
        size_t columns = 0;
        for (char ch : line) {
            auto c = static_cast<unsigned char>(ch);
            if (c == 0xFC)
                text += "\xE2\x96\xBA";  // the right-pointing arrow, in place of '>'
            else if (c == 0xFB)
                text += "\xE2\x97\x84";  // the left-pointing one, in place of '<'
            else
                text.push_back(c >= 0x20 && c <= 0x7E ? ch : '?');
            ++columns;
        }
        // A longer line is shown whole: the bar after it marks the overflow.
        if (columns < kColumns)
            text.append(kColumns - columns, ' ');
        text += "|";
    }
    return text + "  shift " + std::to_string(shift);
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * bytes.size());
    for (uint8_t b : bytes) {
        text.push_back(kHex[b >> 4]);
        text.push_back(kHex[b & 0xF]);
    }
    return text;
}

std::string DescribeFeatureReport(uint16_t productId, const std::vector<uint8_t>& report) {
    switch (productId) {
        case PRODUCT_ID_TOGGLE:
            return Toggle(report);
        case PRODUCT_ID_TUNER:
            return Tuner(report);
        case PRODUCT_ID_MODE:
            return Mode(report);
        case PRODUCT_ID_WAP:
            return Annunciator(report);
        default:
            return Raw(report);
    }
}

}  // namespace Orv::Host
