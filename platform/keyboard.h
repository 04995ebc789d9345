// Keyboard input: virtual key to scan code, and injection of key events
// into the foreground application.
#pragma once

#include <cstdint>

namespace Orv::Platform {

constexpr uint32_t kMapVkToVsc = 0;
constexpr uint32_t kKeyEventExtendedKey = 0x1;
constexpr uint32_t kKeyEventKeyUp = 0x2;
constexpr uint32_t kKeyEventUnicode = 0x4;
constexpr uint32_t kKeyEventScanCode = 0x8;

// One keyboard event, the fields of the Windows KEYBDINPUT.
struct KeyEvent {
    uint16_t virtualKey;
    uint16_t scanCode;
    uint32_t flags;
    uint32_t time;
    uintptr_t extraInfo;
};

class IKeyboard {
public:
    virtual ~IKeyboard() = default;
    // MapVirtualKeyA: with kMapVkToVsc the scan code of a virtual key, 0
    // when it has none.
    virtual uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) = 0;
    // SendInput with keyboard events: the number of events inserted.
    virtual uint32_t SendInput(const KeyEvent* events, uint32_t count) = 0;
};

IKeyboard& Keyboard();

}  // namespace Orv::Platform
