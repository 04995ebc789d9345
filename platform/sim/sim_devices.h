// Control surface of the simulation platform's virtual device bus, for the
// host program and the tests (never for the core).
//
// A virtual device is a HID interface (vendor and product id, serial
// number string, a report descriptor that the bus's parser answers caps and
// usage queries from) and, for the display devices, a second interface of a
// display class.  What a device does is its model (virtual_device.h); the
// models of the Avionex kinds are in sim/devices.  Plugging a device makes
// its interfaces present and sends arrival notices to the message windows
// registered for their classes; unplugging ends its requests in flight with
// ERROR_DEVICE_NOT_CONNECTED, makes it absent and sends removal notices
// (DBT_DEVICEREMOVECOMPLETE).  Input reports queue on the device (up to 32,
// the oldest dropped) until a read takes them.
//
// Device I/O never blocks but through the sync port's waits, so virtual
// time stays deterministic.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace Orv::Sim {

struct VirtualHidDevice {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0x0100;
    std::wstring serial;  // empty: the device has no serial number string
    std::vector<uint8_t> reportDescriptor;
    // A display interface besides the HID one, of this class.
    bool hasDisplayInterface = false;
    // false: the device has the display interface only.
    bool hasHidInterface = true;
    Platform::Guid displayClass = {};
};

// The report descriptor of a panel: one application collection with
// Button-page usages 1 to buttons as 1-bit input variables (padded to whole
// bytes) and a vendor-defined feature report of featureLength bytes, its
// report id included (none for 1 or less).
std::vector<uint8_t> PanelReportDescriptor(int buttons, int featureLength);

// 0 stands for no device.
using DeviceId = uint32_t;
// A request in flight on the bus (see virtual_device.h).
using RequestId = uint64_t;

class VirtualDevice;

// Plugs a device in; returns its id.  From a description: the generic
// model, a plain HID device.
DeviceId PlugDevice(const VirtualHidDevice& device);
DeviceId PlugDevice(std::shared_ptr<VirtualDevice> model);
// Unplugs it.  False for an unknown or already unplugged device.
bool UnplugDevice(DeviceId id);

// The interface paths as the bus lists them (mixed case, as Windows does),
// and the physical-device-object name that both interfaces share.
std::wstring HidInterfacePath(DeviceId id);
std::wstring DisplayInterfacePath(DeviceId id);
std::wstring PhysicalDeviceObjectName(DeviceId id);

// Presses (down) or releases usages of the Button page: the device sends
// one input report with every usage held down so far.  False when the
// device is absent or its reports have no Button-page fields.
bool SetButtons(DeviceId id, const std::vector<uint16_t>& usages, bool down);
// Sends raw bytes as one input report (any length: a report longer than
// the read's buffer ends the read with ERROR_INVALID_USER_BUFFER).
bool SendInputReport(DeviceId id, const std::vector<uint8_t>& report);

enum class DeviceFault {
    Open,       // every CreateFileW on the device (HID and display interface) fails with arg
    Read,       // the next input report read fails with arg
    Feature,    // the next HidD_SetFeature fails with arg
    Pending,    // every read completes only at its arg-th poll (0: off)
    Serial,     // the device has no serial number string (arg 0: it has again)
    IoControl,  // a display model's requests fail with arg when issued (0: off)
};
bool SetDeviceFault(DeviceId id, DeviceFault fault, uint32_t arg);

// A loopback device, as a byte-mode pipe with a peer: the display
// interface only (DisplayInterfacePath), opened for synchronous or
// overlapped I/O.  A write completes at once with all its bytes, which
// queue for LoopbackTake.  A read completes at once with what the peer has
// sent (at most the bytes asked), else stays pending until the peer sends:
// the pending reads, oldest first, take the bytes sent, the rest stays
// queued.  IoControl 0x0011400C (the pipe peek) with 16 bytes of output or
// more completes with four little-endian 32-bit words: 3, the bytes
// waiting, 0, 0; any other request fails with ERROR_INVALID_FUNCTION.
DeviceId PlugLoopbackDevice();
// The peer sends bytes.  False for a device that is not a plugged loopback.
bool LoopbackPush(DeviceId id, const std::vector<uint8_t>& bytes);
// The bytes written to the device so far, taken.
std::vector<uint8_t> LoopbackTake(DeviceId id);

// Told about every feature report that reached a device.
using FeatureObserver = std::function<void(DeviceId id, const std::vector<uint8_t>& report)>;
void SetFeatureObserver(FeatureObserver observer);
std::vector<std::vector<uint8_t>> TakeFeatureReports(DeviceId id);

// What the plugin holds on the bus: open device handles, preparsed data,
// interface lists and requests in flight.
struct DeviceBusUsage {
    int openHandles = 0;
    int preparsedData = 0;
    int interfaceLists = 0;
    int pendingReads = 0;  // every request in flight, reads or not
};
DeviceBusUsage BusUsage();
// Message windows that exist, and device notifications registered.
int MessageWindowCount();
int DeviceNotificationCount();

// Removes every device, handle, window and registration: a fresh bus.
// Reset does it too.
void ResetDevices();

}  // namespace Orv::Sim
