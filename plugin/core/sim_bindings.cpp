#include "plugin/core/sim_bindings.h"

#include <cstdio>
#include <vector>

namespace Orv {
namespace {

// X-Plane's key-stroke ids are the positions in this list, from 0.
constexpr const char* kKeyStrokeNames[] = {
    "xplm_key_pause",      "xplm_key_revthrust",  "xplm_key_jettison",   "xplm_key_brakesreg",
    "xplm_key_brakesmax",  "xplm_key_gear",       "xplm_key_timedn",     "xplm_key_timeup",
    "xplm_key_fadec",      "xplm_key_otto_dis",   "xplm_key_otto_atr",   "xplm_key_otto_asi",
    "xplm_key_otto_hdg",   "xplm_key_otto_gps",   "xplm_key_otto_lev",   "xplm_key_otto_hnav",
    "xplm_key_otto_alt",   "xplm_key_otto_vvi",   "xplm_key_otto_vnav",  "xplm_key_otto_nav1",
    "xplm_key_otto_nav2",  "xplm_key_targ_dn",    "xplm_key_targ_up",    "xplm_key_hdgdn",
    "xplm_key_hdgup",      "xplm_key_barodn",     "xplm_key_baroup",     "xplm_key_obs1dn",
    "xplm_key_obs1up",     "xplm_key_obs2dn",     "xplm_key_obs2up",     "xplm_key_com1_1",
    "xplm_key_com1_2",     "xplm_key_com1_3",     "xplm_key_com1_4",     "xplm_key_nav1_1",
    "xplm_key_nav1_2",     "xplm_key_nav1_3",     "xplm_key_nav1_4",     "xplm_key_com2_1",
    "xplm_key_com2_2",     "xplm_key_com2_3",     "xplm_key_com2_4",     "xplm_key_nav2_1",
    "xplm_key_nav2_2",     "xplm_key_nav2_3",     "xplm_key_nav2_4",     "xplm_key_adf_1",
    "xplm_key_adf_2",      "xplm_key_adf_3",      "xplm_key_adf_4",      "xplm_key_adf_5",
    "xplm_key_adf_6",      "xplm_key_transpon_1", "xplm_key_transpon_2", "xplm_key_transpon_3",
    "xplm_key_transpon_4", "xplm_key_transpon_5", "xplm_key_transpon_6", "xplm_key_transpon_7",
    "xplm_key_transpon_8", "xplm_key_flapsup",    "xplm_key_flapsdn",    "xplm_key_cheatoff",
    "xplm_key_cheaton",    "xplm_key_sbrkoff",    "xplm_key_sbrkon",     "xplm_key_ailtrimL",
    "xplm_key_ailtrimR",   "xplm_key_rudtrimL",   "xplm_key_rudtrimR",   "xplm_key_elvtrimD",
    "xplm_key_elvtrimU",   "xplm_key_forward",    "xplm_key_down",       "xplm_key_left",
    "xplm_key_right",      "xplm_key_back",       "xplm_key_tower",      "xplm_key_runway",
    "xplm_key_chase",      "xplm_key_free1",      "xplm_key_free2",      "xplm_key_spot",
    "xplm_key_fullscrn1",  "xplm_key_fullscrn2",  "xplm_key_tanspan",    "xplm_key_smoke",
    "xplm_key_map",        "xplm_key_zoomin",     "xplm_key_zoomout",    "xplm_key_cycledump",
    "xplm_key_replay",     "xplm_key_tranID",
};
static_assert(std::size(kKeyStrokeNames) == 94);

// X-Plane's joystick-button ids are the positions in this list, from 1.
constexpr const char* kJoystickButtonNames[] = {
    "xplm_joy_start_all", "xplm_joy_start_0",    "xplm_joy_start_1",    "xplm_joy_start_2",
    "xplm_joy_start_3",   "xplm_joy_start_4",    "xplm_joy_start_5",    "xplm_joy_start_6",
    "xplm_joy_start_7",   "xplm_joy_throt_up",   "xplm_joy_throt_dn",   "xplm_joy_prop_up",
    "xplm_joy_prop_dn",   "xplm_joy_mixt_up",    "xplm_joy_mixt_dn",    "xplm_joy_carb_tog",
    "xplm_joy_carb_on",   "xplm_joy_carb_off",   "xplm_joy_trev",       "xplm_joy_trm_up",
    "xplm_joy_trm_dn",    "xplm_joy_rot_trm_up", "xplm_joy_rot_trm_dn", "xplm_joy_rud_lft",
    "xplm_joy_rud_cntr",  "xplm_joy_rud_rgt",    "xplm_joy_ail_lft",    "xplm_joy_ail_cntr",
    "xplm_joy_ail_rgt",   "xplm_joy_B_rud_lft",  "xplm_joy_B_rud_rgt",  "xplm_joy_look_up",
    "xplm_joy_look_dn",   "xplm_joy_look_lft",   "xplm_joy_look_rgt",   "xplm_joy_glance_l",
    "xplm_joy_glance_r",  "xplm_joy_v_fnh",      "xplm_joy_v_fwh",      "xplm_joy_v_tra",
    "xplm_joy_v_twr",     "xplm_joy_v_run",      "xplm_joy_v_cha",      "xplm_joy_v_fr1",
    "xplm_joy_v_fr2",     "xplm_joy_v_spo",      "xplm_joy_flapsup",    "xplm_joy_flapsdn",
    "xplm_joy_vctswpfwd", "xplm_joy_vctswpaft",  "xplm_joy_gear_tog",   "xplm_joy_gear_up",
    "xplm_joy_gear_down", "xplm_joy_lft_brake",  "xplm_joy_rgt_brake",  "xplm_joy_brakesREG",
    "xplm_joy_brakesMAX", "xplm_joy_speedbrake", "xplm_joy_ott_dis",    "xplm_joy_ott_atr",
    "xplm_joy_ott_asi",   "xplm_joy_ott_hdg",    "xplm_joy_ott_alt",    "xplm_joy_ott_vvi",
    "xplm_joy_tim_start", "xplm_joy_tim_reset",  "xplm_joy_ecam_up",    "xplm_joy_ecam_dn",
    "xplm_joy_fadec",     "xplm_joy_yaw_damp",   "xplm_joy_art_stab",   "xplm_joy_chute",
    "xplm_joy_JATO",      "xplm_joy_arrest",     "xplm_joy_jettison",   "xplm_joy_fuel_dump",
    "xplm_joy_puffsmoke", "xplm_joy_prerotate",  "xplm_joy_UL_prerot",  "xplm_joy_UL_collec",
    "xplm_joy_TOGA",      "xplm_joy_shutdown",   "xplm_joy_con_atc",    "xplm_joy_fail_now",
    "xplm_joy_pause",     "xplm_joy_rock_up",    "xplm_joy_rock_dn",    "xplm_joy_rock_lft",
    "xplm_joy_rock_rgt",  "xplm_joy_rock_for",   "xplm_joy_rock_aft",   "xplm_joy_idle_hilo",
    "xplm_joy_lanlights",
};
static_assert(std::size(kJoystickButtonNames) == 93);

struct VirtualKey {
    const char* name;
    uint8_t code;
};

// Windows virtual-key codes.  Digits, letters, numpad digits and function
// keys are runs of consecutive codes and are added by AddVirtualKeyRuns.
constexpr VirtualKey kVirtualKeys[] = {
    {"VK_LBUTTON", 0x01},
    {"VK_RBUTTON", 0x02},
    {"VK_CANCEL", 0x03},
    {"VK_MBUTTON", 0x04},
    {"VK_XBUTTON1", 0x05},
    {"VK_XBUTTON2", 0x06},
    {"VK_BACK", 0x08},
    {"VK_TAB", 0x09},
    {"VK_CLEAR", 0x0C},
    {"VK_RETURN", 0x0D},
    {"VK_SHIFT", 0x10},
    {"VK_CONTROL", 0x11},
    {"VK_MENU", 0x12},
    {"VK_PAUSE", 0x13},
    {"VK_CAPITAL", 0x14},
    {"VK_KANA", 0x15},
    {"VK_JUNJA", 0x17},
    {"VK_FINAL", 0x18},
    {"VK_KANJI", 0x19},
    {"VK_ESCAPE", 0x1B},
    {"VK_CONVERT", 0x1C},
    {"VK_NONCONVERT", 0x1D},
    {"VK_ACCEPT", 0x1E},
    {"VK_MODECHANGE", 0x1F},
    {"VK_SPACE", 0x20},
    {"VK_PRIOR", 0x21},
    {"VK_NEXT", 0x22},
    {"VK_END", 0x23},
    {"VK_HOME", 0x24},
    {"VK_LEFT", 0x25},
    {"VK_UP", 0x26},
    {"VK_RIGHT", 0x27},
    {"VK_DOWN", 0x28},
    {"VK_SELECT", 0x29},
    {"VK_PRINT", 0x2A},
    {"VK_EXECUTE", 0x2B},
    {"VK_SNAPSHOT", 0x2C},
    {"VK_INSERT", 0x2D},
    {"VK_DELETE", 0x2E},
    {"VK_HELP", 0x2F},
    {"VK_LWIN", 0x5B},
    {"VK_RWIN", 0x5C},
    {"VK_APPS", 0x5D},
    {"VK_SLEEP", 0x5F},
    {"VK_MULTIPLY", 0x6A},
    {"VK_ADD", 0x6B},
    {"VK_SEPARATOR", 0x6C},
    {"VK_SUBTRACT", 0x6D},
    {"VK_DECIMAL", 0x6E},
    {"VK_DIVIDE", 0x6F},
    {"VK_NUMLOCK", 0x90},
    {"VK_SCROLL", 0x91},
    {"VK_OEM_NEC_EQUAL", 0x92},
    {"VK_OEM_FJ_MASSHOU", 0x93},
    {"VK_OEM_FJ_TOUROKU", 0x94},
    {"VK_OEM_FJ_LOYA", 0x95},
    {"VK_OEM_FJ_ROYA", 0x96},
    {"VK_LSHIFT", 0xA0},
    {"VK_RSHIFT", 0xA1},
    {"VK_LCONTROL", 0xA2},
    {"VK_RCONTROL", 0xA3},
    {"VK_LMENU", 0xA4},
    {"VK_RMENU", 0xA5},
    {"VK_BROWSER_BACK", 0xA6},
    {"VK_BROWSER_FORWARD", 0xA7},
    {"VK_BROWSER_REFRESH", 0xA8},
    {"VK_BROWSER_STOP", 0xA9},
    {"VK_BROWSER_SEARCH", 0xAA},
    {"VK_BROWSER_FAVORITES", 0xAB},
    {"VK_BROWSER_HOME", 0xAC},
    {"VK_VOLUME_MUTE", 0xAD},
    {"VK_VOLUME_DOWN", 0xAE},
    {"VK_VOLUME_UP", 0xAF},
    {"VK_MEDIA_NEXT_TRACK", 0xB0},
    {"VK_MEDIA_PREV_TRACK", 0xB1},
    {"VK_MEDIA_STOP", 0xB2},
    {"VK_MEDIA_PLAY_PAUSE", 0xB3},
    {"VK_LAUNCH_MAIL", 0xB4},
    {"VK_LAUNCH_MEDIA_SELECT", 0xB5},
    {"VK_LAUNCH_APP1", 0xB6},
    {"VK_LAUNCH_APP2", 0xB7},
    {"VK_OEM_1", 0xBA},
    {"VK_OEM_PLUS", 0xBB},
    {"VK_OEM_COMMA", 0xBC},
    {"VK_OEM_MINUS", 0xBD},
    {"VK_OEM_PERIOD", 0xBE},
    {"VK_OEM_2", 0xBF},
    {"VK_OEM_3", 0xC0},
    {"VK_OEM_4", 0xDB},
    {"VK_OEM_5", 0xDC},
    {"VK_OEM_6", 0xDD},
    {"VK_OEM_7", 0xDE},
    {"VK_OEM_8", 0xDF},
    {"VK_OEM_AX", 0xE1},
    {"VK_OEM_102", 0xE2},
    {"VK_ICO_HELP", 0xE3},
    {"VK_ICO_00", 0xE4},
    {"VK_PROCESSKEY", 0xE5},
    {"VK_ICO_CLEAR", 0xE6},
    {"VK_PACKET", 0xE7},
};

void AddVirtualKeyRuns(std::map<std::string, uint8_t>& table) {
    for (char c = '0'; c <= '9'; ++c)
        table.emplace(std::string("VK_") + c, static_cast<uint8_t>(c));
    // Every letter, W included: a table without VK_W would turn the W key
    // of a key list into code 0.
    for (char c = 'A'; c <= 'Z'; ++c)
        table.emplace(std::string("VK_") + c, static_cast<uint8_t>(c));
    for (int i = 0; i <= 9; ++i)
        table.emplace("VK_NUMPAD" + std::to_string(i), static_cast<uint8_t>(0x60 + i));
    for (int i = 1; i <= 24; ++i)
        table.emplace("VK_F" + std::to_string(i), static_cast<uint8_t>(0x70 + i - 1));
}

template <typename Value>
Value Lookup(const std::map<std::string, Value>& table, const char* name) {
    if (name == nullptr)
        return 0;
    auto it = table.find(name);
    return it == table.end() ? Value{0} : it->second;
}

}  // namespace

CSimBindings* CSimBindings::Instance() {
    static CSimBindings bindings;
    return &bindings;
}

void CSimBindings::Initialize() {
    CSimBindings* self = Instance();

    char name[128];
#define ORV_BIND_COMMAND(field, text) self->field = XPLMFindCommand(text);
#define ORV_BIND_COMMAND8(field, text)                 \
    for (int i = 0; i < 8; ++i) {                      \
        std::snprintf(name, sizeof name, text, i + 1); \
        self->field[i] = XPLMFindCommand(name);        \
    }
    ORV_SIM_COMMANDS(ORV_BIND_COMMAND, ORV_BIND_COMMAND8)
#undef ORV_BIND_COMMAND
#undef ORV_BIND_COMMAND8

#define ORV_BIND_DATAREF(field, text) self->field = XPLMFindDataRef(text);
    ORV_SIM_DATAREFS(ORV_BIND_DATAREF)
#undef ORV_BIND_DATAREF

    // emplace keeps a value that is already present.
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(kKeyStrokeNames)); ++i)
        self->KeyStrokeTable.emplace(kKeyStrokeNames[i], i);
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(kJoystickButtonNames)); ++i)
        self->JoystickButtonTable.emplace(kJoystickButtonNames[i], i + 1);
    AddVirtualKeyRuns(self->VirtualKeyTable);
    for (const VirtualKey& key : kVirtualKeys)
        self->VirtualKeyTable.emplace(key.name, key.code);
}

void CSimBindings::SendKeyStrokeByName(const char* name) const {
    XPLMCommandKeyStroke(Lookup(KeyStrokeTable, name));
}

void CSimBindings::SendJoystickButtonByName(const char* name, int32_t state) const {
    int32_t button = Lookup(JoystickButtonTable, name);
    if (state == 1)
        XPLMCommandButtonPress(button);
    else
        XPLMCommandButtonRelease(button);
}

uint8_t CSimBindings::GetVirtualKeyCodeByName(const char* name) const {
    return Lookup(VirtualKeyTable, name);
}

void CSimBindings::SetDataviAll(XPLMDataRef dataRef, int32_t value) const {
    int count = XPLMGetDatavi(dataRef, nullptr, 0, 0);
    if (count <= 0)
        return;
    std::vector<int> values(static_cast<std::size_t>(count), value);
    XPLMSetDatavi(dataRef, values.data(), 0, count);
}

}  // namespace Orv
