// Records what the plugin asked of the simulated X-Plane.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sim/xplane/world.h"

namespace Orv::Test {

class XPlaneRecorder : public XSim::Observer {
public:
    XPlaneRecorder() {
        XSim::Reset();
        XSim::SetObserver(this);
    }
    ~XPlaneRecorder() override { XSim::SetObserver(nullptr); }

    void OnCommand(CommandOp, const std::string& name, bool) override { commands.push_back(name); }
    void OnWrite(const std::string& name, const std::vector<double>& values, int offset) override {
        writes.push_back({name, values, offset});
    }
    void OnKeyStroke(int key) override { keys.push_back(key); }
    void OnJoystickButton(int button, int state) override { buttons.emplace_back(button, state); }
    void OnSpeak(const std::string& text) override { spoken.push_back(text); }

    struct Write {
        std::string name;
        std::vector<double> values;
        int offset;
    };
    std::vector<std::string> commands;
    std::vector<Write> writes;
    std::vector<int> keys;
    std::vector<std::pair<int, int>> buttons;
    std::vector<std::string> spoken;
};

}  // namespace Orv::Test
