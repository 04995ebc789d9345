#include "plugin/core/device_enum.h"

#include "platform/device_interfaces.h"
#include "platform/sync.h"
#include "plugin/core/lower_case.h"
#include "plugin/core/trace.h"

namespace Orv::UTILITY {

int32_t EnumDeviceInterface(const Platform::Guid* interfaceClass, EnumDeviceInterfaceProc proc,
                            void* context, const wchar_t* filter) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    Platform::IDeviceInterfaces& interfaces = Platform::DeviceInterfaces();
    Platform::InterfaceList list = interfaces.OpenInterfaceList(*interfaceClass);
    if (list == nullptr) {
        WriteTrace(TRACE_LEVEL_FAILURE, TRACE_KEYWORD_UTILITY, TRACE_KIND_MESSAGE,
                   L"Failed in calling SetupDiGetClassDevs due to %d",
                   Platform::Sync().GetLastError());
        return 0;
    }
    for (uint32_t index = 0; interfaces.HasInterface(list, index); ++index) {
        uint32_t size = interfaces.GetInterfaceDetailSize(list, index);
        WriteTrace(TRACE_LEVEL_DETAIL, TRACE_KEYWORD_UTILITY, TRACE_KIND_MESSAGE,
                   L"The required byte size of the device path is %d", size);
        if (size == 0)
            continue;
        std::wstring path;
        if (!interfaces.GetInterfacePath(list, index, &path)) {
            WriteTrace(TRACE_LEVEL_FAILURE, TRACE_KEYWORD_UTILITY, TRACE_KIND_MESSAGE,
                       L"Failed in calling SetupDiGetDeviceInterfaceDetail due to %d",
                       Platform::Sync().GetLastError());
            interfaces.CloseInterfaceList(list);
            return 0;
        }
        std::wstring name = interfaces.GetPhysicalDeviceObjectName(list, index);
        if (proc(interfaceClass, ConvertStringToLower(path), ConvertStringToLower(name), context,
                 filter) == 0)
            break;
    }
    interfaces.CloseInterfaceList(list);
    return 1;
}

}  // namespace Orv::UTILITY
