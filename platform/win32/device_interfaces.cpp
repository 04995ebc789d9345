// The device-interface port on SetupAPI.
#include "platform/device_interfaces.h"

#include <new>
#include <vector>

#include "platform/win32/win32.h"

#include <setupapi.h>

namespace Orv::Platform {

namespace {

struct List {
    HDEVINFO set;
    GUID guid;
    // The device info element of the member whose path was read last.
    DWORD detailIndex = 0xFFFFFFFFu;
    SP_DEVINFO_DATA device{};
};

GUID ToGuid(const Guid& g) {
    GUID out;
    static_assert(sizeof(GUID) == sizeof(Guid));
    memcpy(&out, &g, sizeof out);
    return out;
}

bool Member(List* list, uint32_t index, SP_DEVICE_INTERFACE_DATA* data) {
    data->cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
    return ::SetupDiEnumDeviceInterfaces(list->set, nullptr, &list->guid, index, data) != FALSE;
}

class Win32DeviceInterfaces final : public IDeviceInterfaces {
public:
    InterfaceList OpenInterfaceList(const Guid& interfaceClass) override {
        GUID guid = ToGuid(interfaceClass);
        HDEVINFO set =
            ::SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE)
            return nullptr;
        auto* list = new (std::nothrow) List{set, guid};
        if (list == nullptr) {
            ::SetupDiDestroyDeviceInfoList(set);
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        }
        return list;
    }

    bool HasInterface(InterfaceList list, uint32_t index) override {
        SP_DEVICE_INTERFACE_DATA data;
        return list != nullptr && Member(static_cast<List*>(list), index, &data);
    }

    uint32_t GetInterfaceDetailSize(InterfaceList list, uint32_t index) override {
        SP_DEVICE_INTERFACE_DATA data;
        if (list == nullptr || !Member(static_cast<List*>(list), index, &data))
            return 0;
        DWORD required = 0;
        ::SetupDiGetDeviceInterfaceDetailW(static_cast<List*>(list)->set, &data, nullptr, 0,
                                           &required, nullptr);
        return required;
    }

    bool GetInterfacePath(InterfaceList list, uint32_t index, std::wstring* path) override {
        auto* l = static_cast<List*>(list);
        if (path != nullptr)
            path->clear();
        SP_DEVICE_INTERFACE_DATA data;
        if (l == nullptr || path == nullptr || !Member(l, index, &data))
            return false;
        DWORD required = 0;
        ::SetupDiGetDeviceInterfaceDetailW(l->set, &data, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        std::vector<unsigned char> buffer(required, 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!::SetupDiGetDeviceInterfaceDetailW(l->set, &data, detail, required, nullptr, &device))
            return false;
        *path = detail->DevicePath;
        l->detailIndex = index;
        l->device = device;
        return true;
    }

    std::wstring GetPhysicalDeviceObjectName(InterfaceList list, uint32_t index) override {
        auto* l = static_cast<List*>(list);
        if (l == nullptr)
            return {};
        if (l->detailIndex != index) {
            std::wstring path;
            if (!GetInterfacePath(list, index, &path))
                return {};
        }
        DWORD size = 0;
        ::SetupDiGetDeviceRegistryPropertyW(l->set, &l->device, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME,
                                            nullptr, nullptr, 0, &size);
        if (size == 0)
            return {};
        std::vector<wchar_t> name(size / sizeof(wchar_t) + 1, L'\0');
        ::SetupDiGetDeviceRegistryPropertyW(l->set, &l->device, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME,
                                            nullptr, reinterpret_cast<PBYTE>(name.data()), size,
                                            nullptr);
        return std::wstring(name.data());
    }

    void CloseInterfaceList(InterfaceList list) override {
        auto* l = static_cast<List*>(list);
        if (l == nullptr)
            return;
        ::SetupDiDestroyDeviceInfoList(l->set);
        delete l;
    }
};

}  // namespace

IDeviceInterfaces& DeviceInterfaces() {
    static IDeviceInterfaces* interfaces = new Win32DeviceInterfaces;
    return *interfaces;
}

}  // namespace Orv::Platform
