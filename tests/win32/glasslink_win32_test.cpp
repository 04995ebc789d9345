// The joystick's MFD device and the data folder on the win32 backend (run
// under Wine).  Wine has no MFD: the server end of a byte-mode named pipe
// stands in for the display interface, and a pipe completes or fails every
// control request at once, and fails every one with no output room.  So what
// runs here is the request path up to the system's answer (open for
// overlapped I/O, DeviceIoControl with an OVERLAPPED block whose event the
// request owns, the failure dropped, nothing queued, the line cache kept)
// and the open failure.  A request that completes at once, one that stays
// pending, its reclaiming and its cancellation at Uninitialize need a device
// that takes the MFD's codes; they run against the simulation platform's
// virtual MFD (tests/unit/glasslink_z7hotas_test.cpp).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/module.h"
#include "platform/win32/win32.h"
#include "plugin/glasslink/glasslink_z7hotas.h"
#include "tests/ports/device_peer.h"

namespace Orv {
namespace {

// The pipe's peek, which completes at once with room for its answer; the
// MFD's requests have no output, so it fails too.
constexpr uint32_t kPipePeek = 0x0011400C;

TEST(Win32GlassLinkZ7Hotas, ControlRequestsOnAPipeFailAtOnceAndQueueNothing) {
    std::unique_ptr<PortTest::DevicePeer> peer = PortTest::DevicePeer::Create();
    ASSERT_NE(peer, nullptr);
    auto mfd = std::make_shared<CGlassLinkZ7Hotas>(peer->Path());
    // The shift request goes out at Initialize; the pipe refuses the MFD's
    // code (50, not supported), which the device drops silently.
    ASSERT_TRUE(mfd->Initialize());
    EXPECT_EQ(mfd->QueuedRequests(), 0u);

    uint8_t peek[16] = {};
    EXPECT_EQ(mfd->IoSet(kPipePeek, nullptr, 0), 0);
    EXPECT_EQ(mfd->IoSet(IOCTL_Z7HOTAS_SET_STRING, peek, 4), 0);
    // A failed set-string keeps nothing, so the same text is tried again.
    mfd->SetString("COM1", 0);
    mfd->SetString("COM1", 0);
    EXPECT_EQ(mfd->QueuedRequests(), 0u);
    EXPECT_TRUE(peer->Take().empty());  // control requests write nothing to the peer

    mfd->Uninitialize();
    EXPECT_EQ(mfd->IoSet(IOCTL_Z7HOTAS_SET_SHIFT_INDICATOR, peek, 4), 0);
    mfd.reset();
}

TEST(Win32GlassLinkZ7Hotas, AnOpenFailureLeavesTheDeviceUnusable) {
    CGlassLinkZ7Hotas mfd(L"\\\\.\\pipe\\orv-no-such-mfd");
    EXPECT_FALSE(mfd.Initialize());
    uint32_t value = 1;
    EXPECT_EQ(mfd.IoSet(IOCTL_Z7HOTAS_SET_SHIFT_INDICATOR, &value, 4), 0);
    mfd.SetString("X", 1);
    mfd.Uninitialize();
}

std::wstring OwnPath() {
    std::wstring path;
    EXPECT_EQ(Platform::Module().GetModuleFileName(reinterpret_cast<const void*>(&OwnPath), &path),
              0u);
    return path;
}

std::wstring WithoutLastComponent(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\'));
}

TEST(Win32GlassLink, TheDataFolderIsBesideTheModuleFolder) {
    std::wstring folder;
    EXPECT_TRUE(CGlassLink::GetConfigureFilePath(folder));
    EXPECT_EQ(folder, WithoutLastComponent(WithoutLastComponent(OwnPath())) + L"\\data\\");
}

TEST(Win32GlassLink, AModulePathLongerThanMaxPathGivesTheWholeFolder) {
    // The probe module, which holds the core's lookup, loaded from a folder
    // far beyond MAX_PATH.
    std::wstring probe = WithoutLastComponent(OwnPath()) + L"\\orv_glasslink_probe.dll";
    wchar_t temp[MAX_PATH];
    ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring root = std::wstring(L"\\\\?\\") + temp + L"orv-glasslink-" +
                        std::to_wstring(::GetCurrentProcessId());
    std::vector<std::wstring> made = {root};
    for (int i = 0; i < 10; ++i)
        made.push_back(made.back() + L"\\" + std::wstring(60, static_cast<wchar_t>(L'a' + i)));
    made.push_back(made.back() + L"\\64");
    for (const std::wstring& dir : made)
        ASSERT_TRUE(::CreateDirectoryW(dir.c_str(), nullptr)) << ::GetLastError();
    std::wstring copy = made.back() + L"\\probe.xpl";
    ASSERT_GT(copy.size(), 2u * MAX_PATH);
    ASSERT_TRUE(::CopyFileW(probe.c_str(), copy.c_str(), FALSE)) << ::GetLastError();

    HMODULE module = ::LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr) << ::GetLastError();
    auto lookup = reinterpret_cast<size_t (*)(wchar_t*, size_t)>(
        reinterpret_cast<void*>(::GetProcAddress(module, "OrvProbeConfigureFolder")));
    ASSERT_NE(lookup, nullptr);
    std::vector<wchar_t> folder(4096);
    size_t length = lookup(folder.data(), folder.size());
    ::FreeLibrary(module);
    ::DeleteFileW(copy.c_str());
    for (auto dir = made.rbegin(); dir != made.rend(); ++dir)
        ::RemoveDirectoryW(dir->c_str());

    ASSERT_LT(length, folder.size());
    std::wstring got(folder.data(), length);
    // The loader may keep or drop the \\?\ prefix; the rest comes whole.
    if (got.rfind(L"\\\\?\\", 0) == 0)
        got.erase(0, 4);
    std::wstring expected = made[made.size() - 2].substr(4) + L"\\data\\";
    EXPECT_EQ(_wcsicmp(got.c_str(), expected.c_str()), 0)
        << "got " << got.size() << " characters, expected " << expected.size();
}

}  // namespace
}  // namespace Orv
