// The plugin's exports and its flight-loop callback.
#include "plugin/core/plugin.h"

#include <cstdint>

#include "plugin/core/aircraft_settings.h"
#include "plugin/core/device_registry.h"
#include "plugin/core/handover.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"
#include "plugin/devices/avionex.h"
#include "sdk/xplm.h"

namespace {

// Set by XPluginEnable, cleared by XPluginDisable; read only by the flight loop.
bool g_enabled = false;

// Copies text into an X-Plane buffer of 256 bytes: at most 254 characters
// and a terminator.
void CopyBounded(char* buffer, const char* text) {
    constexpr int kBufferBytes = 255;
    int i = 0;
    for (; i < kBufferBytes - 1 && text[i] != '\0'; ++i)
        buffer[i] = text[i];
    buffer[i] = '\0';
}

float FlightLoopCallback(float /*elapsedSinceLastCall*/, float /*elapsedSinceLastFlightLoop*/,
                         int /*counter*/, void* /*refcon*/) {
    ORV_TRACE_SCOPE(Orv::TRACE_KEYWORD_PLUGIN);
    if (g_enabled)
        Orv::g_avionex.NotifyPanels();
    return -1.0f;
}

}  // namespace

ORV_PLUGIN_API int XPluginStart(char* outName, char* outSignature, char* outDescription) {
    using namespace Orv;
    ORV_TRACE_SCOPE(TRACE_KEYWORD_PLUGIN);
    UTILITY::PauseResumeGlassLinkService(true);

    CopyBounded(outName, kPluginName);
    CopyBounded(outSignature, kPluginSignature);
    CopyBounded(outDescription, kPluginDescription);

    CSimBindings::Initialize();

    uint32_t error = g_avionex.Initialize();
    if (error != 0) {
        WriteTrace(TRACE_LEVEL_FAILURE, TRACE_KEYWORD_PLUGIN, TRACE_KIND_MESSAGE,
                   L"Failed in initializing the object Orv::CAvionex due to %d", error);
        return 0;
    }

    XPLMRegisterFlightLoopCallback(FlightLoopCallback, -1.0f, nullptr);
    return 1;
}

ORV_PLUGIN_API void XPluginStop(void) {
    using namespace Orv;
    ORV_TRACE_SCOPE(TRACE_KEYWORD_PLUGIN);
    XPLMUnregisterFlightLoopCallback(FlightLoopCallback, nullptr);
    g_avionex.Uninitialize();
    UTILITY::PauseResumeGlassLinkService(false);
}

ORV_PLUGIN_API int XPluginEnable(void) {
    ORV_TRACE_SCOPE(Orv::TRACE_KEYWORD_PLUGIN);
    g_enabled = true;
    return 1;
}

ORV_PLUGIN_API void XPluginDisable(void) {
    ORV_TRACE_SCOPE(Orv::TRACE_KEYWORD_PLUGIN);
    g_enabled = false;
}

ORV_PLUGIN_API void XPluginReceiveMessage(XPLMPluginID inFrom, int inMessage, void* inParam) {
    using namespace Orv;
    ORV_TRACE_SCOPE(TRACE_KEYWORD_PLUGIN);
    WriteTrace(TRACE_LEVEL_DETAIL, TRACE_KEYWORD_PLUGIN, TRACE_KIND_MESSAGE,
               L"PluginID: 0x%x, Message: %d, Param: 0x%p", inFrom, inMessage, inParam);
    if (inFrom == XPLM_PLUGIN_XPLANE && inMessage == XPLM_MSG_PLANE_LOADED &&
        inParam == reinterpret_cast<void*>(static_cast<intptr_t>(XPLM_USER_AIRCRAFT))) {
        WriteTrace(TRACE_LEVEL_EVENT, TRACE_KEYWORD_PLUGIN, TRACE_KIND_MESSAGE,
                   L"Load the user aircraft file");
        OrvAcfLoadSettings();
    }
}
