// The other end of a device for the device I/O port tests: a fresh
// "device" at a path that the port opens, and its peer's side of the
// traffic.  On Windows a byte-mode named pipe stands in for the device (the
// port opens the client end, the peer holds the server end); on the
// simulation platform a loopback device on the virtual device bus.
//
// One thread at a time uses a peer; the port's requests on the device's
// path may run on any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Orv::PortTest {

class DevicePeer {
public:
    virtual ~DevicePeer() = default;

    // A fresh device that no other test uses; null when it cannot be made.
    static std::unique_ptr<DevicePeer> Create();

    // The path that the port's Open takes.
    virtual const std::wstring& Path() const = 0;
    // Sends bytes to the device's reader.  False when the device is gone.
    virtual bool Send(const std::vector<uint8_t>& bytes) = 0;
    // Everything the port wrote to the device so far, taken.
    virtual std::vector<uint8_t> Take() = 0;
    // Goes away (the pipe's server end closes; the loopback device is
    // unplugged): the device's requests in flight end with DisconnectError.
    virtual void Disconnect() = 0;
};

// The error that a request in flight ends with when the peer disconnects.
// An unplugged device reports ERROR_DEVICE_NOT_CONNECTED; a pipe cannot be
// unplugged, its server end closes instead, and that breaks the pipe.
#ifdef _WIN32
constexpr uint32_t kDisconnectError = 109;  // ERROR_BROKEN_PIPE
#else
constexpr uint32_t kDisconnectError = 1167;  // ERROR_DEVICE_NOT_CONNECTED
#endif

}  // namespace Orv::PortTest
