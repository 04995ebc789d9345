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
    return {"toggle", "tuner", "mode", "wap", "z7hotas", "gdp"};
}

std::vector<uint8_t> ReportDescriptor(int buttons, int featureLength) {
    std::vector<uint8_t> d = {
        0x05, 0x01,  // usage page: generic desktop
        0x09, 0x04,  // usage: joystick
        0xA1, 0x01,  // collection: application
    };
    if (buttons > 0) {
        uint8_t n = static_cast<uint8_t>(buttons);
        d.insert(d.end(), {
                              0x05, 0x09,  // usage page: button
                              0x19, 0x01,  // usage minimum 1
                              0x29, n,     // usage maximum
                              0x15, 0x00,  // logical minimum 0
                              0x25, 0x01,  // logical maximum 1
                              0x75, 0x01,  // report size 1
                              0x95, n,     // report count
                              0x81, 0x02,  // input: data, variable, absolute
                          });
        int pad = (8 - buttons % 8) % 8;
        if (pad != 0)
            d.insert(d.end(), {0x75, 0x01, 0x95, static_cast<uint8_t>(pad), 0x81, 0x03});
    }
    if (featureLength > 1) {
        d.insert(d.end(), {
                              0x06, 0x00, 0xFF,  // usage page: vendor defined
                              0x09, 0x01,        // usage 1
                              0x15, 0x00,        // logical minimum 0
                              0x26, 0xFF, 0x00,  // logical maximum 255
                              0x75, 0x08,        // report size 8
                              0x95, static_cast<uint8_t>(featureLength - 1), 0xB1,
                              0x02,  // feature: data, variable, absolute
                          });
    }
    d.push_back(0xC0);  // end collection
    return d;
}

}  // namespace Orv::Host
