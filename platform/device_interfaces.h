// Enumeration of the present device interfaces of one interface class (the
// SetupAPI calls): an interface list, its members by index, each member's
// path and the physical-device-object name of its device.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace Orv::Platform {

// A list of present interfaces of one class, made by OpenInterfaceList.
using InterfaceList = void*;

class IDeviceInterfaces {
public:
    virtual ~IDeviceInterfaces() = default;

    // The present interfaces of the class (SetupDiGetClassDevsW with
    // DIGCF_PRESENT | DIGCF_DEVICEINTERFACE).  Null on failure; the last
    // error (sync port) tells why.
    virtual InterfaceList OpenInterfaceList(const Guid& interfaceClass) = 0;
    // Whether the list has a member at index (SetupDiEnumDeviceInterfaces);
    // false past the last one.
    virtual bool HasInterface(InterfaceList list, uint32_t index) = 0;
    // The byte size that the member's detail (its path) needs, as the first
    // SetupDiGetDeviceInterfaceDetailW call reports it: the fixed part of
    // the detail structure and the terminated wide path.  0 when the member
    // has no detail.
    virtual uint32_t GetInterfaceDetailSize(InterfaceList list, uint32_t index) = 0;
    // The member's device path (the second SetupDiGetDeviceInterfaceDetailW
    // call).  False on failure, with the last error set.
    virtual bool GetInterfacePath(InterfaceList list, uint32_t index, std::wstring* path) = 0;
    // The member's device registry property SPDRP_PHYSICAL_DEVICE_OBJECT_NAME;
    // empty when it cannot be read.
    virtual std::wstring GetPhysicalDeviceObjectName(InterfaceList list, uint32_t index) = 0;
    // SetupDiDestroyDeviceInfoList.
    virtual void CloseInterfaceList(InterfaceList list) = 0;
};

IDeviceInterfaces& DeviceInterfaces();

}  // namespace Orv::Platform
