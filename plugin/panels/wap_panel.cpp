#include "plugin/panels/wap_panel.h"

#include <algorithm>
#include <cstring>

#include "plugin/core/aircraft_settings.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"
#include "sdk/xplm.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_WAP;

constexpr uint8_t kLensReportId = 0xB8;
// The set-up report that OnInitialize sends.
constexpr uint8_t kSetupReport[2] = {0xB2, 0x64};

// Float thresholds, compared as floats: a ratio stored as 0.99 or 0.01 is
// in transit.
constexpr float kDownAndLocked = 0.99f;
constexpr float kUp = 0.01f;
constexpr float kParkingBrakeSet = 0.5f;
constexpr float kParkingBrakeFull = 1.0f;
// A tank holding less than this share of its capacity is low.
constexpr float kLowFuelLevel = 0.1f;
constexpr float kKilogramsPerPound = 0.453592f;

// The tanks the fuel conditions read at most (X-Plane has nine); the others
// count as tanks without capacity, never low.
constexpr int kMaxTanks = 32;

// The engine-array conditions handle at most four engines.
constexpr int kMaxEngines = 4;

// The engine count when the engine-array conditions handle it (1, 2 or 4),
// else 0: with none, three or more than four their lenses stay dark.
int EngineArrayCount(const CSimBindings& bindings) {
    int n = XPLMGetDatai(bindings.numEngines);
    return n == 1 || n == 2 || n == kMaxEngines ? n : 0;
}

}  // namespace

// clang-format off
const wchar_t* const CWAPanel::kTileNames[CWAPanel::kTileCount] = {
    L"EngineFire", L"Engine1Fire", L"Engine2Fire", L"Engine3Fire", L"Engine4Fire",
    L"LeftEngineFire", L"RightEngineFire",
    L"LowPressure",
    L"OilPressure", L"Engine1OilPressure", L"Engine2OilPressure", L"Engine3OilPressure",
    L"Engine4OilPressure",
    L"EngineOilTemp", L"Engine1OilTemp", L"Engine2OilTemp", L"Engine3OilTemp", L"Engine4OilTemp",
    L"RotorLowRpm",
    L"NAV", L"NAV1", L"NAV2", L"COM1", L"COM2", L"Both", L"DME", L"ADF", L"MKR", L"GPS",
    L"AutoPilot", L"APMaster",
    L"GearUp", L"GearDown", L"Down", L"Up", L"GearUnsafe",
    L"MasterCaution", L"MasterWarning",
    L"BeaconLight", L"LandingLights", L"ParkingBrakes", L"PitotHeat", L"StallWarning",
    L"DoorWarning", L"VacLow", L"StrobeLight",
    L"FuelLow", L"LeftFuelLow", L"RightFuelLow", L"CentreFuelLow", L"FuelCrossFeed",
};
// clang-format on
static_assert(static_cast<int>(CWAPanel::TileId::FuelCrossFeed) == CWAPanel::kTileCount - 1,
              "a condition per name");
// FillEngineLenses counts on the engines' tiles following each other.
static_assert(static_cast<int>(CWAPanel::TileId::Engine4OilPressure) ==
                  static_cast<int>(CWAPanel::TileId::Engine1OilPressure) + 3 &&
              static_cast<int>(CWAPanel::TileId::Engine4OilTemp) ==
                  static_cast<int>(CWAPanel::TileId::Engine1OilTemp) + 3);

CWAPanel::CWAPanel(const std::wstring& path) : CPanel(path) {
    ORV_TRACE_SCOPE(kKeyword);
}

CWAPanel::~CWAPanel() {
    ORV_TRACE_SCOPE(kKeyword);
    std::fill(std::begin(byId), std::end(byId), nullptr);
    tiles.clear();
}

void CWAPanel::OnInitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    InitTiles();
    SendReport(kSetupReport, sizeof(kSetupReport));
}

void CWAPanel::OnUninitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    // The lenses keep whatever was sent last.
    std::fill(std::begin(byId), std::end(byId), nullptr);
    tiles.clear();
}

bool CWAPanel::InitTiles() {
    ORV_TRACE_SCOPE(kKeyword);
    for (int id = 0; id < kTileCount; ++id) {
        AddTile(kTileNames[id]);
        byId[id] = tiles.find(std::wstring_view(kTileNames[id]))->second.get();
    }
    if (!UpdateTilesFromXML()) {
        WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                   L"Failed in updating the tiles according to the XML");
        return false;
    }
    return true;
}

void CWAPanel::AddTile(const std::wstring& name) {
    ORV_TRACE_SCOPE(kKeyword);
    auto tile = std::make_unique<Tile>();
    tile->name = name;
    tiles[name] = std::move(tile);
}

void CWAPanel::FillLenseReport(const Tile* tile, int32_t on, uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    // Only lenses 0 to 23 have bits in the report; the programming file
    // leaves every other number unassigned.
    if (tile == nullptr || tile->lense < 0 || tile->lense >= kLensCount)
        return;
    const int byte = tile->lense / 8;
    const uint8_t bit = static_cast<uint8_t>(1u << (tile->lense % 8));
    uint8_t& green = report[1 + byte];
    uint8_t& red = report[4 + byte];
    if (on == 0) {
        green &= static_cast<uint8_t>(~bit);
        red &= static_cast<uint8_t>(~bit);
        return;
    }
    switch (tile->colour) {
        case LensColour::Green:
            green |= bit;
            red &= static_cast<uint8_t>(~bit);
            break;
        case LensColour::Red:
            green &= static_cast<uint8_t>(~bit);
            red |= bit;
            redLensLit = 1;
            break;
        case LensColour::Amber:
            green |= bit;
            red |= bit;
            amberLensLit = 1;
            break;
        default:
            break;
    }
}

void CWAPanel::OnNotify() {
    ORV_TRACE_SCOPE(kKeyword);
    uint8_t report[kLensReportLength] = {kLensReportId, 0, 0, 0, 0, 0, 0};
    // Where several conditions share a lens, the one evaluated last decides
    // it; Master comes last and sees every other lens of the frame.
    FillLenseReportForGear(report);
    FillLenseReportForEngineFire(report);
    FillLenseReportForEnginOilPressure(report);
    FillLenseReportForEnginOilTemp(report);
    FillLenseReportForFuelLow(report);
    FillLenseReportForFuelPressure(report);
    FillLenseReportForFuelCrossFeed(report);
    FillLenseReportForDownUp(report);
    FillLenseReportForBeaconLightOn(report);
    FillLenseReportForLandingLightOn(report);
    FillLenseReportForParkingBrake(report);
    FillLenseReportForPitotHeatOff(report);
    FillLenseReportForRotorLowRPM(report);
    FillLenseReportForStallWarning(report);
    FillLenseReportForDoorWarning(report);
    FillLenseReportForLowVacuum(report);
    FillLenseReportForAutopilot(report);
    FillLenseReportForStrobeLightOn(report);
    FillLenseReportForAudio(report);
    FillLenseReportForHsiSrcSel(report);
    FillLenseReportForMaster(report);
    if (std::memcmp(report, lastLensReport, sizeof(report)) == 0)
        return;
    // Kept even when the send fails: the same state is not sent again.
    std::memcpy(lastLensReport, report, sizeof(report));
    SendReport(report, sizeof(report));
}

void CWAPanel::FillLenseReportForGear(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    float ratio = 0.0f;
    XPLMGetDatavf(bindings->gearDeployRatio, &ratio, 0, 1);
    const bool down = ratio > kDownAndLocked;
    const bool up = !down && ratio < kUp;
    FillLenseReport(At(TileId::GearUp), up, report);
    FillLenseReport(At(TileId::GearDown), down, report);
    FillLenseReport(At(TileId::GearUnsafe), !down && !up, report);
}

void CWAPanel::FillLenseReportForEngineFire(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    const int n = EngineArrayCount(*bindings);
    if (n == 0)
        return;
    int fires[kMaxEngines] = {};
    XPLMGetDatavi(bindings->engineFires, fires, 0, n);
    if (n == 1) {
        FillLenseReport(At(TileId::EngineFire), fires[0], report);
    } else if (n == 2) {
        FillLenseReport(At(TileId::LeftEngineFire), fires[0], report);
        FillLenseReport(At(TileId::RightEngineFire), fires[1], report);
    } else {
        static const TileId kIds[kMaxEngines] = {TileId::Engine1Fire, TileId::Engine2Fire,
                                                 TileId::Engine3Fire, TileId::Engine4Fire};
        for (int k = 0; k < kMaxEngines; ++k)
            FillLenseReport(At(kIds[k]), fires[k], report);
    }
}

void CWAPanel::FillLenseReportForEnginOilPressure(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    const int n = EngineArrayCount(*bindings);
    if (n == 0)
        return;
    float pressures[kMaxEngines] = {};
    XPLMGetDatavf(bindings->oilPressurePsi, pressures, 0, n);
    const float limit = aircraftSettings->lowOilPressureLimit;
    bool low[kMaxEngines] = {};
    for (int i = 0; i < n; ++i)
        low[i] = limit > pressures[i];
    FillEngineLenses(TileId::OilPressure, TileId::Engine1OilPressure, low, n, report);
}

void CWAPanel::FillLenseReportForEnginOilTemp(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    const int n = EngineArrayCount(*bindings);
    if (n == 0)
        return;
    const float limit = XPLMGetDataf(bindings->maxOilTemperature);
    float temperatures[kMaxEngines] = {};
    XPLMGetDatavf(bindings->oilTemperatureDegC, temperatures, 0, n);
    bool hot[kMaxEngines] = {};
    for (int i = 0; i < n; ++i)
        hot[i] = temperatures[i] > limit;
    FillEngineLenses(TileId::EngineOilTemp, TileId::Engine1OilTemp, hot, n, report);
}

void CWAPanel::FillEngineLenses(TileId common, TileId engine1, const bool* flags, int n,
                                uint8_t* report) {
    bool any = false;
    for (int i = 0; i < n; ++i)
        any = any || flags[i];
    FillLenseReport(At(common), any, report);
    for (int k = 0; k < n; ++k)
        FillLenseReport(At(static_cast<TileId>(static_cast<int>(engine1) + k)), flags[k], report);
}

void CWAPanel::FillLenseReportForFuelLow(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = *bindings;
    FillLenseReport(At(TileId::FuelLow), XPLMGetDatai(b.fuelQuantityLow), report);
    const int tanks = XPLMGetDatai(b.numTanks);
    const float capacity = XPLMGetDataf(b.fuelTotalCapacity) * kKilogramsPerPound;
    if (tanks <= 0)
        return;
    // Only the tanks that both datarefs hold are read; the others count as
    // tanks without capacity, which are never low.
    const int held = std::clamp(std::min(XPLMGetDatavf(b.tankRatio, nullptr, 0, 0),
                                         XPLMGetDatavf(b.fuelMass, nullptr, 0, 0)),
                                0, std::min(tanks, kMaxTanks));
    float ratios[kMaxTanks] = {};
    float masses[kMaxTanks] = {};
    if (held > 0) {
        XPLMGetDatavf(b.tankRatio, ratios, 0, held);
        XPLMGetDatavf(b.fuelMass, masses, 0, held);
    }
    auto low = [&](int tank) {
        if (tank >= held)
            return false;
        const float share = capacity * ratios[tank];
        return share != 0.0f && kLowFuelLevel > masses[tank] / share;
    };
    // Tank 0 is the left one, the last the right one; of several middle
    // tanks the last decides CentreFuelLow.
    FillLenseReport(At(TileId::LeftFuelLow), low(0), report);
    if (tanks >= 3)
        FillLenseReport(At(TileId::CentreFuelLow), low(tanks - 2), report);
    if (tanks >= 2)
        FillLenseReport(At(TileId::RightFuelLow), low(tanks - 1), report);
}

void CWAPanel::FillLenseReportForFuelPressure(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    int low = 0;
    XPLMGetDatavi(bindings->fuelPressureLow, &low, 0, 1);
    FillLenseReport(At(TileId::LowPressure), low, report);
}

void CWAPanel::FillLenseReportForFuelCrossFeed(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLenseReport(At(TileId::FuelCrossFeed), XPLMGetDatai(bindings->crossfeedOn), report);
}

void CWAPanel::FillLenseReportForDownUp(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    float ratio = 0.0f;
    XPLMGetDatavf(bindings->gearDeployRatio, &ratio, 0, 1);
    FillLenseReport(At(TileId::Down), ratio > kDownAndLocked, report);
    FillLenseReport(At(TileId::Up), ratio < kUp, report);
}

void CWAPanel::FillLenseReportForBeaconLightOn(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLenseReport(At(TileId::BeaconLight), XPLMGetDatai(bindings->beaconLightsOnState), report);
}

void CWAPanel::FillLenseReportForLandingLightOn(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLenseReport(At(TileId::LandingLights), XPLMGetDatai(bindings->landingLightsOnState),
                    report);
}

void CWAPanel::FillLenseReportForParkingBrake(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    const float brake = XPLMGetDataf(bindings->parkBrake);
    FillLenseReport(At(TileId::ParkingBrakes),
                    brake >= kParkingBrakeSet && brake <= kParkingBrakeFull, report);
}

void CWAPanel::FillLenseReportForPitotHeatOff(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    // The lens is lit while the pilot's pitot heat is on.
    FillLenseReport(At(TileId::PitotHeat), XPLMGetDatai(bindings->pitotHeatOnPilot), report);
}

void CWAPanel::FillLenseReportForRotorLowRPM(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    if (aircraftSettings->isHelicopter != 1)
        return;
    const int n = EngineArrayCount(*bindings);
    if (n == 0)
        return;
    float speeds[kMaxEngines] = {};
    XPLMGetDatavf(bindings->engineSpeedRpm, speeds, 0, n);
    const float limit = aircraftSettings->lowRotorRpmLimit;
    bool low = false;
    for (int i = 0; i < n; ++i)
        low = low || limit > speeds[i];
    FillLenseReport(At(TileId::RotorLowRpm), low, report);
}

void CWAPanel::FillLenseReportForStallWarning(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLenseReport(At(TileId::StallWarning), XPLMGetDatai(bindings->stallWarning), report);
}

void CWAPanel::FillLenseReportForDoorWarning(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLenseReport(At(TileId::DoorWarning), XPLMGetDatai(bindings->cabinDoorOpen), report);
}

void CWAPanel::FillLenseReportForLowVacuum(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLenseReport(At(TileId::VacLow), XPLMGetDatai(bindings->lowVacuum), report);
}

void CWAPanel::FillLenseReportForAutopilot(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    const int on = XPLMGetDatai(bindings->autopilotOn);
    FillLenseReport(At(TileId::AutoPilot), on, report);
    FillLenseReport(At(TileId::APMaster), on, report);
}

void CWAPanel::FillLenseReportForStrobeLightOn(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    FillLenseReport(At(TileId::StrobeLight), XPLMGetDatai(bindings->strobeLightsOnState), report);
}

void CWAPanel::FillLenseReportForAudio(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = *bindings;
    FillLenseReport(At(TileId::NAV1), XPLMGetDatai(b.audioSelectionNav1), report);
    FillLenseReport(At(TileId::NAV2), XPLMGetDatai(b.audioSelectionNav2), report);
    const int com1 = XPLMGetDatai(b.audioSelectionCom1);
    const int com2 = XPLMGetDatai(b.audioSelectionCom2);
    FillLenseReport(At(TileId::COM1), com1, report);
    FillLenseReport(At(TileId::COM2), com2, report);
    FillLenseReport(At(TileId::Both), com1 != 0 && com2 != 0, report);
    const bool adf =
        XPLMGetDatai(b.audioSelectionAdf1) != 0 || XPLMGetDatai(b.audioSelectionAdf2) != 0;
    FillLenseReport(At(TileId::ADF), adf, report);
    FillLenseReport(At(TileId::DME), XPLMGetDatai(b.audioDmeEnabled), report);
    FillLenseReport(At(TileId::MKR), XPLMGetDatai(b.audioMarkerEnabled), report);
}

void CWAPanel::FillLenseReportForHsiSrcSel(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    const bool gps = XPLMGetDatai(bindings->hsiSourceSelectPilot) == 2;
    FillLenseReport(At(TileId::GPS), gps, report);
    FillLenseReport(At(TileId::NAV), !gps, report);
}

void CWAPanel::FillLenseReportForMaster(uint8_t* report) {
    ORV_TRACE_SCOPE(kKeyword);
    // MasterCaution first: a red MasterCaution lit by an amber lens lights
    // MasterWarning in the same frame.
    FillLenseReport(At(TileId::MasterCaution), amberLensLit, report);
    FillLenseReport(At(TileId::MasterWarning), redLensLit, report);
    redLensLit = 0;
    amberLensLit = 0;
}

}  // namespace Orv
