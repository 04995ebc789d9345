// The Windows host of win.xpl: loads the plugin as X-Plane does (LoadLibraryW,
// the five exports), runs frames through the stand-in XPLM_64.dll and checks
// what the plugin did.  The plugin is staged beside this program as
// XValduraAvionex\64\win.xpl, with XPLM_64.dll next to this program, where
// the loader finds it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/handover_events.h"
#include "platform/win32/win32.h"
#include "tests/win32/fake_xplm.h"
#include "tests/win32/win32_test_support.h"

namespace {

struct PluginExports {
    int (*start)(char*, char*, char*) = nullptr;
    void (*stop)() = nullptr;
    int (*enable)() = nullptr;
    void (*disable)() = nullptr;
    void (*receiveMessage)(int, int, void*) = nullptr;
};

std::wstring PluginPath() {
    wchar_t program[MAX_PATH * 4];
    DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH * 4);
    std::wstring path(program, length);
    return path.substr(0, path.rfind(L'\\') + 1) + L"XValduraAvionex\\64\\win.xpl";
}

template <typename T>
bool Resolve(HMODULE module, const char* name, T* function) {
    *function = reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return *function != nullptr;
}

// A named event of the service program's side, closed at scope end.
class ServiceEvent {
public:
    explicit ServiceEvent(const wchar_t* name)
        : handle_(::CreateEventW(nullptr, FALSE, FALSE, name)) {}
    ~ServiceEvent() {
        if (handle_)
            ::CloseHandle(handle_);
    }
    ServiceEvent(const ServiceEvent&) = delete;
    ServiceEvent& operator=(const ServiceEvent&) = delete;
    HANDLE get() const { return handle_; }
    // Whether the plugin signalled it since the last look.
    bool Signalled() const { return ::WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }

private:
    HANDLE handle_;
};

using Orv::Win32Test::EventExists;

std::string TakeEvents() {
    int length = OrvXSimTakeEvents(nullptr, 0);
    std::string lines(static_cast<size_t>(length) + 1, '\0');
    OrvXSimTakeEvents(lines.data(), length + 1);
    lines.resize(static_cast<size_t>(length));
    return lines;
}

class PluginHost : public ::testing::Test {
protected:
    void SetUp() override {
        OrvXSimReset();
        Load();
    }
    void TearDown() override { Unload(); }

    void Load() {
        module_ = ::LoadLibraryW(PluginPath().c_str());
        ASSERT_NE(module_, nullptr) << "LoadLibraryW failed with " << ::GetLastError();
        ASSERT_TRUE(Resolve(module_, "XPluginStart", &plugin_.start));
        ASSERT_TRUE(Resolve(module_, "XPluginStop", &plugin_.stop));
        ASSERT_TRUE(Resolve(module_, "XPluginEnable", &plugin_.enable));
        ASSERT_TRUE(Resolve(module_, "XPluginDisable", &plugin_.disable));
        ASSERT_TRUE(Resolve(module_, "XPluginReceiveMessage", &plugin_.receiveMessage));
    }
    void Unload() {
        if (module_) {
            EXPECT_TRUE(::FreeLibrary(module_));
        }
        module_ = nullptr;
    }

    // XPluginStart with buffers full of junk, as X-Plane's need not be clean.
    int Start() {
        std::memset(name_, 'x', sizeof name_);
        std::memset(signature_, 'x', sizeof signature_);
        std::memset(description_, 'x', sizeof description_);
        return plugin_.start(name_, signature_, description_);
    }

    HMODULE module_ = nullptr;
    PluginExports plugin_;
    char name_[256];
    char signature_[256];
    char description_[256];
};

TEST_F(PluginHost, RunsFromStartToStopWithTheServiceProgramListening) {
    ServiceEvent pause(Orv::kPauseEventName);
    ServiceEvent resume(Orv::kResumeEventName);
    ASSERT_NE(pause.get(), nullptr);
    ASSERT_NE(resume.get(), nullptr);

    ASSERT_EQ(Start(), 1);
    EXPECT_STREQ(name_, "XValduraAvionex.1.2.6.0");
    EXPECT_STREQ(signature_, "XValduraAvionex.1.2.6.0");
    EXPECT_STREQ(description_, "X-Plane 10 Plugin For Valdura Avionex V1.2.6.0");
    EXPECT_TRUE(pause.Signalled()) << "the pause request was not signalled at start";
    EXPECT_FALSE(resume.Signalled());
    EXPECT_EQ(OrvXSimFlightLoopCount(), 1);

    EXPECT_EQ(plugin_.enable(), 1);
    for (int i = 0; i < 5; ++i)
        OrvXSimRunFrame(0.02f);
    EXPECT_EQ(OrvXSimFrameCount(), 5);
    // The callback asks for the next frame every time: still registered.
    EXPECT_EQ(OrvXSimFlightLoopCount(), 1);

    // The user's aircraft loaded (no aircraft file in this world), then an
    // AI aircraft and a message of another plugin: none of them may hurt.
    plugin_.receiveMessage(0, 102, nullptr);
    plugin_.receiveMessage(0, 102, reinterpret_cast<void*>(1));
    plugin_.receiveMessage(7, 102, nullptr);

    plugin_.disable();
    TakeEvents();
    for (int i = 0; i < 3; ++i)
        OrvXSimRunFrame(0.02f);
    EXPECT_EQ(OrvXSimFlightLoopCount(), 1);
    EXPECT_EQ(TakeEvents(), "") << "a disabled plugin touched the simulator";

    plugin_.stop();
    EXPECT_EQ(OrvXSimFlightLoopCount(), 0) << "the flight loop is still registered after stop";
    EXPECT_TRUE(resume.Signalled()) << "the resume request was not signalled at stop";
    EXPECT_FALSE(pause.Signalled());
    OrvXSimRunFrame(0.02f);
}

TEST_F(PluginHost, StartsAndStopsWithoutTheServiceProgram) {
    ASSERT_FALSE(EventExists(Orv::kPauseEventName)) << "another program holds the events";
    ASSERT_EQ(Start(), 1);
    EXPECT_STREQ(name_, "XValduraAvionex.1.2.6.0");
    EXPECT_EQ(OrvXSimFlightLoopCount(), 1);
    EXPECT_EQ(plugin_.enable(), 1);
    OrvXSimRunFrame(0.02f);
    plugin_.disable();
    plugin_.stop();
    EXPECT_EQ(OrvXSimFlightLoopCount(), 0);
    // The plugin only opens the events; it never creates them.
    EXPECT_FALSE(EventExists(Orv::kPauseEventName));
    EXPECT_FALSE(EventExists(Orv::kResumeEventName));
}

TEST_F(PluginHost, LoadsAgainAfterAnUnload) {
    // X-Plane unloads and reloads plugins (the plugin admin, a reload of all
    // plugins): the second life of the DLL must start like the first.
    for (int life = 0; life < 2; ++life) {
        SCOPED_TRACE(life);
        if (life > 0) {
            Unload();
            OrvXSimReset();
            Load();
        }
        ASSERT_EQ(Start(), 1);
        EXPECT_EQ(plugin_.enable(), 1);
        OrvXSimRunFrame(0.02f);
        EXPECT_EQ(OrvXSimFlightLoopCount(), 1);
        plugin_.disable();
        plugin_.stop();
        EXPECT_EQ(OrvXSimFlightLoopCount(), 0);
    }
}

}  // namespace
