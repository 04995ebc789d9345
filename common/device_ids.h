// The identity of the maker's devices: the USB vendor id that every
// supported device carries, the product id of each kind, and the device
// interface classes (the HID class and the two display interfaces).  The
// plugin classifies devices by them; the simulation host gives its virtual
// devices the same numbers.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace Orv {

inline constexpr uint16_t VENDOR_ID_PANELS = 0x4F56;

inline constexpr uint16_t PRODUCT_ID_TOGGLE = 0x0D01;
inline constexpr uint16_t PRODUCT_ID_TUNER = 0x0D02;
inline constexpr uint16_t PRODUCT_ID_MODE = 0x0D03;
inline constexpr uint16_t PRODUCT_ID_WAP = 0x0D04;
inline constexpr uint16_t PRODUCT_ID_Z7HOTAS = 0x0D05;
inline constexpr uint16_t PRODUCT_ID_GDP = 0x0D06;

// The HID device interface class, as HidD_GetHidGuid gives it:
// {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr Platform::Guid GUID_HID_INTERFACE = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// {4E8D2C17-A93B-4F56-B0D2-6C1E83F5A947}: the joystick's display interface.
inline constexpr Platform::Guid GUID_Z7HOTAS_GLASSLINK_INTERFACE = {
    0x4E8D2C17, 0xA93B, 0x4F56, {0xB0, 0xD2, 0x6C, 0x1E, 0x83, 0xF5, 0xA9, 0x47}};

// {9B3F6A28-1D7C-4E05-8A64-D27C5E09B1F3}: the gauge display panel's display interface.
inline constexpr Platform::Guid GUID_GDP_GLASSLINK_INTERFACE = {
    0x9B3F6A28, 0x1D7C, 0x4E05, {0x8A, 0x64, 0xD2, 0x7C, 0x5E, 0x09, 0xB1, 0xF3}};

}  // namespace Orv
