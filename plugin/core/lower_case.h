// ASCII lower-casing of paths, names and serials.
#pragma once

#include <string>

namespace Orv::UTILITY {

// A copy with A to Z mapped to a to z (the C locale's mapping).
std::wstring ConvertStringToLower(const std::wstring& text);
std::string ConvertStringToLower(const std::string& text);

}  // namespace Orv::UTILITY
