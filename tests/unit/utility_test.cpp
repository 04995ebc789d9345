#include "plugin/core/digit_format.h"
#include "plugin/core/folders.h"
#include "plugin/core/handover.h"
#include "plugin/core/key_input.h"
#include "plugin/core/lower_case.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/handover_events.h"
#include "platform/keyboard.h"
#include "platform/named_events.h"
#include "platform/sync.h"
#include "plugin/core/sim_bindings.h"
#include "tests/unit/trace_fixture.h"
#include "tests/unit/xplane_recorder.h"

namespace Orv::Test {
namespace {

struct IntCase {
    int32_t value;
    int32_t format;
    std::string text;
};

TEST(ConvertIntValueToStringTest, EveryFormat) {
    const std::string dark2 = "\x7f\x7f";
    const IntCase cases[] = {
        {118, 0, "118"},
        {-5, 0, "-5"},
        {1234567, 0, "12345"},
        {118, 1, "  118"},
        {-5, 1, "   -5"},
        {7, 1, "    7"},
        {118, 2, dark2 + "118"},
        {-5, 2, dark2 + "005"},
        {12345, 2, dark2 + "345"},
        {118, 3, "118"},
        {-5, 3, "-05"},
        {12345, 3, "12345"},
        {118, 4,
         "\x7f"
         "0118"},
        {-5, 4,
         "\x7f"
         "0005"},
        {123456, 4,
         "\x7f"
         "2345"},
        {118, 5, "0118"},
        {-5, 5, "-005"},
        {118, 6, "1.18"},
        {-5, 6, "-0.05"},
        {11805, 6, "118.05"},
        {123456, 6, "1234.5"},
        {118, 7, "0011.8"},
        {-5, 7, "-000.5"},
        {1234, 7, "0123.4"},
        {118, 8, ""},
        {118, -1, ""},
    };
    for (const IntCase& c : cases)
        EXPECT_EQ(UTILITY::ConvertIntValueToString(c.value, c.format), c.text)
            << c.value << " format " << c.format;
}

TEST(TruncateToIntTest, TowardZeroAndWithinRange) {
    const struct {
        float value;
        int32_t result;
    } cases[] = {
        {45.9f, 45},
        {-0.9f, 0},
        {-5.7f, -5},
        {2147483520.0f, 2147483520},  // the largest float below 2^31
        {2147483648.0f, INT32_MAX},
        {1e20f, INT32_MAX},
        {-2147483648.0f, INT32_MIN},
        {-1e20f, INT32_MIN},
        {std::numeric_limits<float>::infinity(), INT32_MAX},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UTILITY::TruncateToInt(c.value), c.result) << c.value;
}

TEST(ConvertStringToLowerTest, OnlyAsciiLettersChange) {
    EXPECT_EQ(UTILITY::ConvertStringToLower(std::string("Aircraft/HELICOPTERS/Bell 206.acf")),
              "aircraft/helicopters/bell 206.acf");
    EXPECT_EQ(UTILITY::ConvertStringToLower(std::wstring(L"\\\\?\\HID#VID_1234&PID_ABCD\u00C9")),
              L"\\\\?\\hid#vid_1234&pid_abcd\u00C9");
    EXPECT_EQ(UTILITY::ConvertStringToLower(std::string()), "");
}

class UtilityTraceTest : public TraceFixture {};

TEST_F(UtilityTraceTest, ProfileFolderIsBesideThePublicDocuments) {
    Attach(3, 0x400);
    Sim::SetPublicDocumentsFolder(L"C:\\Users\\Public\\Documents");
    EXPECT_EQ(UTILITY::GetProfileFolder(), L"C:\\Users\\Public\\Documents\\Trimwise Profiles");
    Sim::SetPublicDocumentsFolder(L"");
    Clear();
    EXPECT_EQ(UTILITY::GetProfileFolder(), L"");
    EXPECT_EQ(
        TextsAfterAttach(),
        (std::vector<std::wstring>{L">>Orv::UTILITY::GetProfileFolder",
                                   L"    Failed in calling SHGetKnownFolderPath due to 0x80004005",
                                   L"<<Orv::UTILITY::GetProfileFolder"}));
}

class SimulateInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        CSimBindings::Initialize();
        Sim::TakeRecordedInput();
    }
    static uint16_t Scan(uint32_t vk) {
        return static_cast<uint16_t>(Platform::Keyboard().MapVirtualKey(vk, 0));
    }
    XPlaneRecorder xplane;
};

TEST_F(SimulateInputTest, KeysGoOutInListOrder) {
    struct Case {
        const char* keys;
        std::vector<uint32_t> codes;
    };
    const Case cases[] = {
        {"control + shift + f1", {0x11, 0x10, 0x70}},
        {" Shift ", {0x10}},
        {"f 1", {0x70}},
        {"ctrl", {0}},  // VK_CTRL is no key name
        {"", {0}},
        {"a+", {0x41, 0}},
        {"w", {0x57}},
    };
    for (const Case& c : cases) {
        for (bool pressed : {true, false}) {
            UTILITY::SimulateInput(c.keys, pressed);
            auto events = Sim::TakeRecordedInput();
            ASSERT_EQ(events.size(), c.codes.size()) << c.keys;
            for (size_t i = 0; i < events.size(); ++i) {
                EXPECT_EQ(events[i].virtualKey, 0);
                EXPECT_EQ(events[i].scanCode, Scan(c.codes[i])) << c.keys << " #" << i;
                EXPECT_EQ(events[i].flags, pressed ? 0x8u : 0xAu);
                EXPECT_EQ(events[i].time, 0u);
                EXPECT_EQ(events[i].extraInfo, 0u);
            }
        }
    }
    EXPECT_NE(Scan(0x11), 0);
    EXPECT_EQ(Scan(0), 0);
}

class HandOverTest : public ::testing::Test {
protected:
    void SetUp() override { Sim::Reset(Sim::TimeMode::Virtual); }
};

TEST_F(HandOverTest, SignalsTheServiceEventsWhenTheyExist) {
    std::vector<std::pair<std::wstring, bool>> seen;
    Sim::SetNamedEventObserver(
        [&](const std::wstring& name, bool opened) { seen.emplace_back(name, opened); });
    UTILITY::PauseResumeGlassLinkService(true);  // no service program: nothing happens
    Platform::Handle pause = Platform::NamedEvents().CreateEvent(false, false, kPauseEventName);
    Platform::Handle resume = Platform::NamedEvents().CreateEvent(false, false, kResumeEventName);
    UTILITY::PauseResumeGlassLinkService(true);
    EXPECT_TRUE(Sim::NamedEventSignalled(kPauseEventName));
    EXPECT_FALSE(Sim::NamedEventSignalled(kResumeEventName));
    UTILITY::PauseResumeGlassLinkService(false);
    EXPECT_TRUE(Sim::NamedEventSignalled(kResumeEventName));
    Sim::SetNamedEventObserver(nullptr);
    Platform::Sync().CloseHandle(pause);
    Platform::Sync().CloseHandle(resume);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), std::make_pair(std::wstring(kPauseEventName), false));
    EXPECT_EQ(seen.back(), std::make_pair(std::wstring(kResumeEventName), true));
}

}  // namespace
}  // namespace Orv::Test
