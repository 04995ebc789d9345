// The digit texts of the seven-segment displays and the MFD.
#pragma once

#include <cstdint>
#include <string>

namespace Orv::UTILITY {

// The format numbers of ConvertIntValueToString.  Character 0x7F stands
// for a digit position left dark; every text is cut to what the display
// holds.
namespace DigitFormat {
constexpr int32_t kPlain = 0;               // "118", "-5": at most five characters
constexpr int32_t kRightAligned5 = 1;       // "  118": right-aligned in five
constexpr int32_t kTwoDarkThreeDigits = 2;  // two dark, then the last three digits
constexpr int32_t kZeroPadded3 = 3;         // "005": at least three digits
constexpr int32_t kOneDarkFourDigits = 4;   // one dark, then the last four digits
constexpr int32_t kZeroPadded4 = 5;         // "0118": at least four digits
constexpr int32_t kHundredths = 6;          // 11805 as "118.05"
constexpr int32_t kTenthsZeroPadded6 = 7;   // 123 as "0012.3"
}  // namespace DigitFormat

// The text of value in one of the formats above; any other format gives an
// empty text.
std::string ConvertIntValueToString(int32_t value, int32_t format);
// A float dataref's value as the displays take it: truncated toward zero,
// NaN as 0 and a value beyond the 32-bit range as its nearest end (a plain
// conversion of such a float has no defined result).
int32_t TruncateToInt(float value);

}  // namespace Orv::UTILITY
