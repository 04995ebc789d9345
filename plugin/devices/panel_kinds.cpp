#include "plugin/devices/panel_kinds.h"

#include "common/device_ids.h"
#include "plugin/core/trace.h"
#include "plugin/panels/mode_panel.h"
#include "plugin/panels/toggle_panel.h"
#include "plugin/panels/tuner_panel.h"
#include "plugin/panels/wap_panel.h"

namespace Orv {

namespace {

PanelKind g_kinds[] = {
    {PRODUCT_ID_TOGGLE, L"The toggle panel of the Avionex is attached: %s",
     &MakePathPanel<CTogglePanel>},
    {PRODUCT_ID_TUNER, L"The tuner panel of the Avionex is attached: %s",
     &MakePathPanel<CTunerPanel>},
    {PRODUCT_ID_MODE, L"The mode panel of the Avionex is attached: %s",
     &MakePathPanel<CModePanel>},
    {PRODUCT_ID_WAP, L"The warning annunciator panel of the Avionex is attached: %s",
     &MakePathPanel<CWAPanel>},
    {PRODUCT_ID_Z7HOTAS, L"The z7hotas panel of the Avionex is attached: %s",
     &MakePathPanel<CPanel>},
    {PRODUCT_ID_GDP, L"The gauge display panel of the Avionex is attached: %s",
     &MakePathPanel<CPanel>},
};

}  // namespace

PanelKind* FindPanelKind(uint16_t productId) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_DEVICE_MANAGER);
    for (PanelKind& kind : g_kinds)
        if (kind.productId == productId)
            return &kind;
    return nullptr;
}

}  // namespace Orv
