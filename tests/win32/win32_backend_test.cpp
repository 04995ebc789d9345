// What the win32 backends add to the port conformance suites: behaviour
// that only a real Windows (or Wine) shows: across processes, with long
// paths, with the real ETW, window manager, SetupAPI and service manager.
//
// The program is also its own child process: "--signal NAME" opens the named
// event NAME through the port and signals it; the exit code tells the parent
// what happened (see ChildResult).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/device_interfaces.h"
#include "platform/device_io.h"
#include "platform/hid.h"
#include "platform/keyboard.h"
#include "platform/known_folders.h"
#include "platform/message_window.h"
#include "platform/module.h"
#include "platform/named_events.h"
#include "platform/security.h"
#include "platform/service_manager.h"
#include "platform/sync.h"
#include "platform/trace_provider.h"
#include "platform/win32/win32.h"
#include "tests/win32/win32_test_support.h"

#include <evntrace.h>
#include <shellapi.h>

namespace P = Orv::Platform;

namespace {

enum ChildResult : DWORD {
    kChildOk = 0,
    kChildUsage = 10,
    kChildOpenFailed = 11,
    kChildSetFailed = 12,
};

bool RunningOnWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring OwnPath() {
    std::wstring path;
    EXPECT_EQ(P::Module().GetModuleFileName(reinterpret_cast<const void*>(&OwnPath), &path), 0u);
    return path;
}

// Runs program with the arguments; returns its exit code, or -1 when it
// could not be started or did not end within 30 s.
long RunChild(const std::wstring& program, const std::wstring& arguments) {
    DWORD code = 0;
    if (!Orv::Win32Test::RunToEnd(program, arguments, 30000, &code)) {
        ADD_FAILURE() << "the child process did not start or did not end";
        return -1;
    }
    return static_cast<long>(code);
}

std::wstring UniqueEventName(const wchar_t* what) {
    wchar_t name[128];
    std::swprintf(name, 128, L"Global\\OrvLinkTest-%ls-%lu-%lu", what, ::GetCurrentProcessId(),
                  ::GetTickCount());
    return name;
}

// ---- Named events across processes ----------------------------------------

TEST(Win32NamedEvents, AnotherProcessOpensAndSignalsTheEventByName) {
    // The service program's side: it creates the event; the plugin's side,
    // in another process, opens it by name and signals it.
    std::wstring name = UniqueEventName(L"handover");
    P::Handle event = P::NamedEvents().CreateEvent(false, false, name.c_str());
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(P::Sync().GetLastError(), 0u);
    EXPECT_EQ(P::Sync().WaitForSingleObject(event, 0), P::kWaitTimeout);

    EXPECT_EQ(RunChild(OwnPath(), L"--signal " + name), kChildOk);
    EXPECT_EQ(P::Sync().WaitForSingleObject(event, 10000), P::kWaitObject0);
    // Auto-reset: the wait consumed the signal.
    EXPECT_EQ(P::Sync().WaitForSingleObject(event, 0), P::kWaitTimeout);
    EXPECT_TRUE(P::Sync().CloseHandle(event));
}

TEST(Win32NamedEvents, AnotherProcessFindsNoEventOnceTheCreatorClosedIt) {
    std::wstring name = UniqueEventName(L"closed");
    P::Handle event = P::NamedEvents().CreateEvent(true, false, name.c_str());
    ASSERT_NE(event, nullptr);
    ASSERT_TRUE(P::Sync().CloseHandle(event));
    EXPECT_EQ(RunChild(OwnPath(), L"--signal " + name), kChildOpenFailed);
}

TEST(Win32NamedEvents, CreatingAnExistingNameOpensTheSameEvent) {
    std::wstring name = UniqueEventName(L"twice");
    P::Handle first = P::NamedEvents().CreateEvent(true, false, name.c_str());
    ASSERT_NE(first, nullptr);
    P::Handle second = P::NamedEvents().CreateEvent(true, false, name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(P::Sync().GetLastError(), P::kErrorAlreadyExists);
    EXPECT_TRUE(P::Sync().SetEvent(second));
    EXPECT_EQ(P::Sync().WaitForSingleObject(first, 0), P::kWaitObject0);
    P::Sync().CloseHandle(second);
    P::Sync().CloseHandle(first);
}

// ---- Module paths ------------------------------------------------------------

TEST(Win32Module, NamesTheProgramAndTheSystemDllThatHoldAnAddress) {
    std::wstring program = OwnPath();
    ASSERT_GT(program.size(), 4u);
    EXPECT_EQ(_wcsicmp(program.c_str() + program.size() - 4, L".exe"), 0) << program.c_str();
    EXPECT_NE(::GetFileAttributesW(program.c_str()), INVALID_FILE_ATTRIBUTES);

    std::wstring kernel;
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    ASSERT_NE(kernel32, nullptr);
    const void* inKernel =
        reinterpret_cast<const void*>(::GetProcAddress(kernel32, "GetTickCount"));
    ASSERT_EQ(P::Module().GetModuleFileName(inKernel, &kernel), 0u);
    EXPECT_NE(program, kernel);
    EXPECT_NE(kernel.find(L'\\'), std::wstring::npos) << "not a full path";
}

TEST(Win32Module, AnAddressOutsideEveryModuleIsAnErrorWithAnEmptyPath) {
    void* heap = ::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(heap, nullptr);
    std::wstring path = L"stale";
    EXPECT_NE(P::Module().GetModuleFileName(heap, &path), 0u);
    EXPECT_TRUE(path.empty());
    ::VirtualFree(heap, 0, MEM_RELEASE);
    EXPECT_EQ(P::Module().GetModuleFileName(&path, nullptr), P::kErrorInvalidParameter);
}

TEST(Win32Module, ANullAddressNamesTheProgram) {
    // As for GetModuleHandleExW, and as the sim backend does.
    std::wstring path;
    ASSERT_EQ(P::Module().GetModuleFileName(nullptr, &path), 0u);
    EXPECT_EQ(path, OwnPath());
}

TEST(Win32Module, APathLongerThanMaxPathComesWhole) {
    // The probe DLL loaded from a folder whose path is far beyond MAX_PATH:
    // the backend's buffer must grow until the name fits.
    std::wstring program = OwnPath();
    std::wstring probe = program.substr(0, program.rfind(L'\\') + 1) + L"orv_module_probe.dll";
    wchar_t temp[MAX_PATH];
    ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring folder = std::wstring(L"\\\\?\\") + temp + UniqueEventName(L"long").substr(7);
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << ::GetLastError();
    std::wstring deep = folder;
    for (int i = 0; i < 10; ++i) {
        deep += L"\\" + std::wstring(60, static_cast<wchar_t>(L'a' + i));
        ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr)) << ::GetLastError();
    }
    std::wstring copy = deep + L"\\probe.dll";
    ASSERT_GT(copy.size(), 2u * MAX_PATH);
    ASSERT_TRUE(::CopyFileW(probe.c_str(), copy.c_str(), FALSE)) << ::GetLastError();

    HMODULE module = ::LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr) << ::GetLastError();
    const void* anchor = reinterpret_cast<const void*>(::GetProcAddress(module, "OrvModuleProbe"));
    ASSERT_NE(anchor, nullptr);
    std::wstring path;
    EXPECT_EQ(P::Module().GetModuleFileName(anchor, &path), 0u);
    // The loader may keep or drop the \\?\ prefix; the rest comes whole.
    if (path.rfind(L"\\\\?\\", 0) == 0)
        path.erase(0, 4);
    EXPECT_EQ(_wcsicmp(path.c_str(), copy.c_str() + 4), 0)
        << "got " << path.size() << " characters, expected " << copy.size() - 4;
    ::FreeLibrary(module);

    ::DeleteFileW(copy.c_str());
    for (std::wstring dir = deep; dir.size() >= folder.size(); dir.resize(dir.rfind(L'\\')))
        ::RemoveDirectoryW(dir.c_str());
}

// ---- Known folders -------------------------------------------------------------

TEST(Win32KnownFolders, PublicDocumentsIsAnExistingFolderWithoutTrailingSeparator) {
    std::wstring path = L"stale";
    ASSERT_EQ(P::KnownFolders().GetPublicDocumentsFolder(&path), P::kSOk);
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), L'\\');
    EXPECT_EQ(path[1], L':') << "not a full path";
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(P::KnownFolders().GetPublicDocumentsFolder(nullptr), P::kEInvalidArg);
}

// ---- Keyboard ------------------------------------------------------------------

TEST(Win32Keyboard, ScanCodesOfTheKeysThePluginSends) {
    struct Case {
        uint32_t virtualKey;
        uint32_t scanCode;
    };
    const Case cases[] = {
        {VK_SHIFT, 0x2A},  {VK_CONTROL, 0x1D}, {VK_MENU, 0x38}, {VK_F1, 0x3B},
        {VK_RETURN, 0x1C}, {'A', 0x1E},        {'1', 0x02},     {0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(P::Keyboard().MapVirtualKey(c.virtualKey, P::kMapVkToVsc), c.scanCode)
            << "virtual key 0x" << std::hex << c.virtualKey;
}

TEST(Win32Keyboard, SendInputInsertsEveryEventOfTheCall) {
    // Scan-code events of a key nobody reacts to (F24), down then up.
    uint16_t scan = static_cast<uint16_t>(P::Keyboard().MapVirtualKey(VK_F24, P::kMapVkToVsc));
    const P::KeyEvent events[] = {
        {0, scan, P::kKeyEventScanCode, 0, 0},
        {0, scan, P::kKeyEventScanCode | P::kKeyEventKeyUp, 0, 0},
    };
    EXPECT_EQ(P::Keyboard().SendInput(events, 2), 2u);
    EXPECT_EQ(P::Keyboard().SendInput(events, 0), 0u);
    P::Sync().SetLastError(0);
    EXPECT_EQ(P::Keyboard().SendInput(nullptr, 1), 0u);
    EXPECT_EQ(P::Sync().GetLastError(), P::kErrorInvalidParameter);
}

// ---- Threads ---------------------------------------------------------------------

uint32_t ReportTheThread(void* context) {
    *static_cast<uint32_t*>(context) = P::Sync().GetCurrentThreadId();
    return 0xC0FFEEu;
}

TEST(Win32Sync, ThreadProcedureGetsItsContextAndItsResultIsTheExitCode) {
    uint32_t seen = 0;
    uint32_t id = 0;
    P::Handle thread = P::Sync().CreateThread(ReportTheThread, &seen, &id);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(P::Sync().WaitForSingleObject(thread, 10000), P::kWaitObject0);
    uint32_t exitCode = 0;
    EXPECT_TRUE(P::Sync().GetExitCodeThread(thread, &exitCode));
    EXPECT_EQ(exitCode, 0xC0FFEEu);
    EXPECT_EQ(seen, id);
    EXPECT_NE(id, P::Sync().GetCurrentThreadId());
    P::Sync().CloseHandle(thread);
    EXPECT_EQ(P::Sync().CreateThread(nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(P::Sync().GetLastError(), P::kErrorInvalidParameter);
}

// ---- Trace provider ----------------------------------------------------------------

struct EnableLog {
    int calls = 0;
    uint32_t controlCode = 99;
    uint8_t level = 0;
    uint64_t matchAny = 0;
    P::Guid source{};
    void* context = nullptr;
};

void RecordEnable(const P::Guid* sourceId, uint32_t controlCode, uint8_t level,
                  uint64_t matchAnyKeyword, uint64_t, void*, void* context) {
    auto* log = static_cast<EnableLog*>(context);
    ++log->calls;
    log->controlCode = controlCode;
    log->level = level;
    log->matchAny = matchAnyKeyword;
    if (sourceId != nullptr)
        log->source = *sourceId;
    log->context = context;
}

// {3E0F9A62-51C4-4D7B-B8A3-6F2D14C9E075}: a provider of this test only.
constexpr P::Guid kTestProvider = {
    0x3E0F9A62, 0x51C4, 0x4D7B, {0xB8, 0xA3, 0x6F, 0x2D, 0x14, 0xC9, 0xE0, 0x75}};

TEST(Win32TraceProvider, RegisterWriteUnregisterWithoutASession) {
    EnableLog log;
    P::TraceRegistration registration = 0;
    ASSERT_EQ(P::TraceProvider().EventRegister(kTestProvider, RecordEnable, &log, &registration),
              0u);
    EXPECT_NE(registration, 0u);
    EXPECT_EQ(P::TraceProvider().EventWriteString(registration, 1, 0x1, L"nobody listens"), 0u);
    EXPECT_EQ(P::TraceProvider().EventUnregister(registration), 0u);
    EXPECT_EQ(log.calls, 0) << "no session enabled the provider";
}

// A real-time ETW session of this test, enabling kTestProvider.
class RealTimeSession {
public:
    explicit RealTimeSession(const wchar_t* name) : name_(name) {
        buffer_.resize(sizeof(EVENT_TRACE_PROPERTIES) + (wcslen(name) + 1) * sizeof(wchar_t));
        Properties()->Wnode.BufferSize = static_cast<ULONG>(buffer_.size());
        Properties()->Wnode.Flags = WNODE_FLAG_TRACED_GUID;
        Properties()->Wnode.ClientContext = 1;
        Properties()->LogFileMode = EVENT_TRACE_REAL_TIME_MODE;
        Properties()->LoggerNameOffset = sizeof(EVENT_TRACE_PROPERTIES);
        status_ = ::StartTraceW(&handle_, name, Properties());
    }
    ~RealTimeSession() {
        if (status_ == ERROR_SUCCESS)
            ::ControlTraceW(handle_, name_, Properties(), EVENT_TRACE_CONTROL_STOP);
    }
    ULONG status() const { return status_; }
    ULONG Enable(uint8_t level, uint64_t matchAny) {
        return ::EnableTraceEx2(handle_, reinterpret_cast<const GUID*>(&kTestProvider),
                                EVENT_CONTROL_CODE_ENABLE_PROVIDER, level, matchAny, 0, 0, nullptr);
    }

private:
    EVENT_TRACE_PROPERTIES* Properties() {
        return reinterpret_cast<EVENT_TRACE_PROPERTIES*>(buffer_.data());
    }
    const wchar_t* name_;
    std::string buffer_;
    TRACEHANDLE handle_ = 0;
    ULONG status_ = 0;
};

TEST(Win32TraceProvider, ARealSessionCallsTheCallbackWithItsLevelAndMask) {
    if (RunningOnWine())
        GTEST_SKIP() << "Wine has no ETW trace sessions";
    RealTimeSession session(L"OrvLinkBackendTest");
    if (session.status() == ERROR_ACCESS_DENIED)
        GTEST_SKIP() << "starting a trace session needs administrator rights";
    ASSERT_EQ(session.status(), 0u);
    ASSERT_EQ(session.Enable(2, 0x404), 0u);

    EnableLog log;
    P::TraceRegistration registration = 0;
    ASSERT_EQ(P::TraceProvider().EventRegister(kTestProvider, RecordEnable, &log, &registration),
              0u);
    // A listening session enables the provider inside the registration.
    EXPECT_GE(log.calls, 1);
    EXPECT_EQ(log.controlCode, P::kTraceControlEnable);
    EXPECT_EQ(log.level, 2);
    EXPECT_EQ(log.matchAny, 0x404u);
    EXPECT_TRUE(log.source == kTestProvider || log.source == P::Guid{});
    EXPECT_EQ(log.context, &log);
    EXPECT_EQ(P::TraceProvider().EventWriteString(registration, 2, 0x400, L"a line"), 0u);
    EXPECT_EQ(P::TraceProvider().EventUnregister(registration), 0u);
}

// ---- Security ------------------------------------------------------------------

TEST(Win32Security, AnEventWithANullDaclOpensInAnotherProcess) {
    // The service program's events: a descriptor with a null DACL lets any
    // process (the simulator's user) open them.
    P::SecurityDescriptor descriptor{};
    ASSERT_TRUE(
        P::Security().InitializeSecurityDescriptor(&descriptor, P::kSecurityDescriptorRevision));
    ASSERT_TRUE(P::Security().SetSecurityDescriptorDacl(&descriptor, true, nullptr, false));
    EXPECT_TRUE(descriptor.control & P::kSeDaclPresent);
    P::SecurityAttributes attributes{&descriptor, false};
    std::wstring name = UniqueEventName(L"open-to-all");
    P::Handle event = P::NamedEvents().CreateEvent(&attributes, false, false, name.c_str());
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(RunChild(OwnPath(), L"--signal " + name), kChildOk);
    EXPECT_EQ(P::Sync().WaitForSingleObject(event, 10000), P::kWaitObject0);
    P::Sync().CloseHandle(event);
}

// ---- Device interfaces and HID ---------------------------------------------------

TEST(Win32DeviceInterfaces, AClassWithNoPresentDeviceGivesAnEmptyList) {
    // {9C41E0B7-3D58-4A6F-8E12-5B7A0C3D9F64}: a class no device has.
    const P::Guid nobody = {
        0x9C41E0B7, 0x3D58, 0x4A6F, {0x8E, 0x12, 0x5B, 0x7A, 0x0C, 0x3D, 0x9F, 0x64}};
    P::InterfaceList list = P::DeviceInterfaces().OpenInterfaceList(nobody);
    ASSERT_NE(list, nullptr) << P::Sync().GetLastError();
    EXPECT_FALSE(P::DeviceInterfaces().HasInterface(list, 0));
    EXPECT_EQ(P::DeviceInterfaces().GetInterfaceDetailSize(list, 0), 0u);
    std::wstring path = L"stale";
    EXPECT_FALSE(P::DeviceInterfaces().GetInterfacePath(list, 0, &path));
    EXPECT_TRUE(path.empty());
    EXPECT_TRUE(P::DeviceInterfaces().GetPhysicalDeviceObjectName(list, 0).empty());
    P::DeviceInterfaces().CloseInterfaceList(list);
}

TEST(Win32Hid, TheHidClassAndAPathThatIsNoDevice) {
    const P::Guid hid = {
        0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    EXPECT_TRUE(P::Hid().GetHidGuid() == hid);
    P::Sync().SetLastError(0);
    EXPECT_EQ(P::DeviceIo().Open(L"\\\\?\\hid#vid_0000&pid_0000#0#{nothing}", true), nullptr);
    EXPECT_NE(P::Sync().GetLastError(), 0u);
}

// ---- Message window ----------------------------------------------------------------

struct WindowLog {
    void* createParams = nullptr;
    int pings = 0;
    uintptr_t lastWParam = 0;
};

constexpr uint32_t kPing = 0x8000 + 7;  // WM_APP + 7

intptr_t LogWindow(P::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == P::kWmCreate) {
        auto* log = static_cast<WindowLog*>(
            reinterpret_cast<const P::WindowCreateInfo*>(lParam)->createParams);
        log->createParams = log;
        P::MessageWindow().SetWindowUserData(window, log);
        return 0;
    }
    if (message == kPing) {
        auto* log = static_cast<WindowLog*>(P::MessageWindow().GetWindowUserData(window));
        ++log->pings;
        log->lastWParam = wParam;
        return 0;
    }
    return P::MessageWindow().DefWindowProc(window, message, wParam, lParam);
}

TEST(Win32MessageWindow, CreatesAWindowAndServesItsQueueUntilQuit) {
    P::IMessageWindow& windows = P::MessageWindow();
    ASSERT_TRUE(windows.RegisterWindowClass(L"OrvLinkBackendTestWindow", LogWindow,
                                            reinterpret_cast<const void*>(&LogWindow)));
    // A second registration fails and the class stays usable.
    EXPECT_FALSE(windows.RegisterWindowClass(L"OrvLinkBackendTestWindow", LogWindow,
                                             reinterpret_cast<const void*>(&LogWindow)));
    WindowLog log;
    P::WindowHandle window = windows.CreateMessageWindow(L"OrvLinkBackendTestWindow", &log);
    ASSERT_NE(window, nullptr) << P::Sync().GetLastError();
    EXPECT_EQ(log.createParams, &log) << "WM_CREATE did not carry the creation parameter";

    P::DeviceNotification notification =
        windows.RegisterDeviceInterfaceNotification(window, P::Hid().GetHidGuid());
    EXPECT_NE(notification, nullptr) << P::Sync().GetLastError();

    ASSERT_TRUE(::PostMessageW(static_cast<HWND>(window), kPing, 42, 0));
    ASSERT_TRUE(windows.PostThreadMessage(P::Sync().GetCurrentThreadId(), P::kWmQuit, 0, 0));
    P::WindowMessage message;
    int32_t got;
    while ((got = windows.GetMessage(&message)) == 1)
        windows.DispatchMessage(message);
    EXPECT_EQ(got, 0) << "the loop did not end with WM_QUIT";
    EXPECT_EQ(log.pings, 1);
    EXPECT_EQ(log.lastWParam, 42u);

    if (notification != nullptr) {
        EXPECT_TRUE(windows.UnregisterDeviceNotification(notification));
    }
    EXPECT_TRUE(windows.DestroyWindow(window));
}

// ---- Service manager -----------------------------------------------------------------

void NeverRuns(uint32_t, wchar_t**) {}

TEST(Win32ServiceManager, AConsoleProgramIsNoServiceAndUnknownServicesAreReported) {
    P::IServiceManager& manager = P::ServiceManager();
    const P::IServiceManager::TableEntry table[] = {{L"OrvLinkBackendTest", NeverRuns},
                                                    {nullptr, nullptr}};
    EXPECT_FALSE(manager.StartServiceCtrlDispatcher(table));
    EXPECT_EQ(P::Sync().GetLastError(), P::kErrorFailedServiceControllerConnect);

    P::ScHandle scm = manager.OpenSCManager(nullptr, nullptr, P::kScManagerConnect);
    ASSERT_NE(scm, nullptr) << P::Sync().GetLastError();
    EXPECT_EQ(manager.OpenService(scm, L"OrvLinkNoSuchService", P::kServiceQueryStatus), nullptr);
    EXPECT_EQ(P::Sync().GetLastError(), P::kErrorServiceDoesNotExist);
    EXPECT_TRUE(manager.CloseServiceHandle(scm));
}

// ---- Child process modes -------------------------------------------------------------

DWORD ChildMain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"--signal") == 0) {
        P::Handle event = P::NamedEvents().OpenEvent(P::kEventAllAccess, false, argv[2]);
        if (event == nullptr)
            return kChildOpenFailed;
        bool set = P::Sync().SetEvent(event);
        P::Sync().CloseHandle(event);
        return set ? kChildOk : kChildSetFailed;
    }
    return kChildUsage;
}

}  // namespace

int main(int argc, char** argv) {
    int wideCount = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &wideCount);
    if (wide != nullptr && wideCount > 1 && std::wcsncmp(wide[1], L"--", 2) == 0 &&
        std::wcsncmp(wide[1], L"--gtest", 7) != 0) {
        DWORD result = ChildMain(wideCount, wide);
        ::LocalFree(wide);
        return static_cast<int>(result);
    }
    if (wide != nullptr)
        ::LocalFree(wide);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
