#include "plugin/devices/device_kinds.h"

#include "plugin/core/trace.h"

namespace Orv {

const PanelKind* FindPanelKind(const DeviceKinds& kinds, uint16_t productId) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_DEVICE_MANAGER);
    for (const PanelKind& kind : kinds.panels)
        if (kind.productId == productId)
            return &kind;
    return nullptr;
}

const DisplayKind* FindDisplayKind(const DeviceKinds& kinds, const Platform::Guid& interfaceClass) {
    for (const DisplayKind& kind : kinds.displays)
        if (kind.interfaceClass == interfaceClass)
            return &kind;
    return nullptr;
}

}  // namespace Orv
