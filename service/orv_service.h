// The service program orvservice: the service "OrvSvc" that hands the
// maker's display devices to the plugin and back.  While the plugin runs,
// the maker's display service "GlassLinkSvc" is stopped; the plugin asks for
// that with the pause event at its start and for the restart with the
// resume event at its stop (common/handover_events.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/port_thread.h"
#include "platform/service_manager.h"
#include "platform/sync.h"
#include "platform/types.h"

namespace Orv::Service {

inline constexpr wchar_t kServiceName[] = L"OrvSvc";
inline constexpr wchar_t kServiceDisplayName[] = L"Valdura OrvLink";
inline constexpr wchar_t kDisplayServiceName[] = L"GlassLinkSvc";

// How long the control handler waits for the worker to end on stop.
inline constexpr uint32_t kWorkerStopTimeoutMs = 1000;
// The pause between two status queries of a service that is stopping.
inline constexpr uint32_t kStopPollMs = 1000;

// Controls the service advertises: stop, shutdown, power event, session change.
inline constexpr uint32_t kControlsAccepted =
    Platform::kServiceAcceptStop | Platform::kServiceAcceptShutdown |
    Platform::kServiceAcceptPowerEvent | Platform::kServiceAcceptSessionChange;

// The process-wide service record.
struct CServiceRecord {
    CServiceRecord();
    CServiceRecord(const CServiceRecord&) = delete;
    CServiceRecord& operator=(const CServiceRecord&) = delete;

    Platform::ServiceStatusHandle statusHandle = nullptr;
    Platform::ServiceStatus status;
    Platform::PortThread worker;      // the OrvKick thread
    Platform::ScopedEvent stopEvent;  // auto-reset: the worker is to end
};

// The record, created on first use.
CServiceRecord* GetServiceRecord();
// Destroys the record (at process exit; tests between runs).
void DestroyServiceRecord();

// The program: the command line (-install, -remove, -start, -stop, behind
// '-' or '/', in any letter case) or the service dispatcher.  Returns the
// process exit code.
int RunProgram(int argc, const wchar_t* const* argv);
// The program as one process runs it: a fresh record, RunProgram with args
// as argv, the record destroyed at the end.  What an in-process service
// manager starts for the service's binary.
int RunProgramAsProcess(const std::vector<std::wstring>& args);

// The command line the service manager is to run for a program path: the
// path in double quotes (a quoted one stays as it is).  Unquoted, a path
// with a space ("...\X-Plane 10\...") would be read as a shorter program
// ("...\X-Plane.exe") with arguments, which the manager would run instead.
std::wstring QuotedProgramPath(const std::wstring& path);

// The command-line commands; each returns the process exit code.
int InstallService();
int RemoveService();
int StartOwnService();
int StopOwnService();

// Service main, called by the dispatcher on a thread of its own.
void ServiceMain(uint32_t argc, wchar_t** argv);
// The control handler; always returns 0.
uint32_t ServiceControlHandler(uint32_t control, uint32_t eventType, void* eventData,
                               void* context);
// The worker thread; context is the service record.
uint32_t OrvKick(void* context);

// Sends the stop control; when it was accepted, polls every second for as
// long as the service reports stop-pending.
void StopServiceAndWait(Platform::ScHandle service);

// The worker's two requests: stop the display service and wait for it, or
// start it again.  Failures of the service manager are ignored.
void PauseDisplayService();
void ResumeDisplayService();

}  // namespace Orv::Service
