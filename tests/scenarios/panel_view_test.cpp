// --view: the feature reports of the four HID panels as what they show.
#include <gtest/gtest.h>

#include "common/device_ids.h"
#include "sim/host/panel_view.h"

namespace Orv::Host {
namespace {

std::vector<uint8_t> Bytes(const char* hex) {
    std::vector<uint8_t> bytes;
    for (const char* p = hex; p[0] != 0 && p[1] != 0; p += 2)
        bytes.push_back(uint8_t(std::stoi(std::string(p, 2), nullptr, 16)));
    return bytes;
}

TEST(PanelView, ShowsWhatEachPanelShows) {
    struct Case {
        uint16_t product;
        const char* report;
        const char* shown;
    } cases[] = {
        {PRODUCT_ID_TOGGLE, "0007", "gear  0:green  1:green  2:green"},
        {PRODUCT_ID_TOGGLE, "0038", "gear  0:red  1:red  2:red"},
        {PRODUCT_ID_TOGGLE, "0000", "gear  0:dark  1:dark  2:dark"},
        // Upper COM1 118.05 / 121.50; lower ADF 362 with a dark standby
        // field, a minus sign and a byte no digit has.
        {PRODUCT_ID_TUNER,
         "000101d80005"
         "0102d10500"
         "ffff030602"
         "e0ff0142ff"
         "ffffff",
         "upper [118.05] [121.50]   lower [  362] [- 1? ]"},
        // ALT 10000 over -700; AP and ALT lit.
        {PRODUCT_ID_MODE,
         "00"
         "0100000000"
         "ff0e070000"
         "1100",
         "[10000] [ -700]   AP ... ... ... ALT .. ... ..."},
        {PRODUCT_ID_WAP, "b264", "brightness 100"},
        {PRODUCT_ID_WAP, "b8000000000000", "lenses all dark"},
        // Lens 0 green, lens 5 red, lens 23 amber.
        {PRODUCT_ID_WAP, "b8010080200080", "lenses 0:green  5:red  23:amber"},
        // Reports a panel would not take, and a device with no view.
        {PRODUCT_ID_TUNER, "0001", "bytes 0001"},
        {PRODUCT_ID_WAP, "b80000", "bytes b80000"},
        {PRODUCT_ID_GDP, "01ff", "bytes 01ff"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DescribeFeatureReport(c.product, Bytes(c.report)), c.shown) << c.report;
}

TEST(PanelView, ShowsTheMfdLinesAsThePilotSeesThem) {
    EXPECT_EQ(DescribeMfd({"COM1 [118.05]",
                           "STBY \xFC"
                           "121.50\xFB",
                           ""},
                          1),
              "mfd |COM1 [118.05]   | |STBY \xE2\x96\xBA"
              "121.50\xE2\x97\x84   | |                |  shift 1");
    // A byte the terminal cannot show; a line longer than the MFD is shown whole.
    EXPECT_EQ(DescribeMfd({"\x01\x7F", "ABCDEFGHIJKLMNOPQ", "A"}, 0),
              "mfd |??              | |ABCDEFGHIJKLMNOPQ| |A               |  shift 0");
}

}  // namespace
}  // namespace Orv::Host
