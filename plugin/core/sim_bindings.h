// The process-wide registry of X-Plane command and dataref handles, each
// bound once to its X-Plane name at plugin start, and the name tables of
// key strokes, joystick buttons and Windows virtual keys.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "plugin/core/sim_binding_names.h"
#include "sdk/xplm.h"

namespace Orv {

class CSimBindings {
public:
    // The one object, created on first use (handles null, tables empty).
    static CSimBindings* Instance();

    // Resolves every handle by name and fills the three tables.
    static void Initialize();

    // Command handles: a field per command, an array of eight for engines
    // or generators 1 to 8 (element 0 is number 1).
#define ORV_DECLARE_COMMAND(field, name) XPLMCommandRef field = nullptr;
#define ORV_DECLARE_COMMAND8(field, name) XPLMCommandRef field[8] = {};
    ORV_SIM_COMMANDS(ORV_DECLARE_COMMAND, ORV_DECLARE_COMMAND8)
#undef ORV_DECLARE_COMMAND
#undef ORV_DECLARE_COMMAND8

    // Dataref handles.
#define ORV_DECLARE_DATAREF(field, name) XPLMDataRef field = nullptr;
    ORV_SIM_DATAREFS(ORV_DECLARE_DATAREF)
#undef ORV_DECLARE_DATAREF

    // X-Plane key-stroke names (xplm_key_...) to their key ids.
    std::map<std::string, int32_t> KeyStrokeTable;
    // X-Plane joystick-button names (xplm_joy_...) to their button ids.
    std::map<std::string, int32_t> JoystickButtonTable;
    // Windows virtual-key names (VK_...) to their codes.
    std::map<std::string, uint8_t> VirtualKeyTable;

    // Name lookups match exactly; an unknown name yields 0.
    void SendKeyStrokeByName(const char* name) const;
    void SendJoystickButtonByName(const char* name, int32_t state) const;
    uint8_t GetVirtualKeyCodeByName(const char* name) const;

    // Sets every element of an integer-array dataref to value.
    void SetDataviAll(XPLMDataRef dataRef, int32_t value) const;

    CSimBindings() = default;
    CSimBindings(const CSimBindings&) = delete;
    CSimBindings& operator=(const CSimBindings&) = delete;
};

}  // namespace Orv
