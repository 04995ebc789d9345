// A fresh simulated X-Plane per test, with a recorder of what it reports.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "sim/xplane/world.h"

namespace Orv::Test {

class Recorder : public XSim::Observer {
public:
    struct Command {
        CommandOp op;
        std::string name;
        bool nullHandle;
    };
    struct Write {
        std::string name;
        std::vector<double> values;
        int offset;
    };
    void OnCommand(CommandOp op, const std::string& name, bool nullHandle) override {
        commands.push_back({op, name, nullHandle});
    }
    void OnWrite(const std::string& name, const std::vector<double>& values, int offset) override {
        writes.push_back({name, values, offset});
    }
    void OnKeyStroke(int key) override { keys.push_back(key); }
    void OnJoystickButton(int button, int state) override { buttons.emplace_back(button, state); }
    void OnSpeak(const std::string& text) override { spoken.push_back(text); }

    std::vector<Command> commands;
    std::vector<Write> writes;
    std::vector<int> keys;
    std::vector<std::pair<int, int>> buttons;
    std::vector<std::string> spoken;
};

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        XSim::Reset();
        XSim::SetObserver(&recorder);
    }
    void TearDown() override {
        XSim::SetObserver(nullptr);
        XSim::Reset();
    }

    static void Run(const char* command) { XPLMCommandOnce(XPLMFindCommand(command)); }
    static void Set(const std::string& assignment) {
        std::string error;
        ASSERT_TRUE(XSim::SetDataFromText(assignment, &error)) << assignment << ": " << error;
    }
    // Element i of a dataref as the host sees it; NaN when absent.
    static double Value(const std::string& name, int i = 0) {
        std::vector<double> values;
        if (!XSim::GetDataValues(name, &values) || i >= int(values.size()))
            return std::nan("");
        return values[size_t(i)];
    }

    Recorder recorder;
};

}  // namespace Orv::Test
