#include "sim/host/options.h"

namespace Orv::Host {

bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t* value) {
    if (text.empty() || text.size() > 20)
        return false;
    uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        uint64_t digit = static_cast<uint64_t>(c - '0');
        if (digit > max || result > (max - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    *value = result;
    return true;
}

bool ParseHex(const std::string& text, uint64_t* value) {
    size_t start =
        (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? 2 : 0;
    if (start == text.size() || text.size() - start > 16)
        return false;
    uint64_t result = 0;
    for (size_t i = start; i < text.size(); ++i) {
        char c = text[i];
        uint64_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint64_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint64_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint64_t>(c - 'A' + 10);
        else
            return false;
        result = (result << 4) | digit;
    }
    *value = result;
    return true;
}

namespace {

bool ParseTrace(const std::string& text, Options* options) {
    std::string level = text;
    std::string mask;
    size_t colon = text.find(':');
    if (colon != std::string::npos) {
        level = text.substr(0, colon);
        mask = text.substr(colon + 1);
    }
    uint64_t value = 0;
    if (!ParseUnsigned(level, 3, &value) || value < 1)
        return false;
    options->traceLevel = static_cast<uint8_t>(value);
    if (colon != std::string::npos && !ParseHex(mask, &options->traceMask))
        return false;
    options->trace = true;
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) {
                *error = "option " + arg + " needs a value";
                return false;
            }
            *out = args[++i];
            if (out->empty()) {
                *error = "option " + arg + " needs a non-empty value";
                return false;
            }
            return true;
        };
        auto bad = [&](const std::string& what) {
            *error = "bad value for " + arg + ": '" + what + "'";
            return false;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else if (arg == "--root") {
            if (!value(&options->root))
                return false;
        } else if (arg == "--data") {
            if (!value(&options->data))
                return false;
            options->dataGiven = true;
        } else if (arg == "--profile") {
            if (!value(&options->profile))
                return false;
            options->profileGiven = true;
        } else if (arg == "--log") {
            if (!value(&options->log))
                return false;
        } else if (arg == "--trace") {
            if (!value(&text))
                return false;
            if (!ParseTrace(text, options))
                return bad(text);
        } else if (arg == "--out") {
            if (!value(&options->out))
                return false;
        } else if (arg == "--frame-ms") {
            if (!value(&text))
                return false;
            uint64_t ms = 0;
            if (!ParseUnsigned(text, 60000, &ms) || ms == 0)
                return bad(text);
            options->frameMs = static_cast<uint32_t>(ms);
        } else if (arg == "--realtime") {
            options->realtime = true;
        } else if (arg == "--view") {
            options->view = true;
        } else if (arg == "--frames") {
            if (!value(&text))
                return false;
            if (!ParseUnsigned(text, 100000000, &options->frames))
                return bad(text);
            options->framesGiven = true;
        } else if (arg == "--service") {
            options->service = true;
        } else if (arg == "--plugin") {
            if (!value(&options->plugin))
                return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option " + arg;
            return false;
        } else {
            if (!options->scenario.empty()) {
                *error = "more than one scenario: " + options->scenario + " and " + arg;
                return false;
            }
            options->scenario = arg;
        }
    }
    if (options->framesGiven && !options->scenario.empty()) {
        *error = "--frames runs without a scenario";
        return false;
    }
    return true;
}

const char* UsageText() {
    return "usage: avionex-sim [options] [SCENARIO]\n"
           "\n"
           "Runs the plugin in the simulated X-Plane, driven by a scenario or for a\n"
           "number of frames, and writes what happens to an event log.\n"
           "\n"
           "  --root DIR          the sandbox folder (default: a fresh temporary folder,\n"
           "                      removed at exit)\n"
           "  --data DIR          the plugin data folder to install (default: data/)\n"
           "  --profile DIR       the profile folder contents (default: data/profile)\n"
           "  --log FILE|-        the event log, JSON lines; - for standard output\n"
           "  --trace LEVEL[:MASK]\n"
           "                      a trace session at level 1 to 3 with a hex keyword\n"
           "                      mask (default 7FFFFFFFFFFFFFFF); its lines go to the log\n"
           "  --out DIR           where pictures of the gauge display go\n"
           "  --frame-ms N        virtual milliseconds per frame (default 20)\n"
           "  --realtime          real time instead of virtual time\n"
           "  --view              what the panels show, frame by frame\n"
           "  --frames N          without a scenario: plug one device of every kind, start\n"
           "                      the plugin, run N frames\n"
           "  --service           run the service program on the simulated service\n"
           "                      manager, with a display service GlassLinkSvc\n"
           "  --plugin PATH       the plugin to load (default: the lin.xpl of this build)\n"
           "  --help              this text\n"
           "\n"
           "Exit codes: 0 success, 1 failure of the run or the scenario, 2 bad command line.\n";
}

}  // namespace Orv::Host
