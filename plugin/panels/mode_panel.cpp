#include "plugin/panels/mode_panel.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "plugin/core/digit_format.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"
#include "sdk/xplm.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_MODE_PANEL;

// The panel's Button-page usages.
enum : uint16_t {
    kSelectorAlt = 1,
    kSelectorCrs = 5,
    kWheelUp = 6,
    kWheelDown = 7,
    kButtonAp = 8,
    kButtonHdg = 9,
    kButtonNav = 10,
    kButtonIas = 11,
    kButtonAlt = 12,
    kButtonVs = 13,
    kButtonApr = 14,
    kButtonRev = 15,
    kAutoThrottle = 16,
    kFlapsUp = 17,
    kFlapsDown = 18,
    kPitchTrimDown = 19,
    kPitchTrimUp = 20,
};

// LED bits of the report's LED byte.
enum : uint8_t {
    kLedAp = 0x01,
    kLedHdg = 0x02,
    kLedNav = 0x04,
    kLedIas = 0x08,
    kLedAlt = 0x10,
    kLedVs = 0x20,
    kLedApr = 0x40,
    kLedRev = 0x80,
};

// Digit bytes that are not digits.
constexpr uint8_t kMinus = 0x0E;
constexpr uint8_t kDark = 0xFF;
constexpr int kDigits = 5;

// The flash cycle: dark while the counter is below kFlashLit, restarted
// after kFlashCycle frames.
constexpr uint16_t kFlashLit = 20;
constexpr uint16_t kFlashCycle = 40;

// Flight director modes.
constexpr int32_t kDirectorOff = 0;
constexpr int32_t kDirectorOn = 1;
constexpr int32_t kDirectorServos = 2;
// autopilotDirection.
constexpr int32_t kMovedUp = 1;
constexpr int32_t kMovedDown = 2;

// Autopilot mode statuses.
constexpr int32_t kStatusArmed = 1;
constexpr int32_t kStatusCaptured = 2;

// The vertical speed set towards the selected altitude, ft/min.
constexpr float kArmVerticalSpeed = 700.0f;

const wchar_t* const kSelectorLines[] = {
    L"Autopilot selector ALT", L"Autopilot selector VS",  L"Autopilot selector IAS",
    L"Autopilot selector HDG", L"Autopilot selector CRS",
};

void Event(const wchar_t* line) {
    WriteTrace(TRACE_LEVEL_EVENT, kKeyword, TRACE_KIND_MESSAGE, L"%s", line);
}

// A float dataref as an integer, truncated toward zero.
int32_t ReadTruncated(XPLMDataRef ref) {
    return UTILITY::TruncateToInt(XPLMGetDataf(ref));
}

void FillLed(uint8_t* report, int32_t status, uint8_t bit, int32_t flashOn) {
    if (status == kStatusCaptured || (status == kStatusArmed && flashOn == 1))
        report[CModePanel::kLedByte] |= bit;
}

}  // namespace

CModePanel::CModePanel(const std::wstring& path) : CPanel(path) {
    ORV_TRACE_SCOPE(kKeyword);
}

CModePanel::~CModePanel() {
    ORV_TRACE_SCOPE(kKeyword);
}

void CModePanel::OnInitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    InitAutopilotSettingsSelector();
    InitAutopilotFunctionButton();
    InitAutopilotAdjustWheel();
    InitAutoThrottleSwitch();
    InitFlaps();
    InitPitchTrimWheel();
}

void CModePanel::InitAutopilotSettingsSelector() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kSelectorAlt, kSelectorCrs);
}

void CModePanel::InitAutopilotFunctionButton() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kButtonAp, kButtonRev);
}

void CModePanel::InitAutopilotAdjustWheel() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kWheelUp, kWheelDown);
}

void CModePanel::InitAutoThrottleSwitch() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kAutoThrottle, kAutoThrottle);
}

void CModePanel::InitFlaps() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kFlapsUp, kFlapsDown);
}

void CModePanel::InitPitchTrimWheel() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kPitchTrimDown, kPitchTrimUp);
}

void CModePanel::OnButton(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    ParseAutopilotSettingsSelector(usage, on);
    ParseAutopilotMasterButtons(usage, on);
    ParseAutopilotAdjustWheel(usage, on);
    ParseAutoThrottleSwitch(usage, on);
    ParseFlaps(usage, on);
    ParsePitchTrimWheel(usage, on);
}

void CModePanel::ParseAutopilotSettingsSelector(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on != 1 || usage < kSelectorAlt || usage > kSelectorCrs)
        return;
    selectorMode = usage - kSelectorAlt;
    Event(kSelectorLines[selectorMode]);
}

void CModePanel::ParseAutopilotMasterButtons(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on != 1)
        return;
    CSimBindings& b = *bindings;
    switch (usage) {
        case kButtonAp:
            Event(L"Button AP");
            // Each press moves the flight director one step and turns back
            // at either end: off, on, servos, on, off, on ...
            switch (XPLMGetDatai(b.flightDirectorMode)) {
                case kDirectorOff:
                    autopilotDirection = kMovedUp;
                    XPLMCommandOnce(b.fdirServosUpOne);
                    break;
                case kDirectorOn:
                    if (autopilotDirection == kMovedDown)
                        XPLMCommandOnce(b.fdirServosDownOne);
                    else
                        XPLMCommandOnce(b.fdirServosUpOne);
                    break;
                case kDirectorServos:
                    XPLMCommandOnce(b.fdirServosDownOne);
                    autopilotDirection = kMovedDown;
                    break;
                default:
                    break;
            }
            break;
        case kButtonHdg:
            Event(L"Button HDG");
            XPLMCommandOnce(b.autopilotHeading);
            break;
        case kButtonNav:
            Event(L"Button MAV");
            XPLMCommandOnce(b.autopilotNav);
            break;
        case kButtonIas:
            Event(L"Button IAS");
            XPLMCommandOnce(b.autopilotLevelChange);
            break;
        case kButtonAlt:
            Event(L"Button ALT");
            XPLMCommandOnce(b.autopilotAltitudeArm);
            if (XPLMGetDatai(b.altitudeHoldArmed) == 1)
                ArmVerticalSpeed();
            break;
        case kButtonVs:
            Event(L"Button VS");
            XPLMCommandOnce(b.autopilotVerticalSpeed);
            break;
        case kButtonApr:
            Event(L"Button APR");
            XPLMCommandOnce(b.autopilotApproach);
            break;
        case kButtonRev:
            Event(L"Button REV");
            XPLMCommandOnce(b.autopilotBackCourse);
            break;
        default:
            break;
    }
}

void CModePanel::ParseAutopilotAdjustWheel(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on != 1 || (usage != kWheelUp && usage != kWheelDown))
        return;
    bool up = usage == kWheelUp;
    Event(up ? L"Wheel increase" : L"Wheel decrease");
    CSimBindings& b = *bindings;
    switch (selectorMode) {
        case kModeAlt:
            XPLMCommandOnce(up ? b.altitudeUp : b.altitudeDown);
            // Holding altitude, a new target starts a climb or descent
            // towards it and arms its capture.
            if (XPLMGetDatai(b.altitudeHoldStatus) != 0) {
                ArmVerticalSpeed();
                ArmAltitude();
            }
            break;
        case kModeVs:
            XPLMCommandOnce(up ? b.verticalSpeedUp : b.verticalSpeedDown);
            break;
        case kModeIas:
            XPLMCommandOnce(up ? b.airspeedUp : b.airspeedDown);
            break;
        case kModeHdg:
            XPLMCommandOnce(up ? b.headingUp : b.headingDown);
            break;
        case kModeCrs:
            XPLMCommandOnce(up ? b.obs1Up : b.obs1Down);
            break;
        default:
            break;
    }
}

void CModePanel::ParseAutoThrottleSwitch(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (usage != kAutoThrottle)
        return;
    WriteTrace(TRACE_LEVEL_EVENT, kKeyword, TRACE_KIND_MESSAGE, L"Auto throttle %d", on);
    XPLMCommandOnce(on != 0 ? bindings->autothrottleOn : bindings->autothrottleOff);
}

void CModePanel::ParseFlaps(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on != 1)
        return;
    if (usage == kFlapsUp) {
        Event(L"Flaps up");
        XPLMCommandOnce(bindings->flapsUp);
    } else if (usage == kFlapsDown) {
        Event(L"Flaps down");
        XPLMCommandOnce(bindings->flapsDown);
    }
}

void CModePanel::ParsePitchTrimWheel(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on != 1)
        return;
    if (usage == kPitchTrimDown) {
        Event(L"Pitch trim down");
        XPLMCommandOnce(bindings->pitchTrimDown);
    } else if (usage == kPitchTrimUp) {
        Event(L"Pitch trim up");
        XPLMCommandOnce(bindings->pitchTrimUp);
    }
}

void CModePanel::ArmAltitude() {
    ORV_TRACE_SCOPE(kKeyword);
    if (XPLMGetDatai(bindings->altitudeHoldArmed) == 0)
        XPLMCommandOnce(bindings->autopilotAltitudeArm);
}

void CModePanel::ArmVerticalSpeed() {
    ORV_TRACE_SCOPE(kKeyword);
    CSimBindings& b = *bindings;
    float current = XPLMGetDataf(b.altitudeFtPilot);
    float target = XPLMGetDataf(b.autopilotAltitude);
    float vs = XPLMGetDataf(b.autopilotVerticalVelocity);
    // Turn a climb or level flight into a descent towards a target below,
    // and the other way round; a speed already towards the target stays.
    if (current > target && vs >= 0.0f)
        XPLMSetDataf(b.autopilotVerticalVelocity, -kArmVerticalSpeed);
    else if (current <= target && vs <= 0.0f)
        XPLMSetDataf(b.autopilotVerticalVelocity, kArmVerticalSpeed);
    if (XPLMGetDatai(b.vviStatus) == 0)
        XPLMCommandOnce(b.autopilotVerticalSpeed);
}

void CModePanel::UpdateLedFlashState() {
    ORV_TRACE_SCOPE(kKeyword);
    ++flashCounter;
    if (flashCounter < kFlashLit)
        flashOn = 0;
    else if (flashCounter == kFlashCycle)
        flashCounter = 0;
    else
        flashOn = 1;
}

void CModePanel::OnNotify() {
    ORV_TRACE_SCOPE(kKeyword);
    UpdateLedFlashState();

    uint8_t report[kReportLength] = {};
    switch (selectorMode) {
        case kModeAlt:
        case kModeVs:
            FillALTVSReport(report);
            break;
        case kModeIas:
            FillIASReport(report);
            break;
        case kModeHdg:
            FillHDGReport(report);
            break;
        case kModeCrs:
            FillCRSReport(report);
            break;
        default:
            break;
    }
    FillAPMasterLedReport(report);
    FillHdgLedReport(report);
    FillNavLedReport(report);
    FillIasLedReport(report);
    FillAltLedReport(report);
    FillVsLedReport(report);
    FillAprLedReport(report);
    FillRevLedReport(report);

    if (std::memcmp(report, lastReport, kReportLength) == 0)
        return;
    std::memcpy(lastReport, report, kReportLength);
    SendReport(report, kReportLength);
}

void CModePanel::FillALTVSReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillReport(ReadTruncated(bindings->autopilotAltitude), report + kUpperRow);
    FillReport(ReadTruncated(bindings->autopilotVerticalVelocity), report + kLowerRow);
}

void CModePanel::FillIASReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillReport(ReadTruncated(bindings->autopilotAirspeed), report + kUpperRow);
}

void CModePanel::FillHDGReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillReport(ReadTruncated(bindings->autopilotHeadingMag), report + kUpperRow);
}

void CModePanel::FillCRSReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillReport(ReadTruncated(bindings->nav1ObsDegm), report + kUpperRow);
}

void CModePanel::FillAPMasterLedReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLed(report, XPLMGetDatai(bindings->flightDirectorMode), kLedAp, flashOn);
}

void CModePanel::FillHdgLedReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLed(report, XPLMGetDatai(bindings->headingStatus), kLedHdg, flashOn);
}

void CModePanel::FillNavLedReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLed(report, XPLMGetDatai(bindings->navStatus), kLedNav, flashOn);
}

void CModePanel::FillIasLedReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLed(report, XPLMGetDatai(bindings->speedStatus), kLedIas, flashOn);
}

void CModePanel::FillAltLedReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLed(report, XPLMGetDatai(bindings->altitudeHoldStatus), kLedAlt, flashOn);
}

void CModePanel::FillVsLedReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLed(report, XPLMGetDatai(bindings->vviStatus), kLedVs, flashOn);
}

void CModePanel::FillAprLedReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLed(report, XPLMGetDatai(bindings->approachStatus), kLedApr, flashOn);
}

void CModePanel::FillRevLedReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLed(report, XPLMGetDatai(bindings->backcourseStatus), kLedRev, flashOn);
}

void CModePanel::FillReport(int32_t value, uint8_t* destination) {
    ORV_TRACE_SCOPE(kKeyword);
    std::string text =
        UTILITY::ConvertIntValueToString(value, UTILITY::DigitFormat::kRightAligned5);
    for (int i = 0; i < kDigits; ++i) {
        char c = i < static_cast<int>(text.size()) ? text[static_cast<size_t>(i)] : ' ';
        if (c == '-')
            destination[i] = kMinus;
        else if (c >= '0' && c <= '9')
            destination[i] = static_cast<uint8_t>(c - '0');
        else
            destination[i] = kDark;
    }
}

}  // namespace Orv
