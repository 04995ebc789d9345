// The command line of avionex-sim.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Orv::Host {

struct Options {
    std::string root;  // empty: a fresh temporary folder
    std::string data;  // the plugin's data folder to install
    bool dataGiven = false;
    std::string profile;  // the profile folder contents to install
    bool profileGiven = false;
    std::string log;  // empty: no log; "-": standard output
    bool trace = false;
    uint8_t traceLevel = 0;
    uint64_t traceMask = 0x7FFFFFFFFFFFFFFFull;
    std::string out;
    uint32_t frameMs = 20;
    bool realtime = false;
    bool view = false;
    bool framesGiven = false;
    uint64_t frames = 0;
    bool service = false;
    std::string plugin;
    std::string scenario;  // empty: no scenario
    bool help = false;
};

// Parses argv[1..].  False with a message for an unknown option, a missing
// or bad value, or a second scenario.
bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error);

// Parsers of option values, shared with the scenario language.
bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t* value);
bool ParseHex(const std::string& text, uint64_t* value);

const char* UsageText();

}  // namespace Orv::Host
