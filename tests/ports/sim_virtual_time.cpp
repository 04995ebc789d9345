// Virtual time of the simulation platform: who runs when, and when the clock
// moves.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "platform/sync.h"
#include "tests/ports/port_test_support.h"

namespace Orv::Sim {
namespace {

using Platform::Handle;
using Platform::kInfinite;
using Platform::kWaitObject0;
using Platform::kWaitTimeout;
using Platform::Sync;
using PortTest::Event;
using PortTest::PortThread;

class VirtualTime : public ::testing::Test {
protected:
    void SetUp() override { Reset(TimeMode::Virtual); }
    void TearDown() override { Reset(TimeMode::Virtual); }

    // "<ordinal>@<now>:<what>", in the order things happened.
    void Note(const std::string& what) {
        log.push_back(std::to_string(ThreadOrdinal()) + "@" + std::to_string(Now()) + ":" + what);
    }
    std::vector<std::string> log;
};

TEST_F(VirtualTime, NewThreadRunsOnlyWhenTheHostSettlesOrBlocks) {
    bool ran = false;
    PortThread thread([&] {
        ran = true;
        return 0u;
    });
    Sync().Sleep(0);
    Event unset;
    EXPECT_EQ(unset.Wait(0), kWaitTimeout);
    EXPECT_FALSE(ran) << "neither Sleep(0) nor a zero time-out gives the run away";
    EXPECT_EQ(LiveThreadCount(), 1);
    Settle();
    EXPECT_TRUE(ran);
    EXPECT_EQ(LiveThreadCount(), 0);
    EXPECT_EQ(Now(), 0u);
    EXPECT_EQ(thread.Join(0), kWaitObject0);
}

TEST_F(VirtualTime, SetterKeepsRunningAndWaitersRunInWaitOrder) {
    Event go;  // auto-reset: one waiter per SetEvent
    std::vector<std::unique_ptr<PortThread>> threads;
    for (int i = 0; i < 3; ++i) {
        threads.push_back(std::make_unique<PortThread>([&] {
            Note("waits");
            go.Wait();
            Note("woke");
            return 0u;
        }));
    }
    Settle();
    go.Set();
    go.Set();
    Note("set twice");
    Settle();
    go.Set();
    Settle();
    EXPECT_EQ(log, (std::vector<std::string>{"2@0:waits", "3@0:waits", "4@0:waits", "1@0:set twice",
                                             "2@0:woke", "3@0:woke", "4@0:woke"}));
}

TEST_F(VirtualTime, ManualResetReleasesEveryWaiter) {
    Event go(true, false);
    int woke = 0;
    PortThread a([&] { return ++woke, go.Wait(); });
    PortThread b([&] { return ++woke, go.Wait(); });
    Settle();
    go.Set();
    Settle();
    EXPECT_EQ(LiveThreadCount(), 0);
    EXPECT_EQ(a.ExitCode(), kWaitObject0);
    EXPECT_EQ(b.ExitCode(), kWaitObject0);
}

TEST_F(VirtualTime, AdvanceWakesDeadlinesInOrderOneAtATime) {
    // Started in the order 30, 10, 20, 10 ms: they wake by deadline, and the
    // two 10 ms sleepers in the order they began to sleep.
    std::vector<std::unique_ptr<PortThread>> threads;
    for (uint32_t ms : {30u, 10u, 20u, 10u}) {
        threads.push_back(std::make_unique<PortThread>([&, ms] {
            Sync().Sleep(ms);
            Note("slept " + std::to_string(ms));
            return 0u;
        }));
    }
    Advance(15);
    EXPECT_EQ(Now(), 15u);
    EXPECT_EQ(LiveThreadCount(), 2);
    Advance(100);
    EXPECT_EQ(Now(), 115u);
    EXPECT_EQ(log, (std::vector<std::string>{"3@10:slept 10", "5@10:slept 10", "4@20:slept 20",
                                             "2@30:slept 30"}));
}

TEST_F(VirtualTime, WakeUpsSeeTheirOwnDeadlineAndChainWithinOneAdvance) {
    // A thread that sleeps again after each wake-up is followed through
    // every deadline up to the target, each with its own time.
    PortThread ticker([&] {
        for (int i = 0; i < 4; ++i) {
            Sync().Sleep(25);
            Note("tick " + std::to_string(Sync().GetTickCount()));
        }
        return 0u;
    });
    Advance(80);
    EXPECT_EQ(log, (std::vector<std::string>{"2@25:tick 25", "2@50:tick 50", "2@75:tick 75"}));
    Advance(20);
    EXPECT_EQ(log.back(), "2@100:tick 100");
}

TEST_F(VirtualTime, WaitThatTimesOutReportsTimeoutAtItsDeadline) {
    Event never;
    PortThread waiter([&] { return never.Wait(40); });
    Advance(39);
    EXPECT_EQ(waiter.ExitCode(), 259u);
    Advance(1);
    EXPECT_EQ(waiter.ExitCode(), kWaitTimeout);
}

TEST_F(VirtualTime, BlockedHostJumpsToTheEarliestDeadline) {
    // The host waits up to 5000 ms for a thread that reports after 300 ms.
    Event ready;
    PortThread worker([&] {
        Sync().Sleep(300);
        ready.Set();
        Sync().Sleep(kInfinite);
        return 0u;
    });
    EXPECT_EQ(ready.Wait(5000), kWaitObject0);
    EXPECT_EQ(Now(), 300u);
    // Nobody sets it again: the host's own deadline comes due.
    EXPECT_EQ(ready.Wait(5000), kWaitTimeout);
    EXPECT_EQ(Now(), 5300u);
    Sync().Sleep(20);
    EXPECT_EQ(Now(), 5320u);
    Sync().TerminateThread(worker.handle(), 0);
}

TEST_F(VirtualTime, TickCountIsTheLow32BitsOfTheClock) {
    Advance(1234);
    EXPECT_EQ(Sync().GetTickCount(), 1234u);
    EXPECT_EQ(Now(), 1234u);
}

TEST_F(VirtualTime, LockWaitersGetTheLockInArrivalOrder) {
    Platform::Lock lock = Sync().CreateLock();
    Sync().EnterLock(lock);
    std::vector<std::unique_ptr<PortThread>> threads;
    for (int i = 0; i < 3; ++i) {
        threads.push_back(std::make_unique<PortThread>([&] {
            Sync().EnterLock(lock);
            Note("holds");
            Sync().Sleep(5);  // keeps holding while blocked
            Sync().LeaveLock(lock);
            return 0u;
        }));
    }
    Settle();
    EXPECT_TRUE(log.empty());
    Sync().LeaveLock(lock);
    Advance(100);
    EXPECT_EQ(log, (std::vector<std::string>{"2@0:holds", "3@5:holds", "4@10:holds"}));
    Sync().DeleteLock(lock);
}

TEST_F(VirtualTime, OrdinalsCountFromTheHostAndRestartAfterReset) {
    EXPECT_EQ(ThreadOrdinal(), 1u);
    uint32_t seen[2] = {};
    {
        PortThread a([&] { return seen[0] = ThreadOrdinal(); });
        PortThread b([&] { return seen[1] = ThreadOrdinal(); });
    }
    EXPECT_EQ(seen[0], 2u);
    EXPECT_EQ(seen[1], 3u);
    Reset(TimeMode::Virtual);
    PortThread c([] { return ThreadOrdinal(); });
    c.Join();
    EXPECT_EQ(c.ExitCode(), 2u);
}

// The notify hook for the test below; a plain function, as the plugin's.
std::vector<std::string>* g_notes = nullptr;
void NoteAttach(bool attached) {
    g_notes->push_back(std::to_string(ThreadOrdinal()) + (attached ? " attach" : " detach"));
}

TEST_F(VirtualTime, ThreadNotifyBracketsEveryPortThread) {
    std::vector<std::string> notes;
    g_notes = &notes;
    SetThreadNotify(&NoteAttach);
    {
        PortThread worker([&] {
            notes.push_back(std::to_string(ThreadOrdinal()) + " body");
            return 0u;
        });
        Event never;
        PortThread victim([&] { return never.Wait(); });
        Settle();
        Sync().TerminateThread(victim.handle(), 9);
    }
    SetThreadNotify(nullptr);
    g_notes = nullptr;
    // A terminated thread gets no detach notice, as on Windows.
    EXPECT_EQ(notes, (std::vector<std::string>{"2 attach", "2 body", "2 detach", "3 attach"}));
}

TEST_F(VirtualTime, TerminatedReadyThreadNeverRuns) {
    bool ran = false;
    PortThread thread([&] {
        ran = true;
        return 0u;
    });
    ASSERT_TRUE(Sync().TerminateThread(thread.handle(), 3));
    Settle();
    EXPECT_FALSE(ran);
    EXPECT_EQ(thread.Join(0), kWaitObject0);
    EXPECT_EQ(thread.ExitCode(), 3u);
    EXPECT_EQ(LiveThreadCount(), 0);
}

TEST_F(VirtualTime, ResetParksLeftoversOfTheRunBefore) {
    static Handle leftoverEvent;
    leftoverEvent = Sync().CreateEvent(false, false);
    static bool leftoverRan;
    leftoverRan = false;
    auto blockForever = [](void*) -> uint32_t {
        Sync().WaitForSingleObject(leftoverEvent, kInfinite);
        leftoverRan = true;
        return 0;
    };
    auto neverStarted = [](void*) -> uint32_t {
        leftoverRan = true;
        return 0;
    };
    Handle blocked = Sync().CreateThread(blockForever, nullptr, nullptr);
    Settle();
    Handle ready = Sync().CreateThread(neverStarted, nullptr, nullptr);
    ASSERT_EQ(LiveThreadCount(), 2);

    Reset(TimeMode::Virtual);
    EXPECT_EQ(LiveThreadCount(), 0);
    EXPECT_FALSE(Sync().CloseHandle(blocked)) << "handles of the run before are gone";
    EXPECT_EQ(Sync().GetLastError(), Platform::kErrorInvalidHandle);
    EXPECT_FALSE(Sync().CloseHandle(ready));
    Event fresh;
    fresh.Set();
    Advance(10);
    EXPECT_FALSE(leftoverRan);
    PortThread next([] { return ThreadOrdinal(); });
    next.Join();
    EXPECT_EQ(next.ExitCode(), 2u);
}

// A scenario of three threads, an event chain, a lock and sleeps; every
// step noted with thread and time.
std::vector<std::string> RunScenario() {
    Reset(TimeMode::Virtual);
    std::vector<std::string> notes;
    auto note = [&](const std::string& what) {
        notes.push_back(std::to_string(ThreadOrdinal()) + "@" + std::to_string(Now()) + ":" + what);
    };
    Platform::Lock lock = Sync().CreateLock();
    Event a, b(true, false);
    {
        PortThread producer([&] {
            for (int i = 0; i < 5; ++i) {
                Sync().Sleep(7);
                {
                    Platform::LockGuard hold(lock);
                    note("produce " + std::to_string(i));
                }
                a.Set();
            }
            b.Set();
            return 0u;
        });
        PortThread consumer([&] {
            for (;;) {
                Handle both[] = {b.get(), a.get()};
                uint32_t r = Sync().WaitForMultipleObjects(2, both, false, 10);
                Platform::LockGuard hold(lock);
                note("consume " + std::to_string(r));
                if (r == kWaitObject0)
                    return 0u;
            }
        });
        PortThread poller([&] {
            while (b.Wait(3) == kWaitTimeout)
                note("poll");
            return 0u;
        });
        for (int frame = 0; frame < 10; ++frame) {
            Advance(5);
            note("frame");
        }
    }
    Sync().DeleteLock(lock);
    return notes;
}

TEST_F(VirtualTime, SameScenarioGivesTheSameInterleavingTwice) {
    std::vector<std::string> first = RunScenario();
    std::vector<std::string> second = RunScenario();
    EXPECT_GT(first.size(), 20u);
    EXPECT_EQ(first, second);
    // A spot check of the order: the first product at 7 ms, consumed then.
    auto at = std::find(first.begin(), first.end(), "2@7:produce 0");
    ASSERT_NE(at, first.end());
    EXPECT_EQ(*(at + 1), "3@7:consume 1");
}

using VirtualTimeDeathTest = VirtualTime;

TEST_F(VirtualTimeDeathTest, HostBlockedWithNoDeadlineAnywhereIsADeadlock) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            Reset(TimeMode::Virtual);
            Event never;
            PortThread stuck([&] { return never.Wait(); });
            never.Wait();
        },
        "virtual time: deadlock at 0 ms(.|\n)*thread 2 .*waits for any of");
}

}  // namespace
}  // namespace Orv::Sim
