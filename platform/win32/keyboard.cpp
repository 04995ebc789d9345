// The keyboard port on MapVirtualKeyA and SendInput.
#include "platform/keyboard.h"

#include <new>
#include <stdexcept>
#include <vector>

#include "platform/win32/win32.h"

namespace Orv::Platform {

static_assert(kMapVkToVsc == MAPVK_VK_TO_VSC);
static_assert(kKeyEventExtendedKey == KEYEVENTF_EXTENDEDKEY);
static_assert(kKeyEventKeyUp == KEYEVENTF_KEYUP);
static_assert(kKeyEventUnicode == KEYEVENTF_UNICODE);
static_assert(kKeyEventScanCode == KEYEVENTF_SCANCODE);

namespace {

class Win32Keyboard final : public IKeyboard {
public:
    uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) override {
        return ::MapVirtualKeyA(code, mapType);
    }

    uint32_t SendInput(const KeyEvent* events, uint32_t count) override {
        if (count == 0)
            return 0;
        if (events == nullptr) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        std::vector<INPUT> inputs;
        try {
            inputs.resize(count);
        } catch (const std::bad_alloc&) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        } catch (const std::length_error&) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        for (uint32_t i = 0; i < count; ++i) {
            INPUT& input = inputs[i];
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = events[i].virtualKey;
            input.ki.wScan = events[i].scanCode;
            input.ki.dwFlags = events[i].flags;
            input.ki.time = events[i].time;
            input.ki.dwExtraInfo = events[i].extraInfo;
        }
        return ::SendInput(count, inputs.data(), sizeof(INPUT));
    }
};

}  // namespace

IKeyboard& Keyboard() {
    static Win32Keyboard instance;
    return instance;
}

}  // namespace Orv::Platform
