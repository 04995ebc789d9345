// The mode panel: the autopilot selector, display rows, mode buttons with
// their LEDs, the adjust wheel, auto-throttle, flaps lever and pitch trim.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/devices/panel.h"

namespace Orv {

class CModePanel : public CPanel {
public:
    // What the selector chooses for the adjust wheel and the display.
    enum SelectorMode : int32_t {
        kModeAlt = 0,
        kModeVs = 1,
        kModeIas = 2,
        kModeHdg = 3,
        kModeCrs = 4,
    };

    // Display report: id, upper row, lower row, LED bits, a zero byte.
    static constexpr uint32_t kReportLength = 13;
    static constexpr uint32_t kUpperRow = 1;
    static constexpr uint32_t kLowerRow = 6;
    static constexpr uint32_t kLedByte = 11;

    explicit CModePanel(const std::wstring& path);
    ~CModePanel() override;

    void OnInitialize() override;
    void OnNotify() override;
    void OnButton(uint16_t usage, int32_t on) override;

private:
    void InitAutopilotSettingsSelector();
    void InitAutopilotFunctionButton();
    void InitAutopilotAdjustWheel();
    void InitAutoThrottleSwitch();
    void InitFlaps();
    void InitPitchTrimWheel();

    void ParseAutopilotSettingsSelector(uint16_t usage, int32_t on);
    void ParseAutopilotMasterButtons(uint16_t usage, int32_t on);
    void ParseAutopilotAdjustWheel(uint16_t usage, int32_t on);
    void ParseAutoThrottleSwitch(uint16_t usage, int32_t on);
    void ParseFlaps(uint16_t usage, int32_t on);
    void ParsePitchTrimWheel(uint16_t usage, int32_t on);

    void UpdateLedFlashState();

    void FillALTVSReport(uint8_t* report);
    void FillIASReport(uint8_t* report);
    void FillHDGReport(uint8_t* report);
    void FillCRSReport(uint8_t* report);

    void FillAPMasterLedReport(uint8_t* report);
    void FillHdgLedReport(uint8_t* report);
    void FillNavLedReport(uint8_t* report);
    void FillIasLedReport(uint8_t* report);
    void FillAltLedReport(uint8_t* report);
    void FillVsLedReport(uint8_t* report);
    void FillAprLedReport(uint8_t* report);
    void FillRevLedReport(uint8_t* report);

    // Five digit bytes for value, right-aligned: 0x00..0x09 digits, 0x0E a
    // minus sign, 0xFF a dark digit; a longer text is cut to five.
    void FillReport(int32_t value, uint8_t* destination);

    void ArmAltitude();
    void ArmVerticalSpeed();

    uint8_t lastReport[kReportLength] = {};
    // Where the AP button last moved the flight director: 0 not yet,
    // 1 upward, 2 downward.
    int32_t autopilotDirection = 0;
    uint16_t flashCounter = 0;
    int32_t flashOn = 0;
    int32_t selectorMode = kModeAlt;
};

}  // namespace Orv
