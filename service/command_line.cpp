// The command line of orvservice and its four commands.
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/module.h"
#include "platform/service_manager.h"
#include "service/orv_service.h"

namespace Orv::Service {

namespace {

using Platform::ServiceManager;

constexpr int kExitFailure = -1;

void Debug(const wchar_t* text) {
    Platform::DebugOutput().OutputDebugString(text);
}

bool EqualsIgnoringCase(const wchar_t* text, const wchar_t* word) {
    for (; *text != 0 && *word != 0; ++text, ++word) {
        wchar_t c = *text;
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != *word)
            return false;
    }
    return *text == 0 && *word == 0;
}

// Opens the manager and this program's service; null service when either
// fails.  The service's handle is closed before the manager's.
struct OwnService {
    explicit OwnService(uint32_t access)
        : manager(ServiceManager().OpenSCManager(nullptr, nullptr, Platform::kScManagerConnect)) {
        if (manager)
            service.reset(ServiceManager().OpenService(manager.get(), kServiceName, access));
    }

    Platform::ScopedScHandle manager;
    Platform::ScopedScHandle service;
};

int Dispatch() {
    static const Platform::IServiceManager::TableEntry table[] = {
        {kServiceName, ServiceMain},
        {nullptr, nullptr},
    };
    // Started from a console, the dispatcher fails at once; the exit code
    // is 0 either way.
    ServiceManager().StartServiceCtrlDispatcher(table);
    return 0;
}

}  // namespace

std::wstring QuotedProgramPath(const std::wstring& path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
        return path;
    return L"\"" + path + L"\"";
}

int InstallService() {
    Debug(L"orvservice -install\n");
    Platform::ScopedScHandle manager(ServiceManager().OpenSCManager(
        nullptr, nullptr, Platform::kScManagerConnect | Platform::kScManagerCreateService));
    if (!manager)
        return kExitFailure;
    // The full path of this program, quoted, as the manager must start it.
    std::wstring path;
    Platform::Module().GetModuleFileName(nullptr, &path);
    path = QuotedProgramPath(path);
    Platform::ScopedScHandle service(ServiceManager().CreateService(
        manager.get(), kServiceName, kServiceDisplayName,
        Platform::kServiceQueryStatus | Platform::kServiceStart, Platform::kServiceWin32OwnProcess,
        Platform::kServiceAutoStart, Platform::kServiceErrorNormal, path.c_str(), nullptr, nullptr,
        nullptr, nullptr));
    if (!service)
        return kExitFailure;
    ServiceManager().StartService(service.get(), 0, nullptr);
    return 0;
}

int RemoveService() {
    Debug(L"orvservice -remove\n");
    OwnService own(Platform::kDelete | Platform::kServiceStop | Platform::kServiceQueryStatus);
    if (!own.service)
        return kExitFailure;
    StopServiceAndWait(own.service.get());
    ServiceManager().DeleteService(own.service.get());
    return 0;
}

int StartOwnService() {
    Debug(L"orvservice -start\n");
    OwnService own(Platform::kServiceQueryStatus | Platform::kServiceStart);
    if (!own.service)
        return kExitFailure;
    ServiceManager().StartService(own.service.get(), 0, nullptr);
    return 0;
}

int StopOwnService() {
    Debug(L"orvservice -stop\n");
    OwnService own(Platform::kServiceStop | Platform::kServiceQueryStatus);
    if (!own.service)
        return kExitFailure;
    StopServiceAndWait(own.service.get());
    return 0;
}

int RunProgram(int argc, const wchar_t* const* argv) {
    GetServiceRecord();
    const wchar_t* arg = argc > 1 && argv != nullptr ? argv[1] : nullptr;
    if (arg != nullptr && (arg[0] == L'-' || arg[0] == L'/')) {
        const wchar_t* word = arg + 1;
        if (EqualsIgnoringCase(word, L"install"))
            return InstallService();
        if (EqualsIgnoringCase(word, L"remove"))
            return RemoveService();
        if (EqualsIgnoringCase(word, L"start"))
            return StartOwnService();
        if (EqualsIgnoringCase(word, L"stop"))
            return StopOwnService();
        Debug(L"Usage = orvservice.exe [-install | -remove | -start | -stop]\n");
        Debug(L"    -install = installs the service and starts it\n");
        Debug(L"    -remove  = stops and removes the service\n");
        Debug(L"    -start   = starts the service only if it is already installed\n");
        Debug(L"    -stop    = stops the service, but doesn't remove it\n");
    }
    return Dispatch();
}

int RunProgramAsProcess(const std::vector<std::wstring>& args) {
    DestroyServiceRecord();
    std::vector<const wchar_t*> argv;
    for (const auto& arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    int code = RunProgram(static_cast<int>(args.size()), argv.data());
    DestroyServiceRecord();
    return code;
}

}  // namespace Orv::Service
