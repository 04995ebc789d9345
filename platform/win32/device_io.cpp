// The device I/O port on the kernel's file calls: CreateFileW, CloseHandle,
// DeviceIoControl, ReadFile, WriteFile, GetOverlappedResult,
// HasOverlappedIoCompleted, CancelIo and CancelIoEx.
#include "platform/device_io.h"

#include <cstddef>

#include "platform/win32/win32.h"

namespace Orv::Platform {

static_assert(sizeof(Handle) == sizeof(HANDLE));
static_assert(offsetof(Overlapped, opaque) == 0);
static_assert(sizeof(OVERLAPPED) <= sizeof(Overlapped::opaque));
static_assert(alignof(OVERLAPPED) <= alignof(Overlapped));
static_assert(kErrorInvalidData == ERROR_INVALID_DATA && kErrorGenFailure == ERROR_GEN_FAILURE);
static_assert(kErrorOperationAborted == ERROR_OPERATION_ABORTED);
static_assert(kErrorIoIncomplete == ERROR_IO_INCOMPLETE && kErrorIoPending == ERROR_IO_PENDING);
static_assert(kErrorDeviceNotConnected == ERROR_DEVICE_NOT_CONNECTED);
static_assert(kErrorNotFound == ERROR_NOT_FOUND);
static_assert(kErrorInvalidUserBuffer == ERROR_INVALID_USER_BUFFER);

namespace {

// The OVERLAPPED inside the port's block, with the caller's event; null for
// a synchronous request.
OVERLAPPED* Native(Overlapped* overlapped) {
    if (overlapped == nullptr)
        return nullptr;
    auto* native = reinterpret_cast<OVERLAPPED*>(overlapped->opaque);
    native->hEvent = overlapped->event;
    return native;
}

// The bytes moved by a request that completed at once.  On an overlapped
// request the count is taken from the block: the count argument may be
// written only for a synchronous one.
void Moved(OVERLAPPED* native, DWORD synchronous, uint32_t* out) {
    if (out != nullptr)
        *out = native != nullptr ? static_cast<uint32_t>(native->InternalHigh) : synchronous;
}

class Win32DeviceIo final : public IDeviceIo {
public:
    Handle Open(const wchar_t* path, bool overlapped) override {
        HANDLE device = ::CreateFileW(
            path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
            OPEN_EXISTING, overlapped ? FILE_FLAG_OVERLAPPED : FILE_ATTRIBUTE_NORMAL, nullptr);
        return device == INVALID_HANDLE_VALUE ? nullptr : device;
    }

    // CloseHandle alone would end a request in flight with whatever the
    // driver's clean-up gives it (a pipe, for one, breaks it): cancelled
    // first, every request ends with ERROR_OPERATION_ABORTED.  The
    // cancellation's own result (ERROR_NOT_FOUND with none in flight) is not
    // the caller's business.
    bool Close(Handle device) override {
        DWORD error = ::GetLastError();
        if (!::CancelIoEx(device, nullptr))
            ::SetLastError(error);
        return ::CloseHandle(device) != FALSE;
    }

    bool IoControl(Handle device, uint32_t code, const void* input, uint32_t inputBytes,
                   void* output, uint32_t outputBytes, uint32_t* returned,
                   Overlapped* overlapped) override {
        OVERLAPPED* native = Native(overlapped);
        DWORD n = 0;
        BOOL done = ::DeviceIoControl(device, code, const_cast<void*>(input), inputBytes, output,
                                      outputBytes, native != nullptr ? nullptr : &n, native);
        if (done)
            Moved(native, n, returned);
        return done != FALSE;
    }

    bool Read(Handle device, void* buffer, uint32_t bytes, uint32_t* transferred,
              Overlapped* overlapped) override {
        OVERLAPPED* native = Native(overlapped);
        DWORD n = 0;
        BOOL done = ::ReadFile(device, buffer, bytes, native != nullptr ? nullptr : &n, native);
        if (done)
            Moved(native, n, transferred);
        return done != FALSE;
    }

    bool Write(Handle device, const void* buffer, uint32_t bytes, uint32_t* transferred,
               Overlapped* overlapped) override {
        OVERLAPPED* native = Native(overlapped);
        DWORD n = 0;
        BOOL done = ::WriteFile(device, buffer, bytes, native != nullptr ? nullptr : &n, native);
        if (done)
            Moved(native, n, transferred);
        return done != FALSE;
    }

    bool GetOverlappedResult(Handle device, Overlapped* overlapped, uint32_t* transferred,
                             bool wait) override {
        DWORD n = 0;
        BOOL done = ::GetOverlappedResult(device, Native(overlapped), &n, wait);
        if (transferred != nullptr)
            *transferred = n;
        return done != FALSE;
    }

    bool HasCompleted(const Overlapped* overlapped) override {
        return HasOverlappedIoCompleted(reinterpret_cast<const OVERLAPPED*>(overlapped->opaque));
    }

    bool CancelIo(Handle device) override { return ::CancelIo(device) != FALSE; }

    bool CancelIoEx(Handle device, Overlapped* overlapped) override {
        return ::CancelIoEx(device, Native(overlapped)) != FALSE;
    }
};

}  // namespace

IDeviceIo& DeviceIo() {
    static IDeviceIo* io = new Win32DeviceIo;
    return *io;
}

}  // namespace Orv::Platform
