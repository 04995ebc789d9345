#include "plugin/core/sim_bindings.h"

#include <gtest/gtest.h>

#include "tests/unit/xplane_recorder.h"

namespace Orv::Test {
namespace {

class SimBindingsTest : public ::testing::Test {
protected:
    void SetUp() override { CSimBindings::Initialize(); }
    XPlaneRecorder xplane;
    CSimBindings& bindings = *CSimBindings::Instance();
};

TEST_F(SimBindingsTest, EveryHandleResolvesInTheSimulator) {
    int unresolved = 0;
#define ORV_CHECK_COMMAND(field, name) \
    if (bindings.field == nullptr) {   \
        ADD_FAILURE() << name;         \
        ++unresolved;                  \
    }
#define ORV_CHECK_COMMAND8(field, name)       \
    for (XPLMCommandRef ref : bindings.field) \
        if (ref == nullptr) {                 \
            ADD_FAILURE() << name;            \
            ++unresolved;                     \
        }
    ORV_SIM_COMMANDS(ORV_CHECK_COMMAND, ORV_CHECK_COMMAND8)
    ORV_SIM_DATAREFS(ORV_CHECK_COMMAND)
#undef ORV_CHECK_COMMAND
#undef ORV_CHECK_COMMAND8
    EXPECT_EQ(unresolved, 0);
    // The arrays of eight keep their order: element 0 is number 1.
    EXPECT_EQ(bindings.generatorOn[0], XPLMFindCommand("sim/electrical/generator_1_on"));
    EXPECT_EQ(bindings.engageStarter[7], XPLMFindCommand("sim/starters/engage_starter_8"));
}

TEST_F(SimBindingsTest, TablesHoldEveryName) {
    EXPECT_EQ(bindings.KeyStrokeTable.size(), 94u);
    EXPECT_EQ(bindings.JoystickButtonTable.size(), 93u);
    EXPECT_EQ(bindings.VirtualKeyTable.size(), 170u);  // the 169 names and VK_W
    // Filling again leaves every value as it was.
    CSimBindings::Initialize();
    EXPECT_EQ(bindings.KeyStrokeTable.size(), 94u);
}

TEST_F(SimBindingsTest, KeyStrokesByName) {
    for (const char* name : {"xplm_key_gear", "xplm_key_tranID", "xplm_key_pause", "no_such_key",
                             "XPLM_KEY_GEAR", "no_such_key"})
        bindings.SendKeyStrokeByName(name);
    EXPECT_EQ(xplane.keys, (std::vector<int>{5, 93, 0, 0, 0, 0}));
    EXPECT_EQ(bindings.KeyStrokeTable.count("no_such_key"), 0u);
}

TEST_F(SimBindingsTest, JoystickButtonsByName) {
    bindings.SendJoystickButtonByName("xplm_joy_gear_tog", 1);
    bindings.SendJoystickButtonByName("xplm_joy_gear_tog", 0);
    bindings.SendJoystickButtonByName("xplm_joy_gear_tog", 2);
    bindings.SendJoystickButtonByName("xplm_joy_start_all", 1);
    bindings.SendJoystickButtonByName("xplm_joy_lanlights", 1);
    bindings.SendJoystickButtonByName("unknown", 1);
    EXPECT_EQ(xplane.buttons, (std::vector<std::pair<int, int>>{
                                  {51, 1}, {51, 0}, {51, 0}, {1, 1}, {93, 1}, {0, 1}}));
}

TEST_F(SimBindingsTest, VirtualKeyCodesByName) {
    const std::pair<const char*, int> cases[] = {
        {"VK_2", 0x32},
        {"VK_RETURN", 0x0D},
        {"vk_return", 0},
        {"VK_F1 ", 0},
        {"VK_A", 0x41},
        {"VK_W", 0x57},
        {"VK_Z", 0x5A},
        {"VK_LBUTTON", 0x01},
        {"VK_SHIFT", 0x10},
        {"VK_CONTROL", 0x11},
        {"VK_MENU", 0x12},
        {"VK_SPACE", 0x20},
        {"VK_NUMPAD0", 0x60},
        {"VK_NUMPAD9", 0x69},
        {"VK_F1", 0x70},
        {"VK_F24", 0x87},
        {"VK_OEM_NEC_EQUAL", 0x92},
        {"VK_LSHIFT", 0xA0},
        {"VK_OEM_1", 0xBA},
        {"VK_OEM_4", 0xDB},
        {"VK_PACKET", 0xE7},
        {"VK_CTRL", 0},
        {"", 0},
    };
    for (const auto& [name, code] : cases)
        EXPECT_EQ(bindings.GetVirtualKeyCodeByName(name), code) << name;
    EXPECT_EQ(bindings.VirtualKeyTable.count("VK_CTRL"), 0u);
}

TEST_F(SimBindingsTest, SetDataviAllWritesEveryElement) {
    ASSERT_TRUE(XSim::CreateDataRef("test/ints8", XSim::DataType::IntArray, 8));
    ASSERT_TRUE(XSim::CreateDataRef("test/ints0", XSim::DataType::IntArray, 0));
    bindings.SetDataviAll(XPLMFindDataRef("test/ints8"), 1);
    bindings.SetDataviAll(XPLMFindDataRef("test/ints0"), 1);
    ASSERT_EQ(xplane.writes.size(), 1u);
    EXPECT_EQ(xplane.writes[0].name, "test/ints8");
    EXPECT_EQ(xplane.writes[0].values, std::vector<double>(8, 1.0));
    EXPECT_EQ(xplane.writes[0].offset, 0);
}

}  // namespace
}  // namespace Orv::Test
