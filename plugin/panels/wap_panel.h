// The warning annunciator panel: named conditions lit on the lenses the
// programming file assigns them, in green, red or amber.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "plugin/devices/panel.h"

namespace Orv {

namespace Platform {
class IXmlDocument;
}

// The colour a lens shows while its condition holds; amber is green and red
// lit together.
enum class LensColour : uint32_t {
    None = 0,
    Green = 1,
    Red = 2,
    Amber = 3,
};

class CWAPanel : public CPanel {
public:
    // One annunciator condition and the lens it lights.
    struct Tile {
        std::wstring name;
        LensColour colour = LensColour::None;
        int32_t lense = -1;  // 0 to 23; -1: assigned to no lens
    };
    using TileTable = std::map<std::wstring, std::unique_ptr<Tile>, std::less<>>;

    // The condition names, in the order InitTiles creates them.
    static constexpr int kTileCount = 51;
    static const wchar_t* const kTileNames[kTileCount];
    // The conditions, by their place in kTileNames.
    enum class TileId : int {
        EngineFire,
        Engine1Fire,
        Engine2Fire,
        Engine3Fire,
        Engine4Fire,
        LeftEngineFire,
        RightEngineFire,
        LowPressure,
        OilPressure,
        Engine1OilPressure,
        Engine2OilPressure,
        Engine3OilPressure,
        Engine4OilPressure,
        EngineOilTemp,
        Engine1OilTemp,
        Engine2OilTemp,
        Engine3OilTemp,
        Engine4OilTemp,
        RotorLowRpm,
        NAV,
        NAV1,
        NAV2,
        COM1,
        COM2,
        Both,
        DME,
        ADF,
        MKR,
        GPS,
        AutoPilot,
        APMaster,
        GearUp,
        GearDown,
        Down,
        Up,
        GearUnsafe,
        MasterCaution,
        MasterWarning,
        BeaconLight,
        LandingLights,
        ParkingBrakes,
        PitotHeat,
        StallWarning,
        DoorWarning,
        VacLow,
        StrobeLight,
        FuelLow,
        LeftFuelLow,
        RightFuelLow,
        CentreFuelLow,
        FuelCrossFeed,
    };
    // The lenses the report addresses: 0 to kLensCount - 1.
    static constexpr int32_t kLensCount = 24;
    static constexpr uint32_t kLensReportLength = 7;

    explicit CWAPanel(const std::wstring& path);
    ~CWAPanel() override;

    void OnInitialize() override;
    void OnUninitialize() override;
    void OnNotify() override;

    // The tiles, unassigned, then the programming file: true when the file
    // was applied.
    bool InitTiles();
    void AddTile(const std::wstring& name);
    // Reads WapProgramming.xml of the profile folder and assigns the tiles
    // of this panel's section: true when the file was loaded.
    bool UpdateTilesFromXML();
    // Assigns the tiles from the sections of a loaded document whose Id is
    // serial.
    void ApplyProgramming(Platform::IXmlDocument& document, const std::wstring& serial);

    // Lights (on not 0) or darkens the tile's lens in the lens report being
    // built; an unassigned tile changes nothing.
    void FillLenseReport(const Tile* tile, int32_t on, uint8_t* report);

    const TileTable& Tiles() const { return tiles; }

private:
    void FillLenseReportForGear(uint8_t* report);
    void FillLenseReportForEngineFire(uint8_t* report);
    void FillLenseReportForEnginOilPressure(uint8_t* report);
    void FillLenseReportForEnginOilTemp(uint8_t* report);
    void FillLenseReportForFuelLow(uint8_t* report);
    void FillLenseReportForFuelPressure(uint8_t* report);
    void FillLenseReportForFuelCrossFeed(uint8_t* report);
    void FillLenseReportForDownUp(uint8_t* report);
    void FillLenseReportForBeaconLightOn(uint8_t* report);
    void FillLenseReportForLandingLightOn(uint8_t* report);
    void FillLenseReportForParkingBrake(uint8_t* report);
    void FillLenseReportForPitotHeatOff(uint8_t* report);
    void FillLenseReportForRotorLowRPM(uint8_t* report);
    void FillLenseReportForStallWarning(uint8_t* report);
    void FillLenseReportForDoorWarning(uint8_t* report);
    void FillLenseReportForLowVacuum(uint8_t* report);
    void FillLenseReportForAutopilot(uint8_t* report);
    void FillLenseReportForStrobeLightOn(uint8_t* report);
    void FillLenseReportForAudio(uint8_t* report);
    void FillLenseReportForHsiSrcSel(uint8_t* report);
    void FillLenseReportForMaster(uint8_t* report);
    // An engine-array condition's lenses: the common one lit when any of
    // the n engines is flagged, then EngineK (from engine1 on) per engine.
    void FillEngineLenses(TileId common, TileId engine1, const bool* flags, int n, uint8_t* report);

    // The tile of a condition, or null before InitTiles (FillLenseReport
    // skips null).
    Tile* At(TileId id) const { return byId[static_cast<int>(id)]; }

    uint8_t lastLensReport[kLensReportLength] = {0xB8, 0, 0, 0, 0, 0, 0};
    TileTable tiles;
    // The tiles of the table by condition, so that a frame looks up none.
    Tile* byId[kTileCount] = {};
    int32_t redLensLit = 0;
    int32_t amberLensLit = 0;
};

}  // namespace Orv
