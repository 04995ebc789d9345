// The keyboard port: scan codes of a US PC/AT keyboard (scan code set 1) and
// recording of injected key events.
#include <mutex>
#include <vector>

#include "platform/keyboard.h"
#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_platform.h"
#include "platform/sync.h"

namespace Orv::Sim {
namespace {

constexpr uint32_t kMapVscToVk = 1;
constexpr uint32_t kMapVkToChar = 2;
constexpr uint32_t kMapVscToVkEx = 3;

// Virtual key to set-1 scan code; 0 for keys without one.  Extended keys
// (arrows, the navigation block, right-hand modifiers) report the code
// without their E0 prefix, as MapVirtualKey does.
struct KeyTable {
    uint16_t scan[256] = {};

    constexpr KeyTable() {
        struct Pair {
            uint8_t vk;
            uint8_t scan;
        };
        constexpr Pair pairs[] = {
            {0x03, 0x46},                                            // VK_CANCEL (Ctrl+Break)
            {0x08, 0x0E}, {0x09, 0x0F}, {0x0C, 0x4C}, {0x0D, 0x1C},  // back, tab, clear, return
            {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38},                // shift, control, menu
            {0x13, 0x45}, {0x14, 0x3A}, {0x1B, 0x01}, {0x20, 0x39},  // pause, caps, esc, space
            {0x21, 0x49}, {0x22, 0x51}, {0x23, 0x4F}, {0x24, 0x47},  // prior, next, end, home
            {0x25, 0x4B}, {0x26, 0x48}, {0x27, 0x4D}, {0x28, 0x50},  // arrows
            {0x2C, 0x54}, {0x2D, 0x52}, {0x2E, 0x53},                // snapshot, insert, delete
            {'0', 0x0B},  {'1', 0x02},  {'2', 0x03},  {'3', 0x04},  {'4', 0x05},  {'5', 0x06},
            {'6', 0x07},  {'7', 0x08},  {'8', 0x09},  {'9', 0x0A},  {'A', 0x1E},  {'B', 0x30},
            {'C', 0x2E},  {'D', 0x20},  {'E', 0x12},  {'F', 0x21},  {'G', 0x22},  {'H', 0x23},
            {'I', 0x17},  {'J', 0x24},  {'K', 0x25},  {'L', 0x26},  {'M', 0x32},  {'N', 0x31},
            {'O', 0x18},  {'P', 0x19},  {'Q', 0x10},  {'R', 0x13},  {'S', 0x1F},  {'T', 0x14},
            {'U', 0x16},  {'V', 0x2F},  {'W', 0x11},  {'X', 0x2D},  {'Y', 0x15},  {'Z', 0x2C},
            {0x5B, 0x5B}, {0x5C, 0x5C}, {0x5D, 0x5D}, {0x5F, 0x5F},  // windows keys, apps, sleep
            {0x60, 0x52}, {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B},  // numpad 0-4
            {0x65, 0x4C}, {0x66, 0x4D}, {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49},  // numpad 5-9
            {0x6A, 0x37}, {0x6B, 0x4E}, {0x6D, 0x4A}, {0x6E, 0x53}, {0x6F, 0x35},  // * + - . /
            {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E}, {0x74, 0x3F},  // F1-F5
            {0x75, 0x40}, {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44},  // F6-F10
            {0x7A, 0x57}, {0x7B, 0x58},                                            // F11, F12
            {0x7C, 0x64}, {0x7D, 0x65}, {0x7E, 0x66}, {0x7F, 0x67}, {0x80, 0x68},  // F13-F17
            {0x81, 0x69}, {0x82, 0x6A}, {0x83, 0x6B}, {0x84, 0x6C}, {0x85, 0x6D},  // F18-F22
            {0x86, 0x6E}, {0x87, 0x76},                                            // F23, F24
            {0x90, 0x45}, {0x91, 0x46},                                            // num, scroll
            {0xA0, 0x2A}, {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x1D}, {0xA4, 0x38}, {0xA5, 0x38},
            {0xBA, 0x27}, {0xBB, 0x0D}, {0xBC, 0x33}, {0xBD, 0x0C}, {0xBE, 0x34},  // ; = , - .
            {0xBF, 0x35}, {0xC0, 0x29}, {0xDB, 0x1A}, {0xDC, 0x2B}, {0xDD, 0x1B},  // / ` [ \ ]
            {0xDE, 0x28}, {0xE2, 0x56},                                            // ' and <>
        };
        for (const Pair& p : pairs)
            scan[p.vk] = p.scan;
    }
};

constexpr KeyTable kKeys;

// The unshifted character of a virtual key on the US layout; 0 for none.
uint32_t KeyChar(uint32_t vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return vk;
    switch (vk) {
        case 0x08:
            return 0x08;
        case 0x09:
            return 0x09;
        case 0x0D:
            return 0x0D;
        case 0x1B:
            return 0x1B;
        case 0x20:
            return ' ';
        case 0x6A:
            return '*';
        case 0x6B:
            return '+';
        case 0x6D:
            return '-';
        case 0x6E:
            return '.';
        case 0x6F:
            return '/';
        case 0xBA:
            return ';';
        case 0xBB:
            return '=';
        case 0xBC:
            return ',';
        case 0xBD:
            return '-';
        case 0xBE:
            return '.';
        case 0xBF:
            return '/';
        case 0xC0:
            return '`';
        case 0xDB:
            return '[';
        case 0xDC:
            return '\\';
        case 0xDD:
            return ']';
        case 0xDE:
            return '\'';
        case 0xE2:
            return '\\';
        default:
            return 0;
    }
}

// Scan code to virtual key: the first key in table order, which gives the
// main block's keys before the numpad and the side-neutral modifiers
// (VK_SHIFT) before the left and right ones, except for the right shift.
uint32_t ScanToKey(uint32_t scan, bool sided) {
    if (scan == 0 || scan > 0xFF)
        return 0;
    if (sided) {
        if (scan == 0x2A)
            return 0xA0;
        if (scan == 0x1D)
            return 0xA2;
        if (scan == 0x38)
            return 0xA4;
    }
    if (scan == 0x36)
        return 0xA1;
    static const uint32_t order[] = {0x10, 0x11, 0x12};
    for (uint32_t vk : order)
        if (kKeys.scan[vk] == scan)
            return vk;
    for (uint32_t vk = 1; vk < 0x60; ++vk)
        if (kKeys.scan[vk] == scan)
            return vk;
    for (uint32_t vk = 0x6A; vk < 256; ++vk)
        if (kKeys.scan[vk] == scan && (vk < 0xA0 || vk > 0xA5))
            return vk;
    return 0;
}

struct InputLog {
    std::mutex mu;
    std::vector<Platform::KeyEvent> recorded;
    InputObserver observer;
};

InputLog& Log() {
    static InputLog* log = new InputLog;
    return *log;
}

class SimKeyboard final : public Platform::IKeyboard {
public:
    uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) override {
        switch (mapType) {
            case Platform::kMapVkToVsc:
                return code < 256 ? kKeys.scan[code] : 0;
            case kMapVscToVk:
                return ScanToKey(code, false);
            case kMapVkToChar:
                return KeyChar(code);
            case kMapVscToVkEx:
                return ScanToKey(code, true);
            default:
                return 0;
        }
    }

    uint32_t SendInput(const Platform::KeyEvent* events, uint32_t count) override {
        if (count == 0)
            return 0;
        if (!events) {
            Platform::Sync().SetLastError(Platform::kErrorInvalidParameter);
            return 0;
        }
        std::vector<Platform::KeyEvent> batch(events, events + count);
        InputObserver observer;
        {
            InputLog& log = Log();
            std::lock_guard lk(log.mu);
            log.recorded.insert(log.recorded.end(), batch.begin(), batch.end());
            observer = log.observer;
        }
        if (observer)
            observer(batch);
        return count;
    }
};

}  // namespace

void SetInputObserver(InputObserver observer) {
    InputLog& log = Log();
    std::lock_guard lk(log.mu);
    log.observer = std::move(observer);
}

std::vector<Platform::KeyEvent> TakeRecordedInput() {
    InputLog& log = Log();
    std::lock_guard lk(log.mu);
    std::vector<Platform::KeyEvent> taken;
    taken.swap(log.recorded);
    return taken;
}

void Detail::ResetKeyboard() {
    InputLog& log = Log();
    std::lock_guard lk(log.mu);
    log.recorded.clear();
    log.observer = nullptr;
}

}  // namespace Orv::Sim

namespace Orv::Platform {

IKeyboard& Keyboard() {
    static IKeyboard* keyboard = new Sim::SimKeyboard;
    return *keyboard;
}

}  // namespace Orv::Platform
