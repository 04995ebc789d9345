#include "plugin/core/device_registry.h"

#include "common/device_ids.h"
#include "plugin/glasslink/glasslink_z7hotas.h"
#include "plugin/glasslink/z7hotas_panel.h"
#include "plugin/panels/mode_panel.h"
#include "plugin/panels/toggle_panel.h"
#include "plugin/panels/tuner_panel.h"
#include "plugin/panels/wap_panel.h"

namespace Orv {

DeviceKinds PluginDeviceKinds() {
    DeviceKinds kinds;
    kinds.panels = {
        {PRODUCT_ID_TOGGLE, L"The toggle panel of the Avionex is attached: %s",
         &MakePathPanel<CTogglePanel>},
        {PRODUCT_ID_TUNER, L"The tuner panel of the Avionex is attached: %s",
         &MakePathPanel<CTunerPanel>},
        {PRODUCT_ID_MODE, L"The mode panel of the Avionex is attached: %s",
         &MakePathPanel<CModePanel>},
        {PRODUCT_ID_WAP, L"The warning annunciator panel of the Avionex is attached: %s",
         &MakePathPanel<CWAPanel>},
        {PRODUCT_ID_Z7HOTAS, L"The z7hotas panel of the Avionex is attached: %s",
         &MakeZ7HotasPanel},
        // Served as a plain panel until its class lands.
        {PRODUCT_ID_GDP, L"The gauge display panel of the Avionex is attached: %s",
         &MakePathPanel<CPanel>},
    };
    // The joystick's MFD is keyed by its interface's physical-device-object
    // name.  The gauge display panel's display has no class yet.
    kinds.displays = {
        {GUID_Z7HOTAS_GLASSLINK_INTERFACE,
         [](const std::wstring& path) -> std::shared_ptr<CGlassLink> {
             return std::make_shared<CGlassLinkZ7Hotas>(path);
         },
         nullptr},
    };
    return kinds;
}

CAvionex g_avionex(PluginDeviceKinds());

}  // namespace Orv
