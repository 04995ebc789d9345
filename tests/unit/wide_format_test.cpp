#include "plugin/core/wide_format.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

namespace Orv::Test {
namespace {

struct FormatCase {
    std::wstring expected;
    std::wstring actual;
};

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[128];
    va_list args;
    va_start(args, format);
    FormatWideV(buffer, 128, format, args);
    va_end(args);
    return buffer;
}

TEST(WideFormatTest, StringConversionsHaveTheirWindowsMeaning) {
    const FormatCase cases[] = {
        {L"wide", Format(L"%s", L"wide")},
        {L"narrow", Format(L"%S", "narrow")},
        {L"n w", Format(L"%hs %ls", "n", L"w")},
        {L"[  ab]", Format(L"[%4S]", "ab")},
        {L"[ab  ]", Format(L"[%-4s]", L"ab")},
        {L"[        ]", Format(L"[%*s]", 8, L"")},
        {L"ab", Format(L"%.2s", L"abc")},
        {L"xY", Format(L"%c%C", L'x', 'Y')},
        {L"(null)", Format(L"%s", static_cast<const wchar_t*>(nullptr))},
        {L"-5 0x1f 0a 007", Format(L"%d 0x%x %02x %03u", -5, 31, 10, 7u)},
        {L"0x0000000000001234", Format(L"0x%p", reinterpret_cast<void*>(0x1234))},
        {L"1.18 -000.5", Format(L"%.2f %06.1f", 1.18, -0.5)},
        {L"4294967295 -1", Format(L"%lu %lld", 0xFFFFFFFFul, -1ll)},
        {L"100%", Format(L"100%%")},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(c.actual, c.expected);
}

TEST(WideFormatTest, OutputIsCutAndTerminated) {
    wchar_t buffer[6];
    EXPECT_EQ(FormatWide(buffer, 6, L"%s", L"abcdefgh"), -1);
    EXPECT_EQ(std::wstring(buffer), L"abcde");
    EXPECT_EQ(FormatWide(buffer, 6, L"%d", 12345), 5);
    EXPECT_EQ(FormatWide(buffer, 1, L"%d", 1), -1);
    EXPECT_EQ(buffer[0], L'\0');
}

}  // namespace
}  // namespace Orv::Test
