#include "plugin/core/aircraft_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/unit/xplane_recorder.h"

namespace Orv::Test {
namespace {

namespace fs = std::filesystem;

class AircraftSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("orv-acf-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
        AircraftSettings = {7, 7.0f, 7.0f};  // a previous aircraft's values
    }
    void TearDown() override { fs::remove_all(root_); }

    // Loads an aircraft whose file at folder/name holds content (no file for null).
    void Load(const std::string& folder, const char* content) {
        fs::path dir = root_ / folder;
        fs::create_directories(dir);
        fs::path file = dir / "plane.acf";
        if (content != nullptr)
            std::ofstream(file, std::ios::binary) << content;
        XSim::SetUserAircraft("plane.acf", file.string());
        OrvAcfLoadSettings();
    }

    XPlaneRecorder xplane;
    fs::path root_;
};

struct AcfCase {
    const char* name;
    const char* folder;
    const char* content;  // null: no file
    uint32_t helicopter;
    float oil;
    float rotor;
};

TEST_F(AircraftSettingsTest, FilesGiveTheirLimits) {
    const std::string longLine(1 << 20, 'x');
    const std::string binary(
        "\x7f"
        "ELF\0\x01\x02P acf/_green_lo_oilP\0\xff 12\r\n",
        30);
    const std::string longProperty = "P acf/_green_lo_oilP 22 " + longLine + "\n";
    const AcfCase cases[] = {
        {"rotor limit of a helicopter", "Aircraft/Helicopters/Bell",
         "I\n1000 Version\nP acf/_RSC_mingreen_ENGN 400.0\n", 1, 0.0f, 380.0f},
        {"rotor line outside a helicopter", "Aircraft/General Aviation",
         "P acf/_RSC_mingreen_ENGN 400.0\n", 0, 0.0f, 0.0f},
        {"oil value 0 means 15", "Aircraft/GA", "P acf/_green_lo_oilP 0.0\n", 0, 15.0f, 0.0f},
        {"no oil property", "Aircraft/GA", "P acf/_green_hi_oilP 90\n", 0, 0.0f, 0.0f},
        {"the last oil line wins", "Aircraft/GA",
         "P acf/_green_lo_oilP 20\r\nP acf/_green_lo_oilP 25\r\n", 0, 25.0f, 0.0f},
        {"a longer name that begins alike", "Aircraft/GA", "P acf/_green_lo_oilP_x 30\n", 0, 30.0f,
         0.0f},
        {"missing file", "Aircraft/HELICOPTER/Gone", nullptr, 1, 0.0f, 0.0f},
        {"missing third field", "Aircraft/helicopter",
         "P acf/_green_lo_oilP\nP acf/_RSC_mingreen_ENGN\n", 1, 15.0f, 0.0f},
        {"third field not a number", "Aircraft/GA", "P acf/_green_lo_oilP abc\n", 0, 15.0f, 0.0f},
        {"binary file", "Aircraft/GA", binary.c_str(), 0, 0.0f, 0.0f},
        {"very long lines", "Aircraft/GA", longProperty.c_str(), 0, 22.0f, 0.0f},
    };
    for (const AcfCase& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.folder, c.content);
        EXPECT_EQ(AircraftSettings.isHelicopter, c.helicopter);
        EXPECT_FLOAT_EQ(AircraftSettings.lowOilPressureLimit, c.oil);
        EXPECT_FLOAT_EQ(AircraftSettings.lowRotorRpmLimit, c.rotor);
    }
}

TEST_F(AircraftSettingsTest, BinaryContentWithNulBytesIsReadLineByLine) {
    std::string content = std::string("junk\0junk\n", 10) + "P acf/_green_lo_oilP 18\n" +
                          std::string(5000, '\0') + "\n";
    Load("Aircraft/GA", content.c_str());  // cut at the first NUL by c_str
    EXPECT_FLOAT_EQ(AircraftSettings.lowOilPressureLimit, 0.0f);

    std::istringstream stream(content);
    AircraftSettingsRecord settings = {1, 0.0f, 0.0f};
    OrvAcfReadLimits(stream, settings);
    EXPECT_FLOAT_EQ(settings.lowOilPressureLimit, 18.0f);
    EXPECT_EQ(settings.isHelicopter, 1u);
}

}  // namespace
}  // namespace Orv::Test
