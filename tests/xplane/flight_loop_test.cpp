// Flight-loop scheduling of the simulated X-Plane.
#include <functional>
#include <string>
#include <vector>

#include "tests/xplane/world_fixture.h"

namespace Orv::Test {
namespace {

struct Call {
    int frame;
    float sinceLastCall;
    float sinceLastLoop;
    int counter;
};

// A callback whose refcon is one of these: it records its calls, returns
// its next interval and may run an action on its n-th call.
struct Probe {
    float next = 0;  // returned interval
    std::vector<Call> calls = {};
    std::vector<std::string>* order = nullptr;
    std::string name = {};
    std::function<void()> action = {};
};

float ProbeLoop(float sinceLastCall, float sinceLastLoop, int counter, void* refcon) {
    auto* probe = static_cast<Probe*>(refcon);
    probe->calls.push_back({XSim::FrameCount(), sinceLastCall, sinceLastLoop, counter});
    if (probe->order)
        probe->order->push_back(probe->name);
    if (probe->action)
        probe->action();
    return probe->next;
}

std::vector<int> Frames(const Probe& probe) {
    std::vector<int> frames;
    for (const Call& call : probe.calls)
        frames.push_back(call.frame);
    return frames;
}

struct IntervalCase {
    float interval;  // registered and returned
    std::vector<int> frames;
};

TEST_F(WorldTest, IntervalsFollowTheSdkRules) {
    const IntervalCase cases[] = {
        {-1.0f, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {-3.0f, {3, 6, 9}},
        {0.1f, {5, 10}},  // 20 ms frames
        {0.02f, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {0.0f, {}},
    };
    for (const IntervalCase& c : cases) {
        XSim::Reset();
        Probe probe{c.interval, {}};
        XPLMRegisterFlightLoopCallback(ProbeLoop, c.interval, &probe);
        for (int i = 0; i < 10; ++i)
            XSim::RunFrame(0.02f);
        EXPECT_EQ(Frames(probe), c.frames) << "interval " << c.interval;
    }
}

TEST_F(WorldTest, CallbackArgumentsAndReturnedInterval) {
    Probe probe{-2.0f, {}};
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &probe);
    XSim::RunFrame(0.02f);
    XSim::RunFrame(0.03f);
    XSim::RunFrame(0.05f);
    probe.next = 0;  // dormant from its next call on
    for (int i = 0; i < 5; ++i)
        XSim::RunFrame(0.02f);
    ASSERT_EQ(Frames(probe), (std::vector<int>{1, 3, 5}));
    EXPECT_FLOAT_EQ(probe.calls[0].sinceLastCall, 0.02f);
    EXPECT_FLOAT_EQ(probe.calls[1].sinceLastCall, 0.08f);
    EXPECT_FLOAT_EQ(probe.calls[1].sinceLastLoop, 0.05f);
    EXPECT_EQ(probe.calls[1].counter, 3);
    EXPECT_EQ(XSim::FlightLoopCount(), 1) << "dormant, still registered";
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &probe);  // wakes it, no duplicate
    XSim::RunFrame(0.02f);
    EXPECT_EQ(probe.calls.size(), 4u);
    EXPECT_EQ(XSim::FlightLoopCount(), 1);
}

TEST_F(WorldTest, DynamicsStepBeforeTheCallbacks) {
    float ratio = -1;
    Probe probe{-1.0f, {}};
    probe.action = [&] {
        XPLMGetDatavf(XPLMFindDataRef("sim/flightmodel2/gear/deploy_ratio"), &ratio, 0, 1);
    };
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &probe);
    Run("sim/flight_controls/landing_gear_up");
    XSim::RunFrame(0.3f);
    EXPECT_FLOAT_EQ(ratio, 0.9f);
}

TEST_F(WorldTest, CallbacksRunInRegistrationOrderPerRefcon) {
    std::vector<std::string> order;
    Probe a{-1.0f, {}, &order, "a"};
    Probe b{-1.0f, {}, &order, "b"};
    Probe c{-1.0f, {}, &order, "c"};
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &b);
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &a);
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &c);
    XSim::RunFrame(0.02f);
    EXPECT_EQ(order, (std::vector<std::string>{"b", "a", "c"}));
    XPLMUnregisterFlightLoopCallback(ProbeLoop, &a);
    XPLMUnregisterFlightLoopCallback(ProbeLoop, &a);  // twice is harmless
    XPLMUnregisterFlightLoopCallback(nullptr, nullptr);
    order.clear();
    XSim::RunFrame(0.02f);
    EXPECT_EQ(order, (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(XSim::FlightLoopCount(), 2);
}

TEST_F(WorldTest, UnregisteringAndRegisteringInsideACallbackIsSafe) {
    std::vector<std::string> order;
    Probe a{-1.0f, {}, &order, "a"};
    Probe b{-1.0f, {}, &order, "b"};
    Probe c{-1.0f, {}, &order, "c"};
    Probe late{-1.0f, {}, &order, "late"};
    a.action = [&] {
        XPLMUnregisterFlightLoopCallback(ProbeLoop, &a);  // itself
        XPLMUnregisterFlightLoopCallback(ProbeLoop, &b);  // one not yet called
        XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &late);
    };
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &a);
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &b);
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &c);
    XSim::RunFrame(0.02f);
    EXPECT_EQ(order, (std::vector<std::string>{"a", "c"})) << "late starts next frame";
    order.clear();
    XSim::RunFrame(0.02f);
    EXPECT_EQ(order, (std::vector<std::string>{"c", "late"}));
    EXPECT_EQ(XSim::FlightLoopCount(), 2);
}

TEST_F(WorldTest, ResetForgetsCallbacksAndFrames) {
    Probe probe{-1.0f, {}};
    XPLMRegisterFlightLoopCallback(ProbeLoop, -1.0f, &probe);
    XSim::RunFrame(0.02f);
    XSim::Reset();
    EXPECT_EQ(XSim::FrameCount(), 0);
    EXPECT_EQ(XSim::FlightLoopCount(), 0);
    XSim::RunFrame(0.02f);
    EXPECT_EQ(probe.calls.size(), 1u);
}

}  // namespace
}  // namespace Orv::Test
