// The simulation platform's other edges: named-event and input observers,
// the known folder, module paths of the library, keyboard tables, strings.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/keyboard.h"
#include "platform/known_folders.h"
#include "platform/module.h"
#include "platform/named_events.h"
#include "platform/sim/sim_platform.h"
#include "platform/sync.h"

namespace Orv::Sim {
namespace {

using Platform::Handle;
using Platform::Sync;

class SimEdges : public ::testing::Test {
protected:
    void SetUp() override { Reset(TimeMode::Virtual); }
    void TearDown() override { Reset(TimeMode::Virtual); }
};

TEST_F(SimEdges, NamedEventObserverSeesFailedOpensAndSignals) {
    std::vector<std::pair<std::wstring, bool>> seen;
    SetNamedEventObserver(
        [&](const std::wstring& name, bool opened) { seen.emplace_back(name, opened); });
    const wchar_t* name = L"Global\\{5B1E07C2-94AD-4F3B-8C61-2E7A90D4B318}";
    EXPECT_EQ(Platform::NamedEvents().OpenEvent(Platform::kEventAllAccess, false, name), nullptr);
    EXPECT_FALSE(NamedEventExists(name));
    Handle created = Platform::NamedEvents().CreateEvent(true, false, name);
    EXPECT_TRUE(NamedEventExists(name));
    EXPECT_FALSE(NamedEventSignalled(name));
    Handle opened = Platform::NamedEvents().OpenEvent(Platform::kEventAllAccess, false, name);
    ASSERT_NE(opened, nullptr);
    Sync().SetEvent(opened);
    EXPECT_TRUE(NamedEventSignalled(name));
    Handle unnamed = Sync().CreateEvent(false, false);
    Sync().SetEvent(unnamed);  // not reported
    EXPECT_EQ(seen, (std::vector<std::pair<std::wstring, bool>>{{name, false}, {name, true}}));
    Sync().CloseHandle(opened);
    Sync().CloseHandle(created);
    Sync().CloseHandle(unnamed);
    EXPECT_FALSE(NamedEventExists(name));
}

TEST_F(SimEdges, ResetForgetsNamedEventsAndObservers) {
    int calls = 0;
    SetNamedEventObserver([&](const std::wstring&, bool) { ++calls; });
    Platform::NamedEvents().CreateEvent(false, false, L"Local\\left-over");
    Reset(TimeMode::Virtual);
    EXPECT_FALSE(NamedEventExists(L"Local\\left-over"));
    Platform::NamedEvents().OpenEvent(Platform::kEventAllAccess, false, L"Local\\left-over");
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(Platform::NamedEvents().OpenEvent(Platform::kEventAllAccess, false, nullptr),
              nullptr);
    EXPECT_EQ(Sync().GetLastError(), Platform::kErrorInvalidParameter);
}

TEST_F(SimEdges, SendInputIsRecordedAndObserved) {
    std::vector<std::vector<Platform::KeyEvent>> observed;
    SetInputObserver(
        [&](const std::vector<Platform::KeyEvent>& batch) { observed.push_back(batch); });
    Platform::KeyEvent keys[] = {
        {0, 0x1E, Platform::kKeyEventScanCode, 0, 0},
        {0, 0x1E, Platform::kKeyEventScanCode | Platform::kKeyEventKeyUp, 0, 0},
    };
    EXPECT_EQ(Platform::Keyboard().SendInput(keys, 2), 2u);
    EXPECT_EQ(Platform::Keyboard().SendInput(keys, 1), 1u);
    EXPECT_EQ(Platform::Keyboard().SendInput(nullptr, 3), 0u);
    ASSERT_EQ(observed.size(), 2u);
    EXPECT_EQ(observed[0].size(), 2u);
    std::vector<Platform::KeyEvent> recorded = TakeRecordedInput();
    ASSERT_EQ(recorded.size(), 3u);
    EXPECT_EQ(recorded[1].flags, Platform::kKeyEventScanCode | Platform::kKeyEventKeyUp);
    EXPECT_TRUE(TakeRecordedInput().empty());
}

TEST_F(SimEdges, ScanCodesBeyondTheMainBlock) {
    struct Case {
        uint32_t vk;
        uint32_t scan;
    };
    const Case cases[] = {
        {0x25, 0x4B} /* left */,     {0x28, 0x50} /* down */,     {0x2E, 0x53} /* delete */,
        {0x60, 0x52} /* numpad 0 */, {0x69, 0x49} /* numpad 9 */, {0x6B, 0x4E} /* add */,
        {0x7C, 0x64} /* F13 */,      {0x87, 0x76} /* F24 */,      {0xA1, 0x36} /* rshift */,
        {0xA3, 0x1D} /* rcontrol */, {0xBA, 0x27} /* ; */,        {0xC0, 0x29} /* ` */,
        {0xDE, 0x28} /* ' */,        {0x02, 0} /* rbutton */,     {0x1000, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform::Keyboard().MapVirtualKey(c.vk, Platform::kMapVkToVsc), c.scan)
            << std::hex << c.vk;
    EXPECT_EQ(Platform::Keyboard().MapVirtualKey(0x1E, 1), uint32_t('A'));
    EXPECT_EQ(Platform::Keyboard().MapVirtualKey(0x2A, 1), 0x10u);
    EXPECT_EQ(Platform::Keyboard().MapVirtualKey(0x2A, 3), 0xA0u);
    EXPECT_EQ(Platform::Keyboard().MapVirtualKey('Q', 2), uint32_t('Q'));
    EXPECT_EQ(Platform::Keyboard().MapVirtualKey('A', 99), 0u);
}

TEST_F(SimEdges, PublicDocumentsFolderIsWhatTheHostSet) {
    std::wstring path = L"junk";
    EXPECT_EQ(Platform::KnownFolders().GetPublicDocumentsFolder(&path), Platform::kEFail);
    EXPECT_TRUE(path.empty());
    SetPublicDocumentsFolder(L"/tmp/sandbox/Public Documents/");
    EXPECT_EQ(Platform::KnownFolders().GetPublicDocumentsFolder(&path), Platform::kSOk);
    EXPECT_EQ(path, L"/tmp/sandbox/Public Documents");
    Reset(TimeMode::Virtual);
    EXPECT_EQ(Platform::KnownFolders().GetPublicDocumentsFolder(&path), Platform::kEFail);
}

TEST_F(SimEdges, ModulePathOfTheSharedLibraryAndOfNoModule) {
    std::wstring path;
    ASSERT_EQ(Platform::Module().GetModuleFileName(reinterpret_cast<const void*>(&Settle), &path),
              0u);
    EXPECT_TRUE(path.ends_with(L"/liborv_platform_sim.so")) << ToUtf8(path);
    EXPECT_EQ(path[0], L'/');
    int onTheStack = 0;
    EXPECT_EQ(Platform::Module().GetModuleFileName(&onTheStack, &path), 126u);
    EXPECT_TRUE(path.empty());
    EXPECT_EQ(Platform::Module().GetModuleFileName(&onTheStack, nullptr),
              Platform::kErrorInvalidParameter);
}

TEST(SimStrings, Utf8RoundTripsAndReplacesMalformedInput) {
    const std::pair<std::wstring, std::string> cases[] = {
        {L"", ""},
        {L"plain ASCII", "plain ASCII"},
        {L"caf\u00e9", "caf\xc3\xa9"},
        {L"\u20ac 5", "\xe2\x82\xac 5"},
        {L"\U0001F600", "\xf0\x9f\x98\x80"},
    };
    for (const auto& [wide, utf8] : cases) {
        EXPECT_EQ(ToUtf8(wide), utf8);
        EXPECT_EQ(FromUtf8(utf8), wide);
    }
    EXPECT_EQ(FromUtf8("a\xff"
                       "b"),
              L"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xc3"), L"\uFFFD");  // cut short
    EXPECT_EQ(FromUtf8("\xe2\x82"
                       "x"),
              L"\uFFFDx");                             // cut short before x
    EXPECT_EQ(FromUtf8("\xc0\xaf"), L"\uFFFD\uFFFD");  // overlong
    EXPECT_EQ(FromUtf8("\xed\xa0\x80"), L"\uFFFD");    // surrogate
    EXPECT_EQ(ToUtf8(std::wstring(1, wchar_t(0xD800))), "\xef\xbf\xbd");
}

}  // namespace
}  // namespace Orv::Sim
