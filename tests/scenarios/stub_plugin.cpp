// A small plugin for testing the host: it has the plugin's identity and its
// entry-point behaviour (hand-over signals at start and stop, the aircraft
// message, an idle flight loop while disabled), and on message 0x7F000001
// from sender 1 it uses every XPLM output the event log reports, so that
// the host's log can be checked without the whole plugin.
#include <cstdio>
#include <string>

#include "common/handover_events.h"
#include "platform/keyboard.h"
#include "platform/named_events.h"
#include "platform/sync.h"
#include "platform/trace_provider.h"
#include "plugin/core/trace.h"
#include "sdk/xplm.h"

namespace {

using namespace Orv;

constexpr int kExerciseMessage = 0x7F000001;
constexpr int kKeywordPlugin = 0x1;

struct TraceFilter {
    Platform::TraceRegistration registration = 0;
    bool enabled = false;
    uint8_t level = 0;
    uint64_t mask = 0;
} g_filter;

bool g_enabled = false;
Platform::Handle g_stopTicker = nullptr;
Platform::Handle g_ticker = nullptr;

void EnableCallback(const Platform::Guid*, uint32_t controlCode, uint8_t level, uint64_t mask,
                    uint64_t, void*, void*) {
    g_filter.enabled = controlCode == Platform::kTraceControlEnable;
    g_filter.level = level;
    g_filter.mask = mask;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void Trace(uint8_t level, const std::wstring& text) {
    if (!g_filter.enabled || g_filter.registration == 0 || level > g_filter.level ||
        (g_filter.mask & kKeywordPlugin) == 0)
        return;
    Platform::TraceProvider().EventWriteString(g_filter.registration, level, kKeywordPlugin,
                                               text.c_str());
}

struct Scope {
    explicit Scope(const char* name) : name_(name) { Trace(3, L">>" + Wide(name_)); }
    ~Scope() { Trace(3, L"<<" + Wide(name_)); }
    std::string name_;
};

void Signal(const wchar_t* name) {
    Scope scope("UTILITY::PauseResumeGlassLinkService");
    Platform::Handle event =
        Platform::NamedEvents().OpenEvent(Platform::kEventAllAccess, false, name);
    if (event == nullptr)
        return;
    Platform::Sync().SetEvent(event);
    Platform::Sync().CloseHandle(event);
}

uint32_t Ticker(void*) {
    while (Platform::Sync().WaitForSingleObject(g_stopTicker, 100) == Platform::kWaitTimeout)
        Trace(2, L"tick " + std::to_wstring(Platform::Sync().GetTickCount()));
    return 0;
}

float FlightLoop(float, float, int, void*) {
    if (g_enabled) {
        XPLMDataRef gear = XPLMFindDataRef("sim/cockpit2/controls/gear_handle_down");
        Trace(3, L"gear " + std::to_wstring(XPLMGetDatai(gear)));
    }
    return -1.0f;
}

void Copy(char* out, const char* text) {
    std::snprintf(out, 255, "%s", text);
}

void Exercise() {
    XPLMDataRef altitude = XPLMFindDataRef("sim/cockpit/autopilot/altitude");
    Trace(2, L"altitude " + std::to_wstring(static_cast<int>(XPLMGetDataf(altitude) * 10)));
    XPLMCommandOnce(XPLMFindCommand("sim/radios/com1_standy_flip"));
    XPLMCommandOnce(nullptr);
    XPLMCommandRef gear = XPLMFindCommand("sim/flight_controls/landing_gear_down");
    XPLMCommandBegin(gear);
    XPLMCommandEnd(gear);
    XPLMSetDatai(XPLMFindDataRef("sim/cockpit2/controls/gear_handle_down"), 0);
    XPLMSetDataf(altitude, 0.1f);
    float ratios[2] = {0.5f, 0.25f};
    XPLMSetDatavf(XPLMFindDataRef("sim/flightmodel2/gear/deploy_ratio"), ratios, 1, 2);
    XPLMCommandKeyStroke(5);
    XPLMCommandButtonPress(7);
    XPLMCommandButtonRelease(7);
    XPLMSpeakString("Gear \"down\"\\\n\x01 \xc3\xa9");
    Platform::KeyEvent keys[2] = {
        {0x41, 0x1E, Platform::kKeyEventScanCode, 0, 0},
        {0x41, 0x1E, Platform::kKeyEventScanCode | Platform::kKeyEventKeyUp, 0, 0}};
    Platform::Keyboard().SendInput(keys, 2);
    Trace(2, L"tab\tand \u00e9 \u20ac");
}

struct Registration {
    Registration() {
        Platform::TraceProvider().EventRegister(kTraceProviderGuid, EnableCallback, nullptr,
                                                &g_filter.registration);
        Trace(2, L"stub loaded");
    }
    ~Registration() {
        Trace(2, L"stub unloaded");
        Platform::TraceProvider().EventUnregister(g_filter.registration);
        g_filter.registration = 0;
    }
} g_registration;

}  // namespace

ORV_PLUGIN_API int XPluginStart(char* outName, char* outSignature, char* outDescription) {
    Scope scope("XPluginStart");
    Signal(Orv::kPauseEventName);
    Copy(outName, "XValduraAvionex.1.2.6.0");
    Copy(outSignature, "XValduraAvionex.1.2.6.0");
    Copy(outDescription, "X-Plane 10 Plugin For Valdura Avionex V1.2.6.0");
    g_stopTicker = Platform::Sync().CreateEvent(true, false);
    g_ticker = Platform::Sync().CreateThread(Ticker, nullptr, nullptr);
    XPLMRegisterFlightLoopCallback(FlightLoop, -1.0f, nullptr);
    return 1;
}

ORV_PLUGIN_API void XPluginStop(void) {
    Scope scope("XPluginStop");
    XPLMUnregisterFlightLoopCallback(FlightLoop, nullptr);
    Platform::Sync().SetEvent(g_stopTicker);
    if (g_ticker != nullptr) {
        Platform::Sync().WaitForSingleObject(g_ticker, Platform::kInfinite);
        Platform::Sync().CloseHandle(g_ticker);
        g_ticker = nullptr;
    }
    Platform::Sync().CloseHandle(g_stopTicker);
    g_stopTicker = nullptr;
    Signal(Orv::kResumeEventName);
}

ORV_PLUGIN_API int XPluginEnable(void) {
    Scope scope("XPluginEnable");
    g_enabled = true;
    return 1;
}

ORV_PLUGIN_API void XPluginDisable(void) {
    Scope scope("XPluginDisable");
    g_enabled = false;
}

ORV_PLUGIN_API void XPluginReceiveMessage(XPLMPluginID inFrom, int inMessage, void* inParam) {
    Scope scope("XPluginReceiveMessage");
    Trace(3, L"PluginID: " + std::to_wstring(inFrom) + L", Message: " + std::to_wstring(inMessage));
    if (inFrom == XPLM_PLUGIN_XPLANE && inMessage == XPLM_MSG_PLANE_LOADED && inParam == nullptr) {
        Trace(2, L"Load the user aircraft file");
        char file[256] = {};
        char path[512] = {};
        XPLMGetNthAircraftModel(0, file, path);
        Trace(2, L"aircraft " + Wide(file) + L" at " + Wide(path));
    }
    if (inFrom == 1 && inMessage == kExerciseMessage)
        Exercise();
}
