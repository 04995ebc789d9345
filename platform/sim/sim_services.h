// Control surface of the simulation platform's service manager and debugger
// stream, for the host program and the tests (never for the core).
//
// The service manager is in-process.  It knows two kinds of service:
//   - scripted services, which have no code: they stand for a service of
//     another maker and change state only as their script says;
//   - program services, created with CreateService (or InstallProgramService)
//     and run from an in-process program registered under their binary path:
//     StartService runs the program's main on a thread of the sync port, the
//     program connects through StartServiceCtrlDispatcher, and controls reach
//     its handler on that thread, as on Windows.
// Sim::Reset removes every service, registered program and observer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Orv::Sim {

// ---- Services ----------------------------------------------------------------------

struct ScriptedService {
    // Polls (QueryServiceStatus) that report stop-pending after a stop
    // control before the service reports stopped; 0 stops at once, -1 never.
    int stopPendingPolls = 0;
    // False: the service does not accept the stop control (1052).
    bool acceptsStop = true;
    // The state the service is installed in: running, else stopped.
    bool running = true;
};
void InstallScriptedService(const std::wstring& name, const ScriptedService& script);

// The program at this path: a service whose command line names it (see
// StartService: quoted, or unquoted and read up to a space as Windows does)
// runs main(args), args[0] being the path; its result is the process exit
// code.
using ServiceProgram = std::function<int(const std::vector<std::wstring>& args)>;
void RegisterServiceProgram(const std::wstring& binaryPath, ServiceProgram program);

// Told about every state change of a service (states as in
// platform/service_manager.h), on the thread that caused it.  Must not
// block in a platform wait.
using ServiceObserver = std::function<void(const std::wstring& name, uint32_t state)>;
void SetServiceObserver(ServiceObserver observer);

// The current state of a service; 0 when it is not installed.
uint32_t ServiceState(const std::wstring& name);
// What CreateService recorded about a service (false when none).
struct ServiceConfig {
    std::wstring displayName;
    std::wstring binaryPath;
    uint32_t serviceType = 0;
    uint32_t startType = 0;
    uint32_t errorControl = 0;
    bool marked = false;  // marked for deletion
};
bool GetServiceConfig(const std::wstring& name, ServiceConfig* config);

// The path the module port gives for the program's own module (a null
// address), as if the program were installed there; empty: the real one.
// Cleared by Reset.
void SetProgramPath(const std::wstring& path);

// While denied, OpenSCManager fails with 5 (access denied).
void DenyServiceManager(bool denied);

// Every call of the service-manager port since the last take, one line each,
// e.g. "OpenSCManager 0xf003f", "OpenService GlassLinkSvc 0x34",
// "ControlService GlassLinkSvc 1 -> 1062", "QueryServiceStatus GlassLinkSvc
// -> state 3" ("-> ok" for a success without more to say).
std::vector<std::string> TakeServiceCalls();

// "running", "stop-pending", "stopped", ... for a state number.
const char* ServiceStateName(uint32_t state);

// ---- Debugger stream -------------------------------------------------------------

// Each OutputDebugString goes to the observer (if any) and to the recorded list.
using DebugOutputObserver = std::function<void(const std::wstring& text)>;
void SetDebugOutputObserver(DebugOutputObserver observer);
std::vector<std::wstring> TakeDebugOutput();

}  // namespace Orv::Sim
