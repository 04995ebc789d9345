#include "sim/host/scenario.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <sstream>

#include "sim/host/host.h"
#include "sim/host/options.h"

namespace Orv::Host {

namespace {

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return "";
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

// A signed number in decimal or, with 0x, hexadecimal.
bool ParseSigned(const std::string& text, int64_t min, int64_t max, int64_t* value) {
    bool negative = !text.empty() && text[0] == '-';
    std::string digits = negative ? text.substr(1) : text;
    uint64_t magnitude = 0;
    bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (hex ? !ParseHex(digits, &magnitude)
            : !ParseUnsigned(digits, std::numeric_limits<uint64_t>::max(), &magnitude))
        return false;
    if (negative) {
        if (magnitude > static_cast<uint64_t>(-(min + 1)) + 1)
            return false;
        *value = magnitude == 0 ? 0 : -static_cast<int64_t>(magnitude - 1) - 1;
    } else {
        if (magnitude > static_cast<uint64_t>(max))
            return false;
        *value = static_cast<int64_t>(magnitude);
    }
    return true;
}

// A HID usage: 1 to 0xFFFF, decimal or 0x hexadecimal.
bool ParseUsage(const std::string& text, uint16_t* usage) {
    uint64_t value = 0;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex ? !ParseHex(text, &value) : !ParseUnsigned(text, 0xFFFF, &value))
        return false;
    if (value == 0 || value > 0xFFFF)
        return false;
    *usage = static_cast<uint16_t>(value);
    return true;
}

bool IsSetupCommand(const std::string& name) {
    return name == "file" || name == "set" || name == "service-events" || name == "plug" ||
           name == "fault";
}

struct Checker {
    Command& command;
    std::string* error;

    bool Fail(const std::string& message) const {
        *error = message;
        return false;
    }
    bool Count(size_t min, size_t max) const {
        size_t n = command.args.size();
        if (n >= min && n <= max)
            return true;
        std::string expected =
            min == max ? std::to_string(min) : std::to_string(min) + " to " + std::to_string(max);
        return Fail(command.name + " takes " + expected + " argument" + (max == 1 ? "" : "s") +
                    ", got " + std::to_string(n));
    }
};

// Checks the command's form and reads its numbers, usages and bytes.
bool CheckCommand(Command& command, std::string* error) {
    Checker check{command, error};
    const std::string& name = command.name;
    const auto& args = command.args;
    if (name == "frame") {
        uint64_t n = 0;
        if (!check.Count(0, 1))
            return false;
        if (!args.empty() && !ParseUnsigned(args[0], 100000000, &n))
            return check.Fail("bad frame count '" + args[0] + "'");
        command.numbers = {args.empty() ? 1 : static_cast<int64_t>(n)};
        return true;
    }
    if (name == "advance") {
        uint64_t ms = 0;
        if (!check.Count(1, 1))
            return false;
        if (!ParseUnsigned(args[0], 0xFFFFFFFFull, &ms))
            return check.Fail("bad milliseconds '" + args[0] + "'");
        command.numbers = {static_cast<int64_t>(ms)};
        return true;
    }
    if (name == "set") {
        if (args.size() < 2)
            return check.Fail("set takes a name and a value");
        return true;
    }
    if (name == "aircraft" || name == "file") {
        if (command.rest.empty())
            return check.Fail(name + " takes a path");
        return true;
    }
    if (name == "message") {
        int64_t sender = 0, message = 0, param = 0;
        if (!check.Count(3, 3))
            return false;
        if (!ParseSigned(args[0], INT32_MIN, INT32_MAX, &sender))
            return check.Fail("bad sender '" + args[0] + "'");
        if (!ParseSigned(args[1], INT32_MIN, INT32_MAX, &message))
            return check.Fail("bad message '" + args[1] + "'");
        if (!ParseSigned(args[2], INTPTR_MIN, INTPTR_MAX, &param))
            return check.Fail("bad parameter '" + args[2] + "'");
        command.numbers = {sender, message, param};
        return true;
    }
    if (name == "start" || name == "enable" || name == "disable" || name == "stop")
        return check.Count(0, 0);
    if (name == "service-events") {
        if (!check.Count(0, 1))
            return false;
        if (!args.empty() && args[0] != "on" && args[0] != "off")
            return check.Fail("service-events takes on or off, got '" + args[0] + "'");
        return true;
    }
    if (name == "plug") {
        if (args.empty())
            return check.Fail("plug takes a kind");
        return true;
    }
    if (name == "unplug")
        return check.Count(1, 1);
    if (name == "press" || name == "release") {
        if (args.size() < 2)
            return check.Fail(name + " takes a device and usages");
        for (size_t i = 1; i < args.size(); ++i) {
            uint16_t usage = 0;
            if (!ParseUsage(args[i], &usage))
                return check.Fail("bad usage '" + args[i] + "'");
            command.usages.push_back(usage);
        }
        return true;
    }
    if (name == "report") {
        if (!check.Count(2, 2))
            return false;
        if (args[1].size() % 2 != 0)
            return check.Fail("bad report bytes '" + args[1] + "'");
        for (char c : args[1])
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return check.Fail("bad report bytes '" + args[1] + "'");
        for (size_t i = 0; i + 1 < args[1].size(); i += 2)
            command.bytes.push_back(
                static_cast<uint8_t>(std::stoul(args[1].substr(i, 2), nullptr, 16)));
        return true;
    }
    if (name == "fault") {
        if (!check.Count(2, 3))
            return false;
        const std::string& what = args[1];
        bool takesArg = what == "open" || what == "read" || what == "feature" ||
                        what == "pending" || what == "ioctl";
        if (!takesArg && what != "serial" && what != "silent")
            return check.Fail("unknown fault '" + what + "'");
        if (takesArg != (args.size() == 3))
            return check.Fail("fault " + what +
                              (takesArg ? " takes a number" : " takes no number"));
        uint64_t value = 0;
        if (takesArg && !ParseUnsigned(args[2], 0xFFFFFFFFull, &value))
            return check.Fail("bad number '" + args[2] + "'");
        return true;
    }
    if (name == "end")
        return check.Fail("end without file");
    return check.Fail("unknown command '" + name + "'");
}

}  // namespace

bool ParseScenario(const std::string& text, const std::string& fileName, Scenario* scenario,
                   std::string* error) {
    scenario->fileName = fileName;
    scenario->commands.clear();
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    auto fail = [&](int line, const std::string& message) {
        *error = fileName + ":" + std::to_string(line) + ": " + message;
        return false;
    };
    while (std::getline(in, raw)) {
        ++number;
        std::string line = raw;
        size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.resize(hash);
        line = Trim(line);
        if (line.empty())
            continue;
        Command command;
        command.line = number;
        size_t space = line.find_first_of(" \t");
        command.name = line.substr(0, space);
        if (space != std::string::npos)
            command.rest = Trim(line.substr(space));
        command.args = Words(command.rest);
        if (command.name == "file") {
            bool closed = false;
            while (std::getline(in, raw)) {
                ++number;
                if (!raw.empty() && raw.back() == '\r')
                    raw.pop_back();
                if (Trim(raw) == "end") {
                    closed = true;
                    break;
                }
                command.body.push_back(raw);
            }
            if (!closed)
                return fail(command.line, "file without end");
        }
        std::string message;
        if (!CheckCommand(command, &message))
            return fail(command.line, message);
        scenario->commands.push_back(std::move(command));
    }
    return true;
}

bool RunScenario(const Scenario& scenario, Host* host, std::string* error) {
    bool explicitStart = false;
    for (const auto& command : scenario.commands)
        if (command.name == "start")
            explicitStart = true;
    bool autoStarted = explicitStart;
    auto fail = [&](const Command& command, const std::string& message) {
        *error = scenario.fileName + ":" + std::to_string(command.line) + ": " + message;
        return false;
    };
    for (const auto& command : scenario.commands) {
        const std::string& name = command.name;
        const auto& args = command.args;
        if (!autoStarted && !IsSetupCommand(name)) {
            host->Start();
            autoStarted = true;
        }
        std::string message;
        if (name == "frame") {
            host->Frames(static_cast<uint64_t>(command.numbers[0]));
        } else if (name == "advance") {
            host->Advance(static_cast<uint32_t>(command.numbers[0]));
        } else if (name == "set") {
            if (!host->SetData(command.rest, &message))
                return fail(command, message);
        } else if (name == "aircraft") {
            if (!host->Aircraft(command.rest, &message))
                return fail(command, message);
        } else if (name == "file") {
            if (!host->WriteFile(command.rest, command.body, &message))
                return fail(command, message);
        } else if (name == "message") {
            host->Message(static_cast<int>(command.numbers[0]),
                          static_cast<int>(command.numbers[1]),
                          static_cast<intptr_t>(command.numbers[2]));
        } else if (name == "start") {
            host->Start();
        } else if (name == "enable") {
            host->Enable();
        } else if (name == "disable") {
            host->Disable();
        } else if (name == "stop") {
            host->Stop();
        } else if (name == "plug") {
            if (!host->Plug(args, &message))
                return fail(command, message);
        } else if (name == "unplug") {
            if (!host->Unplug(args[0], &message))
                return fail(command, message);
        } else if (name == "press" || name == "release") {
            if (!host->Buttons(args[0], command.usages, name == "press", &message))
                return fail(command, message);
        } else if (name == "report") {
            if (!host->Report(args[0], command.bytes, &message))
                return fail(command, message);
        } else if (name == "fault") {
            if (!host->Fault(args[0], args[1], args.size() > 2 ? args[2] : "", &message))
                return fail(command, message);
        } else if (name == "service-events") {
            host->ServiceEvents(args.empty() || args[0] == "on");
        } else {
            return fail(command, "unknown command '" + name + "'");
        }
    }
    if (!autoStarted)
        host->Start();
    return true;
}

}  // namespace Orv::Host
