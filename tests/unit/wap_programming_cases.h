// The annunciator programming files the tests read, each with the panel
// serial it is read for, the tiles it assigns and the reader's level-1
// lines.  The Linux tests read them as files through a virtual panel; the
// Windows tests load them into MSXML and apply them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plugin/panels/wap_panel.h"

namespace Orv::Test {

using Assignments = std::map<std::wstring, std::pair<LensColour, int32_t>>;

inline constexpr LensColour kNone = LensColour::None;
inline constexpr LensColour kGreen = LensColour::Green;
inline constexpr LensColour kRed = LensColour::Red;
inline constexpr LensColour kAmber = LensColour::Amber;

inline std::string Section(const std::string& id, const std::string& lenses) {
    return "<WapProgramming Id=\"" + id + "\">" + lenses + "</WapProgramming>";
}

inline std::string Lense(const std::string& id, const std::string& colour,
                         const std::string& lens) {
    return "<Lense><Id>" + id + "</Id><Colour>" + colour + "</Colour><Assignment>" + lens +
           "</Assignment></Lense>";
}

inline std::string Wap(const std::string& sections) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Wap>" + sections + "</Wap>\n";
}

struct ProgrammingCase {
    const char* name;
    std::optional<std::string> content;  // none: no file
    std::optional<std::wstring> serial;  // none: the device has no serial
    Assignments assigned;
    std::vector<std::wstring> lines;  // the reader's level-1 lines, in order
};

// The cases; path is where the reader looks for the file (its failure lines
// name it).
inline std::vector<ProgrammingCase> ProgrammingCases(const std::wstring& path) {
    const std::wstring notLoaded[] = {L"Failed in loading the XML file " + path,
                                      L"Failed in updating the tiles according to the XML"};
    const std::string huge = Wap("<!--" + std::string(9u << 20, 'x') + "-->" +
                                 Section("W1", Lense("BeaconLight", "Green", "1")));
    const std::string files[] = {
        // 0: another panel's section only.
        Wap(Section("X9", Lense("BeaconLight", "Green", "1"))),
        // 1: the three colours; red in lower case and an empty colour are
        // invalid and keep the colour read before.
        Wap(Section("W1", Lense("BeaconLight", "Green", "1") + Lense("GearUnsafe", "Red", "2") +
                              Lense("FuelLow", "Amber", "3") + Lense("StallWarning", "red", "4") +
                              Lense("DoorWarning", "", "5"))),
        // 2: children of Lense with other names (text and comments
        // included), and Ids that name no condition.
        Wap(Section("W1",
                    "<Lense>junk<Id>VacLow</Id><Color>Red</Color><!-- c -->"
                    "<Assignment>6</Assignment><?pi x?></Lense>" +
                        Lense("Beacon", "Red", "7") + Lense("beaconlight", "Red", "8") +
                        Lense("", "Red", "9"))),
        // 3: the lens number forms.
        Wap(Section("W1", Lense("GearUp", "Green", " 7") + Lense("GearDown", "Green", "7a") +
                              Lense("Up", "Green", "x") + Lense("Down", "Green", "+12") +
                              Lense("NAV", "Green", "23") + Lense("NAV1", "Green", "24") +
                              Lense("NAV2", "Green", "-3") + Lense("COM1", "Green", "-1") +
                              Lense("COM2", "Green", "99999999999") +
                              Lense("DME", "Green", "-99999999999") +
                              Lense("ADF", "Green", "0008"))),
        // 4: several sections for one panel, several Lense for one
        // condition: document order, the last wins; colour and lens carry
        // over from one Lense (and section) to the next.
        Wap(Section("W1",
                    Lense("BeaconLight", "Green", "1") + "<Lense><Id>StrobeLight</Id></Lense>") +
            Section("X9", Lense("LandingLights", "Red", "9")) +
            Section("W1", Lense("BeaconLight", "Amber", "3") +
                              "<Lense><Id>AutoPilot</Id><Assignment>4</Assignment></Lense>")),
        // 5: a first Lense without colour and lens assigns nothing; an
        // out-of-range lens unassigns a condition assigned before.
        Wap(Section("W1", "<Lense><Id>GPS</Id></Lense>" + Lense("MKR", "Red", "2") +
                              Lense("MKR", "Red", "40"))),
        // 6: the section with an empty Id is the one of a panel without a
        // serial number.
        Wap(Section("", Lense("BeaconLight", "Red", "0")) +
            Section("W1", Lense("GearUp", "Red", "1"))),
        // 7: a serial with an apostrophe, and one with both quote kinds.
        Wap("<WapProgramming Id=\"O'Brien\">" + Lense("BeaconLight", "Amber", "2") +
            "</WapProgramming><WapProgramming Id='Say \"O&apos;Hara\"'>" +
            Lense("GearUp", "Green", "3") + "</WapProgramming>"),
        // 8: sections are found under a Wap element anywhere, and only there.
        "<Profiles><Wap>" + Section("W1", Lense("BeaconLight", "Green", "1")) + "</Wap><Other>" +
            Section("W1", Lense("GearUp", "Green", "2")) + "</Other></Profiles>",
        // 9: not well-formed.
        "<Wap><WapProgramming Id=\"W1\">" + Lense("BeaconLight", "Green", "1"),
        // 10: a document type declaration, refused with its entities.
        "<?xml version=\"1.0\"?>\n<!DOCTYPE Wap [<!ENTITY n \"1\">]>\n<Wap>" +
            Section("W1", Lense("BeaconLight", "Green", "&n;")) + "</Wap>",
    };
    return {
        {"another panel's section", files[0], L"W1", {}, {}},
        {"colours",
         files[1],
         L"W1",
         {{L"BeaconLight", {kGreen, 1}},
          {L"GearUnsafe", {kRed, 2}},
          {L"FuelLow", {kAmber, 3}},
          {L"StallWarning", {kAmber, 4}},
          {L"DoorWarning", {kAmber, 5}}},
         {L"It's an invalid color red", L"It's an invalid color "}},
        {"tags and keywords",
         files[2],
         L"W1",
         {{L"VacLow", {kNone, 6}}},
         {L"It's an invalid tag #text", L"It's an invalid tag Color",
          L"It's an invalid tag #comment", L"It's an invalid tag pi"}},
        {"lens numbers",
         files[3],
         L"W1",
         {{L"GearUp", {kGreen, 7}},
          {L"GearDown", {kGreen, 7}},
          {L"Up", {kGreen, 0}},
          {L"Down", {kGreen, 12}},
          {L"NAV", {kGreen, 23}},
          {L"ADF", {kGreen, 8}}},
         {L"It's an invalid lens number 24 for NAV1", L"It's an invalid lens number -3 for NAV2",
          L"It's an invalid lens number 2147483647 for COM2",
          L"It's an invalid lens number -2147483648 for DME"}},
        {"sections and repeated conditions",
         files[4],
         L"W1",
         {{L"BeaconLight", {kAmber, 3}},
          {L"StrobeLight", {kGreen, 1}},
          {L"AutoPilot", {kAmber, 4}}},
         {}},
        {"carried over and out of range",
         files[5],
         L"W1",
         {},
         {L"It's an invalid lens number 40 for MKR"}},
        {"panel without serial", files[6], std::nullopt, {{L"BeaconLight", {kRed, 0}}}, {}},
        {"serial with an apostrophe", files[7], L"O'Brien", {{L"BeaconLight", {kAmber, 2}}}, {}},
        {"serial with both quotes", files[7], L"Say \"O'Hara\"", {{L"GearUp", {kGreen, 3}}}, {}},
        {"Wap anywhere", files[8], L"W1", {{L"BeaconLight", {kGreen, 1}}}, {}},
        {"missing file", std::nullopt, L"W1", {}, {notLoaded[0], notLoaded[1]}},
        {"not well-formed", files[9], L"W1", {}, {notLoaded[0], notLoaded[1]}},
        {"document type declaration", files[10], L"W1", {}, {notLoaded[0], notLoaded[1]}},
        {"huge", huge, L"W1", {}, {notLoaded[0], notLoaded[1]}},
    };
}

}  // namespace Orv::Test
