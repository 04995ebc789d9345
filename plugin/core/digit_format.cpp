#include "plugin/core/digit_format.h"

#include <cstdio>

#include "plugin/core/trace.h"

namespace Orv::UTILITY {

int32_t TruncateToInt(float value) {
    if (value != value)
        return 0;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

std::string ConvertIntValueToString(int32_t value, int32_t format) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    // snprintf cuts to size - 1 characters and terminates, as the bounded
    // print of the displays' texts must.
    char text[7] = {};
    switch (format) {
        case DigitFormat::kPlain:
            std::snprintf(text, 6, "%d", value);
            break;
        case DigitFormat::kRightAligned5:
            std::snprintf(text, 6, "%*d", 5, value);
            break;
        case DigitFormat::kTwoDarkThreeDigits:
            std::snprintf(text, 6, "%0*d", 5, value);
            text[0] = 0x7F;
            text[1] = 0x7F;
            break;
        case DigitFormat::kZeroPadded3:
            std::snprintf(text, 6, "%0*d", 3, value);
            break;
        case DigitFormat::kOneDarkFourDigits:
            std::snprintf(text, 6, "%0*d", 5, value);
            text[0] = 0x7F;
            break;
        case DigitFormat::kZeroPadded4:
            std::snprintf(text, 6, "%0*d", 4, value);
            break;
        case DigitFormat::kHundredths:
            std::snprintf(text, 7, "%.2f", static_cast<double>(static_cast<float>(value) / 100.0f));
            break;
        case DigitFormat::kTenthsZeroPadded6:
            std::snprintf(text, 7, "%0*.1f", 6,
                          static_cast<double>(static_cast<float>(value) / 10.0f));
            break;
        default:
            break;
    }
    return std::string(text);
}

}  // namespace Orv::UTILITY
