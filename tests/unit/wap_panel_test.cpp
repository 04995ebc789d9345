// The annunciator's programming file: which tiles a file assigns to a panel,
// and what the reader reports about it.
#include "plugin/panels/wap_panel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/com.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "platform/xml.h"
#include "tests/unit/device_test_support.h"
#include "tests/unit/trace_fixture.h"
#include "tests/unit/wap_programming_cases.h"

namespace Orv::Test {
namespace {

namespace fs = std::filesystem;

class WapProgrammingTest : public TraceFixture {
protected:
    void SetUp() override {
        TraceFixture::SetUp();
        Sim::ResetDevices();
        documents_ =
            fs::temp_directory_path() /
            ("orv-wap-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(documents_);
        fs::create_directories(documents_ / "Trimwise Profiles");
        Sim::SetPublicDocumentsFolder(documents_.wstring());
        Attach(1, TRACE_KEYWORD_WAP);
    }
    void TearDown() override {
        TraceFixture::TearDown();
        Sim::ResetDevices();
        fs::remove_all(documents_);
    }

    void Write(const std::string& content) {
        std::ofstream(documents_ / "Trimwise Profiles" / "WapProgramming.xml", std::ios::binary)
            << content;
    }

    // Initialises an annunciator with that serial (none: the device has no
    // serial number string) and returns what its tiles were assigned.
    Assignments Program(const std::optional<std::wstring>& serial) {
        Sim::VirtualHidDevice device = PanelDevice(PRODUCT_ID_WAP, 0, 6);
        device.serial = serial.value_or(L"");
        Sim::DeviceId id = Sim::PlugDevice(device);
        if (!serial)
            Sim::SetDeviceFault(id, Sim::DeviceFault::Serial, 1);
        CWAPanel panel(KeyOf(id));
        EXPECT_TRUE(panel.Initialize());
        EXPECT_EQ(panel.Tiles().size(), 51u);
        Assignments assigned;
        for (const auto& [name, tile] : panel.Tiles())
            if (tile->colour != kNone || tile->lense != -1)
                assigned[name] = {tile->colour, tile->lense};
        panel.Uninitialize();
        EXPECT_TRUE(panel.Tiles().empty());
        return assigned;
    }

    std::wstring FilePath() const {
        return documents_.wstring() + L"\\Trimwise Profiles\\WapProgramming.xml";
    }

    fs::path documents_;
};

TEST_F(WapProgrammingTest, FilesAssignTheTilesOfTheirPanel) {
    for (const ProgrammingCase& c : ProgrammingCases(FilePath())) {
        SCOPED_TRACE(c.name);
        fs::remove(documents_ / "Trimwise Profiles" / "WapProgramming.xml");
        if (c.content)
            Write(*c.content);
        Clear();
        EXPECT_EQ(Program(c.serial), c.assigned);
        std::vector<std::wstring> lines;
        for (const Sim::TraceRecord& r : records_)
            if (r.level == TRACE_LEVEL_FAILURE)
                lines.push_back(r.text);
        EXPECT_EQ(lines, c.lines);
    }
}

// The reader brings up COM for its own work where the thread has none, and
// leaves a thread's COM as it found it.
TEST_F(WapProgrammingTest, ComIsInitialisedForTheReadAndBalanced) {
    Write(Wap(Section("W1", Lense("BeaconLight", "Green", "1"))));
    std::unique_ptr<Platform::IXmlDocument> document;
    ASSERT_EQ(Platform::Xml().CreateDocument(&document), Platform::kCoENotInitialized);
    EXPECT_EQ(Program(L"W1"), (Assignments{{L"BeaconLight", {kGreen, 1}}}));
    EXPECT_EQ(Platform::Xml().CreateDocument(&document), Platform::kCoENotInitialized);

    ASSERT_EQ(Platform::Com().InitializeCom(), Platform::kSOk);
    EXPECT_EQ(Program(L"W1"), (Assignments{{L"BeaconLight", {kGreen, 1}}}));
    EXPECT_EQ(Platform::Xml().CreateDocument(&document), Platform::kSOk);
    document.reset();
    Platform::Com().UninitializeCom();
    EXPECT_EQ(Platform::Xml().CreateDocument(&document), Platform::kCoENotInitialized);
}

}  // namespace
}  // namespace Orv::Test
