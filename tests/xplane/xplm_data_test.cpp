// The XPLM data and command functions as the plugin sees them.
#include <cstring>
#include <string>
#include <vector>

#include "plugin/core/sim_binding_names.h"
#include "tests/xplane/world_fixture.h"

namespace Orv::Test {
namespace {

// The commands the plugin binds, from its registry (a name with %d once for
// each of the eight units).
std::vector<std::string> PluginCommands() {
    std::vector<std::string> names;
#define ORV_ONE_COMMAND(field, name) names.push_back(name);
#define ORV_EIGHT_COMMANDS(field, name)                      \
    for (int k = 1; k <= 8; ++k) {                           \
        std::string unit = name;                             \
        unit.replace(unit.find("%d"), 2, std::to_string(k)); \
        names.push_back(unit);                               \
    }
    ORV_SIM_COMMANDS(ORV_ONE_COMMAND, ORV_EIGHT_COMMANDS)
#undef ORV_ONE_COMMAND
#undef ORV_EIGHT_COMMANDS
    return names;
}

struct TypeCase {
    const char* name;
    XPLMDataTypeID type;
    int size;  // array size, 0 for scalars
    double first;
};

// Every dataref the plugin binds, with X-Plane's type and the start value.
const TypeCase kPluginData[] = {
    {"sim/cockpit/electrical/instrument_brightness", xplmType_Float, 0, 1},
    {"sim/cockpit/switches/anti_ice_AOA_heat", xplmType_Int, 0, 0},
    {"sim/cockpit/switches/anti_ice_AOA_heat2", xplmType_Int, 0, 0},
    {"sim/cockpit/switches/anti_ice_prop_heat_per_engine", xplmType_IntArray, 8, 0},
    {"sim/cockpit/switches/anti_ice_window_heat", xplmType_Int, 0, 0},
    {"sim/cockpit/switches/anti_ice_surf_heat", xplmType_Int, 0, 0},
    {"sim/cockpit/switches/anti_ice_surf_boot", xplmType_Int, 0, 0},
    {"sim/aircraft/engine/acf_num_engines", xplmType_Int, 0, 1},
    {"sim/aircraft/electrical/num_generators", xplmType_Int, 0, 1},
    {"sim/flightmodel2/gear/deploy_ratio", xplmType_FloatArray, 10, 1},
    {"sim/cockpit/warnings/annunciators/engine_fires", xplmType_IntArray, 8, 0},
    {"sim/cockpit2/engine/indicators/oil_pressure_psi", xplmType_FloatArray, 8, 60},
    {"sim/cockpit2/engine/indicators/oil_temperature_deg_C", xplmType_FloatArray, 8, 75},
    {"sim/aircraft/engine/acf_max_OILT", xplmType_Float, 0, 118},
    {"sim/cockpit/warnings/annunciators/fuel_pressure_low", xplmType_IntArray, 8, 0},
    {"sim/cockpit/warnings/annunciators/crossfeed_on", xplmType_Int, 0, 0},
    {"sim/flightmodel/controls/parkbrake", xplmType_Float, 0, 1},
    {"sim/cockpit2/ice/ice_pitot_heat_on_pilot", xplmType_Int, 0, 0},
    {"sim/flightmodel/failures/stallwarning", xplmType_Int, 0, 0},
    {"sim/cockpit/warnings/annunciators/cabin_door_open", xplmType_Int, 0, 0},
    {"sim/cockpit/warnings/annunciators/low_vacuum", xplmType_Int, 0, 0},
    {"sim/cockpit2/autopilot/autopilot_on", xplmType_Int, 0, 0},
    {"sim/cockpit2/engine/indicators/engine_speed_rpm", xplmType_FloatArray, 8, 800},
    {"sim/cockpit/electrical/beacon_lights_on", xplmType_Int, 0, 1},
    {"sim/cockpit/electrical/landing_lights_on", xplmType_Int, 0, 0},
    {"sim/cockpit/electrical/strobe_lights_on", xplmType_Int, 0, 0},
    {"sim/cockpit2/radios/actuators/audio_selection_com1", xplmType_Int, 0, 1},
    {"sim/cockpit2/radios/actuators/audio_selection_com2", xplmType_Int, 0, 0},
    {"sim/cockpit2/radios/actuators/audio_selection_nav1", xplmType_Int, 0, 0},
    {"sim/cockpit2/radios/actuators/audio_selection_nav2", xplmType_Int, 0, 0},
    {"sim/cockpit2/radios/actuators/audio_selection_adf1", xplmType_Int, 0, 0},
    {"sim/cockpit2/radios/actuators/audio_selection_adf2", xplmType_Int, 0, 0},
    {"sim/cockpit2/radios/actuators/audio_dme_enabled", xplmType_Int, 0, 0},
    {"sim/cockpit2/radios/actuators/audio_marker_enabled", xplmType_Int, 0, 0},
    {"sim/cockpit/warnings/annunciators/fuel_quantity", xplmType_Int, 0, 0},
    {"sim/aircraft/overflow/acf_num_tanks", xplmType_Int, 0, 2},
    {"sim/aircraft/weight/acf_m_fuel_tot", xplmType_Float, 0, 300},
    {"sim/aircraft/overflow/acf_tank_rat", xplmType_FloatArray, 9, 0.5},
    {"sim/flightmodel/weight/m_fuel", xplmType_FloatArray, 9, 50},
    {"sim/cockpit2/radios/actuators/HSI_source_select_pilot", xplmType_Int, 0, 0},
    {"sim/cockpit/radios/com1_freq_hz", xplmType_Int, 0, 11800},
    {"sim/cockpit/radios/com1_stdby_freq_hz", xplmType_Int, 0, 11850},
    {"sim/cockpit/radios/com2_freq_hz", xplmType_Int, 0, 12150},
    {"sim/cockpit/radios/com2_stdby_freq_hz", xplmType_Int, 0, 12280},
    {"sim/cockpit/radios/nav1_freq_hz", xplmType_Int, 0, 11050},
    {"sim/cockpit/radios/nav1_stdby_freq_hz", xplmType_Int, 0, 11390},
    {"sim/cockpit/radios/nav2_freq_hz", xplmType_Int, 0, 11410},
    {"sim/cockpit/radios/nav2_stdby_freq_hz", xplmType_Int, 0, 11680},
    {"sim/cockpit/radios/adf1_freq_hz", xplmType_Int, 0, 362},
    {"sim/cockpit/radios/adf1_stdby_freq_hz", xplmType_Int, 0, 338},
    {"sim/cockpit/radios/dme_freq_hz", xplmType_Int, 0, 11050},
    {"sim/cockpit/radios/transponder_code", xplmType_Int, 0, 1200},
    {"sim/cockpit2/radios/indicators/nav1_dme_distance_nm", xplmType_Float, 0, 8.5},
    {"sim/cockpit2/radios/indicators/nav2_dme_distance_nm", xplmType_Float, 0, 23.7f},
    {"sim/cockpit2/radios/indicators/nav1_dme_speed_kts", xplmType_Float, 0, 0},
    {"sim/cockpit2/radios/indicators/nav2_dme_speed_kts", xplmType_Float, 0, 0},
    {"sim/cockpit2/autopilot/flight_director_mode", xplmType_Int, 0, 0},
    {"sim/cockpit2/autopilot/heading_status", xplmType_Int, 0, 0},
    {"sim/cockpit2/autopilot/nav_status", xplmType_Int, 0, 0},
    {"sim/cockpit2/autopilot/speed_status", xplmType_Int, 0, 0},
    {"sim/cockpit2/autopilot/altitude_hold_status", xplmType_Int, 0, 0},
    {"sim/cockpit2/autopilot/vvi_status", xplmType_Int, 0, 0},
    {"sim/cockpit2/autopilot/approach_status", xplmType_Int, 0, 0},
    {"sim/cockpit2/autopilot/backcourse_status", xplmType_Int, 0, 0},
    {"sim/cockpit/autopilot/altitude", xplmType_Float, 0, 3000},
    {"sim/cockpit/autopilot/vertical_velocity", xplmType_Float, 0, 0},
    {"sim/cockpit/autopilot/heading_mag", xplmType_Float, 0, 270},
    {"sim/cockpit/radios/nav1_obs_degm", xplmType_Float, 0, 90},
    {"sim/cockpit/autopilot/airspeed", xplmType_Float, 0, 100},
    {"sim/cockpit2/gauges/indicators/altitude_ft_pilot", xplmType_Float, 0, 500},
    {"sim/cockpit2/autopilot/altitude_hold_armed", xplmType_Int, 0, 0},
};

TEST_F(WorldTest, KnowsEveryCommandThePluginBinds) {
    std::vector<std::string> names = PluginCommands();
    EXPECT_EQ(names.size(), 159u);
    for (const std::string& name : names)
        EXPECT_NE(XPLMFindCommand(name.c_str()), nullptr) << name;
}

TEST_F(WorldTest, KnowsEveryDatarefThePluginBindsWithItsTypeAndStartValue) {
    EXPECT_EQ(std::size(kPluginData), 71u);
    for (const TypeCase& c : kPluginData) {
        XPLMDataRef ref = XPLMFindDataRef(c.name);
        ASSERT_NE(ref, nullptr) << c.name;
        EXPECT_EQ(XPLMGetDataRefTypes(ref), c.type) << c.name;
        float f[1] = {0};
        int i[1] = {0};
        switch (c.type) {
            case xplmType_Int:
                EXPECT_EQ(XPLMGetDatai(ref), c.first) << c.name;
                break;
            case xplmType_Float:
                EXPECT_FLOAT_EQ(XPLMGetDataf(ref), float(c.first)) << c.name;
                break;
            case xplmType_IntArray:
                EXPECT_EQ(XPLMGetDatavi(ref, nullptr, 0, 0), c.size) << c.name;
                EXPECT_EQ(XPLMGetDatavi(ref, i, 0, 1), 1);
                EXPECT_EQ(i[0], c.first) << c.name;
                break;
            case xplmType_FloatArray:
                EXPECT_EQ(XPLMGetDatavf(ref, nullptr, 0, 0), c.size) << c.name;
                EXPECT_EQ(XPLMGetDatavf(ref, f, 0, 1), 1);
                EXPECT_FLOAT_EQ(f[0], float(c.first)) << c.name;
                break;
            default:
                ADD_FAILURE() << c.name;
        }
    }
}

TEST_F(WorldTest, UnknownNamesResolveToNull) {
    EXPECT_EQ(XPLMFindDataRef("sim/cockpit/radios/com9_freq_hz"), nullptr);
    EXPECT_EQ(XPLMFindDataRef("SIM/cockpit/radios/com1_freq_hz"), nullptr);
    EXPECT_EQ(XPLMFindDataRef(""), nullptr);
    EXPECT_EQ(XPLMFindDataRef(nullptr), nullptr);
    EXPECT_EQ(XPLMFindCommand("sim/radios/com1_standby_flip"), nullptr);
    EXPECT_EQ(XPLMFindCommand(nullptr), nullptr);
    EXPECT_EQ(XPLMFindCommand("sim/cockpit/radios/com1_freq_hz"), nullptr) << "a dataref";
}

TEST_F(WorldTest, NullAndWrongTypeRefsReadZeroAndIgnoreWrites) {
    XPLMDataRef intRef = XPLMFindDataRef("sim/cockpit/radios/com1_freq_hz");
    XPLMDataRef floatRef = XPLMFindDataRef("sim/cockpit/autopilot/altitude");
    XPLMDataRef intArray = XPLMFindDataRef("sim/cockpit2/electrical/battery_on");
    XPLMDataRef floatArray = XPLMFindDataRef("sim/flightmodel2/gear/deploy_ratio");
    int ints[4] = {7, 7, 7, 7};
    float floats[4] = {7, 7, 7, 7};
    for (XPLMDataRef ref : {XPLMDataRef(nullptr), XPLMFindCommand("sim/autopilot/heading")}) {
        EXPECT_EQ(XPLMGetDataRefTypes(ref), xplmType_Unknown);
        EXPECT_EQ(XPLMGetDatai(ref), 0);
        EXPECT_EQ(XPLMGetDataf(ref), 0.0f);
        EXPECT_EQ(XPLMGetDatad(ref), 0.0);
        EXPECT_EQ(XPLMGetDatavi(ref, nullptr, 0, 0), 0);
        EXPECT_EQ(XPLMGetDatavf(ref, floats, 0, 4), 0);
        XPLMSetDatai(ref, 1);
        XPLMSetDataf(ref, 1);
        XPLMSetDatad(ref, 1);
        XPLMSetDatavi(ref, ints, 0, 4);
        XPLMSetDatavf(ref, floats, 0, 4);
    }
    EXPECT_EQ(XPLMGetDataf(intRef), 0.0f);
    EXPECT_EQ(XPLMGetDatai(floatRef), 0);
    EXPECT_EQ(XPLMGetDatad(floatRef), 0.0);
    EXPECT_EQ(XPLMGetDatavf(intArray, nullptr, 0, 0), 0);
    EXPECT_EQ(XPLMGetDatavi(floatArray, ints, 0, 4), 0);
    EXPECT_EQ(XPLMGetDatai(intArray), 0);
    XPLMSetDataf(intRef, 12345);
    XPLMSetDatai(floatRef, 1);
    XPLMSetDatavf(intArray, floats, 0, 4);
    XPLMSetDatavi(floatArray, ints, 0, 4);
    EXPECT_EQ(XPLMGetDatai(intRef), 11800);
    EXPECT_EQ(XPLMGetDataf(floatRef), 3000.0f);
    EXPECT_EQ(Value("sim/cockpit2/electrical/battery_on", 1), 0);
    EXPECT_EQ(Value("sim/flightmodel2/gear/deploy_ratio", 0), 1);
    EXPECT_EQ(ints[0], 7) << "failed reads leave the buffer alone";
    EXPECT_TRUE(recorder.writes.empty());
}

struct ArrayReadCase {
    int offset;
    int max;
    int expectedCount;
    std::vector<float> expected;  // the buffer afterwards (starts at -1)
};

TEST_F(WorldTest, ArrayReadsClipToTheArray) {
    Set("sim/flightmodel2/gear/deploy_ratio 0,0.1,0.2,0.3,0.4,0.5,0.6,0.7,0.8,0.9");
    XPLMDataRef ref = XPLMFindDataRef("sim/flightmodel2/gear/deploy_ratio");
    const ArrayReadCase cases[] = {
        {0, 3, 3, {0.0f, 0.1f, 0.2f, -1}}, {8, 4, 2, {0.8f, 0.9f, -1, -1}},
        {9, 1, 1, {0.9f, -1, -1, -1}},     {10, 4, 0, {-1, -1, -1, -1}},
        {-1, 4, 0, {-1, -1, -1, -1}},      {2, 0, 0, {-1, -1, -1, -1}},
        {2, -3, 0, {-1, -1, -1, -1}},
    };
    for (const ArrayReadCase& c : cases) {
        std::vector<float> buffer(4, -1.0f);
        EXPECT_EQ(XPLMGetDatavf(ref, buffer.data(), c.offset, c.max), c.expectedCount)
            << c.offset << "/" << c.max;
        EXPECT_EQ(buffer, c.expected) << c.offset << "/" << c.max;
    }
    EXPECT_EQ(XPLMGetDatavf(ref, nullptr, 5, 1), 10) << "a null buffer asks for the size";
}

TEST_F(WorldTest, ArrayWritesClipAndAreReportedAsStored) {
    XPLMDataRef ref = XPLMFindDataRef("sim/cockpit/switches/anti_ice_prop_heat_per_engine");
    int values[4] = {1, 2, 3, 4};
    XPLMSetDatavi(ref, values, 6, 4);
    XPLMSetDatavi(ref, values, 8, 1);   // past the end: nothing
    XPLMSetDatavi(ref, values, -1, 2);  // before the start: nothing
    XPLMSetDatavi(ref, nullptr, 0, 2);
    XPLMSetDatavi(ref, values, 0, 0);
    int read[8] = {};
    ASSERT_EQ(XPLMGetDatavi(ref, read, 0, 8), 8);
    EXPECT_EQ(std::vector<int>(read, read + 8), (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 2}));
    ASSERT_EQ(recorder.writes.size(), 1u);
    EXPECT_EQ(recorder.writes[0].name, "sim/cockpit/switches/anti_ice_prop_heat_per_engine");
    EXPECT_EQ(recorder.writes[0].values, (std::vector<double>{1, 2}));
    EXPECT_EQ(recorder.writes[0].offset, 6);
}

TEST_F(WorldTest, ScalarWritesAreStoredInTheirTypeAndReported) {
    XPLMSetDataf(XPLMFindDataRef("sim/cockpit/autopilot/vertical_velocity"), -700.0f);
    XPLMSetDatai(XPLMFindDataRef("sim/cockpit/radios/adf1_stdby_freq_hz"), 999);
    XPLMSetDataf(XPLMFindDataRef("sim/cockpit/electrical/instrument_brightness"), 0.1f);
    EXPECT_EQ(XPLMGetDataf(XPLMFindDataRef("sim/cockpit/autopilot/vertical_velocity")), -700.0f);
    EXPECT_EQ(XPLMGetDatai(XPLMFindDataRef("sim/cockpit/radios/adf1_stdby_freq_hz")), 999);
    EXPECT_EQ(XPLMGetDataf(XPLMFindDataRef("sim/cockpit/electrical/instrument_brightness")), 0.1f);
    ASSERT_EQ(recorder.writes.size(), 3u);
    EXPECT_EQ(recorder.writes[0].name, "sim/cockpit/autopilot/vertical_velocity");
    EXPECT_EQ(recorder.writes[0].values, std::vector<double>{-700});
    EXPECT_EQ(recorder.writes[0].offset, -1);
    EXPECT_EQ(recorder.writes[1].values, std::vector<double>{999});
    EXPECT_EQ(recorder.writes[2].values, std::vector<double>{double(0.1f)});
}

TEST_F(WorldTest, DoublesWorkOnDoubleRefs) {
    ASSERT_TRUE(XSim::CreateDataRef("test/elevation", XSim::DataType::Double, 1));
    XPLMDataRef ref = XPLMFindDataRef("test/elevation");
    EXPECT_EQ(XPLMGetDataRefTypes(ref), xplmType_Double);
    XPLMSetDatad(ref, 1234.5678901234);
    EXPECT_EQ(XPLMGetDatad(ref), 1234.5678901234);
    EXPECT_EQ(XPLMGetDataf(ref), 0.0f);
    ASSERT_EQ(recorder.writes.size(), 1u);
    EXPECT_EQ(recorder.writes[0].values, std::vector<double>{1234.5678901234});
}

TEST_F(WorldTest, CommandsAreReportedWithTheirOpAndWorldChangesAreNot) {
    XPLMCommandRef flip = XPLMFindCommand("sim/radios/com1_standy_flip");
    XPLMCommandRef starter = XPLMFindCommand("sim/starters/engage_starter_1");
    XPLMCommandOnce(flip);
    XPLMCommandBegin(starter);
    XPLMCommandEnd(starter);
    XPLMCommandOnce(nullptr);
    XSim::RunFrame(0.02f);
    using Op = XSim::Observer::CommandOp;
    ASSERT_EQ(recorder.commands.size(), 4u);
    EXPECT_EQ(recorder.commands[0].op, Op::Once);
    EXPECT_EQ(recorder.commands[0].name, "sim/radios/com1_standy_flip");
    EXPECT_FALSE(recorder.commands[0].nullHandle);
    EXPECT_EQ(recorder.commands[1].op, Op::Begin);
    EXPECT_EQ(recorder.commands[1].name, "sim/starters/engage_starter_1");
    EXPECT_EQ(recorder.commands[2].op, Op::End);
    EXPECT_EQ(recorder.commands[3].op, Op::Once);
    EXPECT_EQ(recorder.commands[3].name, "");
    EXPECT_TRUE(recorder.commands[3].nullHandle);
    EXPECT_TRUE(recorder.writes.empty()) << "the flip's own changes are the world's";
    EXPECT_EQ(Value("sim/cockpit/radios/com1_freq_hz"), 11850);
}

TEST_F(WorldTest, KeysButtonsAndSpeechAreOnlyReported) {
    XPLMCommandKeyStroke(5);
    XPLMCommandButtonPress(51);
    XPLMCommandButtonRelease(51);
    XPLMSpeakString("Gear down");
    XPLMSpeakString(nullptr);
    EXPECT_EQ(recorder.keys, std::vector<int>{5});
    EXPECT_EQ(recorder.buttons, (std::vector<std::pair<int, int>>{{51, 1}, {51, 0}}));
    EXPECT_EQ(recorder.spoken, (std::vector<std::string>{"Gear down", ""}));
    EXPECT_TRUE(recorder.commands.empty());
    EXPECT_TRUE(recorder.writes.empty());
    XSim::SetObserver(nullptr);
    XPLMSpeakString("nobody listens");  // must not crash
}

TEST_F(WorldTest, AircraftModelCopiesIndexZeroWithinTheBufferSizes) {
    std::string longName(300, 'n');
    std::string longPath(600, 'p');
    XSim::SetUserAircraft(longName, longPath);
    std::vector<char> name(400, 'x');
    std::vector<char> path(700, 'x');
    XPLMGetNthAircraftModel(0, name.data(), path.data());
    EXPECT_EQ(std::strlen(name.data()), 255u);
    EXPECT_EQ(std::strlen(path.data()), 511u);
    EXPECT_EQ(name[256], 'x') << "nothing written past the terminator";

    XSim::SetUserAircraft("Baron.acf", "Aircraft/Baron/Baron.acf");
    XPLMGetNthAircraftModel(0, name.data(), path.data());
    EXPECT_STREQ(name.data(), "Baron.acf");
    EXPECT_STREQ(path.data(), "Aircraft/Baron/Baron.acf");
    XPLMGetNthAircraftModel(1, name.data(), path.data());
    EXPECT_STREQ(name.data(), "");
    EXPECT_STREQ(path.data(), "");
    XPLMGetNthAircraftModel(0, nullptr, path.data());
    EXPECT_STREQ(path.data(), "Aircraft/Baron/Baron.acf");
    XPLMGetNthAircraftModel(0, name.data(), nullptr);
    EXPECT_STREQ(name.data(), "Baron.acf");
}

}  // namespace
}  // namespace Orv::Test
