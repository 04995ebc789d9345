// Scenarios: the commands that drive one run of the host, one a line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Orv::Host {

class Host;

struct Command {
    int line = 0;
    std::string name;
    std::vector<std::string> args;  // the words after the name
    std::string rest;               // the text after the name, trimmed
    std::vector<std::string> body;  // the lines of a file ... end block
    // Read from the arguments when the scenario is parsed: the numbers of
    // frame, advance and message; the usages of press and release; the
    // bytes of report.
    std::vector<int64_t> numbers;
    std::vector<uint16_t> usages;
    std::vector<uint8_t> bytes;
};

struct Scenario {
    std::string fileName;  // for messages
    std::vector<Command> commands;
};

// Splits a scenario into commands and checks their form (names, argument
// counts and values).  False with "FILE:LINE: message".
bool ParseScenario(const std::string& text, const std::string& fileName, Scenario* scenario,
                   std::string* error);

// Runs the commands on the host.  A scenario without "start" starts the
// plugin before its first command that is not a set-up command (file, set,
// service-events, plug, fault), or at its end when it has none.  False
// with "FILE:LINE: message" when a command fails.
bool RunScenario(const Scenario& scenario, Host* host, std::string* error);

}  // namespace Orv::Host
