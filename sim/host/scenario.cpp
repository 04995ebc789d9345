#include "sim/host/scenario.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <sstream>

#include "sim/host/device_faults.h"
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

struct Checker {
    Command& command;
    std::string* error;

    bool Fail(const std::string& message) const {
        *error = message;
        return false;
    }
};

constexpr size_t kAny = SIZE_MAX;

// One scenario command: its name, whether it is a set-up command (it does
// not start the plugin by itself), its argument rule, what parsing reads
// from its arguments and what running it does.
struct CommandRule {
    const char* name;
    bool setup;
    // The argument rule: min to max words.  Outside it, usage is the
    // message, or (null) "NAME takes N argument(s), got M".
    size_t minArgs;
    size_t maxArgs;
    const char* usage;
    // Checks the argument values and reads the numbers, usages and bytes
    // (null: nothing to read).
    bool (*parse)(Checker& check);
    // Runs it; false with a message.
    bool (*run)(Host& host, const Command& command, std::string* error);
};

bool CheckArgumentCount(const CommandRule& rule, Checker& check) {
    size_t n = check.command.args.size();
    if (n >= rule.minArgs && n <= rule.maxArgs)
        return true;
    if (rule.usage != nullptr)
        return check.Fail(check.command.name + rule.usage);
    std::string expected = rule.minArgs == rule.maxArgs ? std::to_string(rule.minArgs)
                                                        : std::to_string(rule.minArgs) + " to " +
                                                              std::to_string(rule.maxArgs);
    return check.Fail(check.command.name + " takes " + expected + " argument" +
                      (rule.maxArgs == 1 ? "" : "s") + ", got " + std::to_string(n));
}

bool ParseFrame(Checker& check) {
    Command& command = check.command;
    uint64_t n = 0;
    if (!command.args.empty() && !ParseUnsigned(command.args[0], 100000000, &n))
        return check.Fail("bad frame count '" + command.args[0] + "'");
    command.numbers = {command.args.empty() ? 1 : static_cast<int64_t>(n)};
    return true;
}

bool ParseAdvance(Checker& check) {
    Command& command = check.command;
    uint64_t ms = 0;
    if (!ParseUnsigned(command.args[0], 0xFFFFFFFFull, &ms))
        return check.Fail("bad milliseconds '" + command.args[0] + "'");
    command.numbers = {static_cast<int64_t>(ms)};
    return true;
}

bool ParseMessage(Checker& check) {
    Command& command = check.command;
    const auto& args = command.args;
    int64_t sender = 0, message = 0, param = 0;
    if (!ParseSigned(args[0], INT32_MIN, INT32_MAX, &sender))
        return check.Fail("bad sender '" + args[0] + "'");
    if (!ParseSigned(args[1], INT32_MIN, INT32_MAX, &message))
        return check.Fail("bad message '" + args[1] + "'");
    if (!ParseSigned(args[2], INTPTR_MIN, INTPTR_MAX, &param))
        return check.Fail("bad parameter '" + args[2] + "'");
    command.numbers = {sender, message, param};
    return true;
}

bool ParseServiceEvents(Checker& check) {
    const auto& args = check.command.args;
    if (!args.empty() && args[0] != "on" && args[0] != "off")
        return check.Fail("service-events takes on or off, got '" + args[0] + "'");
    return true;
}

bool ParseUsages(Checker& check) {
    Command& command = check.command;
    for (size_t i = 1; i < command.args.size(); ++i) {
        uint16_t usage = 0;
        if (!ParseUsage(command.args[i], &usage))
            return check.Fail("bad usage '" + command.args[i] + "'");
        command.usages.push_back(usage);
    }
    return true;
}

bool ParseReport(Checker& check) {
    Command& command = check.command;
    const std::string& hex = command.args[1];
    if (hex.size() % 2 != 0)
        return check.Fail("bad report bytes '" + hex + "'");
    for (char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return check.Fail("bad report bytes '" + hex + "'");
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        command.bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return true;
}

bool ParseFault(Checker& check) {
    const auto& args = check.command.args;
    const std::string& what = args[1];
    const FaultName* fault = FindFault(what);
    if (fault == nullptr)
        return check.Fail("unknown fault '" + what + "'");
    if (fault->takesNumber != (args.size() == 3))
        return check.Fail("fault " + what +
                          (fault->takesNumber ? " takes a number" : " takes no number"));
    uint64_t value = 0;
    if (fault->takesNumber && !ParseUnsigned(args[2], 0xFFFFFFFFull, &value))
        return check.Fail("bad number '" + args[2] + "'");
    return true;
}

bool ParseEnd(Checker& check) {
    return check.Fail("end without file");
}

const CommandRule kCommands[] = {
    {"frame", false, 0, 1, nullptr, &ParseFrame,
     [](Host& host, const Command& command, std::string*) {
         host.Frames(static_cast<uint64_t>(command.numbers[0]));
         return true;
     }},
    {"advance", false, 1, 1, nullptr, &ParseAdvance,
     [](Host& host, const Command& command, std::string*) {
         host.Advance(static_cast<uint32_t>(command.numbers[0]));
         return true;
     }},
    {"set", true, 2, kAny, " takes a name and a value", nullptr,
     [](Host& host, const Command& command, std::string* error) {
         return host.SetData(command.rest, error);
     }},
    {"aircraft", false, 1, kAny, " takes a path", nullptr,
     [](Host& host, const Command& command, std::string* error) {
         return host.Aircraft(command.rest, error);
     }},
    {"file", true, 1, kAny, " takes a path", nullptr,
     [](Host& host, const Command& command, std::string* error) {
         return host.WriteFile(command.rest, command.body, error);
     }},
    {"message", false, 3, 3, nullptr, &ParseMessage,
     [](Host& host, const Command& command, std::string*) {
         host.Message(static_cast<int>(command.numbers[0]), static_cast<int>(command.numbers[1]),
                      static_cast<intptr_t>(command.numbers[2]));
         return true;
     }},
    {"start", false, 0, 0, nullptr, nullptr,
     [](Host& host, const Command&, std::string*) {
         host.Start();
         return true;
     }},
    {"enable", false, 0, 0, nullptr, nullptr,
     [](Host& host, const Command&, std::string*) {
         host.Enable();
         return true;
     }},
    {"disable", false, 0, 0, nullptr, nullptr,
     [](Host& host, const Command&, std::string*) {
         host.Disable();
         return true;
     }},
    {"stop", false, 0, 0, nullptr, nullptr,
     [](Host& host, const Command&, std::string*) {
         host.Stop();
         return true;
     }},
    {"service-events", true, 0, 1, nullptr, &ParseServiceEvents,
     [](Host& host, const Command& command, std::string*) {
         host.ServiceEvents(command.args.empty() || command.args[0] == "on");
         return true;
     }},
    {"plug", true, 1, kAny, " takes a kind", nullptr,
     [](Host& host, const Command& command, std::string* error) {
         return host.Plug(command.args, error);
     }},
    {"unplug", false, 1, 1, nullptr, nullptr,
     [](Host& host, const Command& command, std::string* error) {
         return host.Unplug(command.args[0], error);
     }},
    {"press", false, 2, kAny, " takes a device and usages", &ParseUsages,
     [](Host& host, const Command& command, std::string* error) {
         return host.Buttons(command.args[0], command.usages, true, error);
     }},
    {"release", false, 2, kAny, " takes a device and usages", &ParseUsages,
     [](Host& host, const Command& command, std::string* error) {
         return host.Buttons(command.args[0], command.usages, false, error);
     }},
    {"report", false, 2, 2, nullptr, &ParseReport,
     [](Host& host, const Command& command, std::string* error) {
         return host.Report(command.args[0], command.bytes, error);
     }},
    {"fault", true, 2, 3, nullptr, &ParseFault,
     [](Host& host, const Command& command, std::string* error) {
         const auto& args = command.args;
         return host.Fault(args[0], args[1], args.size() > 2 ? args[2] : "", error);
     }},
    // Closes a file block; alone it is an error.
    {"end", true, 0, kAny, nullptr, &ParseEnd, nullptr},
};

const CommandRule* FindCommand(const std::string& name) {
    for (const CommandRule& rule : kCommands)
        if (name == rule.name)
            return &rule;
    return nullptr;
}

// Checks the command's form and reads its numbers, usages and bytes.
bool CheckCommand(Command& command, std::string* error) {
    Checker check{command, error};
    const CommandRule* rule = FindCommand(command.name);
    if (rule == nullptr)
        return check.Fail("unknown command '" + command.name + "'");
    if (!CheckArgumentCount(*rule, check))
        return false;
    return rule->parse == nullptr || rule->parse(check);
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
        const CommandRule* rule = FindCommand(command.name);
        if (rule == nullptr || rule->run == nullptr)
            return fail(command, "unknown command '" + command.name + "'");
        if (!autoStarted && !rule->setup) {
            host->Start();
            autoStarted = true;
        }
        std::string message;
        if (!rule->run(*host, command, &message))
            return fail(command, message);
    }
    if (!autoStarted)
        host->Start();
    return true;
}

}  // namespace Orv::Host
