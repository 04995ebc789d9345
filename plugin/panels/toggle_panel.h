// The toggle panel: thirteen two-position switches, the magneto and starter
// rotary and the gear lever become X-Plane commands and dataref writes; six
// lamps show the gear (green down and locked, red in transit).
#pragma once

#include <cstdint>
#include <string>

#include "plugin/devices/panel.h"

namespace Orv {

class CTogglePanel : public CPanel {
public:
    explicit CTogglePanel(const std::wstring& path);

    void OnInitialize() override;
    void OnNotify() override;
    void OnButton(uint16_t usage, int32_t on) override;

    // The lamp report {report id, lamp bits} for the gear as it is now.
    void FillLedReport(uint8_t* report);

private:
    void InitLightSystem();
    void InitCowl();
    void InitMisc();
    void InitEngine();
    void InitGear();
    void ParseLightSystem(uint16_t usage, int32_t on);
    void ParseCowl(uint16_t usage, int32_t on);
    void ParseMisc(uint16_t usage, int32_t on);
    void ParseEngine(uint16_t usage, int32_t on);
    void ParseGear(uint16_t usage, int32_t on);

    uint8_t lastLedReport[2] = {0, 0};
    int32_t cowlSwitch = 1;
};

}  // namespace Orv
