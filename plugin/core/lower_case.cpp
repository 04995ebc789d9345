#include "plugin/core/lower_case.h"

#include "plugin/core/trace.h"

namespace Orv::UTILITY {

namespace {

template <typename Text>
Text LowerAscii(const Text& text) {
    Text lower(text);
    for (auto& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<typename Text::value_type>(c - 'A' + 'a');
    return lower;
}

}  // namespace

std::wstring ConvertStringToLower(const std::wstring& text) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    return LowerAscii(text);
}

std::string ConvertStringToLower(const std::string& text) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    return LowerAscii(text);
}

}  // namespace Orv::UTILITY
