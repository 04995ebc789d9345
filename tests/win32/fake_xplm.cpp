// The stand-in XPLM_64.dll of the Windows tests: the simulated X-Plane's XPLM
// functions (exported by the world's own sources) and a few C functions
// through which the host program drives the world and reads what the plugin
// did.
#include <string>

#include "sim/xplane/world.h"
#include "tests/win32/fake_xplm.h"

namespace {

// Everything the plugin did through the XPLM functions, one line each.
class Recorder final : public Orv::XSim::Observer {
public:
    void OnCommand(CommandOp op, const std::string& name, bool nullHandle) override {
        std::string line = "command ";
        line.append(op == CommandOp::Once ? "once" : op == CommandOp::Begin ? "begin" : "end");
        line.append(" ").append(nullHandle ? std::string("(null)") : name);
        Add(line);
    }
    void OnWrite(const std::string& name, const std::vector<double>& values, int offset) override {
        std::string line = "write ";
        line.append(name);
        if (offset >= 0)
            line.append("[").append(std::to_string(offset)).append("]");
        for (double value : values)
            line.append(" ").append(std::to_string(value));
        Add(line);
    }
    void OnKeyStroke(int key) override { Add("key " + std::to_string(key)); }
    void OnJoystickButton(int button, int state) override {
        Add("joy " + std::to_string(button) + " " + std::to_string(state));
    }
    void OnSpeak(const std::string& text) override { Add("speak " + text); }

    std::string Take() {
        std::string all;
        all.swap(lines_);
        return all;
    }

private:
    void Add(const std::string& line) { lines_.append(line).append("\n"); }
    std::string lines_;
};

Recorder g_recorder;

}  // namespace

extern "C" {

void OrvXSimReset() {
    Orv::XSim::Reset();
    g_recorder.Take();
    Orv::XSim::SetObserver(&g_recorder);
}

void OrvXSimRunFrame(float dt) {
    Orv::XSim::RunFrame(dt);
}

int OrvXSimFrameCount() {
    return Orv::XSim::FrameCount();
}

int OrvXSimFlightLoopCount() {
    return Orv::XSim::FlightLoopCount();
}

int OrvXSimTakeEvents(char* buffer, int size) {
    std::string lines = g_recorder.Take();
    if (buffer == nullptr || size <= 0)
        return static_cast<int>(lines.size());
    int length =
        static_cast<int>(lines.size()) < size - 1 ? static_cast<int>(lines.size()) : size - 1;
    lines.copy(buffer, static_cast<size_t>(length));
    buffer[length] = '\0';
    return static_cast<int>(lines.size());
}

}  // extern "C"
