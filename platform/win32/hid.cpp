// The HID port on hid.dll.
#include "platform/hid.h"

#include "platform/win32/win32.h"

extern "C" {
#include <hidsdi.h>
}

namespace Orv::Platform {

static_assert(kHidpStatusSuccess == static_cast<uint32_t>(HIDP_STATUS_SUCCESS));
static_assert(static_cast<int>(HidReportType::Input) == HidP_Input &&
              static_cast<int>(HidReportType::Feature) == HidP_Feature);

namespace {

class Win32Hid final : public IHid {
public:
    Guid GetHidGuid() override {
        GUID guid;
        ::HidD_GetHidGuid(&guid);
        Guid out;
        memcpy(&out, &guid, sizeof out);
        return out;
    }

    bool GetAttributes(Handle device, HidAttributes* attributes) override {
        HIDD_ATTRIBUTES native{};
        native.Size = sizeof native;
        if (!::HidD_GetAttributes(device, &native))
            return false;
        attributes->vendorId = native.VendorID;
        attributes->productId = native.ProductID;
        attributes->versionNumber = native.VersionNumber;
        return true;
    }

    bool GetPreparsedData(Handle device, HidPreparsedData* data) override {
        PHIDP_PREPARSED_DATA native = nullptr;
        if (!::HidD_GetPreparsedData(device, &native))
            return false;
        *data = native;
        return true;
    }

    bool FreePreparsedData(HidPreparsedData data) override {
        return ::HidD_FreePreparsedData(static_cast<PHIDP_PREPARSED_DATA>(data)) != FALSE;
    }

    uint32_t GetCaps(HidPreparsedData data, HidCaps* caps) override {
        HIDP_CAPS native{};
        NTSTATUS status = ::HidP_GetCaps(static_cast<PHIDP_PREPARSED_DATA>(data), &native);
        if (status == HIDP_STATUS_SUCCESS) {
            caps->usage = native.Usage;
            caps->usagePage = native.UsagePage;
            caps->inputReportByteLength = native.InputReportByteLength;
            caps->outputReportByteLength = native.OutputReportByteLength;
            caps->featureReportByteLength = native.FeatureReportByteLength;
            caps->numberLinkCollectionNodes = native.NumberLinkCollectionNodes;
            caps->numberInputButtonCaps = native.NumberInputButtonCaps;
            caps->numberInputValueCaps = native.NumberInputValueCaps;
            caps->numberFeatureValueCaps = native.NumberFeatureValueCaps;
        }
        return static_cast<uint32_t>(status);
    }

    uint32_t MaxUsageListLength(HidReportType type, uint16_t usagePage,
                                HidPreparsedData data) override {
        return ::HidP_MaxUsageListLength(static_cast<HIDP_REPORT_TYPE>(type), usagePage,
                                         static_cast<PHIDP_PREPARSED_DATA>(data));
    }

    uint32_t GetUsages(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                       uint16_t* usages, uint32_t* usageLength, HidPreparsedData data,
                       const uint8_t* report, uint32_t reportLength) override {
        ULONG length = *usageLength;
        NTSTATUS status =
            ::HidP_GetUsages(static_cast<HIDP_REPORT_TYPE>(type), usagePage, linkCollection, usages,
                             &length, static_cast<PHIDP_PREPARSED_DATA>(data),
                             reinterpret_cast<PCHAR>(const_cast<uint8_t*>(report)), reportLength);
        *usageLength = length;
        return static_cast<uint32_t>(status);
    }

    bool SetFeature(Handle device, const void* report, uint32_t length) override {
        return ::HidD_SetFeature(device, const_cast<void*>(report), length) != FALSE;
    }

    bool GetSerialNumberString(Handle device, wchar_t* buffer, uint32_t bufferBytes) override {
        return ::HidD_GetSerialNumberString(device, buffer, bufferBytes) != FALSE;
    }
};

}  // namespace

IHid& Hid() {
    static IHid* hid = new Win32Hid;
    return *hid;
}

}  // namespace Orv::Platform
