// Real time on the simulation platform: threads run freely; what stops them
// is their next platform call.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "platform/sync.h"
#include "tests/ports/port_test_support.h"

namespace Orv::Sim {
namespace {

using Platform::Handle;
using Platform::kWaitFailed;
using Platform::kWaitObject0;
using Platform::Sync;
using PortTest::Event;
using PortTest::PortThread;

class RealTime : public ::testing::Test {
protected:
    void SetUp() override { Reset(TimeMode::Real); }
    void TearDown() override { Reset(TimeMode::Real); }
};

// Waits (really) until value stops changing between two looks 20 ms apart.
long SettledValue(const std::atomic<long>& value) {
    long last = -1;
    for (int i = 0; i < 100; ++i) {
        long now = value.load();
        if (now == last)
            return now;
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

TEST_F(RealTime, SettleDoesNothingAndAdvanceTakesRealTime) {
    EXPECT_EQ(Mode(), TimeMode::Real);
    Settle();
    uint64_t before = Now();
    Advance(30);
    EXPECT_GE(Now() - before, 30u);
}

TEST_F(RealTime, TerminatedRunningThreadStopsAtItsNextPlatformCall) {
    static std::atomic<long> spins;
    spins = 0;
    Handle spinner = Sync().CreateThread(
        [](void*) -> uint32_t {
            for (;;) {
                ++spins;
                Sync().Sleep(0);
            }
        },
        nullptr, nullptr);
    while (spins.load() < 100)
        std::this_thread::yield();
    ASSERT_TRUE(Sync().TerminateThread(spinner, 5));
    EXPECT_EQ(Sync().WaitForSingleObject(spinner, 0), kWaitObject0);
    EXPECT_EQ(LiveThreadCount(), 0);
    long stopped = SettledValue(spins);
    EXPECT_GE(stopped, 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(spins.load(), stopped);
    Sync().CloseHandle(spinner);
}

TEST_F(RealTime, ResetParksThreadsOfTheRunBefore) {
    static std::atomic<long> calls;
    calls = 0;
    Handle thread = Sync().CreateThread(
        [](void*) -> uint32_t {
            for (;;) {
                ++calls;
                Sync().GetTickCount();
                Sync().Sleep(1);
            }
        },
        nullptr, nullptr);
    while (calls.load() < 5)
        std::this_thread::yield();
    Reset(TimeMode::Real);
    EXPECT_EQ(LiveThreadCount(), 0);
    EXPECT_FALSE(Sync().CloseHandle(thread));
    long stopped = SettledValue(calls);
    EXPECT_GE(stopped, 5);
}

TEST_F(RealTime, AutoResetEventReleasesAtMostOneWaiterPerSet) {
    // Waiters with short time-outs race the setter: no set may release two
    // waits, no wait may fail.
    constexpr int kWaiters = 6;
    constexpr int kSets = 400;
    Event event;
    std::atomic<long> released{0};
    std::atomic<bool> failed{false};
    std::atomic<bool> done{false};
    std::vector<std::unique_ptr<PortThread>> waiters;
    for (int i = 0; i < kWaiters; ++i) {
        waiters.push_back(std::make_unique<PortThread>([&] {
            while (!done) {
                uint32_t r = event.Wait(1);
                if (r == kWaitObject0)
                    ++released;
                if (r == kWaitFailed)
                    failed = true;
            }
            return 0u;
        }));
    }
    for (int i = 0; i < kSets; ++i) {
        event.Set();
        if (i % 8 == 0)
            Sync().Sleep(1);
    }
    done = true;
    for (auto& w : waiters)
        ASSERT_EQ(w->Join(5000), kWaitObject0);
    EXPECT_FALSE(failed);
    EXPECT_GT(released.load(), 0);
    EXPECT_LE(released.load() + (event.Wait(0) == kWaitObject0 ? 1 : 0), kSets);
}

}  // namespace
}  // namespace Orv::Sim
