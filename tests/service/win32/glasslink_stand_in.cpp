// A stand-in for the maker's display service, for the Wine test: a service
// that runs until it is stopped and then reports stop-pending for a while
// (1.5 s) before it reports stopped, as a service that releases devices does.
#include "platform/win32/win32.h"

namespace {

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stop = nullptr;

void Report(DWORD state, DWORD accepted, DWORD checkPoint, DWORD waitHint) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = accepted;
    status.dwCheckPoint = checkPoint;
    status.dwWaitHint = waitHint;
    ::SetServiceStatus(g_status, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        Report(SERVICE_STOP_PENDING, 0, 1, 3000);
        ::SetEvent(g_stop);
    }
    return NO_ERROR;
}

void WINAPI Main(DWORD, LPWSTR*) {
    g_status = ::RegisterServiceCtrlHandlerExW(L"GlassLinkSvc", Handler, nullptr);
    if (g_status == nullptr)
        return;
    g_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN, 0, 0);
    ::WaitForSingleObject(g_stop, INFINITE);
    ::Sleep(1500);
    Report(SERVICE_STOPPED, 0, 0, 0);
}

}  // namespace

int wmain() {
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<LPWSTR>(L"GlassLinkSvc"), Main},
                                    {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
