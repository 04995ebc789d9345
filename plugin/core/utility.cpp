#include "plugin/core/utility.h"

#include <cstdio>
#include <vector>

#include "common/handover_events.h"
#include "platform/device_interfaces.h"
#include "platform/keyboard.h"
#include "platform/known_folders.h"
#include "platform/named_events.h"
#include "platform/sync.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"

namespace Orv::UTILITY {

void PauseResumeGlassLinkService(bool pause) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    Platform::Handle event = Platform::NamedEvents().OpenEvent(
        Platform::kEventAllAccess, false, pause ? kPauseEventName : kResumeEventName);
    if (event == nullptr)
        return;  // the service program is not there
    Platform::Sync().SetEvent(event);
    Platform::Sync().CloseHandle(event);
}

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

template <typename Text>
static Text LowerAscii(const Text& text) {
    Text lower(text);
    for (auto& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<typename Text::value_type>(c - 'A' + 'a');
    return lower;
}

std::wstring ConvertStringToLower(const std::wstring& text) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    return LowerAscii(text);
}

std::string ConvertStringToLower(const std::string& text) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    return LowerAscii(text);
}

int32_t TruncateToInt(float value) {
    if (value != value)
        return 0;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

std::string ConvertIntValueToString(int32_t value, int32_t format) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    // snprintf cuts to size - 1 characters and terminates, as the bounded
    // print of the displays' texts must.
    char text[7] = {};
    switch (format) {
        case 0:
            std::snprintf(text, 6, "%d", value);
            break;
        case 1:
            std::snprintf(text, 6, "%*d", 5, value);
            break;
        case 2:
            std::snprintf(text, 6, "%0*d", 5, value);
            text[0] = 0x7F;
            text[1] = 0x7F;
            break;
        case 3:
            std::snprintf(text, 6, "%0*d", 3, value);
            break;
        case 4:
            std::snprintf(text, 6, "%0*d", 5, value);
            text[0] = 0x7F;
            break;
        case 5:
            std::snprintf(text, 6, "%0*d", 4, value);
            break;
        case 6:
            std::snprintf(text, 7, "%.2f", static_cast<double>(static_cast<float>(value) / 100.0f));
            break;
        case 7:
            std::snprintf(text, 7, "%0*.1f", 6,
                          static_cast<double>(static_cast<float>(value) / 10.0f));
            break;
        default:
            break;
    }
    return std::string(text);
}

std::wstring GetProfileFolder() {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    std::wstring folder;
    int32_t result = Platform::KnownFolders().GetPublicDocumentsFolder(&folder);
    if (Platform::Failed(result)) {
        WriteTrace(TRACE_LEVEL_FAILURE, TRACE_KEYWORD_UTILITY, TRACE_KIND_MESSAGE,
                   L"Failed in calling SHGetKnownFolderPath due to 0x%x", result);
        return std::wstring();
    }
    return folder + L"\\Trimwise Profiles";
}

void SimulateInput(const std::string& keys, bool pressed) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
    const CSimBindings* bindings = CSimBindings::Instance();
    std::vector<Platform::KeyEvent> events;
    std::size_t begin = 0;
    for (;;) {
        std::size_t end = keys.find('+', begin);
        std::string name = "VK_";
        for (std::size_t i = begin; i < (end == std::string::npos ? keys.size() : end); ++i) {
            char c = keys[i];
            if (c == ' ')
                continue;
            name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        uint8_t code = bindings->GetVirtualKeyCodeByName(name.c_str());
        Platform::KeyEvent event = {};
        event.scanCode =
            static_cast<uint16_t>(Platform::Keyboard().MapVirtualKey(code, Platform::kMapVkToVsc));
        event.flags = pressed ? Platform::kKeyEventScanCode
                              : Platform::kKeyEventScanCode | Platform::kKeyEventKeyUp;
        events.push_back(event);
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    Platform::Keyboard().SendInput(events.data(), static_cast<uint32_t>(events.size()));
}

}  // namespace Orv::UTILITY
