// The port-thread helper over the sync port, on every backend: the ready
// report, the ending (asked, overdue, terminated or left) and a second end.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/port_thread.h"
#include "platform/sync.h"
#include "tests/ports/port_test_support.h"

namespace Orv {
namespace {

using Platform::PortThread;
using Platform::Sync;

// The thread body: reports ready when asked to, then ends when its quit
// event is set (the helper's "ask"), or only when it is let go.
struct Body {
    PortThread* thread = nullptr;
    bool reportReady = true;
    bool listens = true;    // false: the ask is not heard
    PortTest::Event quit;   // the ask
    PortTest::Event letGo;  // ends a thread that does not listen
    std::atomic<bool> afterTerminate{false};

    static uint32_t Run(void* context) {
        auto* self = static_cast<Body*>(context);
        if (self->reportReady)
            self->thread->ReportReady();
        if (self->listens)
            self->quit.Wait();
        else
            self->letGo.Wait();
        self->afterTerminate = true;
        return 7;
    }
};

TEST(PortThreadHelper, ReportsReadyAndEndsWhenAsked) {
    PortThread thread;
    Body body;
    body.thread = &thread;
    ASSERT_TRUE(thread.PrepareReady());
    ASSERT_TRUE(thread.Start(&Body::Run, &body));
    EXPECT_NE(thread.id(), 0u);
    EXPECT_TRUE(thread.WaitReady(5000));
    int overdue = 0;
    EXPECT_TRUE(thread.End([&] { body.quit.Set(); }, 5000, [&] { ++overdue; },
                           PortThread::Overdue::Terminate, 555));
    EXPECT_EQ(overdue, 0);
    uint32_t code = 0;
    EXPECT_TRUE(Sync().GetExitCodeThread(thread.handle(), &code));
    EXPECT_EQ(code, 7u);
    EXPECT_FALSE(thread.Running());
}

TEST(PortThreadHelper, AThreadThatNeverReportsReadyTimesOut) {
    PortThread thread;
    Body body;
    body.thread = &thread;
    body.reportReady = false;
    ASSERT_TRUE(thread.PrepareReady());
    ASSERT_TRUE(thread.Start(&Body::Run, &body));
    EXPECT_FALSE(thread.WaitReady(50));
    thread.Terminate(555);
    EXPECT_EQ(Sync().WaitForSingleObject(thread.handle(), 5000), Platform::kWaitObject0);
}

// A thread that does not hear the ask: after the time-out the overdue step
// runs once, then it is terminated or left running; ending again does
// nothing.
TEST(PortThreadHelper, AnOverdueThreadIsTerminatedOrLeft) {
    for (PortThread::Overdue what : {PortThread::Overdue::Terminate, PortThread::Overdue::Leave}) {
        SCOPED_TRACE(what == PortThread::Overdue::Terminate ? "terminate" : "leave");
        PortThread thread;
        Body body;
        body.thread = &thread;
        body.listens = false;
        ASSERT_TRUE(thread.PrepareReady());
        ASSERT_TRUE(thread.Start(&Body::Run, &body));
        ASSERT_TRUE(thread.WaitReady(5000));
        int asked = 0, overdue = 0;
        EXPECT_FALSE(thread.End([&] { ++asked; }, 50, [&] { ++overdue; }, what, 555));
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(overdue, 1);
        uint32_t code = 0;
        if (what == PortThread::Overdue::Terminate) {
            EXPECT_EQ(Sync().WaitForSingleObject(thread.handle(), 5000), Platform::kWaitObject0);
            EXPECT_TRUE(Sync().GetExitCodeThread(thread.handle(), &code));
            EXPECT_EQ(code, 555u);
            EXPECT_FALSE(body.afterTerminate);
        } else {
            EXPECT_TRUE(Sync().GetExitCodeThread(thread.handle(), &code));
            EXPECT_EQ(code, 259u);  // still active
        }
        EXPECT_TRUE(thread.End([&] { ++asked; }, 50, [&] { ++overdue; }, what, 555));
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(overdue, 1);
        // A thread left running ends on its own and closes with the helper.
        body.letGo.Set();
        Sync().WaitForSingleObject(thread.handle(), 5000);
    }
}

}  // namespace
}  // namespace Orv
