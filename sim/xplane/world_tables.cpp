// The simulated aircraft: a light single with retractable gear, parked with
// its engine idling, battery, generator and avionics on.
#include "sim/xplane/world_tables.h"

namespace Orv::XSim {

namespace {

constexpr DataType I = DataType::Int;
constexpr DataType F = DataType::Float;
constexpr DataType IA = DataType::IntArray;
constexpr DataType FA = DataType::FloatArray;

}  // namespace

const std::vector<DataDef>& DataTable() {
    static const std::vector<DataDef> table = {
        // Lighting, anti-ice.
        {"sim/cockpit/electrical/instrument_brightness", F, 1, {1.0}},
        {"sim/cockpit/switches/anti_ice_AOA_heat", I, 1, {}},
        {"sim/cockpit/switches/anti_ice_AOA_heat2", I, 1, {}},
        {"sim/cockpit/switches/anti_ice_prop_heat_per_engine", IA, 8, {}},
        {"sim/cockpit/switches/anti_ice_window_heat", I, 1, {}},
        {"sim/cockpit/switches/anti_ice_surf_heat", I, 1, {}},
        {"sim/cockpit/switches/anti_ice_surf_boot", I, 1, {}},
        // Aircraft.
        {"sim/aircraft/engine/acf_num_engines", I, 1, {1}},
        {"sim/aircraft/electrical/num_generators", I, 1, {1}},
        {"sim/flightmodel2/gear/deploy_ratio", FA, 10, {1.0, 1.0, 1.0}},
        // Engines and warnings.
        {"sim/cockpit/warnings/annunciators/engine_fires", IA, 8, {}},
        {"sim/cockpit2/engine/indicators/oil_pressure_psi", FA, 8, {60.0}},
        {"sim/cockpit2/engine/indicators/oil_temperature_deg_C", FA, 8, {75.0}},
        {"sim/aircraft/engine/acf_max_OILT", F, 1, {118.0}},
        {"sim/cockpit/warnings/annunciators/fuel_pressure_low", IA, 8, {}},
        {"sim/cockpit/warnings/annunciators/crossfeed_on", I, 1, {}},
        {"sim/flightmodel/controls/parkbrake", F, 1, {1.0}},
        {"sim/cockpit2/ice/ice_pitot_heat_on_pilot", I, 1, {}},
        {"sim/flightmodel/failures/stallwarning", I, 1, {}},
        {"sim/cockpit/warnings/annunciators/cabin_door_open", I, 1, {}},
        {"sim/cockpit/warnings/annunciators/low_vacuum", I, 1, {}},
        {"sim/cockpit2/autopilot/autopilot_on", I, 1, {}},
        {"sim/cockpit2/engine/indicators/engine_speed_rpm", FA, 8, {800.0}},
        {"sim/cockpit/electrical/beacon_lights_on", I, 1, {1}},
        {"sim/cockpit/electrical/landing_lights_on", I, 1, {}},
        {"sim/cockpit/electrical/strobe_lights_on", I, 1, {}},
        // Audio panel.
        {"sim/cockpit2/radios/actuators/audio_selection_com1", I, 1, {1}},
        {"sim/cockpit2/radios/actuators/audio_selection_com2", I, 1, {}},
        {"sim/cockpit2/radios/actuators/audio_selection_nav1", I, 1, {}},
        {"sim/cockpit2/radios/actuators/audio_selection_nav2", I, 1, {}},
        {"sim/cockpit2/radios/actuators/audio_selection_adf1", I, 1, {}},
        {"sim/cockpit2/radios/actuators/audio_selection_adf2", I, 1, {}},
        {"sim/cockpit2/radios/actuators/audio_dme_enabled", I, 1, {}},
        {"sim/cockpit2/radios/actuators/audio_marker_enabled", I, 1, {}},
        // Fuel: two wing tanks of 150 lb capacity each, 50 kg in each.
        {"sim/cockpit/warnings/annunciators/fuel_quantity", I, 1, {}},
        {"sim/aircraft/overflow/acf_num_tanks", I, 1, {2}},
        {"sim/aircraft/weight/acf_m_fuel_tot", F, 1, {300.0}},
        {"sim/aircraft/overflow/acf_tank_rat", FA, 9, {0.5, 0.5}},
        {"sim/flightmodel/weight/m_fuel", FA, 9, {50.0, 50.0}},
        {"sim/cockpit2/radios/actuators/HSI_source_select_pilot", I, 1, {0}},
        // Radios, in 10 kHz units (ADF in kHz).
        {"sim/cockpit/radios/com1_freq_hz", I, 1, {11800}},
        {"sim/cockpit/radios/com1_stdby_freq_hz", I, 1, {11850}},
        {"sim/cockpit/radios/com2_freq_hz", I, 1, {12150}},
        {"sim/cockpit/radios/com2_stdby_freq_hz", I, 1, {12280}},
        {"sim/cockpit/radios/nav1_freq_hz", I, 1, {11050}},
        {"sim/cockpit/radios/nav1_stdby_freq_hz", I, 1, {11390}},
        {"sim/cockpit/radios/nav2_freq_hz", I, 1, {11410}},
        {"sim/cockpit/radios/nav2_stdby_freq_hz", I, 1, {11680}},
        {"sim/cockpit/radios/adf1_freq_hz", I, 1, {362}},
        {"sim/cockpit/radios/adf1_stdby_freq_hz", I, 1, {338}},
        {"sim/cockpit/radios/dme_freq_hz", I, 1, {11050}},
        {"sim/cockpit/radios/transponder_code", I, 1, {1200}},
        {"sim/cockpit2/radios/indicators/nav1_dme_distance_nm", F, 1, {8.5}},
        {"sim/cockpit2/radios/indicators/nav2_dme_distance_nm", F, 1, {23.7}},
        {"sim/cockpit2/radios/indicators/nav1_dme_speed_kts", F, 1, {}},
        {"sim/cockpit2/radios/indicators/nav2_dme_speed_kts", F, 1, {}},
        // Autopilot: 0 off, 1 armed, 2 captured; flight director 0 off, 1 on, 2 servos.
        {"sim/cockpit2/autopilot/flight_director_mode", I, 1, {}},
        {"sim/cockpit2/autopilot/heading_status", I, 1, {}},
        {"sim/cockpit2/autopilot/nav_status", I, 1, {}},
        {"sim/cockpit2/autopilot/speed_status", I, 1, {}},
        {"sim/cockpit2/autopilot/altitude_hold_status", I, 1, {}},
        {"sim/cockpit2/autopilot/vvi_status", I, 1, {}},
        {"sim/cockpit2/autopilot/approach_status", I, 1, {}},
        {"sim/cockpit2/autopilot/backcourse_status", I, 1, {}},
        {"sim/cockpit/autopilot/altitude", F, 1, {3000.0}},
        {"sim/cockpit/autopilot/vertical_velocity", F, 1, {}},
        {"sim/cockpit/autopilot/heading_mag", F, 1, {270.0}},
        {"sim/cockpit/radios/nav1_obs_degm", F, 1, {90.0}},
        {"sim/cockpit/autopilot/airspeed", F, 1, {100.0}},
        {"sim/cockpit2/gauges/indicators/altitude_ft_pilot", F, 1, {500.0}},
        {"sim/cockpit2/autopilot/altitude_hold_armed", I, 1, {}},

        // Further state that the commands act on.
        {"sim/cockpit2/electrical/battery_on", IA, 8, {1}},
        {"sim/cockpit2/electrical/generator_on", IA, 8, {1}},
        {"sim/cockpit2/switches/avionics_power_on", I, 1, {1}},
        {"sim/cockpit2/engine/actuators/fuel_pump_on", IA, 8, {}},
        {"sim/cockpit2/engine/actuators/ignition_key", IA, 8, {3}},
        {"sim/flightmodel2/engines/starter_is_running", IA, 8, {}},
        {"sim/cockpit2/engine/actuators/cowl_flap_ratio", FA, 8, {1.0}},
        {"sim/cockpit/electrical/nav_lights_on", I, 1, {1}},
        {"sim/cockpit/electrical/taxi_light_on", I, 1, {}},
        {"sim/cockpit2/ice/ice_pitot_heat_on_copilot", I, 1, {}},
        {"sim/cockpit2/controls/gear_handle_down", I, 1, {1}},
        {"sim/cockpit2/controls/flap_ratio", F, 1, {}},
        {"sim/cockpit2/controls/elevator_trim", F, 1, {}},
        {"sim/cockpit2/autopilot/autothrottle_enabled", I, 1, {}},
    };
    return table;
}

namespace {

constexpr const char* kCowl = "sim/cockpit2/engine/actuators/cowl_flap_ratio";
constexpr const char* kPitotPilot = "sim/cockpit2/ice/ice_pitot_heat_on_pilot";
constexpr const char* kPitotCopilot = "sim/cockpit2/ice/ice_pitot_heat_on_copilot";
constexpr const char* kAvionics = "sim/cockpit2/switches/avionics_power_on";
constexpr const char* kBattery = "sim/cockpit2/electrical/battery_on";
constexpr const char* kGenerator = "sim/cockpit2/electrical/generator_on";
constexpr const char* kFuelPump = "sim/cockpit2/engine/actuators/fuel_pump_on";
constexpr const char* kKey = "sim/cockpit2/engine/actuators/ignition_key";
constexpr const char* kCom1 = "sim/cockpit/radios/com1_stdby_freq_hz";
constexpr const char* kCom2 = "sim/cockpit/radios/com2_stdby_freq_hz";
constexpr const char* kNav1 = "sim/cockpit/radios/nav1_stdby_freq_hz";
constexpr const char* kNav2 = "sim/cockpit/radios/nav2_stdby_freq_hz";
constexpr const char* kAdf = "sim/cockpit/radios/adf1_stdby_freq_hz";
constexpr double kTrimStep = 1.0 / 64.0;

using E = Effect;

}  // namespace

const std::vector<CommandDef>& CommandTable() {
    // name, count, effect, ref, ref2, element, value, step, lo, hi
    static const std::vector<CommandDef> table = {
        {"sim/flight_controls/cowl_flaps_open", 1, E::StepEngines, kCowl, nullptr, -1, 0, 0.02, 0,
         1},
        {"sim/flight_controls/cowl_flaps_closed", 1, E::StepEngines, kCowl, nullptr, -1, 0, -0.02,
         0, 1},
        {"sim/ice/pitot_heat0_on", 1, E::SetValue, kPitotPilot, nullptr, -1, 1},
        {"sim/ice/pitot_heat0_off", 1, E::SetValue, kPitotPilot, nullptr, -1, 0},
        {"sim/ice/pitot_heat1_on", 1, E::SetValue, kPitotCopilot, nullptr, -1, 1},
        {"sim/ice/pitot_heat1_off", 1, E::SetValue, kPitotCopilot, nullptr, -1, 0},
        {"sim/ice/pitot_heat_on", 1, E::SetValue, kPitotPilot, kPitotCopilot, -1, 1},
        {"sim/ice/pitot_heat_off", 1, E::SetValue, kPitotPilot, kPitotCopilot, -1, 0},
        {"sim/systems/avionics_on", 1, E::SetValue, kAvionics, nullptr, -1, 1},
        {"sim/systems/avionics_off", 1, E::SetValue, kAvionics, nullptr, -1, 0},
        {"sim/electrical/battery_1_on", 1, E::SetValue, kBattery, nullptr, 0, 1},
        {"sim/electrical/battery_1_off", 1, E::SetValue, kBattery, nullptr, 0, 0},
        {"sim/electrical/battery_2_on", 1, E::SetValue, kBattery, nullptr, 1, 1},
        {"sim/electrical/battery_2_off", 1, E::SetValue, kBattery, nullptr, 1, 0},
        {"sim/lights/landing_lights_on", 1, E::SetValue, "sim/cockpit/electrical/landing_lights_on",
         nullptr, -1, 1},
        {"sim/lights/landing_lights_off", 1, E::SetValue,
         "sim/cockpit/electrical/landing_lights_on", nullptr, -1, 0},
        {"sim/lights/taxi_lights_on", 1, E::SetValue, "sim/cockpit/electrical/taxi_light_on",
         nullptr, -1, 1},
        {"sim/lights/taxi_lights_off", 1, E::SetValue, "sim/cockpit/electrical/taxi_light_on",
         nullptr, -1, 0},
        {"sim/lights/strobe_lights_on", 1, E::SetValue, "sim/cockpit/electrical/strobe_lights_on",
         nullptr, -1, 1},
        {"sim/lights/strobe_lights_off", 1, E::SetValue, "sim/cockpit/electrical/strobe_lights_on",
         nullptr, -1, 0},
        {"sim/lights/nav_lights_on", 1, E::SetValue, "sim/cockpit/electrical/nav_lights_on",
         nullptr, -1, 1},
        {"sim/lights/nav_lights_off", 1, E::SetValue, "sim/cockpit/electrical/nav_lights_on",
         nullptr, -1, 0},
        {"sim/lights/beacon_lights_on", 1, E::SetValue, "sim/cockpit/electrical/beacon_lights_on",
         nullptr, -1, 1},
        {"sim/lights/beacon_lights_off", 1, E::SetValue, "sim/cockpit/electrical/beacon_lights_on",
         nullptr, -1, 0},
        {"sim/flight_controls/landing_gear_up", 1, E::GearHandle, nullptr, nullptr, -1, 0},
        {"sim/flight_controls/landing_gear_down", 1, E::GearHandle, nullptr, nullptr, -1, 1},
        {"sim/electrical/generator_%d_on", 8, E::SetValue, kGenerator, nullptr, 0, 1},
        {"sim/electrical/generator_%d_off", 8, E::SetValue, kGenerator, nullptr, 0, 0},
        {"sim/fuel/fuel_pump_%d_on", 8, E::SetValue, kFuelPump, nullptr, 0, 1},
        {"sim/fuel/fuel_pump_%d_off", 8, E::SetValue, kFuelPump, nullptr, 0, 0},
        // Ignition key: 0 off, 1 right, 2 left, 3 both, 4 start.
        {"sim/magnetos/magnetos_off_%d", 8, E::SetValue, kKey, nullptr, 0, 0},
        {"sim/magnetos/magnetos_left_%d", 8, E::SetValue, kKey, nullptr, 0, 2},
        {"sim/magnetos/magnetos_right_%d", 8, E::SetValue, kKey, nullptr, 0, 1},
        {"sim/magnetos/magnetos_both_%d", 8, E::SetValue, kKey, nullptr, 0, 3},
        {"sim/starters/engage_starter_%d", 8, E::Starter, kKey, nullptr, 0},
        // Standby tuning.
        {"sim/radios/stby_com1_fine_down", 1, E::ComFine, kCom1, nullptr, -1, -1},
        {"sim/radios/stby_com1_fine_up", 1, E::ComFine, kCom1, nullptr, -1, 1},
        {"sim/radios/stby_com1_coarse_down", 1, E::ComCoarse, kCom1, nullptr, -1, -1},
        {"sim/radios/stby_com1_coarse_up", 1, E::ComCoarse, kCom1, nullptr, -1, 1},
        {"sim/radios/stby_com2_fine_down", 1, E::ComFine, kCom2, nullptr, -1, -1},
        {"sim/radios/stby_com2_fine_up", 1, E::ComFine, kCom2, nullptr, -1, 1},
        {"sim/radios/stby_com2_coarse_down", 1, E::ComCoarse, kCom2, nullptr, -1, -1},
        {"sim/radios/stby_com2_coarse_up", 1, E::ComCoarse, kCom2, nullptr, -1, 1},
        {"sim/radios/stby_nav1_fine_down", 1, E::NavFine, kNav1, nullptr, -1, -1},
        {"sim/radios/stby_nav1_fine_up", 1, E::NavFine, kNav1, nullptr, -1, 1},
        {"sim/radios/stby_nav1_coarse_down", 1, E::NavCoarse, kNav1, nullptr, -1, -1},
        {"sim/radios/stby_nav1_coarse_up", 1, E::NavCoarse, kNav1, nullptr, -1, 1},
        {"sim/radios/stby_nav2_fine_down", 1, E::NavFine, kNav2, nullptr, -1, -1},
        {"sim/radios/stby_nav2_fine_up", 1, E::NavFine, kNav2, nullptr, -1, 1},
        {"sim/radios/stby_nav2_coarse_down", 1, E::NavCoarse, kNav2, nullptr, -1, -1},
        {"sim/radios/stby_nav2_coarse_up", 1, E::NavCoarse, kNav2, nullptr, -1, 1},
        {"sim/radios/com1_standy_flip", 1, E::Swap, "sim/cockpit/radios/com1_freq_hz", kCom1, -1},
        {"sim/radios/com2_standy_flip", 1, E::Swap, "sim/cockpit/radios/com2_freq_hz", kCom2, -1},
        {"sim/radios/nav1_standy_flip", 1, E::Swap, "sim/cockpit/radios/nav1_freq_hz", kNav1, -1},
        {"sim/radios/nav2_standy_flip", 1, E::Swap, "sim/cockpit/radios/nav2_freq_hz", kNav2, -1},
        {"sim/radios/adf1_standy_flip", 1, E::Swap, "sim/cockpit/radios/adf1_freq_hz", kAdf, -1},
        // Transponder digits (step = the digit's weight).
        {"sim/transponder/transponder_thousands_down", 1, E::TransponderDigit,
         "sim/cockpit/radios/transponder_code", nullptr, -1, -1, 1000},
        {"sim/transponder/transponder_thousands_up", 1, E::TransponderDigit,
         "sim/cockpit/radios/transponder_code", nullptr, -1, 1, 1000},
        {"sim/transponder/transponder_hundreds_down", 1, E::TransponderDigit,
         "sim/cockpit/radios/transponder_code", nullptr, -1, -1, 100},
        {"sim/transponder/transponder_hundreds_up", 1, E::TransponderDigit,
         "sim/cockpit/radios/transponder_code", nullptr, -1, 1, 100},
        {"sim/transponder/transponder_tens_down", 1, E::TransponderDigit,
         "sim/cockpit/radios/transponder_code", nullptr, -1, -1, 10},
        {"sim/transponder/transponder_tens_up", 1, E::TransponderDigit,
         "sim/cockpit/radios/transponder_code", nullptr, -1, 1, 10},
        {"sim/transponder/transponder_ones_down", 1, E::TransponderDigit,
         "sim/cockpit/radios/transponder_code", nullptr, -1, -1, 1},
        {"sim/transponder/transponder_ones_up", 1, E::TransponderDigit,
         "sim/cockpit/radios/transponder_code", nullptr, -1, 1, 1},
        {"sim/autopilot/autothrottle_on", 1, E::Autothrottle, nullptr, nullptr, -1, 1},
        {"sim/autopilot/autothrottle_off", 1, E::Autothrottle, nullptr, nullptr, -1, 0},
        // Flap handle in four detents; trim in 64 steps from neutral to full.
        {"sim/flight_controls/flaps_up", 1, E::StepClamp, "sim/cockpit2/controls/flap_ratio",
         nullptr, -1, 0, -0.25, 0, 1},
        {"sim/flight_controls/flaps_down", 1, E::StepClamp, "sim/cockpit2/controls/flap_ratio",
         nullptr, -1, 0, 0.25, 0, 1},
        {"sim/flight_controls/pitch_trim_up", 1, E::StepClamp,
         "sim/cockpit2/controls/elevator_trim", nullptr, -1, 0, kTrimStep, -1, 1},
        {"sim/flight_controls/pitch_trim_down", 1, E::StepClamp,
         "sim/cockpit2/controls/elevator_trim", nullptr, -1, 0, -kTrimStep, -1, 1},
        {"sim/autopilot/fdir_servos_down_one", 1, E::FlightDirector, nullptr, nullptr, -1, -1},
        {"sim/autopilot/fdir_servos_up_one", 1, E::FlightDirector, nullptr, nullptr, -1, 1},
        // Mode buttons toggle between off and the value they engage.
        {"sim/autopilot/heading", 1, E::Toggle, "sim/cockpit2/autopilot/heading_status", nullptr,
         -1, 2},
        {"sim/autopilot/NAV", 1, E::Toggle, "sim/cockpit2/autopilot/nav_status", nullptr, -1, 1},
        {"sim/autopilot/level_change", 1, E::Toggle, "sim/cockpit2/autopilot/speed_status", nullptr,
         -1, 2},
        {"sim/autopilot/altitude_arm", 1, E::AltitudeArm, nullptr, nullptr, -1},
        {"sim/autopilot/vertical_speed", 1, E::Toggle, "sim/cockpit2/autopilot/vvi_status", nullptr,
         -1, 2},
        {"sim/autopilot/approach", 1, E::Toggle, "sim/cockpit2/autopilot/approach_status", nullptr,
         -1, 1},
        {"sim/autopilot/back_course", 1, E::Toggle, "sim/cockpit2/autopilot/backcourse_status",
         nullptr, -1, 1},
        {"sim/autopilot/altitude_down", 1, E::StepClamp, "sim/cockpit/autopilot/altitude", nullptr,
         -1, 0, -100, 0, 50000},
        {"sim/autopilot/altitude_up", 1, E::StepClamp, "sim/cockpit/autopilot/altitude", nullptr,
         -1, 0, 100, 0, 50000},
        {"sim/autopilot/vertical_speed_down", 1, E::StepClamp,
         "sim/cockpit/autopilot/vertical_velocity", nullptr, -1, 0, -100, -6000, 6000},
        {"sim/autopilot/vertical_speed_up", 1, E::StepClamp,
         "sim/cockpit/autopilot/vertical_velocity", nullptr, -1, 0, 100, -6000, 6000},
        {"sim/autopilot/airspeed_down", 1, E::StepClamp, "sim/cockpit/autopilot/airspeed", nullptr,
         -1, 0, -1, 0, 999},
        {"sim/autopilot/airspeed_up", 1, E::StepClamp, "sim/cockpit/autopilot/airspeed", nullptr,
         -1, 0, 1, 0, 999},
        {"sim/autopilot/heading_down", 1, E::StepWrap, "sim/cockpit/autopilot/heading_mag", nullptr,
         -1, 0, -1, 0, 360},
        {"sim/autopilot/heading_up", 1, E::StepWrap, "sim/cockpit/autopilot/heading_mag", nullptr,
         -1, 0, 1, 0, 360},
        {"sim/radios/obs1_down", 1, E::StepWrap, "sim/cockpit/radios/nav1_obs_degm", nullptr, -1, 0,
         -1, 0, 360},
        {"sim/radios/obs1_up", 1, E::StepWrap, "sim/cockpit/radios/nav1_obs_degm", nullptr, -1, 0,
         1, 0, 360},
        {"sim/audio_panel/monitor_audio_adf1", 1, E::Toggle,
         "sim/cockpit2/radios/actuators/audio_selection_adf1", nullptr, -1, 1},
        {"sim/radios/stby_adf1_hundreds_up", 1, E::AdfDigit, kAdf, nullptr, -1, 1, 100},
        {"sim/radios/stby_adf1_hundreds_down", 1, E::AdfDigit, kAdf, nullptr, -1, -1, 100},
        {"sim/radios/stby_adf1_tens_up", 1, E::AdfDigit, kAdf, nullptr, -1, 1, 10},
        {"sim/radios/stby_adf1_tens_down", 1, E::AdfDigit, kAdf, nullptr, -1, -1, 10},
        {"sim/radios/stby_adf1_ones_up", 1, E::AdfDigit, kAdf, nullptr, -1, 1, 1},
        {"sim/radios/stby_adf1_ones_down", 1, E::AdfDigit, kAdf, nullptr, -1, -1, 1},
    };
    return table;
}

}  // namespace Orv::XSim
