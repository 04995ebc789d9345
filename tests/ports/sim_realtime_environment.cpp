// Runs the port conformance suites of this program in real time: threads
// run freely and waits time out on the steady clock.
#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"

namespace {

class RealTimeEnvironment : public ::testing::Environment {
public:
    void SetUp() override { Orv::Sim::Reset(Orv::Sim::TimeMode::Real); }
};

const auto* const kRealTime = ::testing::AddGlobalTestEnvironment(new RealTimeEnvironment);

}  // namespace
