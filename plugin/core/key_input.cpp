#include "plugin/core/key_input.h"

#include <cstdint>
#include <vector>

#include "platform/keyboard.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"

namespace Orv::UTILITY {

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
