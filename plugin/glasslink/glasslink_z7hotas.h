// The joystick's MFD: three text lines and the shift indicator, written with
// device I/O control requests on the joystick's display interface.
//
// Requests are never waited for: IoSet issues one and keeps it in a queue
// while it runs; the next IoSet frees the ones that have ended, and
// Uninitialize cancels and collects the rest.  A line's words are sent only
// when they differ from the ones last accepted for that line.
//
// Threading and lifetime (see plugin/devices/glasslink.h): SetString runs on
// the flight-loop thread, Initialize and Uninitialize where the device
// manager creates and removes devices.  One lock of the object's own guards
// the handle, the caches and the queue, so every operation is safe against
// a concurrent or earlier Uninitialize: after it, requests fail (IoSet
// returns 0) and the caches stay as they were.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/device_io.h"
#include "platform/sync.h"
#include "plugin/devices/glasslink.h"
#include "plugin/devices/overlapped_request.h"

namespace Orv {

// The MFD's control codes (buffered method, any access, device type 0x22).
// SET_STRING takes a sequence of 4-byte MFD words; SET_SHIFT_INDICATOR a
// 32-bit value.
constexpr uint32_t IOCTL_Z7HOTAS_SET_STRING = 0x00223004;
constexpr uint32_t IOCTL_Z7HOTAS_SET_SHIFT_INDICATOR = 0x00223084;

// One MFD word as it goes to the device (little-endian): the 16-bit
// command, then the pair's second character (0 when there is none), then
// its first.
struct Z7HotasWord {
    uint16_t command = 0;
    uint8_t second = 0;
    uint8_t first = 0;

    friend bool operator==(const Z7HotasWord&, const Z7HotasWord&) = default;
};
static_assert(sizeof(Z7HotasWord) == 4);

// The clear and write commands of the MFD's lines 0 (top), 1 and 2.
struct Z7HotasLineCommands {
    uint16_t clear;
    uint16_t write;
};
inline constexpr std::array<Z7HotasLineCommands, 3> kZ7HotasLineCommands = {{
    {0x00D9, 0x00D1},
    {0x00DA, 0x00D2},
    {0x00DC, 0x00D4},
}};

// The words that show text on a line: the line's clear command, then one
// write word per pair of characters.  Empty for a line other than 0, 1, 2.
// The second form fills words in place, so that a buffer that is reused
// keeps its room.
std::vector<Z7HotasWord> Z7HotasLineWords(const std::string& text, uint8_t line);
void Z7HotasLineWords(const std::string& text, uint8_t line, std::vector<Z7HotasWord>* words);

class CGlassLinkZ7Hotas : public CGlassLink {
public:
    // No I/O.
    explicit CGlassLinkZ7Hotas(const std::wstring& path);
    ~CGlassLinkZ7Hotas() override;

    // Opens the display interface for overlapped I/O (closing one held
    // before), then sets the shift indicator.  False, with the failure
    // line, when the open fails.
    bool Initialize() override;
    // Cancels and frees the requests still pending.  The handle stays open
    // until Initialize or the destructor.
    void Uninitialize() override;

    // Shows text (single bytes, passed through) on line 0, 1 or 2; another
    // line number does nothing.  Sends nothing when the line already shows
    // it; after a failed request the line's cache keeps the old text, so the
    // next call sends again.
    void SetString(const std::string& text, uint8_t line);
    // Sets the shift indicator to 1.
    void SetShiftIndicator();
    // Issues one control request: 1 when it was accepted (completed at once
    // or pending), 0 when it failed.  The input is copied when the request
    // is issued.
    int32_t IoSet(uint32_t code, const void* buffer, uint32_t size);
    // Frees the queued requests that have ended.
    void CleanupCompletedIo();
    // Cancels the queued requests still running, collects and frees all.
    void CleanupIncompleteIo();

    // The requests queued (issued, not freed yet).
    size_t QueuedRequests() const;

private:
    void CleanupIncompleteIoLocked();

    Platform::ScopedLock lock;
    // Declared before the queue: the requests go first.
    Platform::ScopedDevice device;
    // Set by a successful Initialize, cleared by Uninitialize: requests are
    // issued only between the two.
    bool active = false;
    std::array<std::vector<Z7HotasWord>, 3> lineCaches;
    // The words of the text SetString is given, built here and swapped into
    // the line's cache when sent, so that a steady frame allocates nothing.
    std::vector<Z7HotasWord> words;
    std::list<std::unique_ptr<COverlappedRequest>> pending;
};

}  // namespace Orv
