// The host's side of the simulated X-Plane: scenario assignments, created
// datarefs, reset.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/xplane/world_fixture.h"

namespace Orv::Test {
namespace {

struct AssignCase {
    const char* text;
    const char* dataref;
    std::vector<double> expected;  // the first elements afterwards
};

TEST_F(WorldTest, AssignmentsSetScalarsElementsAndLists) {
    const AssignCase cases[] = {
        {"sim/cockpit/radios/com1_freq_hz 12150", "sim/cockpit/radios/com1_freq_hz", {12150}},
        {"  sim/cockpit/radios/transponder_code\t7700  ",
         "sim/cockpit/radios/transponder_code",
         {7700}},
        {"sim/cockpit/radios/com1_freq_hz -3", "sim/cockpit/radios/com1_freq_hz", {-3}},
        {"sim/cockpit/radios/com1_freq_hz +4", "sim/cockpit/radios/com1_freq_hz", {4}},
        {"sim/cockpit/autopilot/altitude 1.25e3", "sim/cockpit/autopilot/altitude", {1250}},
        {"sim/cockpit/autopilot/heading_mag 45.9",
         "sim/cockpit/autopilot/heading_mag",
         {double(45.9f)}},
        {"sim/flightmodel2/gear/deploy_ratio[1] 0.5",
         "sim/flightmodel2/gear/deploy_ratio",
         {1, 0.5, 1}},
        {"sim/flightmodel2/gear/deploy_ratio[9] 0.25",
         "sim/flightmodel2/gear/deploy_ratio",
         {1, 1, 1, 0, 0, 0, 0, 0, 0, 0.25}},
        {"sim/flightmodel2/gear/deploy_ratio 1.0, 0.5 ,0.0",
         "sim/flightmodel2/gear/deploy_ratio",
         {1, 0.5, 0, 0}},
        {"sim/cockpit/warnings/annunciators/engine_fires 0,1",
         "sim/cockpit/warnings/annunciators/engine_fires",
         {0, 1, 0}},
        {"sim/cockpit/warnings/annunciators/engine_fires 1",
         "sim/cockpit/warnings/annunciators/engine_fires",
         {1, 0}},
    };
    for (const AssignCase& c : cases) {
        XSim::Reset();
        std::string error;
        ASSERT_TRUE(XSim::SetDataFromText(c.text, &error)) << c.text << ": " << error;
        std::vector<double> values;
        ASSERT_TRUE(XSim::GetDataValues(c.dataref, &values));
        values.resize(c.expected.size());
        EXPECT_EQ(values, c.expected) << c.text;
    }
    EXPECT_TRUE(recorder.writes.empty()) << "host writes are not the plugin's";
}

struct ErrorCase {
    const char* text;
    const char* message;  // part of the error message
};

TEST_F(WorldTest, BadAssignmentsFailWithAClearMessageAndChangeNothing) {
    const ErrorCase cases[] = {
        {"", "missing dataref name"},
        {"   ", "missing dataref name"},
        {"sim/no/such_ref 1", "unknown dataref 'sim/no/such_ref'"},
        {"sim/cockpit/radios/com1_freq_hz", "missing value for 'sim/cockpit/radios/com1_freq_hz'"},
        {"sim/cockpit/radios/com1_freq_hz abc", "bad value 'abc'"},
        {"sim/cockpit/radios/com1_freq_hz 118.5", "bad value '118.5'"},
        {"sim/cockpit/radios/com1_freq_hz 12a", "bad value '12a'"},
        {"sim/cockpit/radios/com1_freq_hz 99999999999", "bad value"},
        {"sim/cockpit/autopilot/altitude nan", "bad value 'nan'"},
        {"sim/cockpit/autopilot/altitude 1e39", "bad value '1e39'"},
        {"sim/cockpit/autopilot/altitude 1,2", "takes one value"},
        {"sim/cockpit/autopilot/altitude[0] 1", "is not an array"},
        {"sim/flightmodel2/gear/deploy_ratio[10] 1", "index 10 out of range"},
        {"sim/flightmodel2/gear/deploy_ratio[-1] 1", "index -1 out of range"},
        {"sim/flightmodel2/gear/deploy_ratio[x] 1", "bad element index"},
        {"sim/flightmodel2/gear/deploy_ratio[2 1", "bad element index"},
        {"sim/flightmodel2/gear/deploy_ratio[] 1", "bad element index"},
        {"sim/flightmodel2/gear/deploy_ratio[1] 1,2", "takes one value"},
        {"sim/flightmodel2/gear/deploy_ratio 0,0,0,0,0,0,0,0,0,0,0", "too many values"},
        {"sim/flightmodel2/gear/deploy_ratio 0,,0", "bad value ''"},
        {"sim/flightmodel2/gear/deploy_ratio 0,0,", "bad value ''"},
    };
    for (const ErrorCase& c : cases) {
        std::string error;
        EXPECT_FALSE(XSim::SetDataFromText(c.text, &error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " -> " << error;
    }
    EXPECT_EQ(Value("sim/cockpit/radios/com1_freq_hz"), 11800);
    EXPECT_EQ(Value("sim/flightmodel2/gear/deploy_ratio", 0), 1);
    EXPECT_EQ(Value("sim/flightmodel2/gear/deploy_ratio", 1), 1);
    EXPECT_FALSE(XSim::SetDataFromText("sim/no/such_ref 1", nullptr)) << "no error text wanted";
}

TEST_F(WorldTest, CreatedDatarefsBehaveLikeBuiltInOnesUntilReset) {
    EXPECT_TRUE(XSim::CreateDataRef("test/ints", XSim::DataType::IntArray, 3));
    EXPECT_TRUE(XSim::CreateDataRef("test/none", XSim::DataType::IntArray, 0));
    EXPECT_TRUE(XSim::CreateDataRef("test/bytes", XSim::DataType::Bytes, 4));
    EXPECT_FALSE(XSim::CreateDataRef("test/ints", XSim::DataType::Int, 1)) << "exists";
    EXPECT_FALSE(XSim::CreateDataRef("sim/cockpit/radios/com1_freq_hz", XSim::DataType::Int, 1));
    EXPECT_FALSE(XSim::CreateDataRef("", XSim::DataType::Int, 1));
    EXPECT_FALSE(XSim::CreateDataRef("test/negative", XSim::DataType::FloatArray, -1));

    XPLMDataRef ints = XPLMFindDataRef("test/ints");
    ASSERT_NE(ints, nullptr);
    EXPECT_EQ(XPLMGetDataRefTypes(XPLMFindDataRef("test/bytes")), xplmType_Data);
    EXPECT_EQ(XPLMGetDatavi(XPLMFindDataRef("test/none"), nullptr, 0, 0), 0);
    Set("test/ints 4,5,6");
    Set("test/bytes 255,0,7");
    std::string error;
    EXPECT_FALSE(XSim::SetDataFromText("test/bytes 256", &error));
    int read[3] = {};
    EXPECT_EQ(XPLMGetDatavi(ints, read, 0, 3), 3);
    EXPECT_EQ(read[2], 6);
    XSim::DataType type{};
    int size = 0;
    EXPECT_TRUE(XSim::GetDataType("test/ints", &type, &size));
    EXPECT_EQ(type, XSim::DataType::IntArray);
    EXPECT_EQ(size, 3);

    XSim::Reset();
    EXPECT_FALSE(XSim::HasDataRef("test/ints"));
    EXPECT_EQ(XPLMFindDataRef("test/ints"), nullptr);
    EXPECT_EQ(XPLMGetDatavi(ints, nullptr, 0, 0), 0) << "a stale handle reads as null";
    EXPECT_TRUE(XSim::CreateDataRef("test/ints", XSim::DataType::Float, 1)) << "free again";
}

TEST_F(WorldTest, ResetRestoresStartValuesAndKeepsHandles) {
    XPLMDataRef com1 = XPLMFindDataRef("sim/cockpit/radios/com1_freq_hz");
    XPLMCommandRef flip = XPLMFindCommand("sim/radios/com1_standy_flip");
    XPLMCommandOnce(flip);
    Set("sim/flightmodel2/gear/deploy_ratio 0,0,0");
    XSim::SetUserAircraft("a.acf", "Aircraft/a.acf");
    XSim::RunFrame(0.02f);
    XSim::Reset();
    EXPECT_EQ(XPLMFindDataRef("sim/cockpit/radios/com1_freq_hz"), com1);
    EXPECT_EQ(XPLMFindCommand("sim/radios/com1_standy_flip"), flip);
    EXPECT_EQ(XPLMGetDatai(com1), 11800);
    EXPECT_EQ(Value("sim/flightmodel2/gear/deploy_ratio", 2), 1);
    char name[256] = "x";
    XPLMGetNthAircraftModel(0, name, nullptr);
    EXPECT_STREQ(name, "");
}

TEST_F(WorldTest, HostQueriesAnswerForKnownNamesOnly) {
    EXPECT_TRUE(XSim::HasCommand("sim/radios/com1_standy_flip"));
    EXPECT_FALSE(XSim::HasCommand("sim/cockpit/radios/com1_freq_hz"));
    EXPECT_TRUE(XSim::HasDataRef("sim/cockpit/radios/com1_freq_hz"));
    EXPECT_FALSE(XSim::HasDataRef("sim/radios/com1_standy_flip"));
    std::vector<double> values = {42};
    EXPECT_FALSE(XSim::GetDataValues("sim/nothing", &values));
    EXPECT_EQ(values, std::vector<double>{42});
    EXPECT_FALSE(XSim::GetDataType("sim/nothing", nullptr, nullptr));
    std::vector<std::string> names = XSim::DataRefNames();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_NE(std::find(names.begin(), names.end(), "sim/cockpit/radios/transponder_code"),
              names.end());
}

}  // namespace
}  // namespace Orv::Test
