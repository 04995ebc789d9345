#include "plugin/devices/panel.h"

#include <algorithm>

#include "platform/sync.h"
#include "plugin/core/aircraft_settings.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_PANEL;

uint32_t LastError() {
    return Platform::Sync().GetLastError();
}

void Failure(const wchar_t* format, auto... args) {
    WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE, format, args...);
}

}  // namespace

CPanel::CPanel(const std::wstring& path)
    : devicePath(path), bindings(CSimBindings::Instance()), aircraftSettings(&AircraftSettings) {
    ORV_TRACE_SCOPE(kKeyword);
}

CPanel::~CPanel() {
    ORV_TRACE_SCOPE(kKeyword);
    // Normally Uninitialize has run; after a failed Initialize it has not,
    // and what was acquired is released here.
    ReleaseReadResources();
    devicePath.clear();
    buttonStates.clear();
    usageList.clear();
    // The handles close with the members, the overlapped one first.
}

void CPanel::OnInitialize() {
    ORV_TRACE_SCOPE(kKeyword);
}
void CPanel::OnUninitialize() {
    ORV_TRACE_SCOPE(kKeyword);
}
void CPanel::OnNotify() {
    ORV_TRACE_SCOPE(kKeyword);
}
void CPanel::OnButton(uint16_t /*usage*/, int32_t /*on*/) {
    ORV_TRACE_SCOPE(kKeyword);
}

void CPanel::RegisterButtons(uint16_t first, uint16_t last) {
    for (uint32_t usage = first; usage <= last; ++usage)
        buttonStates[static_cast<uint16_t>(usage)] = 0;
}

bool CPanel::Initialize() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::IHid& hid = Platform::Hid();
    Platform::IDeviceIo& io = Platform::DeviceIo();

    Platform::ScopedDevice device(io.Open(devicePath.c_str(), false));
    if (!device) {
        Failure(L"Failed in creating the non overlapped device %s due to %d", devicePath.c_str(),
                LastError());
        return false;
    }
    deviceHandle = std::move(device);

    device.reset(io.Open(devicePath.c_str(), true));
    if (!device) {
        Failure(L"Failed in creating the overlapped device %s due to %d", devicePath.c_str(),
                LastError());
        return false;
    }
    overlappedHandle = std::move(device);

    preparsedData.reset();
    Platform::HidPreparsedData data = nullptr;
    if (!hid.GetPreparsedData(deviceHandle.get(), &data)) {
        Failure(L"Failed in retrieving HID report descriptor due to: %d", LastError());
        return false;
    }
    preparsedData.reset(data);

    usageList.assign(hid.MaxUsageListLength(Platform::HidReportType::Input,
                                            Platform::kHidUsagePageButton, preparsedData.get()),
                     0);

    Platform::HidCaps caps;
    uint32_t status = hid.GetCaps(preparsedData.get(), &caps);
    if (status != Platform::kHidpStatusSuccess) {
        Failure(L"Failed in calling HidP_GetCaps due to 0x%x", status);
        return false;
    }
    inputReportLength = caps.inputReportByteLength;
    if (inputReportLength != 0)
        inputReport.assign(inputReportLength, 0);

    // A read in flight on the previous handles is cancelled and collected.
    read = std::make_unique<COverlappedRequest>(COverlappedRequest::Reset::Manual);
    if (!read->Valid()) {
        Failure(L"Failed in creating the event for overlapped reading due to %d", read->Error());
        read.reset();
        return false;
    }

    OnInitialize();
    return true;
}

void CPanel::CancelPendingRead() {
    ORV_TRACE_SCOPE(kKeyword);
    if (read == nullptr || !read->InFlight() || !overlappedHandle)
        return;
    // The device may still write into inputReport and the read's block
    // until the cancelled read has been collected.
    read->Cancel();
}

void CPanel::ReleaseReadResources() {
    ORV_TRACE_SCOPE(kKeyword);
    CancelPendingRead();
    preparsedData.reset();
    read.reset();
}

void CPanel::Uninitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    OnUninitialize();
    ReleaseReadResources();
}

void CPanel::Notify() {
    ORV_TRACE_SCOPE(kKeyword);
    if (PeekReport())
        ParseReport();
    OnNotify();
}

bool CPanel::PeekReport() {
    ORV_TRACE_SCOPE(kKeyword);
    if (inputReportLength == 0 || !overlappedHandle || read == nullptr)
        return false;
    Platform::Handle device = overlappedHandle.get();

    COverlappedRequest::Status status = COverlappedRequest::Status::Pending;
    if (!read->InFlight()) {
        status =
            read->StartRead(device, inputReport.data(), static_cast<uint32_t>(inputReport.size()));
        if (status == COverlappedRequest::Status::Failed) {
            Failure(L"Failed in reading the data from the panel due to %d", read->Error());
            // Every request on the handle: the panel may be replaced from
            // another thread.
            Platform::DeviceIo().CancelIoEx(device, nullptr);
            return false;
        }
    }

    if (status == COverlappedRequest::Status::Pending)
        status = read->Poll();
    if (status == COverlappedRequest::Status::Pending)
        return false;
    if (status == COverlappedRequest::Status::Failed) {
        Failure(L"Failed in calling GetOverlappedResult due to %d", read->Error());
        Platform::DeviceIo().CancelIoEx(device, nullptr);
        return false;
    }
    uint32_t transferred = read->Transferred();
    // A report of another length than the device declared is not parsed:
    // the rest of the buffer would be the bytes of an older report.
    if (transferred != inputReportLength) {
        Failure(L"Failed in reading a whole input report: %d of %d bytes", transferred,
                static_cast<uint32_t>(inputReportLength));
        return false;
    }
    return true;
}

void CPanel::ParseReport() {
    ORV_TRACE_SCOPE(kKeyword);
    TraceHexDump(inputReport.data(), static_cast<uint32_t>(inputReport.size()));

    uint32_t count = static_cast<uint32_t>(usageList.size());
    uint32_t status = Platform::Hid().GetUsages(
        Platform::HidReportType::Input, Platform::kHidUsagePageButton, 0, usageList.data(), &count,
        preparsedData.get(), inputReport.data(), static_cast<uint32_t>(inputReport.size()));
    if (status != Platform::kHidpStatusSuccess) {
        Failure(L"Failed in getting the buttons on list due to 0x%x", status);
        return;
    }
    // The buttons that are down, sorted in place: the list was sized once
    // at Initialize, so parsing allocates nothing.
    if (count > usageList.size())
        count = static_cast<uint32_t>(usageList.size());
    auto down = usageList.begin();
    auto downEnd = down + count;
    std::sort(down, downEnd);

    for (auto& [usage, state] : buttonStates) {
        bool on = std::binary_search(down, downEnd, usage);
        if (on && state == 0) {
            state = 1;
            WriteTrace(TRACE_LEVEL_DETAIL, kKeyword, TRACE_KIND_MESSAGE, L"The button [0x%x] is On",
                       static_cast<uint32_t>(usage));
            OnButton(usage, 1);
        } else if (!on && state == 1) {
            state = 0;
            WriteTrace(TRACE_LEVEL_DETAIL, kKeyword, TRACE_KIND_MESSAGE,
                       L"The button [0x%x] is Off", static_cast<uint32_t>(usage));
            OnButton(usage, 0);
        }
    }
}

void CPanel::SendReport(const uint8_t* report, uint32_t length) {
    ORV_TRACE_SCOPE(kKeyword);
    if (!Platform::Hid().SetFeature(deviceHandle.get(), report, length))
        Failure(L"Failed in sending the SET_FEATURE due to %d", LastError());
}

std::wstring CPanel::GetSerialNumberString() {
    ORV_TRACE_SCOPE(kKeyword);
    constexpr uint32_t kCharacters = 127;
    wchar_t serial[kCharacters] = {};
    // One character fewer than the buffer holds: the text stays terminated.
    if (!Platform::Hid().GetSerialNumberString(deviceHandle.get(), serial,
                                               (kCharacters - 1) * sizeof(wchar_t))) {
        Failure(L"Failed in retrieving HID serial number string due to: %d but ignore this error",
                LastError());
        return std::wstring();
    }
    serial[kCharacters - 1] = L'\0';
    WriteTrace(TRACE_LEVEL_EVENT, kKeyword, TRACE_KIND_MESSAGE,
               L"The serial number string associated with the panel %s is %s", devicePath.c_str(),
               serial);
    return std::wstring(serial);
}

}  // namespace Orv
