#include "plugin/devices/avionex.h"

#include "plugin/core/trace.h"

namespace Orv {

CAvionex g_avionex;

// Discovery, hot-plug and the panels arrive with the device framework; until
// then the manager has no devices and every operation succeeds.
CAvionex::CAvionex() { ORV_TRACE_SCOPE(TRACE_KEYWORD_DEVICE_MANAGER); }

CAvionex::~CAvionex() { ORV_TRACE_SCOPE(TRACE_KEYWORD_DEVICE_MANAGER); }

uint32_t CAvionex::Initialize() {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_DEVICE_MANAGER);
    return 0;
}

void CAvionex::Uninitialize() { ORV_TRACE_SCOPE(TRACE_KEYWORD_DEVICE_MANAGER); }

void CAvionex::NotifyPanels() { ORV_TRACE_SCOPE(TRACE_KEYWORD_DEVICE_MANAGER); }

}  // namespace Orv
