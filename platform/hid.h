// The hid.dll calls on a HID interface opened through the device I/O port
// (which also reads its input reports), with the HID status values.
#pragma once

#include <cstdint>

#include "platform/device_io.h"
#include "platform/types.h"
#include "platform/unique_handle.h"

namespace Orv::Platform {

// HID status values (NTSTATUS of the HidP_ functions).
constexpr uint32_t kHidpStatusSuccess = 0x00110000u;
constexpr uint32_t kHidpStatusNull = 0x80110001u;
constexpr uint32_t kHidpStatusInvalidPreparsedData = 0xC0110001u;
constexpr uint32_t kHidpStatusInvalidReportType = 0xC0110002u;
constexpr uint32_t kHidpStatusInvalidReportLength = 0xC0110003u;
constexpr uint32_t kHidpStatusUsageNotFound = 0xC0110004u;
constexpr uint32_t kHidpStatusBufferTooSmall = 0xC0110007u;
constexpr uint32_t kHidpStatusIncompatibleReportId = 0xC011000Au;

// HIDP_REPORT_TYPE.
enum class HidReportType : int32_t { Input = 0, Output = 1, Feature = 2 };

constexpr uint16_t kHidUsagePageButton = 0x09;

// HIDD_ATTRIBUTES (its size field is set by the backend).
struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

// The parts of HIDP_CAPS that the system reads.
struct HidCaps {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberLinkCollectionNodes = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
    uint16_t numberFeatureValueCaps = 0;
};

// The preparsed data of a HID interface: opaque, owned by the backend
// until FreePreparsedData.
using HidPreparsedData = void*;

class IHid {
public:
    virtual ~IHid() = default;

    // HidD_GetHidGuid: the HID device interface class.
    virtual Guid GetHidGuid() = 0;

    // HidD_GetAttributes.
    virtual bool GetAttributes(Handle device, HidAttributes* attributes) = 0;
    // HidD_GetPreparsedData / HidD_FreePreparsedData.
    virtual bool GetPreparsedData(Handle device, HidPreparsedData* data) = 0;
    virtual bool FreePreparsedData(HidPreparsedData data) = 0;
    // HidP_GetCaps: a HID status.
    virtual uint32_t GetCaps(HidPreparsedData data, HidCaps* caps) = 0;
    // HidP_MaxUsageListLength: the most usages of the page that one report
    // of the type can hold (0 for a page the reports do not have).
    virtual uint32_t MaxUsageListLength(HidReportType type, uint16_t usagePage,
                                        HidPreparsedData data) = 0;
    // HidP_GetUsages: the usages of the page that are on in report (a whole
    // report of the type, report id first).  *usageLength is the room in
    // usages on entry and the count found on return.  A HID status.
    virtual uint32_t GetUsages(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                               uint16_t* usages, uint32_t* usageLength, HidPreparsedData data,
                               const uint8_t* report, uint32_t reportLength) = 0;

    // HidD_SetFeature (report id first).  False with the last error set.
    virtual bool SetFeature(Handle device, const void* report, uint32_t length) = 0;
    // HidD_GetSerialNumberString: the serial into buffer, at most
    // bufferBytes bytes of wide characters (terminated when there is room).
    // False with the last error set when the device has none.
    virtual bool GetSerialNumberString(Handle device, wchar_t* buffer, uint32_t bufferBytes) = 0;
};

IHid& Hid();

// Preparsed data, freed through the port.
struct PreparsedDataTraits {
    using Value = HidPreparsedData;
    static constexpr Value None() { return nullptr; }
    static void Release(Value data) { Hid().FreePreparsedData(data); }
};
using ScopedPreparsedData = UniqueHandle<PreparsedDataTraits>;

}  // namespace Orv::Platform
