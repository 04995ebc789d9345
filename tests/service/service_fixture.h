// A fresh simulation platform for each test, with the service program
// registered under this test program's path, as -install registers it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/module.h"
#include "platform/service_manager.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_services.h"
#include "service/orv_service.h"

namespace Orv::Test {

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        Sim::Reset(Sim::TimeMode::Virtual);
        Service::DestroyServiceRecord();
        ASSERT_EQ(Platform::Module().GetModuleFileName(nullptr, &programPath_), 0u);
        Sim::RegisterServiceProgram(programPath_, Service::RunProgramAsProcess);
        Sim::SetServiceObserver([this](const std::wstring& name, uint32_t state) {
            changes_.push_back(Sim::ToUtf8(name) + " " + Sim::ServiceStateName(state));
        });
    }
    void TearDown() override {
        Sim::Reset(Sim::TimeMode::Virtual);
        Service::DestroyServiceRecord();
    }

    // Runs the program with one argument (none for an empty one).
    int Run(const std::wstring& argument) {
        // A console run: it shares the address space, and so the record,
        // with the service the manager runs, and leaves the record alone.
        const wchar_t* argv[] = {L"orvservice.exe", argument.c_str(), nullptr};
        int code = Service::RunProgram(argument.empty() ? 1 : 2, argv);
        Sim::Settle();
        return code;
    }

    // Installs and starts OrvSvc as -install does, and forgets what that said.
    void Install() {
        ASSERT_EQ(Run(L"-install"), 0);
        ASSERT_EQ(Sim::ServiceState(Service::kServiceName), Platform::kServiceRunning);
        Sim::TakeServiceCalls();
        Sim::TakeDebugOutput();
        changes_.clear();
    }

    // Sends a control to a service as another program would.
    bool Control(const wchar_t* name, uint32_t control, Platform::ServiceStatus* status) {
        auto& sm = Platform::ServiceManager();
        Platform::ScHandle manager =
            sm.OpenSCManager(nullptr, nullptr, Platform::kScManagerConnect);
        Platform::ScHandle service =
            sm.OpenService(manager, name, Platform::kServiceStop | Platform::kServiceQueryStatus);
        bool ok = service != nullptr && sm.ControlService(service, control, status);
        if (service != nullptr)
            sm.CloseServiceHandle(service);
        sm.CloseServiceHandle(manager);
        Sim::Settle();
        return ok;
    }

    // The recorded calls that begin with prefix.
    static std::vector<std::string> CallsOf(const std::vector<std::string>& calls,
                                            const std::string& prefix) {
        std::vector<std::string> found;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                     [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
        return found;
    }

    std::wstring programPath_;
    std::vector<std::string> changes_;
};

}  // namespace Orv::Test
