// The service-manager port on the service control manager (advapi32).
#include "platform/service_manager.h"

#include <cstddef>
#include <new>

#include "platform/win32/win32.h"

#include <winsvc.h>

namespace Orv::Platform {

static_assert(sizeof(ServiceStatus) == sizeof(SERVICE_STATUS));
static_assert(offsetof(ServiceStatus, currentState) == offsetof(SERVICE_STATUS, dwCurrentState));
static_assert(offsetof(ServiceStatus, waitHint) == offsetof(SERVICE_STATUS, dwWaitHint));
static_assert(kScManagerAllAccess == SC_MANAGER_ALL_ACCESS);
static_assert(kServiceUserDefinedControl == SERVICE_USER_DEFINED_CONTROL && kDelete == DELETE);
static_assert(kServiceWin32OwnProcess == SERVICE_WIN32_OWN_PROCESS);
static_assert(kServiceAutoStart == SERVICE_AUTO_START &&
              kServiceDemandStart == SERVICE_DEMAND_START);
static_assert(kServiceRunning == SERVICE_RUNNING && kServicePaused == SERVICE_PAUSED);
static_assert(kServiceControlSessionChange == SERVICE_CONTROL_SESSIONCHANGE);
static_assert(kServiceAcceptSessionChange == SERVICE_ACCEPT_SESSIONCHANGE);
static_assert(kErrorFailedServiceControllerConnect == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);

namespace {

// The port's service main and handler are plain functions; the manager
// calls WINAPI ones (they differ on 32-bit x86).  The program runs one
// service, so one service main is kept.
IServiceManager::ServiceMain g_serviceMain = nullptr;

void WINAPI ServiceMainEntry(DWORD argc, LPWSTR* argv) {
    if (g_serviceMain != nullptr)
        g_serviceMain(argc, argv);
}

struct HandlerEntry {
    IServiceManager::Handler handler;
    void* context;
};

DWORD WINAPI HandlerMain(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context) {
    auto* entry = static_cast<HandlerEntry*>(context);
    return entry->handler(control, eventType, eventData, entry->context);
}

SC_HANDLE Sc(ScHandle handle) {
    return static_cast<SC_HANDLE>(handle);
}

class Win32ServiceManager final : public IServiceManager {
public:
    ScHandle OpenSCManager(const wchar_t* machine, const wchar_t* database,
                           uint32_t desiredAccess) override {
        return ::OpenSCManagerW(machine, database, desiredAccess);
    }
    ScHandle OpenService(ScHandle manager, const wchar_t* name, uint32_t desiredAccess) override {
        return ::OpenServiceW(Sc(manager), name, desiredAccess);
    }
    ScHandle CreateService(ScHandle manager, const wchar_t* name, const wchar_t* displayName,
                           uint32_t desiredAccess, uint32_t serviceType, uint32_t startType,
                           uint32_t errorControl, const wchar_t* binaryPath,
                           const wchar_t* loadOrderGroup, const wchar_t* dependencies,
                           const wchar_t* account, const wchar_t* password) override {
        return ::CreateServiceW(Sc(manager), name, displayName, desiredAccess, serviceType,
                                startType, errorControl, binaryPath, loadOrderGroup, nullptr,
                                dependencies, account, password);
    }
    bool StartService(ScHandle service, uint32_t argc, const wchar_t** argv) override {
        return ::StartServiceW(Sc(service), argc, argv) != FALSE;
    }
    bool ControlService(ScHandle service, uint32_t control, ServiceStatus* status) override {
        SERVICE_STATUS native{};
        BOOL done = ::ControlService(Sc(service), control, &native);
        if (status != nullptr)
            *reinterpret_cast<SERVICE_STATUS*>(status) = native;
        return done != FALSE;
    }
    bool QueryServiceStatus(ScHandle service, ServiceStatus* status) override {
        if (status == nullptr) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        return ::QueryServiceStatus(Sc(service), reinterpret_cast<SERVICE_STATUS*>(status)) !=
               FALSE;
    }
    bool DeleteService(ScHandle service) override { return ::DeleteService(Sc(service)) != FALSE; }
    bool CloseServiceHandle(ScHandle handle) override {
        return ::CloseServiceHandle(Sc(handle)) != FALSE;
    }

    bool StartServiceCtrlDispatcher(const TableEntry* table) override {
        if (table == nullptr || table[0].name == nullptr || table[0].main == nullptr) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        g_serviceMain = table[0].main;
        SERVICE_TABLE_ENTRYW native[2] = {
            {const_cast<LPWSTR>(table[0].name), ServiceMainEntry},
            {nullptr, nullptr},
        };
        return ::StartServiceCtrlDispatcherW(native) != FALSE;
    }

    ServiceStatusHandle RegisterServiceCtrlHandlerEx(const wchar_t* name, Handler handler,
                                                     void* context) override {
        if (handler == nullptr) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        // Lives as long as the process: the manager may call the handler
        // until the program ends.
        auto* entry = new (std::nothrow) HandlerEntry{handler, context};
        if (entry == nullptr) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        SERVICE_STATUS_HANDLE status = ::RegisterServiceCtrlHandlerExW(name, HandlerMain, entry);
        if (status == nullptr) {
            DWORD error = ::GetLastError();
            delete entry;
            ::SetLastError(error);
        }
        return status;
    }

    bool SetServiceStatus(ServiceStatusHandle handle, const ServiceStatus* status) override {
        if (status == nullptr) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        SERVICE_STATUS native = *reinterpret_cast<const SERVICE_STATUS*>(status);
        return ::SetServiceStatus(static_cast<SERVICE_STATUS_HANDLE>(handle), &native) != FALSE;
    }
};

}  // namespace

IServiceManager& ServiceManager() {
    static Win32ServiceManager instance;
    return instance;
}

}  // namespace Orv::Platform
