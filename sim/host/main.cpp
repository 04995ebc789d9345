// avionex-sim: runs the plugin in the simulated X-Plane, driven by a
// scenario, and writes an event log of what it does.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/host/host.h"
#include "sim/host/options.h"
#include "sim/host/scenario.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Usage(const std::string& message) {
    std::fprintf(stderr, "avionex-sim: %s\n(avionex-sim --help lists the options)\n",
                 message.c_str());
    return kExitUsage;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "avionex-sim: %s\n", message.c_str());
    return kExitFailure;
}

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace Orv::Host;
    Options options;
    std::string error;
    if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error))
        return Usage(error);
    if (options.help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }

    std::string sampleData = std::string(ORV_SOURCE_DIR) + "/data";
    if (!options.dataGiven) {
        options.data = IsDirectory(sampleData) ? sampleData : "";
    } else if (!IsDirectory(options.data)) {
        return Usage("--data: no such folder: " + options.data);
    }
    if (!options.profileGiven) {
        options.profile = IsDirectory(sampleData + "/profile") ? sampleData + "/profile" : "";
    } else if (!IsDirectory(options.profile)) {
        return Usage("--profile: no such folder: " + options.profile);
    }
    if (options.plugin.empty())
        options.plugin = ORV_DEFAULT_PLUGIN;
    if (options.plugin.empty())
        return Usage("no plugin was built with this host: give one with --plugin");
    {
        std::error_code ec;
        if (!fs::is_regular_file(options.plugin, ec))
            return Usage("--plugin: no such file: " + options.plugin);
    }

    Scenario scenario;
    if (!options.scenario.empty()) {
        std::ifstream file(options.scenario, std::ios::binary);
        if (!file)
            return Failure("cannot read the scenario " + options.scenario);
        std::ostringstream text;
        text << file.rdbuf();
        if (!ParseScenario(text.str(), options.scenario, &scenario, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return kExitFailure;
        }
    }
    Host host(options);
    if (!host.Setup(&error)) {
        host.Finish();
        return Failure(error);
    }
    if (!options.scenario.empty()) {
        if (!RunScenario(scenario, &host, &error)) {
            host.Finish();
            std::fprintf(stderr, "%s\n", error.c_str());
            return kExitFailure;
        }
    } else {
        if (options.framesGiven)
            host.PlugEveryKind();
        host.Start();
        host.Frames(options.frames);
    }
    host.Finish();
    return 0;
}
