#include "service/orv_service.h"

#include "common/handover_events.h"
#include "platform/debug_output.h"
#include "platform/named_events.h"
#include "platform/security.h"
#include "platform/sync.h"

namespace Orv::Service {

namespace {

using Platform::ServiceManager;
using Platform::Sync;

CServiceRecord* g_record = nullptr;

}  // namespace

CServiceRecord::CServiceRecord()
    : status{Platform::kServiceWin32OwnProcess,
             Platform::kServiceStartPending,
             kControlsAccepted,
             0,
             0,
             0,
             0},
      stopEvent(Sync().CreateEvent(false, false)) {}

CServiceRecord* GetServiceRecord() {
    if (g_record == nullptr)
        g_record = new CServiceRecord;
    return g_record;
}

void DestroyServiceRecord() {
    delete g_record;
    g_record = nullptr;
}

void ServiceMain(uint32_t argc, wchar_t** argv) {
    CServiceRecord* record = GetServiceRecord();
    record->statusHandle =
        ServiceManager().RegisterServiceCtrlHandlerEx(kServiceName, ServiceControlHandler, record);
    if (record->statusHandle == nullptr)
        return;
    // The manager sends no control before the first status report, so the
    // handler never sees the worker's handle unset.
    record->worker.Start(OrvKick, record);
    record->status.currentState = Platform::kServiceRunning;
    ServiceManager().SetServiceStatus(record->statusHandle, &record->status);
}

uint32_t ServiceControlHandler(uint32_t control, uint32_t eventType, void* eventData,
                               void* context) {
    CServiceRecord* record = GetServiceRecord();
    switch (control) {
        case Platform::kServiceControlStop:
        case Platform::kServiceControlShutdown:
            // A worker busy with a request is left to finish it: it sees the
            // stop event on its next wait.
            record->worker.End([record] { Sync().SetEvent(record->stopEvent.get()); },
                               kWorkerStopTimeoutMs,
                               [] {
                                   Platform::DebugOutput().OutputDebugString(
                                       L"orvservice.exe - OnServiceStopped() - Timeout on "
                                       L"shutting down OrvKick thread\n");
                               },
                               Platform::PortThread::Overdue::Leave);
            // Closed handles are reused: a second stop must not wait on it.
            record->worker.Close();
            record->status.currentState = Platform::kServiceStopped;
            break;
        case Platform::kServiceControlPause:
            record->status.currentState = Platform::kServicePaused;
            break;
        case Platform::kServiceControlContinue:
            record->status.currentState = Platform::kServiceRunning;
            break;
        default:
            break;
    }
    ServiceManager().SetServiceStatus(record->statusHandle, &record->status);
    return 0;
}

uint32_t OrvKick(void* context) {
    auto* record = static_cast<CServiceRecord*>(context);

    // A null DACL lets a process of the logged-on user open the events of
    // this LocalSystem service.  Failures leave the attributes as they are.
    Platform::SecurityDescriptor descriptor{};
    if (!Platform::Security().InitializeSecurityDescriptor(&descriptor,
                                                           Platform::kSecurityDescriptorRevision) ||
        !Platform::Security().SetSecurityDescriptorDacl(&descriptor, true, nullptr, false))
        Sync().GetLastError();
    Platform::SecurityAttributes attributes{&descriptor, true};

    Platform::ScopedEvent pause(
        Platform::NamedEvents().CreateEvent(&attributes, false, false, kPauseEventName));
    Platform::ScopedEvent resume(
        Platform::NamedEvents().CreateEvent(&attributes, false, false, kResumeEventName));

    const Platform::Handle handles[3] = {record->stopEvent.get(), pause.get(), resume.get()};
    for (;;) {
        uint32_t result = Sync().WaitForMultipleObjects(3, handles, false, Platform::kInfinite);
        if (result == Platform::kWaitObject0 + 1) {
            PauseDisplayService();
        } else if (result == Platform::kWaitObject0 + 2) {
            ResumeDisplayService();
        } else {
            break;
        }
    }
    return 0;
}

void StopServiceAndWait(Platform::ScHandle service) {
    Platform::ServiceStatus status{};
    if (!ServiceManager().ControlService(service, Platform::kServiceControlStop, &status))
        return;
    // As long as the service says it is stopping: a service stuck there
    // keeps this loop, and the requests that arrive meanwhile stay latched
    // in their events until it ends.
    do {
        Sync().Sleep(kStopPollMs);
    } while (ServiceManager().QueryServiceStatus(service, &status) &&
             status.currentState == Platform::kServiceStopPending);
}

// Runs action on the display service, opened for querying, starting and
// stopping; nothing when the manager or the service cannot be opened.
template <typename Action>
void WithDisplayService(Action action) {
    Platform::ScopedScHandle manager(
        ServiceManager().OpenSCManager(nullptr, nullptr, Platform::kScManagerAllAccess));
    if (!manager)
        return;
    Platform::ScopedScHandle service(ServiceManager().OpenService(
        manager.get(), kDisplayServiceName,
        Platform::kServiceQueryStatus | Platform::kServiceStart | Platform::kServiceStop));
    if (service)
        action(service.get());
}

void PauseDisplayService() {
    WithDisplayService([](Platform::ScHandle service) { StopServiceAndWait(service); });
}

void ResumeDisplayService() {
    WithDisplayService(
        [](Platform::ScHandle service) { ServiceManager().StartService(service, 0, nullptr); });
}

}  // namespace Orv::Service
