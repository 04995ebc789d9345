// The host's command line: every option's value is checked, bad ones refused.
#include <gtest/gtest.h>

#include "sim/host/options.h"

namespace Orv::Host {
namespace {

bool Parse(std::vector<std::string> args, Options* options) {
    std::string error;
    bool ok = ParseOptions(args, options, &error);
    EXPECT_EQ(ok, error.empty()) << error;
    return ok;
}

TEST(HostOptions, ReadsEveryOption) {
    Options o;
    ASSERT_TRUE(
        Parse({"--root",     "r",       "--data",    "d",        "--profile", "p",          "--log",
               "-",          "--trace", "2:0x801",   "--out",    "o",         "--frame-ms", "50",
               "--realtime", "--view",  "--service", "--plugin", "x.xpl",     "s.scn"},
              &o));
    EXPECT_EQ(o.root, "r");
    EXPECT_TRUE(o.dataGiven && o.profileGiven);
    EXPECT_EQ(o.log, "-");
    EXPECT_TRUE(o.trace);
    EXPECT_EQ(o.traceLevel, 2);
    EXPECT_EQ(o.traceMask, 0x801u);
    EXPECT_EQ(o.frameMs, 50u);
    EXPECT_TRUE(o.realtime && o.view && o.service);
    EXPECT_EQ(o.plugin, "x.xpl");
    EXPECT_EQ(o.scenario, "s.scn");

    Options d;
    ASSERT_TRUE(Parse({"--trace", "3", "--frames", "0"}, &d));
    EXPECT_EQ(d.traceMask, 0x7FFFFFFFFFFFFFFFu);
    EXPECT_EQ(d.frameMs, 20u);
    EXPECT_TRUE(d.framesGiven);
}

TEST(HostOptions, RefusesBadCommandLines) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--root"},
        {"--log", ""},
        {"--trace", "0"},
        {"--trace", "4"},
        {"--trace", "x"},
        {"--trace", "2:"},
        {"--trace", "2:0xg"},
        {"--trace", "2:12345678901234567"},
        {"--frame-ms", "0"},
        {"--frame-ms", "-5"},
        {"--frame-ms", "60001"},
        {"--frames", "3x"},
        {"--frames", "99999999999999999999999"},
        {"--frames", "2", "a.scn"},
        {"a.scn", "b.scn"},
    };
    for (const auto& args : cases) {
        Options o;
        std::string error;
        EXPECT_FALSE(ParseOptions(args, &o, &error)) << args[0] << " " << args.back();
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace Orv::Host
