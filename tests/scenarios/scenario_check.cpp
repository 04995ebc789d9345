// scenario-check: runs avionex-sim on a scenario and checks its event log
// against the scenario's .expect file.
//
//   scenario-check --sim HOST --plugin PLUGIN --stub STUB SCENARIO.scn
//   scenario-check --sim HOST --twice ARG...
//
// The .expect file beside the scenario, one item a line ('#' comments):
//   {...}          a JSON object whose fields must all be present, with equal
//                  values, in some log line; such lines match in order; an
//                  expected string "~TEXT" matches any string containing TEXT
//   !{...}         no log line between the previous match and the next one
//                  (or the end of the log) matches this object
//   args ARG...    further options for the host
//   plugin stub    run the test stub plugin instead of the plugin
//   exit N         the exit code the host must return (default 0)
//   stderr TEXT    text that the host's standard error must contain
//
// --twice runs the host twice with the arguments (each "@LOG" replaced by a
// fresh log file) and requires exit code 0 and byte-identical, non-empty
// logs and standard outputs.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---- A small JSON reader ---------------------------------------------------------

struct Field;

struct Value {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Value> items;
    std::vector<Field> fields;  // in the order of the text
};

struct Field {
    std::string key;
    Value value;
};

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    bool Parse(Value* value, std::string* error) {
        if (!ParseValue(value, 0) || (Skip(), pos_ != text_.size())) {
            *error = "bad JSON at offset " + std::to_string(pos_) + ": " + text_;
            return false;
        }
        return true;
    }

private:
    void Skip() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\r' || text_[pos_] == '\n'))
            ++pos_;
    }
    bool Literal(const char* word) {
        size_t n = std::char_traits<char>::length(word);
        if (text_.compare(pos_, n, word) != 0)
            return false;
        pos_ += n;
        return true;
    }
    static void AppendUtf8(std::string* out, uint32_t c) {
        if (c < 0x80) {
            out->push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out->push_back(static_cast<char>(0xC0 | (c >> 6)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xE0 | (c >> 12)));
            out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    bool ParseString(std::string* out) {
        if (pos_ >= text_.size() || text_[pos_] != '"')
            return false;
        ++pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out->push_back(c);
                continue;
            }
            if (pos_ >= text_.size())
                return false;
            char e = text_[pos_++];
            switch (e) {
                case '"':
                    out->push_back('"');
                    break;
                case '\\':
                    out->push_back('\\');
                    break;
                case '/':
                    out->push_back('/');
                    break;
                case 'b':
                    out->push_back('\b');
                    break;
                case 'f':
                    out->push_back('\f');
                    break;
                case 'n':
                    out->push_back('\n');
                    break;
                case 'r':
                    out->push_back('\r');
                    break;
                case 't':
                    out->push_back('\t');
                    break;
                case 'u': {
                    if (pos_ + 4 > text_.size())
                        return false;
                    uint32_t code = 0;
                    for (int i = 0; i < 4; ++i) {
                        char h = text_[pos_++];
                        code <<= 4;
                        if (h >= '0' && h <= '9')
                            code |= static_cast<uint32_t>(h - '0');
                        else if (h >= 'a' && h <= 'f')
                            code |= static_cast<uint32_t>(h - 'a' + 10);
                        else if (h >= 'A' && h <= 'F')
                            code |= static_cast<uint32_t>(h - 'A' + 10);
                        else
                            return false;
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }
    bool ParseValue(Value* value, int depth) {
        if (depth > 64)
            return false;
        Skip();
        if (pos_ >= text_.size())
            return false;
        char c = text_[pos_];
        if (c == '{') {
            value->kind = Value::Kind::Object;
            ++pos_;
            Skip();
            if (pos_ < text_.size() && text_[pos_] == '}')
                return ++pos_, true;
            while (true) {
                Skip();
                std::string key;
                if (!ParseString(&key))
                    return false;
                Skip();
                if (pos_ >= text_.size() || text_[pos_++] != ':')
                    return false;
                Value item;
                if (!ParseValue(&item, depth + 1))
                    return false;
                value->fields.push_back(Field{std::move(key), std::move(item)});
                Skip();
                if (pos_ >= text_.size())
                    return false;
                if (text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                return text_[pos_++] == '}';
            }
        }
        if (c == '[') {
            value->kind = Value::Kind::Array;
            ++pos_;
            Skip();
            if (pos_ < text_.size() && text_[pos_] == ']')
                return ++pos_, true;
            while (true) {
                Value item;
                if (!ParseValue(&item, depth + 1))
                    return false;
                value->items.push_back(std::move(item));
                Skip();
                if (pos_ >= text_.size())
                    return false;
                if (text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                return text_[pos_++] == ']';
            }
        }
        if (c == '"') {
            value->kind = Value::Kind::String;
            return ParseString(&value->text);
        }
        if (Literal("true"))
            return value->kind = Value::Kind::Bool, value->boolean = true, true;
        if (Literal("false"))
            return value->kind = Value::Kind::Bool, true;
        if (Literal("null"))
            return value->kind = Value::Kind::Null, true;
        const char* begin = text_.c_str() + pos_;
        char* end = nullptr;
        value->number = std::strtod(begin, &end);
        if (end == begin)
            return false;
        value->kind = Value::Kind::Number;
        pos_ += static_cast<size_t>(end - begin);
        return true;
    }

    const std::string& text_;
    size_t pos_ = 0;
};

// Whether actual has what expected asks for: objects need every expected
// field (recursively), arrays the same elements, strings "~TEXT" a string
// containing TEXT, other values equality.
bool Matches(const Value& expected, const Value& actual) {
    if (expected.kind != actual.kind)
        return false;
    switch (expected.kind) {
        case Value::Kind::Null:
            return true;
        case Value::Kind::Bool:
            return expected.boolean == actual.boolean;
        case Value::Kind::Number:
            return expected.number == actual.number;
        case Value::Kind::String:
            if (!expected.text.empty() && expected.text[0] == '~')
                return actual.text.find(expected.text.substr(1)) != std::string::npos;
            return expected.text == actual.text;
        case Value::Kind::Array:
            if (expected.items.size() != actual.items.size())
                return false;
            for (size_t i = 0; i < expected.items.size(); ++i)
                if (!Matches(expected.items[i], actual.items[i]))
                    return false;
            return true;
        case Value::Kind::Object:
            for (const auto& [key, value] : expected.fields) {
                bool found = false;
                for (const auto& [otherKey, other] : actual.fields)
                    if (otherKey == key) {
                        found = Matches(value, other);
                        break;
                    }
                if (!found)
                    return false;
            }
            return true;
    }
    return false;
}

// ---- Running the host --------------------------------------------------------------

struct Run {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool Execute(const std::vector<std::string>& args, const fs::path& scratch, Run* run) {
    fs::path outPath = scratch / "stdout";
    fs::path errPath = scratch / "stderr";
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0)
            _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv;
        for (const auto& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    run->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run->out = ReadFile(outPath);
    run->err = ReadFile(errPath);
    return true;
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

struct Scratch {
    fs::path path;
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "scenario-check-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) != nullptr)
            path = buffer.data();
    }
    ~Scratch() {
        std::error_code ec;
        if (!path.empty())
            fs::remove_all(path, ec);
    }
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "FAIL: %s\n", message.c_str());
    return 1;
}

struct Expectation {
    bool negative = false;
    int line = 0;
    std::string text;
    Value value;
};

int CheckScenario(const std::string& host, const std::string& plugin, const std::string& stub,
                  const fs::path& scenario) {
    fs::path expectPath = scenario;
    expectPath.replace_extension(".expect");
    std::ifstream expectFile(expectPath);
    if (!expectFile)
        return Fail("cannot read " + expectPath.string());

    std::vector<Expectation> expected;
    std::vector<std::string> extraArgs;
    std::vector<std::string> stderrTexts;
    std::string chosenPlugin = plugin;
    int exitCode = 0;
    std::string line;
    int number = 0;
    while (std::getline(expectFile, line)) {
        ++number;
        size_t begin = line.find_first_not_of(" \t\r");
        if (begin == std::string::npos || line[begin] == '#')
            continue;
        line = line.substr(begin);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        std::string where = expectPath.filename().string() + ":" + std::to_string(number) + ": ";
        if (line[0] == '{' || line[0] == '!') {
            Expectation item;
            item.negative = line[0] == '!';
            item.line = number;
            item.text = item.negative ? line.substr(1) : line;
            std::string error;
            if (!Reader(item.text).Parse(&item.value, &error))
                return Fail(where + error);
            if (item.value.kind != Value::Kind::Object)
                return Fail(where + "not an object");
            expected.push_back(std::move(item));
        } else if (line.rfind("args ", 0) == 0) {
            for (auto& word : SplitWords(line.substr(5)))
                extraArgs.push_back(word);
        } else if (line == "plugin stub") {
            chosenPlugin = stub;
        } else if (line.rfind("exit ", 0) == 0) {
            exitCode = std::atoi(line.c_str() + 5);
        } else if (line.rfind("stderr ", 0) == 0) {
            stderrTexts.push_back(line.substr(7));
        } else {
            return Fail(where + "cannot read this line");
        }
    }

    Scratch scratch;
    if (scratch.path.empty())
        return Fail("cannot create a scratch folder");
    fs::path logPath = scratch.path / "events.jsonl";
    std::vector<std::string> args = {host, "--plugin", chosenPlugin, "--log", logPath.string()};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    args.push_back(scenario.string());
    Run run;
    if (!Execute(args, scratch.path, &run))
        return Fail("cannot run " + host);
    std::string log = ReadFile(logPath);

    auto report = [&](const std::string& message) {
        std::string text = message + "\n--- exit code " + std::to_string(run.exitCode) +
                           "\n--- stderr\n" + run.err + "--- log\n" + log;
        return Fail(text);
    };
    if (run.exitCode != exitCode)
        return report("exit code " + std::to_string(run.exitCode) + ", expected " +
                      std::to_string(exitCode));
    for (const auto& text : stderrTexts)
        if (run.err.find(text) == std::string::npos)
            return report("standard error lacks: " + text);

    std::vector<Value> events;
    std::vector<std::string> logLines = Lines(log);
    for (size_t i = 0; i < logLines.size(); ++i) {
        Value value;
        std::string error;
        if (!Reader(logLines[i]).Parse(&value, &error))
            return report("log line " + std::to_string(i + 1) + ": " + error);
        events.push_back(std::move(value));
    }

    size_t position = 0;  // the first log line after the previous match
    std::vector<const Expectation*> pendingNegatives;
    auto checkNegatives = [&](size_t end) -> const Expectation* {
        for (const Expectation* negative : pendingNegatives)
            for (size_t i = position; i < end; ++i)
                if (Matches(negative->value, events[i]))
                    return negative;
        return nullptr;
    };
    for (const auto& item : expected) {
        if (item.negative) {
            pendingNegatives.push_back(&item);
            continue;
        }
        size_t found = position;
        while (found < events.size() && !Matches(item.value, events[found]))
            ++found;
        if (found == events.size())
            return report("line " + std::to_string(item.line) + ": no log line after line " +
                          std::to_string(position) + " matches " + item.text);
        if (const Expectation* negative = checkNegatives(found))
            return report("line " + std::to_string(negative->line) + ": a log line matches " +
                          negative->text);
        pendingNegatives.clear();
        position = found + 1;
    }
    if (const Expectation* negative = checkNegatives(events.size()))
        return report("line " + std::to_string(negative->line) + ": a log line matches " +
                      negative->text);
    return 0;
}

int CheckTwice(const std::string& host, const std::vector<std::string>& hostArgs) {
    Scratch scratch;
    if (scratch.path.empty())
        return Fail("cannot create a scratch folder");
    Run runs[2];
    std::string logs[2];
    for (int n = 0; n < 2; ++n) {
        fs::path logPath = scratch.path / ("run" + std::to_string(n) + ".jsonl");
        std::vector<std::string> args = {host};
        for (const auto& arg : hostArgs)
            args.push_back(arg == "@LOG" ? logPath.string() : arg);
        if (!Execute(args, scratch.path, &runs[n]))
            return Fail("cannot run " + host);
        if (runs[n].exitCode != 0)
            return Fail("run " + std::to_string(n + 1) + " exited with " +
                        std::to_string(runs[n].exitCode) + "\n" + runs[n].err);
        logs[n] = ReadFile(logPath);
    }
    if (logs[0].empty() && runs[0].out.empty())
        return Fail("the runs wrote no log");
    auto firstDifference = [](const std::string& a, const std::string& b) {
        std::vector<std::string> la = Lines(a), lb = Lines(b);
        for (size_t i = 0; i < std::max(la.size(), lb.size()); ++i) {
            std::string x = i < la.size() ? la[i] : "<end>";
            std::string y = i < lb.size() ? lb[i] : "<end>";
            if (x != y)
                return "line " + std::to_string(i + 1) + ":\n  " + x + "\n  " + y;
        }
        return std::string("(line ends)");
    };
    if (logs[0] != logs[1])
        return Fail("the logs differ at " + firstDifference(logs[0], logs[1]));
    if (runs[0].out != runs[1].out)
        return Fail("the outputs differ at " + firstDifference(runs[0].out, runs[1].out));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string host, plugin, stub, scenario;
    std::vector<std::string> twice;
    bool twiceMode = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (twiceMode) {
            twice.push_back(arg);
        } else if (arg == "--sim" && i + 1 < argc) {
            host = argv[++i];
        } else if (arg == "--plugin" && i + 1 < argc) {
            plugin = argv[++i];
        } else if (arg == "--stub" && i + 1 < argc) {
            stub = argv[++i];
        } else if (arg == "--twice") {
            twiceMode = true;
        } else if (scenario.empty() && arg[0] != '-') {
            scenario = arg;
        } else {
            return Fail(
                "usage: scenario-check --sim HOST --plugin PLUGIN --stub STUB SCENARIO | "
                "--sim HOST --twice ARG...");
        }
    }
    if (host.empty())
        return Fail("--sim is required");
    if (twiceMode)
        return CheckTwice(host, twice);
    if (scenario.empty() || plugin.empty() || stub.empty())
        return Fail("a scenario, --plugin and --stub are required");
    return CheckScenario(host, plugin, stub, scenario);
}
