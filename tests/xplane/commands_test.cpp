// What the simulated X-Plane's commands do to its datarefs.
#include <cctype>
#include <cstring>
#include <ostream>
#include <string>

#include "tests/xplane/world_fixture.h"

namespace Orv::Test {
namespace {

struct EffectCase {
    const char* setup;  // a scenario assignment, or empty
    const char* command;
    int times;
    const char* dataref;
    int element;
    double expected;
};

constexpr const char* kCom1 = "sim/cockpit/radios/com1_stdby_freq_hz";
constexpr const char* kNav2 = "sim/cockpit/radios/nav2_stdby_freq_hz";
constexpr const char* kXpdr = "sim/cockpit/radios/transponder_code";
constexpr const char* kAdf = "sim/cockpit/radios/adf1_stdby_freq_hz";

const EffectCase kEffects[] = {
    // Flips swap active and standby.
    {"", "sim/radios/com1_standy_flip", 1, "sim/cockpit/radios/com1_freq_hz", -1, 11850},
    {"", "sim/radios/com1_standy_flip", 1, kCom1, -1, 11800},
    {"", "sim/radios/com1_standy_flip", 2, "sim/cockpit/radios/com1_freq_hz", -1, 11800},
    {"", "sim/radios/adf1_standy_flip", 1, "sim/cockpit/radios/adf1_freq_hz", -1, 338},
    {"", "sim/radios/nav2_standy_flip", 1, "sim/cockpit/radios/nav2_freq_hz", -1, 11680},
    // COM fine: 25 kHz channels shown in 10 kHz, wrapping inside the MHz.
    {"", "sim/radios/stby_com1_fine_up", 1, kCom1, -1, 11852},
    {"", "sim/radios/stby_com1_fine_up", 2, kCom1, -1, 11855},
    {"", "sim/radios/stby_com1_fine_up", 3, kCom1, -1, 11857},
    {"", "sim/radios/stby_com1_fine_up", 4, kCom1, -1, 11860},
    {"", "sim/radios/stby_com1_fine_down", 1, kCom1, -1, 11847},
    {"sim/cockpit/radios/com1_stdby_freq_hz 11897", "sim/radios/stby_com1_fine_up", 1, kCom1, -1,
     11800},
    {"sim/cockpit/radios/com1_stdby_freq_hz 11800", "sim/radios/stby_com1_fine_down", 1, kCom1, -1,
     11897},
    {"sim/cockpit/radios/com1_stdby_freq_hz 11803", "sim/radios/stby_com1_fine_up", 1, kCom1, -1,
     11807},
    {"sim/cockpit/radios/com2_stdby_freq_hz 13690", "sim/radios/stby_com2_fine_up", 1,
     "sim/cockpit/radios/com2_stdby_freq_hz", -1, 13692},
    // COM coarse: 1 MHz within 118..136.
    {"", "sim/radios/stby_com1_coarse_up", 1, kCom1, -1, 11950},
    {"sim/cockpit/radios/com1_stdby_freq_hz 13625", "sim/radios/stby_com1_coarse_up", 1, kCom1, -1,
     11825},
    {"", "sim/radios/stby_com1_coarse_down", 1, kCom1, -1, 13650},
    // NAV: 50 kHz channels, 1 MHz within 108..117.
    {"", "sim/radios/stby_nav2_fine_up", 1, kNav2, -1, 11685},
    {"sim/cockpit/radios/nav2_stdby_freq_hz 11695", "sim/radios/stby_nav2_fine_up", 1, kNav2, -1,
     11600},
    {"sim/cockpit/radios/nav2_stdby_freq_hz 11600", "sim/radios/stby_nav2_fine_down", 1, kNav2, -1,
     11695},
    {"sim/cockpit/radios/nav2_stdby_freq_hz 11795", "sim/radios/stby_nav2_coarse_up", 1, kNav2, -1,
     10895},
    {"sim/cockpit/radios/nav2_stdby_freq_hz 10810", "sim/radios/stby_nav2_coarse_down", 1, kNav2,
     -1, 11710},
    {"sim/cockpit/radios/nav1_stdby_freq_hz 11052", "sim/radios/stby_nav1_fine_up", 1,
     "sim/cockpit/radios/nav1_stdby_freq_hz", -1, 11060},
    // Transponder digits 0..7, each wrapping on its own.
    {"", "sim/transponder/transponder_thousands_up", 1, kXpdr, -1, 2200},
    {"sim/cockpit/radios/transponder_code 7777", "sim/transponder/transponder_hundreds_up", 1,
     kXpdr, -1, 7077},
    {"", "sim/transponder/transponder_ones_down", 1, kXpdr, -1, 1207},
    {"", "sim/transponder/transponder_tens_up", 9, kXpdr, -1, 1210},
    {"sim/cockpit/radios/transponder_code 1290", "sim/transponder/transponder_tens_up", 1, kXpdr,
     -1, 1200},
    // ADF standby digits 0..9, no carry.
    {"", "sim/radios/stby_adf1_hundreds_up", 1, kAdf, -1, 438},
    {"sim/cockpit/radios/adf1_stdby_freq_hz 999", "sim/radios/stby_adf1_ones_up", 1, kAdf, -1, 990},
    {"", "sim/radios/stby_adf1_tens_down", 4, kAdf, -1, 398},
    // Switches.
    {"", "sim/electrical/battery_1_off", 1, "sim/cockpit2/electrical/battery_on", 0, 0},
    {"", "sim/electrical/battery_2_on", 1, "sim/cockpit2/electrical/battery_on", 1, 1},
    {"", "sim/electrical/generator_3_off", 1, "sim/cockpit2/electrical/generator_on", 2, 0},
    {"", "sim/fuel/fuel_pump_8_on", 1, "sim/cockpit2/engine/actuators/fuel_pump_on", 7, 1},
    {"", "sim/systems/avionics_off", 1, "sim/cockpit2/switches/avionics_power_on", -1, 0},
    {"", "sim/lights/landing_lights_on", 1, "sim/cockpit/electrical/landing_lights_on", -1, 1},
    {"", "sim/lights/beacon_lights_off", 1, "sim/cockpit/electrical/beacon_lights_on", -1, 0},
    {"", "sim/lights/strobe_lights_on", 1, "sim/cockpit/electrical/strobe_lights_on", -1, 1},
    {"", "sim/ice/pitot_heat_on", 1, "sim/cockpit2/ice/ice_pitot_heat_on_pilot", -1, 1},
    {"", "sim/ice/pitot_heat_on", 1, "sim/cockpit2/ice/ice_pitot_heat_on_copilot", -1, 1},
    {"", "sim/ice/pitot_heat1_on", 1, "sim/cockpit2/ice/ice_pitot_heat_on_pilot", -1, 0},
    {"", "sim/magnetos/magnetos_off_1", 1, "sim/cockpit2/engine/actuators/ignition_key", 0, 0},
    {"", "sim/magnetos/magnetos_right_2", 1, "sim/cockpit2/engine/actuators/ignition_key", 1, 1},
    {"", "sim/magnetos/magnetos_left_2", 1, "sim/cockpit2/engine/actuators/ignition_key", 1, 2},
    {"", "sim/magnetos/magnetos_both_4", 1, "sim/cockpit2/engine/actuators/ignition_key", 3, 3},
    {"", "sim/flight_controls/cowl_flaps_closed", 1,
     "sim/cockpit2/engine/actuators/cowl_flap_ratio", 0, 0.98f},
    {"", "sim/flight_controls/cowl_flaps_open", 1, "sim/cockpit2/engine/actuators/cowl_flap_ratio",
     0, 1},
    // Autopilot: statuses 0 off, 1 armed, 2 captured.
    {"", "sim/autopilot/heading", 1, "sim/cockpit2/autopilot/heading_status", -1, 2},
    {"", "sim/autopilot/heading", 2, "sim/cockpit2/autopilot/heading_status", -1, 0},
    {"", "sim/autopilot/NAV", 1, "sim/cockpit2/autopilot/nav_status", -1, 1},
    {"", "sim/autopilot/approach", 1, "sim/cockpit2/autopilot/approach_status", -1, 1},
    {"", "sim/autopilot/back_course", 1, "sim/cockpit2/autopilot/backcourse_status", -1, 1},
    {"", "sim/autopilot/vertical_speed", 1, "sim/cockpit2/autopilot/vvi_status", -1, 2},
    {"", "sim/autopilot/level_change", 1, "sim/cockpit2/autopilot/speed_status", -1, 2},
    {"", "sim/autopilot/altitude_arm", 1, "sim/cockpit2/autopilot/altitude_hold_armed", -1, 1},
    {"", "sim/autopilot/altitude_arm", 1, "sim/cockpit2/autopilot/altitude_hold_status", -1, 1},
    {"", "sim/autopilot/altitude_arm", 2, "sim/cockpit2/autopilot/altitude_hold_armed", -1, 0},
    // A captured hold (status 2, not armed) is armed again, for a new target.
    {"sim/cockpit2/autopilot/altitude_hold_status 2", "sim/autopilot/altitude_arm", 1,
     "sim/cockpit2/autopilot/altitude_hold_armed", -1, 1},
    {"", "sim/autopilot/fdir_servos_up_one", 1, "sim/cockpit2/autopilot/flight_director_mode", -1,
     1},
    {"", "sim/autopilot/fdir_servos_up_one", 3, "sim/cockpit2/autopilot/flight_director_mode", -1,
     2},
    {"", "sim/autopilot/fdir_servos_up_one", 2, "sim/cockpit2/autopilot/autopilot_on", -1, 1},
    {"", "sim/autopilot/fdir_servos_down_one", 1, "sim/cockpit2/autopilot/flight_director_mode", -1,
     0},
    {"", "sim/autopilot/autothrottle_on", 1, "sim/cockpit2/autopilot/autothrottle_enabled", -1, 1},
    {"", "sim/autopilot/autothrottle_on", 1, "sim/cockpit2/autopilot/speed_status", -1, 2},
    {"sim/cockpit2/autopilot/autothrottle_enabled 1", "sim/autopilot/autothrottle_off", 1,
     "sim/cockpit2/autopilot/autothrottle_enabled", -1, 0},
    {"", "sim/audio_panel/monitor_audio_adf1", 1,
     "sim/cockpit2/radios/actuators/audio_selection_adf1", -1, 1},
    // Selected values: steps, limits, wrap-around of angles.
    {"", "sim/autopilot/altitude_up", 3, "sim/cockpit/autopilot/altitude", -1, 3300},
    {"sim/cockpit/autopilot/altitude 50", "sim/autopilot/altitude_down", 1,
     "sim/cockpit/autopilot/altitude", -1, 0},
    {"", "sim/autopilot/vertical_speed_down", 7, "sim/cockpit/autopilot/vertical_velocity", -1,
     -700},
    {"", "sim/autopilot/airspeed_up", 1, "sim/cockpit/autopilot/airspeed", -1, 101},
    {"sim/cockpit/autopilot/heading_mag 359", "sim/autopilot/heading_up", 1,
     "sim/cockpit/autopilot/heading_mag", -1, 0},
    {"sim/cockpit/radios/nav1_obs_degm 0", "sim/radios/obs1_down", 1,
     "sim/cockpit/radios/nav1_obs_degm", -1, 359},
    {"", "sim/flight_controls/flaps_down", 2, "sim/cockpit2/controls/flap_ratio", -1, 0.5},
    {"", "sim/flight_controls/flaps_down", 9, "sim/cockpit2/controls/flap_ratio", -1, 1},
    {"", "sim/flight_controls/flaps_up", 1, "sim/cockpit2/controls/flap_ratio", -1, 0},
    {"", "sim/flight_controls/pitch_trim_up", 2, "sim/cockpit2/controls/elevator_trim", -1,
     2.0 / 64},
    {"sim/cockpit2/controls/elevator_trim -1", "sim/flight_controls/pitch_trim_down", 1,
     "sim/cockpit2/controls/elevator_trim", -1, -1},
    {"", "sim/flight_controls/landing_gear_up", 1, "sim/cockpit2/controls/gear_handle_down", -1, 0},
};

void PrintTo(const EffectCase& c, std::ostream* os) {
    *os << c.command << " x" << c.times << " -> " << c.dataref;
}

class CommandEffectTest : public WorldTest, public ::testing::WithParamInterface<EffectCase> {};

TEST_P(CommandEffectTest, ChangesItsDataref) {
    const EffectCase& c = GetParam();
    if (*c.setup)
        Set(c.setup);
    XPLMCommandRef command = XPLMFindCommand(c.command);
    ASSERT_NE(command, nullptr) << c.command;
    for (int i = 0; i < c.times; ++i)
        XPLMCommandOnce(command);
    EXPECT_DOUBLE_EQ(Value(c.dataref, c.element < 0 ? 0 : c.element), c.expected)
        << c.setup << " | " << c.command << " x" << c.times << " -> " << c.dataref;
}

std::string CaseName(const ::testing::TestParamInfo<EffectCase>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (const char* c = std::strrchr(info.param.command, '/') + 1; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Table, CommandEffectTest, ::testing::ValuesIn(kEffects), CaseName);

TEST_F(WorldTest, StarterCranksWhileHeldAndSpringsBackToBoth) {
    const char* key = "sim/cockpit2/engine/actuators/ignition_key";
    const char* cranking = "sim/flightmodel2/engines/starter_is_running";
    XPLMCommandRef starter = XPLMFindCommand("sim/starters/engage_starter_2");
    XPLMCommandBegin(starter);
    EXPECT_EQ(Value(key, 1), 4);
    EXPECT_EQ(Value(cranking, 1), 1);
    EXPECT_EQ(Value(cranking, 0), 0);
    XSim::RunFrame(0.5f);
    EXPECT_EQ(Value(key, 1), 4) << "still held";
    XPLMCommandEnd(starter);
    EXPECT_EQ(Value(key, 1), 3);
    EXPECT_EQ(Value(cranking, 1), 0);
    XPLMCommandEnd(starter);  // an unbalanced end changes nothing
    EXPECT_EQ(Value(key, 1), 3);
}

TEST_F(WorldTest, CowlFlapsMoveForTheAircraftsEnginesOnly) {
    Set("sim/aircraft/engine/acf_num_engines 2");
    Set("sim/cockpit2/engine/actuators/cowl_flap_ratio 1,1,1");
    Run("sim/flight_controls/cowl_flaps_closed");
    EXPECT_FLOAT_EQ(Value("sim/cockpit2/engine/actuators/cowl_flap_ratio", 1), 0.98f);
    EXPECT_EQ(Value("sim/cockpit2/engine/actuators/cowl_flap_ratio", 2), 1);
}

TEST_F(WorldTest, NullAndStaleCommandHandlesDoNothing) {
    XPLMCommandOnce(nullptr);
    XPLMCommandBegin(nullptr);
    XPLMCommandEnd(nullptr);
    int dummy = 0;
    XPLMCommandOnce(&dummy);
    EXPECT_EQ(Value("sim/cockpit/radios/com1_freq_hz"), 11800);
}

TEST_F(WorldTest, GearTravelsWithItsHandleOverThreeSeconds) {
    const char* ratio = "sim/flightmodel2/gear/deploy_ratio";
    Run("sim/flight_controls/landing_gear_up");
    EXPECT_EQ(Value(ratio, 0), 1) << "the gear moves with frames, not at once";
    for (int i = 0; i < 75; ++i)
        XSim::RunFrame(0.02f);  // 1.5 s
    for (int g = 0; g < 3; ++g)
        EXPECT_NEAR(Value(ratio, g), 0.5, 1e-4) << g;
    EXPECT_EQ(Value(ratio, 3), 0) << "only three gears";
    Run("sim/flight_controls/landing_gear_down");  // reverses in transit
    for (int i = 0; i < 25; ++i)
        XSim::RunFrame(0.02f);
    EXPECT_NEAR(Value(ratio, 0), 0.5 + 0.5 / 3, 1e-4);
    Run("sim/flight_controls/landing_gear_up");
    for (int i = 0; i < 200; ++i)
        XSim::RunFrame(0.02f);
    EXPECT_EQ(Value(ratio, 0), 0);
    EXPECT_EQ(Value(ratio, 2), 0);
    // Handle written by the plugin: the gear follows that too.
    XPLMSetDatai(XPLMFindDataRef("sim/cockpit2/controls/gear_handle_down"), 1);
    XSim::RunFrame(3.0f);
    EXPECT_EQ(Value(ratio, 1), 1);
}

TEST_F(WorldTest, GearRatiosSetByTheHostStayAsSet) {
    const char* ratio = "sim/flightmodel2/gear/deploy_ratio";
    Run("sim/flight_controls/landing_gear_up");
    XSim::RunFrame(0.5f);
    Set("sim/flightmodel2/gear/deploy_ratio 0.99,0.5,0.009");
    for (int i = 0; i < 10; ++i)
        XSim::RunFrame(0.02f);
    EXPECT_FLOAT_EQ(Value(ratio, 0), 0.99f);
    EXPECT_FLOAT_EQ(Value(ratio, 1), 0.5f);
    EXPECT_FLOAT_EQ(Value(ratio, 2), 0.009f);
}

}  // namespace
}  // namespace Orv::Test
