// File I/O on a device interface path (kernel32: CreateFileW, CloseHandle,
// DeviceIoControl, ReadFile, WriteFile, GetOverlappedResult, CancelIo,
// CancelIoEx), with the Windows error codes that the core prints.
//
// A device is opened for synchronous or for overlapped I/O.  On a
// synchronous handle a request is passed no Overlapped block and returns
// when it has ended.  On an overlapped handle every request takes an
// Overlapped block: it either completes at once (true), or fails with
// kErrorIoPending while it runs, or fails with its own error.  A pending
// request is collected with GetOverlappedResult; until then (or until its
// cancellation has been collected) the caller keeps the block, the event
// in it and the buffers alive and unmoved.
#pragma once

#include <cstdint>

#include "platform/types.h"
#include "platform/unique_handle.h"

namespace Orv::Platform {

// Windows error codes of device I/O.
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorOperationAborted = 995;
constexpr uint32_t kErrorIoIncomplete = 996;
constexpr uint32_t kErrorIoPending = 997;
constexpr uint32_t kErrorDeviceNotConnected = 1167;
constexpr uint32_t kErrorNotFound = 1168;
constexpr uint32_t kErrorInvalidUserBuffer = 1784;

// The control block of one overlapped request, as OVERLAPPED: the caller
// sets event (an event of the sync port; may be null) before the request
// and zeroes opaque, which belongs to the backend, before each request.
struct Overlapped {
    alignas(8) unsigned char opaque[32] = {};
    Handle event = nullptr;
};

class IDeviceIo {
public:
    virtual ~IDeviceIo() = default;

    // CreateFileW on a device interface path: read and write access, shared
    // read and write, open existing, and FILE_FLAG_OVERLAPPED when
    // overlapped (else normal attributes).  Null on failure (Windows'
    // INVALID_HANDLE_VALUE), with the last error (sync port) set: 2 for a
    // path that is not there.
    virtual Handle Open(const wchar_t* path, bool overlapped) = 0;
    // CloseHandle on a handle of Open, the handle's requests still in flight
    // cancelled first: each ends with kErrorOperationAborted (unless it
    // completed before), its event is set and nothing is read into its
    // buffer.  The block and the buffer stay the caller's until that end has
    // come (the event, or HasCompleted); the request is not collected.
    virtual bool Close(Handle device) = 0;

    // DeviceIoControl with an input and an output buffer (either may be
    // null with 0 bytes).  returned receives the output bytes written when
    // the request completes at once.
    virtual bool IoControl(Handle device, uint32_t code, const void* input, uint32_t inputBytes,
                           void* output, uint32_t outputBytes, uint32_t* returned,
                           Overlapped* overlapped) = 0;
    // ReadFile and WriteFile.  transferred (may be null) receives the bytes
    // moved when the request completes at once.
    virtual bool Read(Handle device, void* buffer, uint32_t bytes, uint32_t* transferred,
                      Overlapped* overlapped) = 0;
    virtual bool Write(Handle device, const void* buffer, uint32_t bytes, uint32_t* transferred,
                       Overlapped* overlapped) = 0;

    // GetOverlappedResult: true with the bytes moved when the request has
    // completed; false with kErrorIoIncomplete while it runs (wait false),
    // or the request's own error (kErrorOperationAborted when cancelled).
    // With wait, blocks (through the sync port) until the request ends: on
    // the block's event, so a request to be waited for needs one (without
    // it Windows waits on the handle, which any of its requests may signal).
    virtual bool GetOverlappedResult(Handle device, Overlapped* overlapped, uint32_t* transferred,
                                     bool wait) = 0;
    // HasOverlappedIoCompleted: the block's status word no longer says
    // pending.  Does not collect the request.
    virtual bool HasCompleted(const Overlapped* overlapped) = 0;

    // CancelIo: the calling thread's requests on the handle.
    virtual bool CancelIo(Handle device) = 0;
    // CancelIoEx: the request of overlapped, or every request on the handle
    // when overlapped is null, whichever thread issued it.  False with
    // kErrorNotFound when there was none to cancel.
    virtual bool CancelIoEx(Handle device, Overlapped* overlapped) = 0;
};

IDeviceIo& DeviceIo();

// An opened device handle, closed through the port.
struct DeviceHandleTraits {
    using Value = Handle;
    static constexpr Value None() { return nullptr; }
    static void Release(Value device) { DeviceIo().Close(device); }
};
using ScopedDevice = UniqueHandle<DeviceHandleTraits>;

}  // namespace Orv::Platform
