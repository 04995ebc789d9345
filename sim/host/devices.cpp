#include "sim/host/devices.h"

#include "common/device_ids.h"

namespace Orv::Host {

namespace {

constexpr uint16_t kForeignVendor = 0x7F00;
constexpr uint16_t kUnsupportedProduct = 0x0DFF;

const DeviceKind kKinds[] = {
    {"toggle", VENDOR_ID_PANELS, PRODUCT_ID_TOGGLE, 20, 2, false, {}},
    {"tuner", VENDOR_ID_PANELS, PRODUCT_ID_TUNER, 24, 24, false, {}},
    {"mode", VENDOR_ID_PANELS, PRODUCT_ID_MODE, 20, 13, false, {}},
    // The annunciator panel has lamps only: no input report.
    {"wap", VENDOR_ID_PANELS, PRODUCT_ID_WAP, 0, 7, false, {}},
    {"z7hotas", VENDOR_ID_PANELS, PRODUCT_ID_Z7HOTAS, 40, 0, true,
     GUID_Z7HOTAS_GLASSLINK_INTERFACE},
    {"gdp", VENDOR_ID_PANELS, PRODUCT_ID_GDP, 12, 0, true, GUID_GDP_GLASSLINK_INTERFACE},
    {"foreign", kForeignVendor, 0x0001, 8, 0, false, {}},
    {"unsupported", VENDOR_ID_PANELS, kUnsupportedProduct, 8, 0, false, {}},
};

}  // namespace

const DeviceKind* FindDeviceKind(const std::string& name) {
    for (const DeviceKind& kind : kKinds)
        if (name == kind.name)
            return &kind;
    return nullptr;
}

std::vector<std::string> SupportedKindNames() {
    std::vector<std::string> names;
    for (const DeviceKind& kind : kKinds)
        if (kind.vendorId == VENDOR_ID_PANELS && kind.productId != kUnsupportedProduct)
            names.push_back(kind.name);
    return names;
}

}  // namespace Orv::Host
