// The HID panel base: opens a device's HID interface, keeps one overlapped
// input read in flight, turns input reports into button on/off events and
// sends feature reports.  Derived panels register the Button-page usages
// they handle in buttonStates (in OnInitialize) and act in OnButton and
// OnNotify.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/device_io.h"
#include "platform/hid.h"
#include "platform/types.h"
#include "plugin/devices/overlapped_request.h"

namespace Orv {

class CSimBindings;
struct AircraftSettingsRecord;

class CPanel {
public:
    explicit CPanel(const std::wstring& devicePath);
    // Closes both device handles (cancelling a read still in flight and
    // releasing what a failed Initialize left behind).
    virtual ~CPanel();

    // The hooks, in this order: after a successful Initialize; first in
    // Uninitialize; every frame; once per registered button that changed.
    virtual void OnInitialize();
    virtual void OnUninitialize();
    virtual void OnNotify();
    virtual void OnButton(uint16_t usage, int32_t on);

    CPanel(const CPanel&) = delete;
    CPanel& operator=(const CPanel&) = delete;

    // Opens and prepares the device, then OnInitialize.  False (with a
    // level-1 line) when the device cannot be used.
    bool Initialize();
    // OnUninitialize; a read in flight is cancelled and its end awaited;
    // the preparsed data and the read event are released.
    void Uninitialize();
    // One frame: collect an input report and parse it, then OnNotify.
    void Notify();
    // Keeps one overlapped read in flight: true when a whole input report is
    // in inputReport.
    bool PeekReport();
    // inputReport into OnButton calls, in ascending usage order.
    void ParseReport();
    // One feature report (report id first), sent synchronously.
    void SendReport(const uint8_t* report, uint32_t length);
    // The HID serial number string; empty when the device has none.
    std::wstring GetSerialNumberString();

    const std::wstring& GetDevicePath() const { return devicePath; }

protected:
    // Registers the usages first to last, each off.
    void RegisterButtons(uint16_t first, uint16_t last);

    // The synchronous handle (attributes, feature reports, serial) and the
    // overlapped one of the input read, closed after the read (declared
    // before it).
    Platform::ScopedDevice deviceHandle;
    Platform::ScopedDevice overlappedHandle;
    uint16_t inputReportLength = 0;
    Platform::ScopedPreparsedData preparsedData;
    std::vector<uint16_t> usageList;
    std::map<uint16_t, int32_t> buttonStates;
    // The buffer of the input read, declared before the read.
    std::vector<uint8_t> inputReport;
    // The input read, one at a time; its event is made by Initialize.
    std::unique_ptr<COverlappedRequest> read;
    std::wstring devicePath;
    CSimBindings* bindings = nullptr;
    AircraftSettingsRecord* aircraftSettings = nullptr;

private:
    void CancelPendingRead();
    // Cancels the read and frees the preparsed data and the read's event.
    void ReleaseReadResources();
};

}  // namespace Orv
