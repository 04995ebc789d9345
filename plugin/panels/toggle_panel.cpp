#include "plugin/panels/toggle_panel.h"

#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"
#include "sdk/xplm.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_TOGGLE_PANEL;

// The panel's Button-page usages.
enum : uint16_t {
    kBattery = 1,
    kGenerator = 2,
    kAvionics = 3,
    kFuelPump = 4,
    kDeIce = 5,
    kPitotHeat = 6,
    kCowlFlaps = 7,
    kPanelLight = 8,
    kBeaconLight = 9,
    kNavLight = 10,
    kStrobeLight = 11,
    kTaxiLight = 12,
    kLandingLight = 13,
    kMagnetoOff = 14,
    kMagnetoRight = 15,
    kMagnetoLeft = 16,
    kMagnetoBoth = 17,
    kStart = 18,
    kGearUp = 19,
    kGearDown = 20,
};

// Lamp bits of byte 1 of the lamp report, per gear 0, 1, 2.
constexpr uint8_t kGreen[3] = {0x02, 0x01, 0x04};
constexpr uint8_t kRed[3] = {0x10, 0x08, 0x20};

// Float thresholds, compared as floats: a ratio stored as 0.99 is in
// transit, one stored as 0.01 too.
constexpr float kDownAndLocked = 0.99f;
constexpr float kUp = 0.01f;

// The registry holds eight handles per engine or generator command.
constexpr int kMaxUnits = 8;

// A count dataref read now, limited to the handles there are; 0 or less
// gives none.
int UnitCount(XPLMDataRef count) {
    int n = XPLMGetDatai(count);
    if (n <= 0)
        return 0;
    return n < kMaxUnits ? n : kMaxUnits;
}

void CommandEach(XPLMCommandRef (&commands)[8], int count) {
    for (int k = 0; k < count; ++k)
        XPLMCommandOnce(commands[k]);
}

}  // namespace

CTogglePanel::CTogglePanel(const std::wstring& path) : CPanel(path) {
    ORV_TRACE_SCOPE(kKeyword);
}

void CTogglePanel::OnInitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    InitLightSystem();
    InitCowl();
    InitMisc();
    InitEngine();
    InitGear();
}

void CTogglePanel::InitLightSystem() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kPanelLight, kLandingLight);
}

void CTogglePanel::InitCowl() {
    ORV_TRACE_SCOPE(kKeyword);
    // The cowl switch starts in the state that cowlSwitch assumes (closed),
    // so the first input report with the switch open reports the change:
    // otherwise the flaps would be driven closed against an open switch
    // until it was flipped twice.
    buttonStates[kCowlFlaps] = cowlSwitch;
}

void CTogglePanel::InitMisc() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kBattery, kPitotHeat);
}

void CTogglePanel::InitEngine() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kMagnetoOff, kStart);
}

void CTogglePanel::InitGear() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kGearUp, kGearDown);
}

void CTogglePanel::OnButton(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    ParseLightSystem(usage, on);
    ParseCowl(usage, on);
    ParseMisc(usage, on);
    ParseEngine(usage, on);
    ParseGear(usage, on);
}

void CTogglePanel::ParseLightSystem(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = *bindings;
    switch (usage) {
        case kPanelLight:
            XPLMSetDataf(b.instrumentBrightness, on != 0 ? 1.0f : 0.0f);
            break;
        case kBeaconLight:
            XPLMCommandOnce(on != 0 ? b.beaconLightsOn : b.beaconLightsOff);
            break;
        case kNavLight:
            XPLMCommandOnce(on != 0 ? b.navLightsOn : b.navLightsOff);
            break;
        case kStrobeLight:
            XPLMCommandOnce(on != 0 ? b.strobeLightsOn : b.strobeLightsOff);
            break;
        case kTaxiLight:
            XPLMCommandOnce(on != 0 ? b.taxiLightsOn : b.taxiLightsOff);
            break;
        case kLandingLight:
            XPLMCommandOnce(on != 0 ? b.landingLightsOn : b.landingLightsOff);
            break;
        default:
            break;
    }
}

void CTogglePanel::ParseCowl(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (usage == kCowlFlaps)
        cowlSwitch = on;
}

void CTogglePanel::ParseMisc(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    CSimBindings& b = *bindings;
    switch (usage) {
        case kBattery:
            XPLMCommandOnce(on != 0 ? b.battery1On : b.battery1Off);
            XPLMCommandOnce(on != 0 ? b.battery2On : b.battery2Off);
            break;
        case kGenerator:
            CommandEach(on != 0 ? b.generatorOn : b.generatorOff, UnitCount(b.numGenerators));
            break;
        case kAvionics:
            XPLMCommandOnce(on != 0 ? b.avionicsOn : b.avionicsOff);
            break;
        case kFuelPump:
            CommandEach(on != 0 ? b.fuelPumpOn : b.fuelPumpOff, UnitCount(b.numEngines));
            break;
        case kDeIce:
            XPLMSetDatai(b.antiIceAoaHeat, on);
            XPLMSetDatai(b.antiIceAoaHeat2, on);
            b.SetDataviAll(b.antiIcePropHeatPerEngine, on);
            XPLMSetDatai(b.antiIceWindowHeat, on);
            XPLMSetDatai(b.antiIceSurfHeat, on);
            XPLMSetDatai(b.antiIceSurfBoot, on);
            break;
        case kPitotHeat:
            XPLMCommandOnce(on != 0 ? b.pitotHeatOn : b.pitotHeatOff);
            XPLMCommandOnce(on != 0 ? b.pitotHeat0On : b.pitotHeat0Off);
            XPLMCommandOnce(on != 0 ? b.pitotHeat1On : b.pitotHeat1Off);
            break;
        default:
            break;
    }
}

void CTogglePanel::ParseEngine(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (usage < kMagnetoOff || usage > kStart)
        return;
    CSimBindings& b = *bindings;
    int engines = UnitCount(b.numEngines);
    switch (usage) {
        case kMagnetoOff:
            if (on != 0)
                CommandEach(b.magnetosOff, engines);
            break;
        case kMagnetoRight:
            if (on != 0)
                CommandEach(b.magnetosRight, engines);
            break;
        case kMagnetoLeft:
            if (on != 0)
                CommandEach(b.magnetosLeft, engines);
            break;
        case kMagnetoBoth:
            if (on != 0)
                CommandEach(b.magnetosBoth, engines);
            break;
        case kStart:
            // The starters turn for as long as the rotary stays at start.
            for (int k = 0; k < engines; ++k) {
                if (on != 0)
                    XPLMCommandBegin(b.engageStarter[k]);
                else
                    XPLMCommandEnd(b.engageStarter[k]);
            }
            break;
        default:
            break;
    }
}

void CTogglePanel::ParseGear(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on == 0)
        return;
    if (usage == kGearUp)
        XPLMCommandOnce(bindings->landingGearUp);
    else if (usage == kGearDown)
        XPLMCommandOnce(bindings->landingGearDown);
}

void CTogglePanel::OnNotify() {
    ORV_TRACE_SCOPE(kKeyword);
    // Repeated every frame, so the flaps keep moving towards the switch.
    XPLMCommandOnce(cowlSwitch != 0 ? bindings->cowlFlapsClosed : bindings->cowlFlapsOpen);

    uint8_t report[2] = {0, 0};
    FillLedReport(report);
    if (report[0] == lastLedReport[0] && report[1] == lastLedReport[1])
        return;
    lastLedReport[0] = report[0];
    lastLedReport[1] = report[1];
    SendReport(report, sizeof(report));
}

void CTogglePanel::FillLedReport(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    float ratios[3] = {0.0f, 0.0f, 0.0f};
    if (XPLMGetDatavf(bindings->gearDeployRatio, ratios, 0, 3) < 3)
        ratios[0] = ratios[1] = ratios[2] = 0.0f;
    for (int n = 0; n < 3; ++n) {
        if (ratios[n] > kDownAndLocked)
            report[1] |= kGreen[n];
        else if (ratios[n] >= kUp)
            report[1] |= kRed[n];
    }
}

}  // namespace Orv
