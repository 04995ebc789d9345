// Basic types shared by every port: handles, GUIDs and the Windows numbers
// that the core prints and compares.
#pragma once

#include <cstdint>

namespace Orv::Platform {

// An opaque kernel object handle, as the Windows HANDLE: events, threads and
// named events share one handle space.  Null is "no handle".
using Handle = void*;

// Binary layout of a Windows GUID.
struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i])
            return false;
    return true;
}

// Time-outs and wait results.
constexpr uint32_t kInfinite = 0xFFFFFFFFu;
constexpr uint32_t kWaitObject0 = 0;
constexpr uint32_t kWaitAbandoned0 = 0x80;
constexpr uint32_t kWaitTimeout = 258;
constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;
constexpr uint32_t kMaximumWaitObjects = 64;

// Windows error codes the core and the backends use.
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorTimeout = 1460;
constexpr uint32_t kErrorNotOwner = 288;

// Event access right: all access (EVENT_ALL_ACCESS).
constexpr uint32_t kEventAllAccess = 0x1F0003;

// HRESULTs.
constexpr int32_t kSOk = 0;
constexpr int32_t kSFalse = 1;
constexpr int32_t kEFail = static_cast<int32_t>(0x80004005u);
constexpr int32_t kEInvalidArg = static_cast<int32_t>(0x80070057u);
inline bool Failed(int32_t hr) {
    return hr < 0;
}

}  // namespace Orv::Platform
