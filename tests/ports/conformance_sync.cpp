// What every backend of the sync port must do: events, waits, threads,
// locks, thread-local values, last error, the tick count.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/sync.h"
#include "tests/ports/port_test_support.h"

namespace Orv::Platform {
namespace {

using PortTest::Event;
using PortTest::PortThread;

// Windows' tick count moves in steps of the timer interrupt (about 16 ms),
// so a wait can end up to one step before the tick count shows its full
// length; under Wine the tick count is a copy that the server refreshes on
// that step, and on a loaded machine a refresh comes late, so two steps.
// The simulation's clock is exact.
#ifdef _WIN32
constexpr uint32_t kTickSlack = 32;
#else
constexpr uint32_t kTickSlack = 0;
#endif

TEST(SyncConformance, WaitTimesOutAfterItsTimeout) {
    Event event;
    uint32_t before = Sync().GetTickCount();
    EXPECT_EQ(event.Wait(100), kWaitTimeout);
    EXPECT_GE(Sync().GetTickCount() - before, 100u - kTickSlack);

    before = Sync().GetTickCount();
    Sync().Sleep(50);
    EXPECT_GE(Sync().GetTickCount() - before, 50u - kTickSlack);
}

TEST(SyncConformance, ZeroTimeoutPollsWithoutBlocking) {
    Event unset;
    Event set(true, true);
    EXPECT_EQ(unset.Wait(0), kWaitTimeout);
    EXPECT_EQ(set.Wait(0), kWaitObject0);
    Sync().Sleep(0);
}

TEST(SyncConformance, AutoResetReleasesOneWaitManualResetStays) {
    struct Case {
        bool manual;
        uint32_t secondWait;
    };
    for (Case c : {Case{false, kWaitTimeout}, Case{true, kWaitObject0}}) {
        SCOPED_TRACE(c.manual ? "manual reset" : "auto reset");
        Event event(c.manual, false);
        ASSERT_TRUE(event.Set());
        EXPECT_EQ(event.Wait(0), kWaitObject0);
        EXPECT_EQ(event.Wait(0), c.secondWait);
        ASSERT_TRUE(Sync().ResetEvent(event.get()));
        EXPECT_EQ(event.Wait(0), kWaitTimeout);
        Event initiallySet(c.manual, true);
        EXPECT_EQ(initiallySet.Wait(0), kWaitObject0);
    }
}

TEST(SyncConformance, WaitAnyReturnsLowestSignalledIndex) {
    Event a, b, c;
    Handle handles[] = {a.get(), b.get(), c.get()};
    EXPECT_EQ(Sync().WaitForMultipleObjects(3, handles, false, 0), kWaitTimeout);
    c.Set();
    b.Set();
    EXPECT_EQ(Sync().WaitForMultipleObjects(3, handles, false, 0), kWaitObject0 + 1);
    // b was auto-reset by the wait it satisfied; c was not touched.
    EXPECT_EQ(Sync().WaitForMultipleObjects(3, handles, false, 0), kWaitObject0 + 2);
    EXPECT_EQ(Sync().WaitForMultipleObjects(3, handles, false, 0), kWaitTimeout);
}

TEST(SyncConformance, WaitAllNeedsEveryHandleAndConsumesOnlyThen) {
    Event a, b;
    Event manual(true, false);
    Handle handles[] = {a.get(), b.get(), manual.get()};
    a.Set();
    manual.Set();
    EXPECT_EQ(Sync().WaitForMultipleObjects(3, handles, true, 20), kWaitTimeout);
    EXPECT_EQ(a.Wait(0), kWaitObject0) << "a failed wait-all must not consume a";
    a.Set();
    b.Set();
    EXPECT_EQ(Sync().WaitForMultipleObjects(3, handles, true, 0), kWaitObject0);
    EXPECT_EQ(a.Wait(0), kWaitTimeout);
    EXPECT_EQ(b.Wait(0), kWaitTimeout);
    EXPECT_EQ(manual.Wait(0), kWaitObject0);
}

TEST(SyncConformance, WaitAllCompletesWhenAnotherThreadSetsTheLastHandle) {
    Event a, b;
    Handle handles[] = {a.get(), b.get()};
    PortThread setter([&] {
        a.Set();
        Sync().Sleep(10);
        b.Set();
        return 0u;
    });
    EXPECT_EQ(Sync().WaitForMultipleObjects(2, handles, true, 5000), kWaitObject0);
}

TEST(SyncConformance, BadHandlesAndArgumentsFail) {
    Handle event = Sync().CreateEvent(false, false);
    ASSERT_NE(event, nullptr);
    ASSERT_TRUE(Sync().CloseHandle(event));
    Sync().SetLastError(0);
    EXPECT_FALSE(Sync().CloseHandle(event));
    EXPECT_EQ(Sync().GetLastError(), kErrorInvalidHandle);
    EXPECT_FALSE(Sync().SetEvent(nullptr));
    EXPECT_EQ(Sync().GetLastError(), kErrorInvalidHandle);
    EXPECT_EQ(Sync().WaitForSingleObject(nullptr, 0), kWaitFailed);
    EXPECT_EQ(Sync().GetLastError(), kErrorInvalidHandle);

    Event ok;
    Handle handles[] = {ok.get()};
    EXPECT_EQ(Sync().WaitForMultipleObjects(0, handles, false, 0), kWaitFailed);
    EXPECT_EQ(Sync().WaitForMultipleObjects(kMaximumWaitObjects + 1, handles, false, 0),
              kWaitFailed);
}

TEST(SyncConformance, ThreadHandleIsSignalledAtItsEndWithTheExitCode) {
    Event gate(true, false);
    uint32_t seenId = 0;
    PortThread thread([&] {
        seenId = Sync().GetCurrentThreadId();
        gate.Wait();
        return 42u;
    });
    ASSERT_NE(thread.handle(), nullptr);
    EXPECT_EQ(thread.Join(30), kWaitTimeout);
    EXPECT_EQ(thread.ExitCode(), 259u);  // still active
    gate.Set();
    ASSERT_EQ(thread.Join(5000), kWaitObject0);
    EXPECT_EQ(thread.ExitCode(), 42u);
    EXPECT_EQ(seenId, thread.id());
    EXPECT_NE(seenId, Sync().GetCurrentThreadId());
}

TEST(SyncConformance, EventsHandOverBetweenThreads) {
    // Ping-pong: each side waits for its own auto-reset event and sets the
    // other's, a fixed number of rounds.
    constexpr int kRounds = 200;
    Event ping, pong;
    int count = 0;
    PortThread partner([&] {
        for (int i = 0; i < kRounds; ++i) {
            if (ping.Wait(5000) != kWaitObject0)
                return 1u;
            ++count;
            pong.Set();
        }
        return 0u;
    });
    for (int i = 0; i < kRounds; ++i) {
        ping.Set();
        ASSERT_EQ(pong.Wait(5000), kWaitObject0) << "round " << i;
    }
    ASSERT_EQ(partner.Join(5000), kWaitObject0);
    EXPECT_EQ(partner.ExitCode(), 0u);
    EXPECT_EQ(count, kRounds);
}

TEST(SyncConformance, TerminatedThreadRunsNoFurtherCode) {
    Event started, gate;
    std::atomic<bool> ranOn{false};
    PortThread victim([&] {
        started.Set();
        gate.Wait();
        ranOn = true;
        return 0u;
    });
    ASSERT_EQ(started.Wait(5000), kWaitObject0);
    ASSERT_TRUE(Sync().TerminateThread(victim.handle(), 7));
    ASSERT_EQ(victim.Join(5000), kWaitObject0);
    EXPECT_EQ(victim.ExitCode(), 7u);
    gate.Set();
    Sync().Sleep(50);
    EXPECT_FALSE(ranOn);
}

TEST(SyncConformance, LastErrorIsPerThread) {
    Sync().SetLastError(1234);
    PortThread other([] {
        Sync().SetLastError(5);
        return Sync().GetLastError();
    });
    ASSERT_EQ(other.Join(5000), kWaitObject0);
    EXPECT_EQ(other.ExitCode(), 5u);
    EXPECT_EQ(Sync().GetLastError(), 1234u);
}

TEST(SyncConformance, LockIsReentrantAndExcludesOtherThreads) {
    Lock lock = Sync().CreateLock();
    ASSERT_NE(lock, nullptr);
    auto tryFromOtherThread = [&] {
        PortThread other([&] {
            bool got = Sync().TryEnterLock(lock);
            if (got)
                Sync().LeaveLock(lock);
            return got ? 1u : 0u;
        });
        other.Join(5000);
        return other.ExitCode();
    };
    Sync().EnterLock(lock);
    Sync().EnterLock(lock);
    EXPECT_TRUE(Sync().TryEnterLock(lock));
    EXPECT_EQ(tryFromOtherThread(), 0u);
    Sync().LeaveLock(lock);
    Sync().LeaveLock(lock);
    EXPECT_EQ(tryFromOtherThread(), 0u) << "still held once";
    Sync().LeaveLock(lock);
    EXPECT_EQ(tryFromOtherThread(), 1u);
    Sync().DeleteLock(lock);
}

TEST(SyncConformance, EnterLockWaitsForTheOwnerToLeave) {
    Lock lock = Sync().CreateLock();
    std::atomic<bool> entered{false};
    Sync().EnterLock(lock);
    PortThread waiter([&] {
        Sync().EnterLock(lock);
        entered = true;
        Sync().LeaveLock(lock);
        return 0u;
    });
    Sync().Sleep(50);
    EXPECT_FALSE(entered);
    Sync().LeaveLock(lock);
    ASSERT_EQ(waiter.Join(5000), kWaitObject0);
    EXPECT_TRUE(entered);
    Sync().DeleteLock(lock);
}

TEST(SyncConformance, LockKeepsCountersConsistent) {
    constexpr int kThreads = 4;
    constexpr int kIncrements = 2000;
    Lock lock = Sync().CreateLock();
    long counter = 0;  // guarded by the lock only
    std::vector<std::unique_ptr<PortThread>> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.push_back(std::make_unique<PortThread>([&] {
            for (int i = 0; i < kIncrements; ++i) {
                LockGuard hold(lock);
                ++counter;
            }
            return 0u;
        }));
    }
    for (auto& t : threads)
        ASSERT_EQ(t->Join(10000), kWaitObject0);
    EXPECT_EQ(counter, kThreads * kIncrements);
    Sync().DeleteLock(lock);
}

TEST(SyncConformance, TlsValuesArePerThreadAndFreshAfterReallocation) {
    uint32_t slot = Sync().TlsAlloc();
    ASSERT_NE(slot, ISync::kTlsOutOfIndexes);
    EXPECT_EQ(Sync().TlsGetValue(slot), nullptr);
    int mine = 0;
    ASSERT_TRUE(Sync().TlsSetValue(slot, &mine));
    PortThread other([&] {
        if (Sync().TlsGetValue(slot) != nullptr)
            return 1u;
        int theirs = 0;
        Sync().TlsSetValue(slot, &theirs);
        return Sync().TlsGetValue(slot) == &theirs ? 0u : 2u;
    });
    ASSERT_EQ(other.Join(5000), kWaitObject0);
    EXPECT_EQ(other.ExitCode(), 0u);
    EXPECT_EQ(Sync().TlsGetValue(slot), &mine);

    // A freed slot reads null again in every thread once allocated anew.
    ASSERT_TRUE(Sync().TlsFree(slot));
    std::vector<uint32_t> slots;
    for (int i = 0; i < 64; ++i) {
        uint32_t s = Sync().TlsAlloc();
        ASSERT_NE(s, ISync::kTlsOutOfIndexes) << "slot " << i;
        slots.push_back(s);
        EXPECT_EQ(Sync().TlsGetValue(s), nullptr);
    }
    for (uint32_t s : slots)
        EXPECT_TRUE(Sync().TlsFree(s));
}

}  // namespace
}  // namespace Orv::Platform
