// What every backend of the module, keyboard and known-folder ports must do.
#include <gtest/gtest.h>

#include <string>

#include "platform/keyboard.h"
#include "platform/known_folders.h"
#include "platform/module.h"
#include "platform/types.h"

#ifndef ORV_TEST_PROGRAM
#error "ORV_TEST_PROGRAM must name the test program's file (without .exe)"
#endif

namespace Orv::Platform {
namespace {

void FunctionInTheTestProgram() {}

bool IsAbsolute(const std::wstring& path) {
#ifdef _WIN32
    return path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
#else
    return !path.empty() && path[0] == L'/';
#endif
}

TEST(ModuleConformance, PathOfAFunctionInTheProgramIsTheProgramsFile) {
    std::wstring path;
    ASSERT_EQ(
        Module().GetModuleFileName(reinterpret_cast<const void*>(&FunctionInTheTestProgram), &path),
        kErrorSuccess);
    std::string narrow = ORV_TEST_PROGRAM;
    std::wstring name(narrow.begin(), narrow.end());
#ifdef _WIN32
    name += L".exe";
#endif
    EXPECT_TRUE(path.ends_with(L"/" + name) || path.ends_with(L"\\" + name))
        << std::string(path.begin(), path.end());
    EXPECT_TRUE(IsAbsolute(path));
}

TEST(KeyboardConformance, ScanCodesOfTheMainBlock) {
    struct Case {
        uint32_t virtualKey;
        uint32_t scanCode;
    };
    const Case cases[] = {
        {'A', 0x1E},
        {'Z', 0x2C},
        {'1', 0x02},
        {'0', 0x0B},
        {0x11, 0x1D} /* control */,
        {0x10, 0x2A} /* shift */,
        {0x0D, 0x1C} /* return */,
        {0x20, 0x39} /* space */,
        {0x1B, 0x01} /* escape */,
        {0x70, 0x3B} /* F1 */,
        {0x7B, 0x58} /* F12 */,
        {0x01, 0} /* left mouse button */,
        {0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Keyboard().MapVirtualKey(c.virtualKey, kMapVkToVsc), c.scanCode)
            << "virtual key 0x" << std::hex << c.virtualKey;
}

TEST(KnownFoldersConformance, PathIsEmptyOnFailureAndHasNoTrailingSeparator) {
    std::wstring path = L"junk";
    int32_t hr = KnownFolders().GetPublicDocumentsFolder(&path);
    if (Failed(hr)) {
        EXPECT_TRUE(path.empty());
    } else {
        ASSERT_FALSE(path.empty());
        EXPECT_NE(path.back(), L'\\');
        EXPECT_NE(path.back(), L'/');
    }
}

}  // namespace
}  // namespace Orv::Platform
