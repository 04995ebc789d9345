// The running service: the control handler, the OrvKick worker and the
// hand-over of the display service, against scripted display services.
#include <string>
#include <vector>

#include "common/handover_events.h"
#include "platform/named_events.h"
#include "platform/service_manager.h"
#include "platform/sim/sim_services.h"
#include "platform/sync.h"
#include "plugin/core/handover.h"
#include "service/orv_service.h"
#include "tests/service/service_fixture.h"

namespace Orv::Test {
namespace {

using Platform::kServiceRunning;
using Platform::kServiceStopped;
using Platform::kServiceStopPending;

const std::wstring kTimeoutLine =
    L"orvservice.exe - OnServiceStopped() - Timeout on shutting down OrvKick thread\n";
const wchar_t* const kDisplay = Service::kDisplayServiceName;

class HandOverTest : public ServiceTest {
protected:
    // The plugin's side: XPluginStart signals pause, XPluginStop resume.
    void PluginSignals(bool pause) {
        UTILITY::PauseResumeGlassLinkService(pause);
        Sim::Settle();
    }

    // The worker alone, on a record in the running state, without the
    // manager's dispatcher around it.
    Service::CServiceRecord* StartWorker() {
        Service::CServiceRecord* record = Service::GetServiceRecord();
        record->status.currentState = kServiceRunning;
        record->worker.Start(Service::OrvKick, record);
        Sim::Settle();
        Sim::TakeServiceCalls();
        return record;
    }

    static size_t Count(const std::vector<std::string>& calls, const std::string& call) {
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
    }
};

TEST_F(HandOverTest, DisplayServiceStopsAtPluginStartAndStartsAgainAtPluginStop) {
    Sim::InstallScriptedService(kDisplay, {.stopPendingPolls = 2});
    Install();

    PluginSignals(true);
    // Stop control, then a query every second: stop-pending, stop-pending, stopped.
    Sim::Advance(2999);
    EXPECT_EQ(Sim::ServiceState(kDisplay), kServiceStopPending);
    Sim::Advance(1);
    EXPECT_EQ(Sim::ServiceState(kDisplay), kServiceStopped);
    EXPECT_EQ(Sim::TakeServiceCalls(),
              (std::vector<std::string>{"OpenSCManager 0xf003f", "OpenService GlassLinkSvc 0x34",
                                        "ControlService GlassLinkSvc 1 -> ok",
                                        "QueryServiceStatus GlassLinkSvc -> state 3",
                                        "QueryServiceStatus GlassLinkSvc -> state 3",
                                        "QueryServiceStatus GlassLinkSvc -> state 1"}));

    PluginSignals(false);
    EXPECT_EQ(Sim::ServiceState(kDisplay), kServiceRunning);
    EXPECT_EQ(Sim::TakeServiceCalls(),
              (std::vector<std::string>{"OpenSCManager 0xf003f", "OpenService GlassLinkSvc 0x34",
                                        "StartService GlassLinkSvc -> ok"}));
    EXPECT_EQ(changes_, (std::vector<std::string>{"GlassLinkSvc stop-pending",
                                                  "GlassLinkSvc stopped", "GlassLinkSvc running"}));
    EXPECT_EQ(Sim::ServiceState(Service::kServiceName), kServiceRunning);
    EXPECT_TRUE(Sim::TakeDebugOutput().empty());
}

TEST_F(HandOverTest, SecondPauseRequestInARowFindsTheServiceStoppedAndIsIgnored) {
    Sim::InstallScriptedService(kDisplay, {.stopPendingPolls = 1});
    StartWorker();
    PluginSignals(true);
    Sim::Advance(5000);
    ASSERT_EQ(Sim::ServiceState(kDisplay), kServiceStopped);
    PluginSignals(true);
    Sim::Advance(5000);

    std::vector<std::string> calls = Sim::TakeServiceCalls();
    EXPECT_EQ(Count(calls, "ControlService GlassLinkSvc 1 -> ok"), 1u);
    EXPECT_EQ(Count(calls, "ControlService GlassLinkSvc 1 -> 1062"), 1u);
    // No waiting after the refused control: only the first request polled.
    EXPECT_EQ(CallsOf(calls, "QueryServiceStatus").size(), 2u);
    EXPECT_EQ(calls.back(), "ControlService GlassLinkSvc 1 -> 1062");
    EXPECT_EQ(changes_,
              (std::vector<std::string>{"GlassLinkSvc stop-pending", "GlassLinkSvc stopped"}));
}

TEST_F(HandOverTest, StopWhileStoppingTheDisplayServiceTimesOutAfterOneSecond) {
    Sim::InstallScriptedService(kDisplay, {.stopPendingPolls = 3});
    Service::CServiceRecord* record = StartWorker();
    PluginSignals(true);  // the worker is now between two polls
    ASSERT_EQ(Sim::ServiceState(kDisplay), kServiceStopPending);

    uint64_t before = Sim::Now();
    EXPECT_EQ(Service::ServiceControlHandler(Platform::kServiceControlStop, 0, nullptr, record),
              0u);
    EXPECT_EQ(Sim::Now() - before, 1000u);
    EXPECT_EQ(Sim::TakeDebugOutput(), std::vector<std::wstring>{kTimeoutLine});
    EXPECT_EQ(record->status.currentState, kServiceStopped);
    EXPECT_EQ(record->worker.handle(), nullptr);

    // The worker finishes its request, then sees the stop event and ends;
    // a resume request after that finds no service program.
    Sim::Advance(10000);
    EXPECT_EQ(Sim::ServiceState(kDisplay), kServiceStopped);
    EXPECT_EQ(Sim::LiveThreadCount(), 0);
    PluginSignals(false);
    EXPECT_EQ(Sim::ServiceState(kDisplay), kServiceStopped);
    std::vector<std::string> calls = Sim::TakeServiceCalls();
    EXPECT_EQ(CallsOf(calls, "QueryServiceStatus").size(), 4u);
    EXPECT_TRUE(CallsOf(calls, "StartService").empty());
}

TEST_F(HandOverTest, StopThroughTheManagerWhileStoppingTheDisplayService) {
    Sim::InstallScriptedService(kDisplay, {.stopPendingPolls = 3});
    Install();
    PluginSignals(true);

    uint64_t before = Sim::Now();
    Platform::ServiceStatus status{};
    ASSERT_TRUE(Control(Service::kServiceName, Platform::kServiceControlStop, &status));
    EXPECT_EQ(Sim::Now() - before, 1000u);
    EXPECT_EQ(status.currentState, kServiceStopped);
    EXPECT_EQ(Sim::ServiceState(Service::kServiceName), kServiceStopped);
    EXPECT_EQ(Sim::TakeDebugOutput(), std::vector<std::wstring>{kTimeoutLine});
    Sim::Advance(10000);
    EXPECT_EQ(Sim::ServiceState(kDisplay), kServiceStopped);
}

TEST_F(HandOverTest, StopWithAnIdleWorkerEndsItAtOnce) {
    Service::CServiceRecord* record = StartWorker();
    uint64_t before = Sim::Now();
    Service::ServiceControlHandler(Platform::kServiceControlShutdown, 0, nullptr, record);
    EXPECT_EQ(Sim::Now(), before);
    EXPECT_TRUE(Sim::TakeDebugOutput().empty());
    EXPECT_EQ(Sim::LiveThreadCount(), 0);
    EXPECT_FALSE(Sim::NamedEventExists(kPauseEventName));
    // A second stop finds no worker and does not wait.
    Service::ServiceControlHandler(Platform::kServiceControlStop, 0, nullptr, record);
    EXPECT_EQ(record->status.currentState, kServiceStopped);
}

struct HandlerCase {
    uint32_t control;
    uint32_t state;  // after the control, from running
};

TEST_F(HandOverTest, ControlHandlerTable) {
    Service::CServiceRecord* record = Service::GetServiceRecord();
    EXPECT_EQ(record->status.serviceType, 0x10u);
    EXPECT_EQ(record->status.currentState, Platform::kServiceStartPending);
    EXPECT_EQ(record->status.controlsAccepted, 0xC5u);
    const HandlerCase cases[] = {
        {Platform::kServiceControlStop, kServiceStopped},
        {Platform::kServiceControlShutdown, kServiceStopped},
        {Platform::kServiceControlPause, Platform::kServicePaused},
        {Platform::kServiceControlContinue, kServiceRunning},
        {Platform::kServiceControlInterrogate, kServiceRunning},
        {Platform::kServiceControlPowerEvent, kServiceRunning},
        {Platform::kServiceControlSessionChange, kServiceRunning},
        {0x80, kServiceRunning},
    };
    for (const HandlerCase& c : cases) {
        record->status.currentState = kServiceRunning;
        EXPECT_EQ(Service::ServiceControlHandler(c.control, 0, nullptr, record), 0u);
        EXPECT_EQ(record->status.currentState, c.state) << "control " << c.control;
    }
}

TEST_F(HandOverTest, PausedAndContinuedServiceReportsBoth) {
    Install();
    Sim::TakeServiceCalls();
    // Pause and continue are answered although not advertised; the manager
    // refuses to send them, the handler reports when it is called.
    Platform::ServiceStatus status{};
    EXPECT_FALSE(Control(Service::kServiceName, Platform::kServiceControlPause, &status));
    Service::ServiceControlHandler(Platform::kServiceControlPause, 0, nullptr, nullptr);
    EXPECT_EQ(Sim::ServiceState(Service::kServiceName), Platform::kServicePaused);
    Service::ServiceControlHandler(Platform::kServiceControlContinue, 0, nullptr, nullptr);
    EXPECT_EQ(Sim::ServiceState(Service::kServiceName), kServiceRunning);
}

struct FailingCase {
    const char* what;
    bool installed;
    Sim::ScriptedService script;
    std::string stopCall;   // the pause request's last call
    std::string startCall;  // the resume request's last call
};

TEST_F(HandOverTest, DisplayServiceThatIsNotThereOrRefusesLeavesTheWorkerServing) {
    const FailingCase cases[] = {
        {"not installed",
         false,
         {},
         "OpenService GlassLinkSvc 0x34 -> 1060",
         "OpenService GlassLinkSvc 0x34 -> 1060"},
        {"refuses to stop",
         true,
         {.acceptsStop = false},
         "ControlService GlassLinkSvc 1 -> 1052",
         "StartService GlassLinkSvc -> 1056"},
    };
    for (const FailingCase& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        if (c.installed)
            Sim::InstallScriptedService(kDisplay, c.script);
        StartWorker();
        for (int round = 0; round < 2; ++round) {
            PluginSignals(true);
            Sim::Advance(3000);
            std::vector<std::string> calls = Sim::TakeServiceCalls();
            ASSERT_FALSE(calls.empty());
            EXPECT_EQ(calls.back(), c.stopCall);
            EXPECT_TRUE(CallsOf(calls, "QueryServiceStatus").empty());
            PluginSignals(false);
            calls = Sim::TakeServiceCalls();
            ASSERT_FALSE(calls.empty());
            EXPECT_EQ(calls.back(), c.startCall);
        }
        EXPECT_EQ(Sim::ServiceState(kDisplay), c.installed ? kServiceRunning : 0u);
        EXPECT_TRUE(changes_.empty());
        EXPECT_EQ(Sim::LiveThreadCount(), 1);
    }
}

// A display service that never leaves stop-pending keeps the worker polling
// (the wait has no bound), but nothing is lost: a resume request waits in
// its event, and the service program itself still stops in one second.
TEST_F(HandOverTest, DisplayServiceStuckStopPendingKeepsRequestsLatched) {
    Sim::InstallScriptedService(kDisplay, {.stopPendingPolls = -1});
    Install();
    PluginSignals(true);
    Sim::Advance(60000);
    EXPECT_EQ(Sim::ServiceState(kDisplay), kServiceStopPending);
    EXPECT_EQ(CallsOf(Sim::TakeServiceCalls(), "QueryServiceStatus").size(), 60u);

    PluginSignals(false);
    EXPECT_TRUE(Sim::NamedEventSignalled(kResumeEventName));

    uint64_t before = Sim::Now();
    Platform::ServiceStatus status{};
    ASSERT_TRUE(Control(Service::kServiceName, Platform::kServiceControlStop, &status));
    EXPECT_EQ(Sim::Now() - before, 1000u);
    EXPECT_EQ(status.currentState, kServiceStopped);
    EXPECT_EQ(Sim::TakeDebugOutput(), std::vector<std::wstring>{kTimeoutLine});
}

}  // namespace
}  // namespace Orv::Test
