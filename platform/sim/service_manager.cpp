// The simulation platform's service manager: scripted services and program
// services run in-process on threads of the sync port (see sim_services.h).
//
// State is guarded by one mutex, which is never held across a platform
// wait or an observer call.  Controls of a program service travel as in
// Windows: the controller queues a request and waits (up to 30 s) for the
// service's dispatcher thread to run the handler.
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/service_manager.h"
#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_services.h"
#include "platform/sync.h"

namespace Orv::Sim {
namespace {

using Platform::Handle;
using Platform::ScHandle;
using Platform::ServiceStatus;
using Platform::ServiceStatusHandle;
using Platform::Sync;

constexpr uint32_t kControlTimeoutMs = 30000;  // the manager's wait for a service
constexpr uintptr_t kFirstScHandle = 0x5C000;

struct Request {
    uint32_t control = 0;
    Handle done = nullptr;
};

struct Service {
    std::wstring name;
    ServiceConfig config;
    bool scripted = false;
    ScriptedService script;
    int remainingPolls = 0;
    ServiceStatus status{};
    int openHandles = 0;
    bool removed = false;
    uintptr_t statusHandle = 0;

    // Program services, while their program runs.
    bool programRunning = false;
    bool connected = false;
    Handle started = nullptr;       // manual-reset: connected, or the program ended
    Handle controlEvent = nullptr;  // auto-reset: a request is queued, or stopped
    std::deque<std::shared_ptr<Request>> queue;
    Platform::IServiceManager::Handler handler = nullptr;
    void* handlerContext = nullptr;
    Platform::IServiceManager::ServiceMain main = nullptr;
    std::vector<std::wstring> mainArgs;  // the service main's argv
};

struct ScEntry {
    bool manager = false;
    uint32_t access = 0;
    std::shared_ptr<Service> service;
};

struct Manager {
    std::mutex mu;
    std::map<std::wstring, std::shared_ptr<Service>> services;  // by lower-case name
    std::map<uintptr_t, ScEntry> handles;
    uintptr_t nextHandle = kFirstScHandle;
    uintptr_t nextStatusHandle = 0x5A000;
    std::map<std::wstring, ServiceProgram> programs;
    ServiceObserver observer;
    bool denied = false;
    std::vector<std::string> calls;
};

Manager& M() {
    static Manager* manager = new Manager;
    return *manager;
}

using Lock = std::unique_lock<std::mutex>;

// The service whose program runs on this thread (its "process").
thread_local std::shared_ptr<Service> t_process;

std::wstring Lower(const std::wstring& text) {
    std::wstring lower = text;
    for (auto& c : lower)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower;
}

// The registered program that a service's command line runs, read as
// Windows reads it: a quoted path names the program; an unquoted one is
// tried up to each space in turn, shortest first (as itself and with
// ".exe"), then whole, so "C:\X-Plane 10\orvservice.exe" runs a program
// "C:\X-Plane.exe" where one is registered.  *path: the program's path.
std::map<std::wstring, ServiceProgram>::iterator FindProgram(Manager& m,
                                                             const std::wstring& commandLine,
                                                             std::wstring* path) {
    if (!commandLine.empty() && commandLine[0] == L'"') {
        size_t end = commandLine.find(L'"', 1);
        *path = commandLine.substr(1, end == std::wstring::npos ? end : end - 1);
        return m.programs.find(*path);
    }
    for (size_t space = commandLine.find(L' '); space != std::wstring::npos;
         space = commandLine.find(L' ', space + 1)) {
        for (std::wstring candidate :
             {commandLine.substr(0, space), commandLine.substr(0, space) + L".exe"}) {
            auto it = m.programs.find(candidate);
            if (it != m.programs.end()) {
                *path = candidate;
                return it;
            }
        }
    }
    *path = commandLine;
    return m.programs.find(commandLine);
}

std::string Narrow(const std::wstring& text) {
    return ToUtf8(text);
}

std::string Hex(uint32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%#x", value);
    return buf;
}

// State changes are told to the observer after the lock is released.
class Changes {
public:
    void Add(const Service& service, uint32_t state) { list_.push_back({service.name, state}); }
    void Tell(Lock& lock) {
        ServiceObserver observer = M().observer;
        lock.unlock();
        if (observer)
            for (const auto& [name, state] : list_)
                observer(name, state);
        list_.clear();
    }

private:
    std::vector<std::pair<std::wstring, uint32_t>> list_;
};

void Record(Manager& m, std::string line) {
    m.calls.push_back(std::move(line));
}

bool Fail(Manager& m, std::string call, uint32_t error) {
    Record(m, call + " -> " + std::to_string(error));
    Sync().SetLastError(error);
    return false;
}

void SetState(Service& s, uint32_t state, Changes* changes) {
    if (s.status.currentState == state)
        return;
    s.status.currentState = state;
    changes->Add(s, state);
}

// A service marked for deletion goes when it has stopped and its last
// handle is closed.
void TryRemove(Manager& m, const std::shared_ptr<Service>& s) {
    if (!s->config.marked || s->removed || s->openHandles > 0 ||
        s->status.currentState != Platform::kServiceStopped)
        return;
    s->removed = true;
    m.services.erase(Lower(s->name));
}

ScHandle AddHandle(Manager& m, ScEntry entry) {
    uintptr_t value = m.nextHandle;
    m.nextHandle += 4;
    if (entry.service)
        entry.service->openHandles++;
    m.handles.emplace(value, std::move(entry));
    return reinterpret_cast<ScHandle>(value);
}

ScEntry* Find(Manager& m, ScHandle handle, bool manager) {
    auto it = m.handles.find(reinterpret_cast<uintptr_t>(handle));
    if (it == m.handles.end() || it->second.manager != manager)
        return nullptr;
    return &it->second;
}

// ---- Program services -------------------------------------------------------------

struct ProgramStart {
    std::shared_ptr<Service> service;
    ServiceProgram program;
    std::vector<std::wstring> args;
};

uint32_t ProgramThread(void* context) {
    std::unique_ptr<ProgramStart> start(static_cast<ProgramStart*>(context));
    t_process = start->service;
    int code = start->program(start->args);
    Manager& m = M();
    Lock lock(m.mu);
    Service& s = *start->service;
    Changes changes;
    s.programRunning = false;
    s.connected = false;
    s.handler = nullptr;
    s.queue.clear();
    if (s.status.currentState != Platform::kServiceStopped) {
        s.status.controlsAccepted = 0;
        SetState(s, Platform::kServiceStopped, &changes);
    }
    Handle started = s.started;
    TryRemove(m, start->service);
    changes.Tell(lock);
    Sync().SetEvent(started);
    t_process.reset();
    return static_cast<uint32_t>(code);
}

struct MainStart {
    Platform::IServiceManager::ServiceMain main;
    std::shared_ptr<Service> service;
    std::vector<std::wstring> args;
};

uint32_t ServiceMainThread(void* context) {
    std::unique_ptr<MainStart> start(static_cast<MainStart*>(context));
    t_process = start->service;
    std::vector<wchar_t*> argv;
    for (auto& arg : start->args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    start->main(static_cast<uint32_t>(start->args.size()), argv.data());
    t_process.reset();
    return 0;
}

// ---- The port ---------------------------------------------------------------------

class SimServiceManager final : public Platform::IServiceManager {
public:
    ScHandle OpenSCManager(const wchar_t* machine, const wchar_t* database,
                           uint32_t desiredAccess) override {
        Manager& m = M();
        Lock lock(m.mu);
        std::string call = "OpenSCManager " + Hex(desiredAccess);
        if (machine && *machine) {
            Fail(m, call, 1722);  // RPC_S_SERVER_UNAVAILABLE: no other machines here
            return nullptr;
        }
        if (m.denied) {
            Fail(m, call, Platform::kErrorAccessDenied);
            return nullptr;
        }
        Record(m, call);
        return AddHandle(m, ScEntry{true, desiredAccess, nullptr});
    }

    ScHandle OpenService(ScHandle manager, const wchar_t* name, uint32_t desiredAccess) override {
        Manager& m = M();
        Lock lock(m.mu);
        std::string call = "OpenService " + Narrow(name ? name : L"") + " " + Hex(desiredAccess);
        if (!Find(m, manager, true)) {
            Fail(m, call, Platform::kErrorInvalidHandle);
            return nullptr;
        }
        if (!name || !*name) {
            Fail(m, call, Platform::kErrorInvalidParameter);
            return nullptr;
        }
        auto it = m.services.find(Lower(name));
        if (it == m.services.end()) {
            Fail(m, call, Platform::kErrorServiceDoesNotExist);
            return nullptr;
        }
        Record(m, call);
        return AddHandle(m, ScEntry{false, desiredAccess, it->second});
    }

    ScHandle CreateService(ScHandle manager, const wchar_t* name, const wchar_t* displayName,
                           uint32_t desiredAccess, uint32_t serviceType, uint32_t startType,
                           uint32_t errorControl, const wchar_t* binaryPath,
                           const wchar_t* loadOrderGroup, const wchar_t* dependencies,
                           const wchar_t* account, const wchar_t* password) override {
        Manager& m = M();
        Lock lock(m.mu);
        std::string call = "CreateService " + Narrow(name ? name : L"") + " " + Hex(desiredAccess);
        ScEntry* entry = Find(m, manager, true);
        if (!entry) {
            Fail(m, call, Platform::kErrorInvalidHandle);
            return nullptr;
        }
        if ((entry->access & Platform::kScManagerCreateService) == 0) {
            Fail(m, call, Platform::kErrorAccessDenied);
            return nullptr;
        }
        if (!name || !*name || !binaryPath || !*binaryPath) {
            Fail(m, call, Platform::kErrorInvalidParameter);
            return nullptr;
        }
        auto it = m.services.find(Lower(name));
        if (it != m.services.end()) {
            Fail(m, call,
                 it->second->config.marked ? Platform::kErrorServiceMarkedForDelete
                                           : Platform::kErrorServiceExists);
            return nullptr;
        }
        auto s = std::make_shared<Service>();
        s->name = name;
        s->config.displayName = displayName ? displayName : name;
        s->config.binaryPath = binaryPath;
        s->config.serviceType = serviceType;
        s->config.startType = startType;
        s->config.errorControl = errorControl;
        s->status.serviceType = serviceType;
        s->status.currentState = Platform::kServiceStopped;
        m.services[Lower(name)] = s;
        Record(m, call);
        return AddHandle(m, ScEntry{false, desiredAccess, s});
    }

    bool StartService(ScHandle service, uint32_t argc, const wchar_t** argv) override {
        Manager& m = M();
        Lock lock(m.mu);
        ScEntry* entry = Find(m, service, false);
        if (!entry)
            return Fail(m, "StartService", Platform::kErrorInvalidHandle);
        std::shared_ptr<Service> s = entry->service;
        std::string call = "StartService " + Narrow(s->name);
        if ((entry->access & Platform::kServiceStart) == 0)
            return Fail(m, call, Platform::kErrorAccessDenied);
        if (s->config.marked)
            return Fail(m, call, Platform::kErrorServiceMarkedForDelete);
        if (s->status.currentState != Platform::kServiceStopped || s->programRunning)
            return Fail(m, call, Platform::kErrorServiceAlreadyRunning);
        Changes changes;
        if (s->scripted) {
            SetState(*s, Platform::kServiceRunning, &changes);
            Record(m, call + " -> ok");
            changes.Tell(lock);
            return true;
        }
        std::wstring programPath;
        auto program = FindProgram(m, s->config.binaryPath, &programPath);
        if (program == m.programs.end())
            return Fail(m, call, Platform::kErrorFileNotFound);

        auto start = std::make_unique<ProgramStart>();
        start->service = s;
        start->program = program->second;
        start->args.push_back(programPath);
        s->main = nullptr;
        s->handler = nullptr;
        s->queue.clear();
        s->connected = false;
        s->programRunning = true;
        s->status = ServiceStatus{s->config.serviceType, Platform::kServiceStopped, 0, 0, 0, 0, 0};
        SetState(*s, Platform::kServiceStartPending, &changes);
        s->mainArgs = {s->name};
        for (uint32_t i = 0; argv && i < argc; ++i)
            s->mainArgs.push_back(argv[i] ? argv[i] : L"");
        if (!s->started)
            s->started = Sync().CreateEvent(true, false);
        else
            Sync().ResetEvent(s->started);
        if (!s->controlEvent)
            s->controlEvent = Sync().CreateEvent(false, false);
        Handle started = s->started;
        Handle thread = Sync().CreateThread(ProgramThread, start.get(), nullptr);
        if (!thread) {
            s->programRunning = false;
            SetState(*s, Platform::kServiceStopped, &changes);
            Fail(m, call, Platform::kErrorNotEnoughMemory);
            changes.Tell(lock);
            return false;
        }
        start.release();
        changes.Tell(lock);
        Sync().CloseHandle(thread);

        // The manager waits until the program has connected its dispatcher.
        uint32_t waited = Sync().WaitForSingleObject(started, kControlTimeoutMs);
        lock.lock();
        if (waited != Platform::kWaitObject0 || !s->connected)
            return Fail(m, call, Platform::kErrorServiceRequestTimeout);
        Record(m, call + " -> ok");
        return true;
    }

    bool ControlService(ScHandle service, uint32_t control, ServiceStatus* status) override {
        Manager& m = M();
        Lock lock(m.mu);
        ScEntry* entry = Find(m, service, false);
        if (!entry)
            return Fail(m, "ControlService", Platform::kErrorInvalidHandle);
        std::shared_ptr<Service> s = entry->service;
        std::string call = "ControlService " + Narrow(s->name) + " " + std::to_string(control);
        if (!status)
            return Fail(m, call, Platform::kErrorInvalidParameter);
        uint32_t right = Platform::kServiceUserDefinedControl;
        uint32_t accept = 0;
        switch (control) {
            case Platform::kServiceControlStop:
                right = Platform::kServiceStop;
                accept = Platform::kServiceAcceptStop;
                break;
            case Platform::kServiceControlPause:
            case Platform::kServiceControlContinue:
                right = Platform::kServicePauseContinue;
                accept = Platform::kServiceAcceptPauseContinue;
                break;
            case Platform::kServiceControlInterrogate:
                right = Platform::kServiceInterrogate;
                break;
            default:
                if (control < 128)  // the system's own controls are not sent this way
                    return Fail(m, call, Platform::kErrorInvalidParameter);
                break;
        }
        if ((entry->access & right) == 0)
            return Fail(m, call, Platform::kErrorAccessDenied);
        uint32_t state = s->status.currentState;
        if (state == Platform::kServiceStopped)
            return Fail(m, call, Platform::kErrorServiceNotActive);
        if (state == Platform::kServiceStartPending || state == Platform::kServiceStopPending)
            return Fail(m, call, Platform::kErrorServiceCannotAcceptCtrl);

        Changes changes;
        if (s->scripted) {
            if (control == Platform::kServiceControlStop) {
                if (!s->script.acceptsStop)
                    return Fail(m, call, Platform::kErrorInvalidServiceControl);
                s->remainingPolls = s->script.stopPendingPolls;
                SetState(*s,
                         s->remainingPolls == 0 ? Platform::kServiceStopped
                                                : Platform::kServiceStopPending,
                         &changes);
            } else if (control != Platform::kServiceControlInterrogate) {
                return Fail(m, call, Platform::kErrorInvalidServiceControl);
            }
            *status = s->status;
            Record(m, call + " -> ok");
            changes.Tell(lock);
            return true;
        }

        if (accept != 0 && (s->status.controlsAccepted & accept) == 0)
            return Fail(m, call, Platform::kErrorInvalidServiceControl);
        if (!s->connected)
            return Fail(m, call, Platform::kErrorServiceCannotAcceptCtrl);
        auto request = std::make_shared<Request>();
        request->control = control;
        request->done = Sync().CreateEvent(true, false);
        s->queue.push_back(request);
        Handle controlEvent = s->controlEvent;
        lock.unlock();
        Sync().SetEvent(controlEvent);
        uint32_t waited = Sync().WaitForSingleObject(request->done, kControlTimeoutMs);
        lock.lock();
        Sync().CloseHandle(request->done);
        request->done = nullptr;
        if (waited != Platform::kWaitObject0)
            return Fail(m, call, Platform::kErrorServiceRequestTimeout);
        *status = s->status;
        Record(m, call + " -> ok");
        return true;
    }

    bool QueryServiceStatus(ScHandle service, ServiceStatus* status) override {
        Manager& m = M();
        Lock lock(m.mu);
        ScEntry* entry = Find(m, service, false);
        if (!entry)
            return Fail(m, "QueryServiceStatus", Platform::kErrorInvalidHandle);
        std::shared_ptr<Service> s = entry->service;
        std::string call = "QueryServiceStatus " + Narrow(s->name);
        if ((entry->access & Platform::kServiceQueryStatus) == 0)
            return Fail(m, call, Platform::kErrorAccessDenied);
        if (!status)
            return Fail(m, call, Platform::kErrorInvalidParameter);
        Changes changes;
        if (s->scripted && s->status.currentState == Platform::kServiceStopPending) {
            if (s->remainingPolls == 0)
                SetState(*s, Platform::kServiceStopped, &changes);
            else if (s->remainingPolls > 0)
                s->remainingPolls--;
        }
        *status = s->status;
        Record(m, call + " -> state " + std::to_string(s->status.currentState));
        TryRemove(m, s);
        changes.Tell(lock);
        return true;
    }

    bool DeleteService(ScHandle service) override {
        Manager& m = M();
        Lock lock(m.mu);
        ScEntry* entry = Find(m, service, false);
        if (!entry)
            return Fail(m, "DeleteService", Platform::kErrorInvalidHandle);
        std::shared_ptr<Service> s = entry->service;
        std::string call = "DeleteService " + Narrow(s->name);
        if ((entry->access & Platform::kDelete) == 0)
            return Fail(m, call, Platform::kErrorAccessDenied);
        if (s->config.marked)
            return Fail(m, call, Platform::kErrorServiceMarkedForDelete);
        s->config.marked = true;
        Record(m, call + " -> ok");
        return true;
    }

    bool CloseServiceHandle(ScHandle handle) override {
        Manager& m = M();
        Lock lock(m.mu);
        auto it = m.handles.find(reinterpret_cast<uintptr_t>(handle));
        if (it == m.handles.end()) {
            Sync().SetLastError(Platform::kErrorInvalidHandle);
            return false;
        }
        std::shared_ptr<Service> s = it->second.service;
        m.handles.erase(it);
        if (s) {
            s->openHandles--;
            TryRemove(m, s);
        }
        return true;
    }

    bool StartServiceCtrlDispatcher(const TableEntry* table) override {
        Manager& m = M();
        Lock lock(m.mu);
        std::shared_ptr<Service> s = t_process;
        if (!table || !table[0].name || !table[0].main)
            return Fail(m, "StartServiceCtrlDispatcher", Platform::kErrorInvalidParameter);
        if (!s || s->connected || !s->programRunning)
            return Fail(m, "StartServiceCtrlDispatcher",
                        Platform::kErrorFailedServiceControllerConnect);
        Record(m, "StartServiceCtrlDispatcher " + Narrow(table[0].name));
        s->connected = true;
        s->main = table[0].main;
        auto start = std::make_unique<MainStart>();
        start->main = table[0].main;
        start->service = s;
        start->args = s->mainArgs;
        if (start->args.empty())
            start->args.push_back(table[0].name);
        Handle thread = Sync().CreateThread(ServiceMainThread, start.get(), nullptr);
        if (thread)
            start.release();
        Handle started = s->started;
        Handle controlEvent = s->controlEvent;
        lock.unlock();
        if (thread)
            Sync().CloseHandle(thread);
        Sync().SetEvent(started);

        // Serve controls on this thread until the service reports stopped.
        for (;;) {
            lock.lock();
            if (!s->queue.empty()) {
                std::shared_ptr<Request> request = s->queue.front();
                s->queue.pop_front();
                Handler handler = s->handler;
                void* context = s->handlerContext;
                lock.unlock();
                if (handler)
                    handler(request->control, 0, nullptr, context);
                lock.lock();
                if (request->done)
                    Sync().SetEvent(request->done);
                lock.unlock();
                continue;
            }
            bool stopped = s->status.currentState == Platform::kServiceStopped || !thread;
            lock.unlock();
            if (stopped)
                break;
            Sync().WaitForSingleObject(controlEvent, Platform::kInfinite);
        }
        lock.lock();
        Record(m, "StartServiceCtrlDispatcher " + Narrow(table[0].name) + " -> returns");
        return true;
    }

    ServiceStatusHandle RegisterServiceCtrlHandlerEx(const wchar_t* name, Handler handler,
                                                     void* context) override {
        Manager& m = M();
        Lock lock(m.mu);
        std::string call = "RegisterServiceCtrlHandlerEx " + Narrow(name ? name : L"");
        std::shared_ptr<Service> s = t_process;
        if (!s || !s->connected || !name || Lower(name) != Lower(s->name)) {
            Fail(m, call, Platform::kErrorServiceDoesNotExist);
            return nullptr;
        }
        if (!handler) {
            Fail(m, call, Platform::kErrorInvalidParameter);
            return nullptr;
        }
        s->handler = handler;
        s->handlerContext = context;
        s->statusHandle = m.nextStatusHandle;
        m.nextStatusHandle += 4;
        Record(m, call);
        return reinterpret_cast<ServiceStatusHandle>(s->statusHandle);
    }

    bool SetServiceStatus(ServiceStatusHandle handle, const ServiceStatus* status) override {
        Manager& m = M();
        Lock lock(m.mu);
        std::shared_ptr<Service> s;
        for (auto& [key, service] : m.services)
            if (service->statusHandle != 0 &&
                service->statusHandle == reinterpret_cast<uintptr_t>(handle))
                s = service;
        if (!s)
            return Fail(m, "SetServiceStatus", Platform::kErrorInvalidHandle);
        if (!status || status->currentState < Platform::kServiceStopped ||
            status->currentState > Platform::kServicePaused)
            return Fail(m, "SetServiceStatus " + Narrow(s->name), Platform::kErrorInvalidParameter);
        Record(m, "SetServiceStatus " + Narrow(s->name) + " state " +
                      std::to_string(status->currentState) + " accepts " +
                      Hex(status->controlsAccepted));
        Changes changes;
        uint32_t state = status->currentState;
        uint32_t before = s->status.currentState;
        s->status = *status;
        if (before != state)
            changes.Add(*s, state);
        Handle controlEvent = s->controlEvent;
        TryRemove(m, s);
        changes.Tell(lock);
        if (state == Platform::kServiceStopped && controlEvent)
            Sync().SetEvent(controlEvent);  // the dispatcher returns
        return true;
    }
};

SimServiceManager& Port() {
    static SimServiceManager* port = new SimServiceManager;
    return *port;
}

}  // namespace

void InstallScriptedService(const std::wstring& name, const ScriptedService& script) {
    Manager& m = M();
    Lock lock(m.mu);
    auto s = std::make_shared<Service>();
    s->name = name;
    s->scripted = true;
    s->script = script;
    s->config.displayName = name;
    s->config.serviceType = Platform::kServiceWin32OwnProcess;
    s->config.startType = Platform::kServiceDemandStart;
    s->config.errorControl = Platform::kServiceErrorNormal;
    s->status.serviceType = Platform::kServiceWin32OwnProcess;
    s->status.currentState = script.running ? Platform::kServiceRunning : Platform::kServiceStopped;
    s->status.controlsAccepted = script.acceptsStop ? Platform::kServiceAcceptStop : 0;
    m.services[Lower(name)] = s;
}

void RegisterServiceProgram(const std::wstring& binaryPath, ServiceProgram program) {
    Manager& m = M();
    Lock lock(m.mu);
    m.programs[binaryPath] = std::move(program);
}

void SetServiceObserver(ServiceObserver observer) {
    Manager& m = M();
    Lock lock(m.mu);
    m.observer = std::move(observer);
}

uint32_t ServiceState(const std::wstring& name) {
    Manager& m = M();
    Lock lock(m.mu);
    auto it = m.services.find(Lower(name));
    return it == m.services.end() ? 0 : it->second->status.currentState;
}

bool GetServiceConfig(const std::wstring& name, ServiceConfig* config) {
    Manager& m = M();
    Lock lock(m.mu);
    auto it = m.services.find(Lower(name));
    if (it == m.services.end() || !config)
        return false;
    *config = it->second->config;
    return true;
}

void DenyServiceManager(bool denied) {
    Manager& m = M();
    Lock lock(m.mu);
    m.denied = denied;
}

std::vector<std::string> TakeServiceCalls() {
    Manager& m = M();
    Lock lock(m.mu);
    std::vector<std::string> calls;
    calls.swap(m.calls);
    return calls;
}

const char* ServiceStateName(uint32_t state) {
    switch (state) {
        case Platform::kServiceStopped:
            return "stopped";
        case Platform::kServiceStartPending:
            return "start-pending";
        case Platform::kServiceStopPending:
            return "stop-pending";
        case Platform::kServiceRunning:
            return "running";
        case Platform::kServiceContinuePending:
            return "continue-pending";
        case Platform::kServicePausePending:
            return "pause-pending";
        case Platform::kServicePaused:
            return "paused";
        default:
            return "unknown";
    }
}

namespace Detail {

void ResetServices() {
    Manager& m = M();
    Lock lock(m.mu);
    m.services.clear();
    m.handles.clear();
    m.programs.clear();
    m.observer = nullptr;
    m.denied = false;
    m.calls.clear();
    m.nextHandle = kFirstScHandle;
}

}  // namespace Detail
}  // namespace Orv::Sim

namespace Orv::Platform {

IServiceManager& ServiceManager() {
    return Sim::Port();
}

}  // namespace Orv::Platform
