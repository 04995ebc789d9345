// The joystick's page list as the configuration gives it, and the page
// framework's buttons: page turning, the cursor model and the commands the
// pages run.  What the pages show is in the z7hotas scenarios.
#include "plugin/glasslink/z7hotas_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/xml.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/devices/glasslink.h"
#include "tests/unit/trace_fixture.h"
#include "tests/unit/xplane_recorder.h"

namespace Orv::Test {
namespace {

using Kind = CZ7HotasPanel::PageKind;

class Z7HotasPageListTest : public TraceFixture {
protected:
    void SetUp() override {
        TraceFixture::SetUp();
        ASSERT_EQ(Platform::Com().InitializeCom(), Platform::kSOk);
        Attach(1, TRACE_KEYWORD_Z7HOTAS_PANEL);
    }
    void TearDown() override {
        Platform::Com().UninitializeCom();
        TraceFixture::TearDown();
    }

    std::vector<Kind> Read(const std::wstring& text) {
        std::unique_ptr<Platform::IXmlDocument> document;
        EXPECT_EQ(Platform::Xml().CreateDocument(&document), Platform::kSOk);
        bool loaded = false;
        document->LoadXml(text, &loaded);
        EXPECT_TRUE(loaded);
        Clear();
        return CZ7HotasPanel::ReadPageList(*document);
    }
    std::vector<std::wstring> FailureLines() const {
        std::vector<std::wstring> lines;
        for (const Sim::TraceRecord& r : records_)
            if (r.level == TRACE_LEVEL_FAILURE)
                lines.push_back(r.text);
        return lines;
    }
};

struct PageListCase {
    const char* name;
    const wchar_t* document;
    std::vector<Kind> pages;
    std::vector<std::wstring> lines;
};

TEST_F(Z7HotasPageListTest, ElementsGivePagesInDocumentOrder) {
    const PageListCase cases[] = {
        {"RadioTrueXpndrAutopilot",
         L"<GaugeList><Z7Hotas><ComNav radio1=\"true\"/><Xpndr/><Autopilot/></Z7Hotas>"
         L"</GaugeList>",
         {Kind::ComNav1, Kind::Xpndr, Kind::Autopilot},
         {}},
        {"EveryPageAndRepeats",
         L"<GaugeList><Gauge File=\"a.xml\"/><Z7Hotas><ComNav radio1=\"false\"/><Adf/><Dme/>"
         L"<VorHdg/><Adf/><!-- a comment -->text</Z7Hotas></GaugeList>",
         {Kind::ComNav2, Kind::Adf, Kind::Dme, Kind::VorHdg, Kind::Adf},
         {}},
        {"AttributeInCapitals",
         L"<GaugeList><Z7Hotas><ComNav radio1=\"TRUE\"/><Dme/></Z7Hotas></GaugeList>",
         {Kind::Dme},
         {L"It's an invalid attribution text TRUE"}},
        {"ComNavWithoutAttributeIsSilent",
         L"<GaugeList><Z7Hotas><ComNav/><ComNav radio1=\"\"/></Z7Hotas></GaugeList>",
         {},
         {L"It's an invalid attribution text "}},
        {"UnknownAndWrongCaseElements",
         L"<GaugeList><Z7Hotas><Gauge/><adf/><Xpndr/></Z7Hotas></GaugeList>",
         {Kind::Xpndr},
         {L"It's an invalid page Gauge", L"It's an invalid page adf"}},
        {"NoSection", L"<GaugeList><Gauge File=\"a.xml\"/></GaugeList>", {}, {}},
        // Only a Z7Hotas under a GaugeList counts, at any depth.
        {"SectionElsewhere",
         L"<Root><Z7Hotas><Adf/></Z7Hotas><Deep><GaugeList><Z7Hotas><Dme/></Z7Hotas>"
         L"</GaugeList></Deep></Root>",
         {Kind::Dme},
         {}},
        // Children of the page elements are not pages.
        {"NestedElementsIgnored",
         L"<GaugeList><Z7Hotas><Adf><Dme/></Adf></Z7Hotas></GaugeList>",
         {Kind::Adf},
         {}},
    };
    for (const PageListCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Read(c.document), c.pages);
        EXPECT_EQ(FailureLines(), c.lines);
    }
}

// No configuration file in the data folder: no page at all, not even the
// default page.
TEST_F(Z7HotasPageListTest, AMissingFileGivesNoPage) {
    std::wstring folder;
    ASSERT_TRUE(CGlassLink::GetConfigureFilePath(folder));
    std::wstring path = folder + L"XValduraAvionex.xml";
    std::replace(path.begin(), path.end(), L'\\', L'/');
    ASSERT_FALSE(std::filesystem::exists(path));
    CZ7HotasPanel panel(L"z7", L"key", nullptr);
    panel.InitPages();
    EXPECT_EQ(panel.PageCount(), 0u);
    const std::vector<std::wstring> lines = FailureLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(L"Failed in loading the XML file ", 0), 0u);
    EXPECT_NE(lines[0].find(L"XValduraAvionex.xml"), std::wstring::npos);
}

TEST_F(Z7HotasPageListTest, AnOversizedFileGivesNoPage) {
    // Larger than the XML port reads: refused before it is parsed, however
    // well-formed, so a hostile file cannot make the plugin read without end.
    std::wstring folder;
    ASSERT_TRUE(CGlassLink::GetConfigureFilePath(folder));
    std::wstring path = folder + L"XValduraAvionex.xml";
    std::replace(path.begin(), path.end(), L'\\', L'/');
    const std::filesystem::path file(path);
    ASSERT_FALSE(std::filesystem::exists(file));
    std::filesystem::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary);
        out << "<GaugeList><Z7Hotas><Xpndr/></Z7Hotas><!--";
        out << std::string(Platform::kMaxXmlDocumentSize, ' ');
        out << "--></GaugeList>";
    }
    CZ7HotasPanel panel(L"z7", L"key", nullptr);
    panel.InitPages();
    std::filesystem::remove(file);
    EXPECT_EQ(panel.PageCount(), 0u);
    const std::vector<std::wstring> lines = FailureLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(L"Failed in loading the XML file ", 0), 0u);
}

// The panel without a device: its pages built from a list, its buttons
// pressed by hand, the commands recorded by the simulated X-Plane.
class Z7HotasButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Sim::Reset(Sim::TimeMode::Virtual);
        CSimBindings::Initialize();
        recorder_ = std::make_unique<XPlaneRecorder>();
        panel_ = std::make_unique<CZ7HotasPanel>(L"z7", L"key", nullptr);
    }
    void TearDown() override {
        panel_->OnUninitialize();
        panel_.reset();
        recorder_.reset();
    }

    // Presses and releases each usage in turn; returns the commands run.
    std::vector<std::string> Press(std::initializer_list<uint16_t> usages) {
        recorder_->commands.clear();
        for (uint16_t usage : usages) {
            panel_->OnButton(usage, 1);
            panel_->OnButton(usage, 0);
        }
        return recorder_->commands;
    }

    std::unique_ptr<XPlaneRecorder> recorder_;
    std::unique_ptr<CZ7HotasPanel> panel_;
};

enum : uint16_t { kPrev = 35, kNext = 36, kUp = 37, kDown = 38, kSelect = 39 };

TEST_F(Z7HotasButtonsTest, PagesWrapBothWaysAndReleasesDoNothing) {
    panel_->BuildPages({Kind::ComNav1, Kind::Xpndr, Kind::Autopilot});
    ASSERT_EQ(panel_->PageCount(), 4u);
    Press({kPrev});
    EXPECT_EQ(panel_->CurrentPageIndex(), 3u);
    Press({kNext});
    EXPECT_EQ(panel_->CurrentPageIndex(), 0u);
    Press({kNext, kNext, kNext});
    EXPECT_EQ(panel_->CurrentPageIndex(), 3u);
    // A held button (a second report with it still on) and releases alone.
    panel_->OnButton(kNext, 0);
    panel_->OnButton(kPrev, 0);
    panel_->OnButton(kNext, 2);
    EXPECT_EQ(panel_->CurrentPageIndex(), 3u);
}

TEST_F(Z7HotasButtonsTest, WithoutPagesButtonsDoNothing) {
    EXPECT_EQ(Press({kPrev, kNext, kUp, kDown, kSelect}), std::vector<std::string>{});
    EXPECT_EQ(panel_->CurrentPageIndex(), 0u);
    EXPECT_EQ(panel_->CurrentPage(), nullptr);
}

// A page list built again after a removal may be shorter: the index must
// not point past it.
TEST_F(Z7HotasButtonsTest, ReinitialisedPanelStartsOnItsFirstPage) {
    panel_->BuildPages({Kind::Adf, Kind::Dme, Kind::Xpndr});
    Press({kPrev});
    ASSERT_EQ(panel_->CurrentPageIndex(), 3u);
    panel_->OnUninitialize();
    panel_->BuildPages({});
    EXPECT_EQ(panel_->CurrentPageIndex(), 0u);
    ASSERT_NE(panel_->CurrentPage(), nullptr);
    EXPECT_EQ(Press({kUp, kDown, kSelect}), std::vector<std::string>{});
}

struct CommandCase {
    const char* name;
    Kind page;
    std::vector<uint16_t> presses;
    std::vector<std::string> commands;
    uint8_t cursor;
    bool editing;
};

TEST_F(Z7HotasButtonsTest, PagesRunTheirCommands) {
    const CommandCase cases[] = {
        // Select on an active frequency flips it and does not edit.
        {"ComNav1Flips",
         Kind::ComNav1,
         {kSelect, kDown, kDown, kDown, kSelect},
         {"sim/radios/com1_standy_flip", "sim/radios/nav1_standy_flip"},
         3,
         false},
        {"ComNav1Steps",
         Kind::ComNav1,
         {kDown, kSelect, kUp,   kDown, kSelect, kDown, kSelect, kUp, kSelect, kDown,
          kDown, kSelect, kDown, kUp,   kSelect, kDown, kSelect, kUp, kDown,   kSelect},
         {"sim/radios/stby_com1_coarse_up", "sim/radios/stby_com1_coarse_down",
          "sim/radios/stby_com1_fine_up", "sim/radios/stby_nav1_coarse_down",
          "sim/radios/stby_nav1_coarse_up", "sim/radios/stby_nav1_fine_up",
          "sim/radios/stby_nav1_fine_down"},
         5,
         false},
        {"ComNav2",
         Kind::ComNav2,
         {kSelect, kUp, kSelect, kUp, kDown, kSelect, kUp, kUp, kSelect, kUp, kSelect, kUp, kDown},
         {"sim/radios/com2_standy_flip", "sim/radios/stby_nav2_fine_up",
          "sim/radios/stby_nav2_fine_down", "sim/radios/nav2_standy_flip",
          "sim/radios/stby_com2_fine_up", "sim/radios/stby_com2_fine_down"},
         2,
         true},
        {"AdfAudioFlipAndDigits",
         Kind::Adf,
         {kSelect, kDown, kSelect, kDown, kSelect, kUp, kDown, kSelect, kDown, kSelect, kUp,
          kSelect, kDown, kSelect, kDown},
         {"sim/audio_panel/monitor_audio_adf1", "sim/radios/adf1_standy_flip",
          "sim/radios/stby_adf1_hundreds_up", "sim/radios/stby_adf1_hundreds_down",
          "sim/radios/stby_adf1_tens_up", "sim/radios/stby_adf1_ones_down"},
         4,
         true},
        // Select switches the receiver; up and down have no positions.
        {"DmeHasNoCommands", Kind::Dme, {kSelect, kUp, kDown, kSelect}, {}, 0, false},
        {"XpndrDigitsAndWrap",
         Kind::Xpndr,
         {kUp, kSelect, kUp, kDown, kSelect, kDown, kSelect, kUp, kSelect, kDown, kDown, kSelect,
          kDown, kSelect, kDown, kDown},
         {"sim/transponder/transponder_ones_up", "sim/transponder/transponder_ones_down",
          "sim/transponder/transponder_thousands_up", "sim/transponder/transponder_tens_down"},
         0,
         false},
        {"AutopilotSteps",
         Kind::Autopilot,
         {kSelect, kUp, kDown, kSelect, kDown, kSelect, kUp, kSelect, kDown, kDown, kSelect, kUp,
          kDown},
         {"sim/autopilot/altitude_up", "sim/autopilot/altitude_down",
          "sim/autopilot/vertical_speed_up", "sim/autopilot/fdir_servos_up_one",
          "sim/autopilot/fdir_servos_down_one"},
         3,
         true},
        // Select at the selector opens it; its items run the mode commands
        // and keep it open; up and down move over its eight items.
        {"AutopilotSelector",
         Kind::Autopilot,
         {kDown, kDown, kSelect, kSelect, kDown, kSelect, kDown, kSelect, kDown, kSelect, kDown,
          kSelect, kDown, kSelect, kDown, kSelect, kUp, kSelect},
         {"sim/autopilot/heading", "sim/autopilot/NAV", "sim/autopilot/level_change",
          "sim/autopilot/altitude_arm", "sim/autopilot/vertical_speed", "sim/autopilot/approach",
          "sim/autopilot/back_course", "sim/autopilot/approach"},
         2,
         false},
        {"VorHdg",
         Kind::VorHdg,
         {kSelect, kUp, kDown, kSelect, kDown, kSelect, kUp, kDown},
         {"sim/radios/obs1_up", "sim/radios/obs1_down", "sim/autopilot/heading_up",
          "sim/autopilot/heading_down"},
         1,
         true},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        panel_->OnUninitialize();
        panel_->BuildPages({c.page});
        recorder_->commands.clear();
        for (uint16_t usage : c.presses) {
            panel_->OnButton(usage, 1);
            panel_->OnButton(usage, 0);
        }
        EXPECT_EQ(recorder_->commands, c.commands);
        EXPECT_EQ(panel_->CurrentPage()->GetCursor(), c.cursor);
        EXPECT_EQ(panel_->CurrentPage()->IsEditing(), c.editing);
    }
}

// The back item hands the buttons back to the autopilot page at once (its
// next frame shows it again); reopening finds the selector's cursor where
// it was left.
TEST_F(Z7HotasButtonsTest, SelectorBackItemReturnsToTheAutopilotPage) {
    panel_->BuildPages({Kind::Autopilot});
    Press({kDown, kDown, kSelect, kUp, kSelect});  // the selector's back item
    EXPECT_EQ(Press({kDown, kSelect, kUp}),
              std::vector<std::string>{"sim/autopilot/fdir_servos_up_one"});
    Press({kSelect, kUp, kSelect});
    ASSERT_EQ(panel_->CurrentPage()->GetCursor(), 2u);
    EXPECT_EQ(Press({kDown, kSelect}), std::vector<std::string>{"sim/autopilot/heading"});
}

TEST_F(Z7HotasButtonsTest, TurnedAwayPagesKeepCursorAndEditing) {
    panel_->BuildPages({Kind::ComNav1, Kind::Xpndr});
    Press({kDown, kSelect, kNext, kDown, kDown, kNext});
    ASSERT_EQ(panel_->CurrentPageIndex(), 2u);
    Press({kNext});
    EXPECT_EQ(panel_->CurrentPage()->GetCursor(), 1u);
    EXPECT_TRUE(panel_->CurrentPage()->IsEditing());
    EXPECT_EQ(Press({kUp}), std::vector<std::string>{"sim/radios/stby_com1_coarse_up"});
    Press({kNext});
    EXPECT_EQ(panel_->CurrentPage()->GetCursor(), 2u);
    EXPECT_FALSE(panel_->CurrentPage()->IsEditing());
}

}  // namespace
}  // namespace Orv::Test
