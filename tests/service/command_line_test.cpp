// The command line of orvservice: every command behind either prefix and in
// any letter case, its debugger-stream line, exit code and effect on the
// manager; unknown options and plain starts reach the dispatcher.
#include <string>
#include <vector>

#include "common/handover_events.h"
#include "platform/service_manager.h"
#include "platform/sim/sim_services.h"
#include "service/orv_service.h"
#include "tests/service/service_fixture.h"

namespace Orv::Test {
namespace {

using Platform::kServiceRunning;
using Platform::kServiceStopped;

enum class Given { Nothing, Running, Stopped, ManagerDenied };

const std::vector<std::wstring> kUsage = {
    L"Usage = orvservice.exe [-install | -remove | -start | -stop]\n",
    L"    -install = installs the service and starts it\n",
    L"    -remove  = stops and removes the service\n",
    L"    -start   = starts the service only if it is already installed\n",
    L"    -stop    = stops the service, but doesn't remove it\n",
};
const std::wstring kInstall = L"orvservice -install\n";
const std::wstring kRemove = L"orvservice -remove\n";
const std::wstring kStart = L"orvservice -start\n";
const std::wstring kStop = L"orvservice -stop\n";
const char* const kNoDispatcher = "StartServiceCtrlDispatcher -> 1063";

struct Case {
    const wchar_t* argument;
    Given given;
    int exitCode;
    std::vector<std::wstring> debug;
    uint32_t stateAfter;  // of OrvSvc; 0: not installed
    std::string call;     // a manager call the command must have made
};

class CommandLineTest : public ServiceTest {};

TEST_F(CommandLineTest, EveryForm) {
    const Case cases[] = {
        {L"-install", Given::Nothing, 0, {kInstall}, kServiceRunning, "CreateService OrvSvc 0x14"},
        {L"/INSTALL", Given::Nothing, 0, {kInstall}, kServiceRunning, "OpenSCManager 0x3"},
        {L"-InStAlL", Given::Nothing, 0, {kInstall}, kServiceRunning, "StartService OrvSvc -> ok"},
        {L"-install",
         Given::Running,
         -1,
         {kInstall},
         kServiceRunning,
         "CreateService OrvSvc 0x14 -> 1073"},
        {L"-install", Given::ManagerDenied, -1, {kInstall}, 0, "OpenSCManager 0x3 -> 5"},
        {L"-remove", Given::Running, 0, {kRemove}, 0, "OpenService OrvSvc 0x10024"},
        {L"/Remove", Given::Stopped, 0, {kRemove}, 0, "DeleteService OrvSvc -> ok"},
        {L"-REMOVE", Given::Nothing, -1, {kRemove}, 0, "OpenService OrvSvc 0x10024 -> 1060"},
        {L"-remove", Given::ManagerDenied, -1, {kRemove}, 0, "OpenSCManager 0x1 -> 5"},
        {L"-stop", Given::Running, 0, {kStop}, kServiceStopped, "OpenService OrvSvc 0x24"},
        {L"/STOP", Given::Stopped, 0, {kStop}, kServiceStopped, "ControlService OrvSvc 1 -> 1062"},
        {L"-Stop", Given::Nothing, -1, {kStop}, 0, "OpenService OrvSvc 0x24 -> 1060"},
        {L"-stop", Given::ManagerDenied, -1, {kStop}, 0, "OpenSCManager 0x1 -> 5"},
        {L"-start", Given::Stopped, 0, {kStart}, kServiceRunning, "OpenService OrvSvc 0x14"},
        {L"/sTaRt", Given::Running, 0, {kStart}, kServiceRunning, "StartService OrvSvc -> 1056"},
        {L"-start", Given::Nothing, -1, {kStart}, 0, "OpenService OrvSvc 0x14 -> 1060"},
        {L"-installx", Given::Nothing, 0, kUsage, 0, kNoDispatcher},
        {L"/?", Given::Nothing, 0, kUsage, 0, kNoDispatcher},
        {L"-", Given::Nothing, 0, kUsage, 0, kNoDispatcher},
        {L"install", Given::Nothing, 0, {}, 0, kNoDispatcher},
        {L"", Given::Nothing, 0, {}, 0, kNoDispatcher},
    };
    for (const Case& c : cases) {
        std::string label = Sim::ToUtf8(c.argument) + " given " + std::to_string(int(c.given));
        SCOPED_TRACE(label);
        TearDown();
        SetUp();
        if (c.given == Given::Running || c.given == Given::Stopped)
            Install();
        if (c.given == Given::Stopped) {
            ASSERT_EQ(Run(L"-stop"), 0);
        }
        Sim::DenyServiceManager(c.given == Given::ManagerDenied);
        Sim::TakeServiceCalls();
        Sim::TakeDebugOutput();

        EXPECT_EQ(Run(c.argument), c.exitCode);
        EXPECT_EQ(Sim::TakeDebugOutput(), c.debug);
        EXPECT_EQ(Sim::ServiceState(Service::kServiceName), c.stateAfter);
        std::vector<std::string> calls = Sim::TakeServiceCalls();
        EXPECT_NE(std::find(calls.begin(), calls.end(), c.call), calls.end())
            << "no call " << c.call << " in\n"
            << ::testing::PrintToString(calls);
    }
}

TEST_F(CommandLineTest, InstallRegistersThisProgramAsAnAutomaticServiceAndStartsIt) {
    ASSERT_EQ(Run(L"-install"), 0);
    Sim::ServiceConfig config;
    ASSERT_TRUE(Sim::GetServiceConfig(L"OrvSvc", &config));
    EXPECT_EQ(config.displayName, L"Valdura OrvLink");
    // Quoted, so that no part of the path before a space is run instead.
    EXPECT_EQ(config.binaryPath, L"\"" + programPath_ + L"\"");
    EXPECT_EQ(config.serviceType, 0x10u);
    EXPECT_EQ(config.startType, 2u);
    EXPECT_EQ(config.errorControl, 1u);
    EXPECT_EQ(changes_, (std::vector<std::string>{"OrvSvc start-pending", "OrvSvc running"}));

    std::vector<std::string> calls = Sim::TakeServiceCalls();
    EXPECT_EQ(CallsOf(calls, "SetServiceStatus"),
              (std::vector<std::string>{"SetServiceStatus OrvSvc state 4 accepts 0xc5"}));
    EXPECT_EQ(CallsOf(calls, "RegisterServiceCtrlHandlerEx"),
              (std::vector<std::string>{"RegisterServiceCtrlHandlerEx OrvSvc"}));
    // The service's worker made the hand-over events, open to every user.
    for (const wchar_t* name : {kPauseEventName, kResumeEventName}) {
        Sim::NamedEventSecurity security;
        ASSERT_TRUE(Sim::GetNamedEventSecurity(name, &security)) << Sim::ToUtf8(name);
        EXPECT_TRUE(security.openToEveryone);
        EXPECT_TRUE(security.inheritable);
        EXPECT_FALSE(Sim::NamedEventSignalled(name));
    }
}

// Installed as shipped, under a folder with a space: the manager must run
// this program, not one planted where the path's first word ends.
TEST_F(CommandLineTest, InstallUnderAFolderWithASpaceRunsThisProgramNotAPlantedOne) {
    const std::wstring folder = L"C:\\X-Plane 10\\Resources\\plugins\\XValduraAvionex";
    const std::wstring program = folder + L"\\orvservice.exe";
    Sim::SetProgramPath(program);
    Sim::RegisterServiceProgram(program, Service::RunProgramAsProcess);
    int plantedRuns = 0;
    Sim::RegisterServiceProgram(L"C:\\X-Plane.exe", [&](const std::vector<std::wstring>&) {
        ++plantedRuns;
        return 0;
    });

    ASSERT_EQ(Run(L"-install"), 0);
    Sim::ServiceConfig config;
    ASSERT_TRUE(Sim::GetServiceConfig(L"OrvSvc", &config));
    EXPECT_EQ(config.binaryPath, L"\"" + program + L"\"");
    EXPECT_EQ(Sim::ServiceState(Service::kServiceName), kServiceRunning);
    EXPECT_EQ(plantedRuns, 0);
    EXPECT_TRUE(Sim::NamedEventExists(kPauseEventName));  // this program's worker runs
}

TEST(QuotedProgramPathTest, QuotesOnceWhateverThePath) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\X-Plane 10\\orvservice.exe", L"\"C:\\X-Plane 10\\orvservice.exe\""},
        {L"C:\\Tools\\orvservice.exe", L"\"C:\\Tools\\orvservice.exe\""},
        {L"\"C:\\X-Plane 10\\orvservice.exe\"", L"\"C:\\X-Plane 10\\orvservice.exe\""},
    };
    for (const auto& [path, quoted] : cases)
        EXPECT_EQ(Service::QuotedProgramPath(path), quoted) << Sim::ToUtf8(path);
}

TEST_F(CommandLineTest, RemoveStopsTheRunningServiceBeforeDeletingIt) {
    Install();
    ASSERT_EQ(Run(L"-remove"), 0);
    std::vector<std::string> calls = Sim::TakeServiceCalls();
    std::vector<std::string> own = CallsOf(calls, "ControlService OrvSvc");
    own.push_back(CallsOf(calls, "QueryServiceStatus OrvSvc").at(0));
    own.push_back(CallsOf(calls, "DeleteService").at(0));
    EXPECT_EQ(own, (std::vector<std::string>{"ControlService OrvSvc 1 -> ok",
                                             "QueryServiceStatus OrvSvc -> state 1",
                                             "DeleteService OrvSvc -> ok"}));
    // The worker ended in time, and the events went with it.
    EXPECT_EQ(Sim::TakeDebugOutput(), std::vector<std::wstring>{kRemove});
    EXPECT_FALSE(Sim::NamedEventExists(kPauseEventName));
    EXPECT_EQ(Sim::LiveThreadCount(), 0);
}

}  // namespace
}  // namespace Orv::Test
