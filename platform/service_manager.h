// The service control manager: opening the manager and services, creating,
// starting, controlling, querying and deleting services, and the service
// side (the control dispatcher, the control handler and status reports).
#pragma once

#include <cstdint>

#include "platform/types.h"
#include "platform/unique_handle.h"

namespace Orv::Platform {

// A handle of the manager or of one service (SC_HANDLE); null is none.
using ScHandle = void*;
// The handle a service reports its status with (SERVICE_STATUS_HANDLE).
using ServiceStatusHandle = void*;

// SERVICE_STATUS, field for field.
struct ServiceStatus {
    uint32_t serviceType;
    uint32_t currentState;
    uint32_t controlsAccepted;
    uint32_t win32ExitCode;
    uint32_t serviceSpecificExitCode;
    uint32_t checkPoint;
    uint32_t waitHint;
};

// Access rights of the manager.
constexpr uint32_t kScManagerConnect = 0x0001;
constexpr uint32_t kScManagerCreateService = 0x0002;
constexpr uint32_t kScManagerAllAccess = 0xF003F;
// Access rights of a service.
constexpr uint32_t kServiceQueryStatus = 0x0004;
constexpr uint32_t kServiceStart = 0x0010;
constexpr uint32_t kServiceStop = 0x0020;
constexpr uint32_t kServicePauseContinue = 0x0040;
constexpr uint32_t kServiceInterrogate = 0x0080;
constexpr uint32_t kServiceUserDefinedControl = 0x0100;
constexpr uint32_t kDelete = 0x10000;

// Service type, start type and error control of CreateService.
constexpr uint32_t kServiceWin32OwnProcess = 0x10;
constexpr uint32_t kServiceAutoStart = 2;
constexpr uint32_t kServiceDemandStart = 3;
constexpr uint32_t kServiceErrorNormal = 1;

// Service states.
constexpr uint32_t kServiceStopped = 1;
constexpr uint32_t kServiceStartPending = 2;
constexpr uint32_t kServiceStopPending = 3;
constexpr uint32_t kServiceRunning = 4;
constexpr uint32_t kServiceContinuePending = 5;
constexpr uint32_t kServicePausePending = 6;
constexpr uint32_t kServicePaused = 7;

// Controls.
constexpr uint32_t kServiceControlStop = 1;
constexpr uint32_t kServiceControlPause = 2;
constexpr uint32_t kServiceControlContinue = 3;
constexpr uint32_t kServiceControlInterrogate = 4;
constexpr uint32_t kServiceControlShutdown = 5;
constexpr uint32_t kServiceControlPowerEvent = 0x0D;
constexpr uint32_t kServiceControlSessionChange = 0x0E;

// Controls a service accepts (SERVICE_ACCEPT_...).
constexpr uint32_t kServiceAcceptStop = 0x01;
constexpr uint32_t kServiceAcceptPauseContinue = 0x02;
constexpr uint32_t kServiceAcceptShutdown = 0x04;
constexpr uint32_t kServiceAcceptPowerEvent = 0x40;
constexpr uint32_t kServiceAcceptSessionChange = 0x80;

// Errors of the manager.
constexpr uint32_t kErrorServiceRequestTimeout = 1053;
constexpr uint32_t kErrorInvalidServiceControl = 1052;
constexpr uint32_t kErrorServiceAlreadyRunning = 1056;
constexpr uint32_t kErrorServiceDoesNotExist = 1060;
constexpr uint32_t kErrorServiceCannotAcceptCtrl = 1061;
constexpr uint32_t kErrorServiceNotActive = 1062;
constexpr uint32_t kErrorFailedServiceControllerConnect = 1063;
constexpr uint32_t kErrorServiceMarkedForDelete = 1072;
constexpr uint32_t kErrorServiceExists = 1073;

class IServiceManager {
public:
    // The entry point of a service, called by the dispatcher on a thread of
    // its own; argv[0] is the service's name.
    using ServiceMain = void (*)(uint32_t argc, wchar_t** argv);
    // The control handler (HandlerEx): called on the dispatcher's thread.
    using Handler = uint32_t (*)(uint32_t control, uint32_t eventType, void* eventData,
                                 void* context);
    // One entry of the dispatch table; the table ends with an entry whose
    // name is null.
    struct TableEntry {
        const wchar_t* name;
        ServiceMain main;
    };

    virtual ~IServiceManager() = default;

    // The controller's side.  Every operation sets the last error (the sync
    // port's GetLastError) when it fails.
    virtual ScHandle OpenSCManager(const wchar_t* machine, const wchar_t* database,
                                   uint32_t desiredAccess) = 0;
    virtual ScHandle OpenService(ScHandle manager, const wchar_t* name, uint32_t desiredAccess) = 0;
    // loadOrderGroup, dependencies, account and password may be null (no
    // group, no dependencies, LocalSystem, no password).
    virtual ScHandle CreateService(ScHandle manager, const wchar_t* name,
                                   const wchar_t* displayName, uint32_t desiredAccess,
                                   uint32_t serviceType, uint32_t startType, uint32_t errorControl,
                                   const wchar_t* binaryPath, const wchar_t* loadOrderGroup,
                                   const wchar_t* dependencies, const wchar_t* account,
                                   const wchar_t* password) = 0;
    virtual bool StartService(ScHandle service, uint32_t argc, const wchar_t** argv) = 0;
    // Sends a control and waits for the service's handler; status receives
    // the service's latest status.
    virtual bool ControlService(ScHandle service, uint32_t control, ServiceStatus* status) = 0;
    virtual bool QueryServiceStatus(ScHandle service, ServiceStatus* status) = 0;
    virtual bool DeleteService(ScHandle service) = 0;
    virtual bool CloseServiceHandle(ScHandle handle) = 0;

    // The service's side.  Connects the program's main thread to the
    // manager and serves controls until the program's services have
    // stopped; fails (1063) when the program was not started as a service.
    // One entry: the program runs one service in its own process.
    virtual bool StartServiceCtrlDispatcher(const TableEntry* table) = 0;
    virtual ServiceStatusHandle RegisterServiceCtrlHandlerEx(const wchar_t* name, Handler handler,
                                                             void* context) = 0;
    virtual bool SetServiceStatus(ServiceStatusHandle handle, const ServiceStatus* status) = 0;
};

IServiceManager& ServiceManager();

// A handle of the manager or of a service, closed through this port.
struct ScHandleTraits {
    using Value = ScHandle;
    static constexpr Value None() { return nullptr; }
    static void Release(Value handle) { ServiceManager().CloseServiceHandle(handle); }
};
using ScopedScHandle = UniqueHandle<ScHandleTraits>;

}  // namespace Orv::Platform
