// The HID port on CreateFileW, hid.dll and overlapped ReadFile.
#include "platform/hid.h"

#include "platform/win32/win32.h"

extern "C" {
#include <hidsdi.h>
}

namespace Orv::Platform {

static_assert(sizeof(OVERLAPPED) <= sizeof(Overlapped::opaque));
static_assert(kHidpStatusSuccess == static_cast<uint32_t>(HIDP_STATUS_SUCCESS));
static_assert(kErrorIoPending == ERROR_IO_PENDING && kErrorIoIncomplete == ERROR_IO_INCOMPLETE);
static_assert(static_cast<int>(HidReportType::Input) == HidP_Input &&
              static_cast<int>(HidReportType::Feature) == HidP_Feature);

namespace {

OVERLAPPED* Native(Overlapped* overlapped) {
    auto* native = reinterpret_cast<OVERLAPPED*>(overlapped->opaque);
    native->hEvent = overlapped->event;
    return native;
}

class Win32Hid final : public IHid {
public:
    Guid GetHidGuid() override {
        GUID guid;
        ::HidD_GetHidGuid(&guid);
        Guid out;
        memcpy(&out, &guid, sizeof out);
        return out;
    }

    Handle OpenDevice(const wchar_t* path, bool overlapped) override {
        HANDLE device = ::CreateFileW(
            path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
            OPEN_EXISTING, overlapped ? FILE_FLAG_OVERLAPPED : FILE_ATTRIBUTE_NORMAL, nullptr);
        return device == INVALID_HANDLE_VALUE ? nullptr : device;
    }

    bool CloseDevice(Handle device) override { return ::CloseHandle(device) != FALSE; }

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

    bool ReadFile(Handle device, void* buffer, uint32_t bytes, Overlapped* overlapped) override {
        return ::ReadFile(device, buffer, bytes, nullptr, Native(overlapped)) != FALSE;
    }

    bool GetOverlappedResult(Handle device, Overlapped* overlapped, uint32_t* transferred,
                             bool wait) override {
        DWORD n = 0;
        BOOL done = ::GetOverlappedResult(device, Native(overlapped), &n, wait);
        if (transferred != nullptr)
            *transferred = n;
        return done != FALSE;
    }

    // Every read on the handle, whichever thread issued it: a panel's read
    // is issued on the frame thread and may be cancelled on the message
    // thread.
    bool CancelIo(Handle device) override { return ::CancelIoEx(device, nullptr) != FALSE; }
};

}  // namespace

IHid& Hid() {
    static IHid* hid = new Win32Hid;
    return *hid;
}

}  // namespace Orv::Platform
