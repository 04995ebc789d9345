// orvservice end to end in Wine's service manager: -install, run from a
// folder with a space in its name as the package installs it, registers
// OrvSvc with its path quoted (a program planted where the path's first
// word ends is not run) and starts it; the plugin's XPluginStart (pause event) stops a stand-in
// display service installed as GlassLinkSvc and XPluginStop (resume event)
// starts it again; -stop, -start and -remove do what they say.
//
// Wine ends its services when its last process exits, so the whole story
// runs in this one test, whose process keeps the Wine session alive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/handover_events.h"
#include "platform/win32/win32.h"
#include "tests/win32/win32_test_support.h"

#if defined(ORV_WITH_PLUGIN)
#include "tests/win32/fake_xplm.h"
#endif

namespace {

constexpr DWORD kWaitMs = 20000;

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; *text != 0; ++text)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
    return wide;
}

// A path of the build tree (a Unix path) as Wine's Z: drive sees it.
std::wstring WinePath(const char* unixPath) {
    std::wstring path = Widen(unixPath);
    if (!path.empty() && path[0] == L'/') {
        for (auto& c : path)
            if (c == L'/')
                c = L'\\';
        path = L"Z:" + path;
    }
    return path;
}

// Runs a program to its end; its exit code, or -2 when it did not run.
int RunProgram(const std::wstring& program, const std::wstring& argument) {
    DWORD code = 0;
    return Orv::Win32Test::RunToEnd(program, argument, kWaitMs, &code) ? static_cast<int>(code)
                                                                       : -2;
}

class Manager {
public:
    Manager() : handle_(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {}
    ~Manager() {
        if (handle_)
            ::CloseServiceHandle(handle_);
    }
    SC_HANDLE get() const { return handle_; }

    // The service's state, 0 when it cannot be opened (last error kept).
    DWORD State(const wchar_t* name) const {
        SC_HANDLE service = ::OpenServiceW(handle_, name, SERVICE_QUERY_STATUS);
        if (service == nullptr)
            return 0;
        SERVICE_STATUS status{};
        DWORD state = ::QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
        ::CloseServiceHandle(service);
        return state;
    }
    // Waits until the service is in the state (0: gone); false on time-out.
    bool WaitFor(const wchar_t* name, DWORD state) const {
        for (DWORD waited = 0; waited < kWaitMs; waited += 100) {
            if (State(name) == state)
                return true;
            ::Sleep(100);
        }
        return State(name) == state;
    }
    // Stops and deletes a service left by an earlier run.
    void Remove(const wchar_t* name) const {
        SC_HANDLE service = ::OpenServiceW(handle_, name, SERVICE_ALL_ACCESS);
        if (service == nullptr)
            return;
        SERVICE_STATUS status{};
        ::ControlService(service, SERVICE_CONTROL_STOP, &status);
        ::DeleteService(service);
        ::CloseServiceHandle(service);
        WaitFor(name, 0);
    }

private:
    SC_HANDLE handle_;
};

using Orv::Win32Test::EventExists;

// orvservice.exe copied into TEMP\orv-install-PID\X-Plane 10\, with the
// stand-in planted as TEMP\orv-install-PID\X-Plane.exe; removed at the end.
class InstallFolder {
public:
    InstallFolder(const std::wstring& service, const std::wstring& planted) {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"orv-install-" + std::to_wstring(::GetCurrentProcessId());
        folder_ = root_ + L"\\X-Plane 10";
        program_ = folder_ + L"\\orvservice.exe";
        plant_ = root_ + L"\\X-Plane.exe";
        ok_ = (::CreateDirectoryW(root_.c_str(), nullptr) ||
               ::GetLastError() == ERROR_ALREADY_EXISTS) &&
              (::CreateDirectoryW(folder_.c_str(), nullptr) ||
               ::GetLastError() == ERROR_ALREADY_EXISTS) &&
              ::CopyFileW(service.c_str(), program_.c_str(), FALSE) &&
              ::CopyFileW(planted.c_str(), plant_.c_str(), FALSE);
    }
    ~InstallFolder() {
        ::DeleteFileW(program_.c_str());
        ::DeleteFileW(plant_.c_str());
        ::RemoveDirectoryW(folder_.c_str());
        ::RemoveDirectoryW(root_.c_str());
    }
    bool ok() const { return ok_; }
    const std::wstring& program() const { return program_; }

private:
    std::wstring root_, folder_, program_, plant_;
    bool ok_ = false;
};

// The command line the manager keeps for a service.
std::wstring BinaryPathOf(SC_HANDLE manager, const wchar_t* name) {
    SC_HANDLE service = ::OpenServiceW(manager, name, SERVICE_QUERY_CONFIG);
    if (service == nullptr)
        return L"";
    std::wstring path;
    DWORD needed = 0;
    ::QueryServiceConfigW(service, nullptr, 0, &needed);
    std::vector<unsigned char> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (needed != 0 && ::QueryServiceConfigW(service, config, needed, &needed) &&
        config->lpBinaryPathName != nullptr)
        path = config->lpBinaryPathName;
    ::CloseServiceHandle(service);
    return path;
}

bool WaitForEvents(bool exist) {
    for (DWORD waited = 0; waited < kWaitMs; waited += 100) {
        if (EventExists(Orv::kPauseEventName) == exist &&
            EventExists(Orv::kResumeEventName) == exist)
            return true;
        ::Sleep(100);
    }
    return false;
}

// The plugin's side of the hand-over: win.xpl's XPluginStart and
// XPluginStop where the plugin is built, else the same two signals.
class PluginSide {
public:
    PluginSide() {
#if defined(ORV_WITH_PLUGIN)
        OrvXSimReset();
        module_ = ::LoadLibraryW(WinePath(ORV_PLUGIN_PATH).c_str());
        if (module_ != nullptr) {
            start_ = reinterpret_cast<int (*)(char*, char*, char*)>(
                reinterpret_cast<void*>(::GetProcAddress(module_, "XPluginStart")));
            stop_ = reinterpret_cast<void (*)()>(
                reinterpret_cast<void*>(::GetProcAddress(module_, "XPluginStop")));
        }
#endif
    }
    ~PluginSide() {
        if (module_ != nullptr)
            ::FreeLibrary(module_);
    }
    bool Ready() const {
#if defined(ORV_WITH_PLUGIN)
        return start_ != nullptr && stop_ != nullptr;
#else
        return true;
#endif
    }
    int Start() {
        char name[256] = {}, signature[256] = {}, description[256] = {};
        if (start_ != nullptr)
            return start_(name, signature, description);
        return Signal(Orv::kPauseEventName) ? 1 : 0;
    }
    void Stop() {
        if (stop_ != nullptr)
            stop_();
        else
            Signal(Orv::kResumeEventName);
    }

private:
    static bool Signal(const wchar_t* name) {
        HANDLE event = ::OpenEventW(EVENT_ALL_ACCESS, FALSE, name);
        if (event == nullptr)
            return false;
        ::SetEvent(event);
        ::CloseHandle(event);
        return true;
    }

    HMODULE module_ = nullptr;
    int (*start_)(char*, char*, char*) = nullptr;
    void (*stop_)() = nullptr;
};

TEST(ServiceProgramInWine, InstallHandOverStopStartRemove) {
    InstallFolder installed(WinePath(ORV_SERVICE_EXE), WinePath(ORV_STAND_IN_EXE));
    ASSERT_TRUE(installed.ok()) << "could not copy the programs: " << ::GetLastError();
    const std::wstring orvservice = installed.program();
    Manager manager;
    ASSERT_NE(manager.get(), nullptr) << "OpenSCManagerW failed with " << ::GetLastError();
    manager.Remove(L"OrvSvc");
    manager.Remove(L"GlassLinkSvc");

    // The display service stand-in, running.
    const std::wstring standIn = WinePath(ORV_STAND_IN_EXE);
    SC_HANDLE display =
        ::CreateServiceW(manager.get(), L"GlassLinkSvc", L"GlassLink stand-in", SERVICE_ALL_ACCESS,
                         SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                         standIn.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(display, nullptr) << "CreateServiceW failed with " << ::GetLastError();
    ASSERT_TRUE(::StartServiceW(display, 0, nullptr)) << ::GetLastError();
    ASSERT_TRUE(manager.WaitFor(L"GlassLinkSvc", SERVICE_RUNNING));

    // -install: registered, started, and its worker made the two events.
    ASSERT_EQ(RunProgram(orvservice, L"-install"), 0);
    EXPECT_EQ(BinaryPathOf(manager.get(), L"OrvSvc"), L"\"" + orvservice + L"\"");
    EXPECT_TRUE(manager.WaitFor(L"OrvSvc", SERVICE_RUNNING))
        << "state " << manager.State(L"OrvSvc") << ", error " << ::GetLastError();
    EXPECT_TRUE(WaitForEvents(true)) << "the service's worker did not create the events";
    EXPECT_EQ(RunProgram(orvservice, L"/INSTALL"), -1) << "a second install must fail";

    {
        PluginSide plugin;
        ASSERT_TRUE(plugin.Ready()) << "win.xpl could not be loaded";
        EXPECT_EQ(plugin.Start(), 1);
        EXPECT_TRUE(manager.WaitFor(L"GlassLinkSvc", SERVICE_STOPPED))
            << "the display service was not stopped at plugin start: state "
            << manager.State(L"GlassLinkSvc");
        plugin.Stop();
        EXPECT_TRUE(manager.WaitFor(L"GlassLinkSvc", SERVICE_RUNNING))
            << "the display service was not started at plugin stop: state "
            << manager.State(L"GlassLinkSvc");
    }

    // -stop: stopped, still installed; the events went with the worker.
    EXPECT_EQ(RunProgram(orvservice, L"-stop"), 0);
    EXPECT_EQ(manager.State(L"OrvSvc"), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_TRUE(WaitForEvents(false));
    // -start: running again.
    EXPECT_EQ(RunProgram(orvservice, L"/Start"), 0);
    EXPECT_TRUE(manager.WaitFor(L"OrvSvc", SERVICE_RUNNING))
        << "state " << manager.State(L"OrvSvc") << ", error " << ::GetLastError();
    EXPECT_TRUE(WaitForEvents(true));
    // -remove: stopped and gone; the commands then fail.
    EXPECT_EQ(RunProgram(orvservice, L"-remove"), 0);
    EXPECT_TRUE(manager.WaitFor(L"OrvSvc", 0))
        << "state " << manager.State(L"OrvSvc") << ", error " << ::GetLastError();
    EXPECT_EQ(RunProgram(orvservice, L"-stop"), -1);
    EXPECT_EQ(RunProgram(orvservice, L"-start"), -1);
    EXPECT_EQ(RunProgram(orvservice, L"-remove"), -1);
    // Started from a console with no command, the program exits with 0.
    EXPECT_EQ(RunProgram(orvservice, L""), 0);

    EXPECT_EQ(manager.State(L"GlassLinkSvc"), static_cast<DWORD>(SERVICE_RUNNING));
    ::CloseServiceHandle(display);
    manager.Remove(L"GlassLinkSvc");
}

}  // namespace
