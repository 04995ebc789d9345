// The device I/O port on the sim device bus: which interface takes which
// request, requests a model leaves pending and ends later, synchronous
// handles waiting through the sync port, cancellation by thread and by
// block, unplug and close, and the loopback device.  Virtual time.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/device_io.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/virtual_device.h"
#include "platform/sync.h"
#include "tests/ports/port_test_support.h"

namespace Orv::Sim {
namespace {

using Platform::DeviceIo;
using Platform::Handle;
using Platform::Overlapped;
using Platform::ScopedDevice;
using Platform::Sync;

constexpr uint32_t kPeek = 0x0011400Cu;

uint32_t LastError() {
    return Sync().GetLastError();
}

// A display model that leaves every request pending and ends them when the
// test says, through what the bus lent it.
class HeldDevice final : public VirtualDevice {
public:
    HeldDevice() : VirtualDevice(Description()) {}
    static VirtualHidDevice Description() {
        VirtualHidDevice desc;
        desc.vendorId = 0x4F56;
        desc.productId = 0x0D77;
        desc.reportDescriptor = PanelReportDescriptor(8, 0);
        desc.hasDisplayInterface = true;
        desc.displayClass = {0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};
        return desc;
    }
    RequestResult OnDisplayRequest(const DisplayRequest& request,
                                   PendingRequests& /*pending*/) override {
        held.push_back(request);
        return RequestResult::Pending();
    }
    void OnRequestEnded(RequestId id) override { ended.push_back(id); }

    std::vector<DisplayRequest> held;
    std::vector<RequestId> ended;
};

// Ends a request the model left pending, as the host would.
bool End(DeviceId id, RequestId request, const RequestResult& result) {
    bool ended = false;
    WithModel(id, [&](VirtualDevice&, PendingRequests& pending) {
        ended = pending.End(request, result);
    });
    return ended;
}

class SimDeviceIo : public ::testing::Test {
protected:
    void SetUp() override { Reset(TimeMode::Virtual); }
    void TearDown() override { Reset(TimeMode::Virtual); }

    static Handle Open(const std::wstring& path, bool overlapped) {
        return DeviceIo().Open(path.c_str(), overlapped);
    }
};

TEST_F(SimDeviceIo, OpenAndHandleErrorsCarryTheWindowsCodes) {
    EXPECT_EQ(DeviceIo().Open(L"\\\\?\\hid#nothing#{0}", false), nullptr);
    EXPECT_EQ(LastError(), Platform::kErrorFileNotFound);

    Handle bogus = reinterpret_cast<Handle>(uintptr_t{0x1234});
    uint8_t byte = 0;
    Overlapped block;
    EXPECT_FALSE(DeviceIo().Read(bogus, &byte, 1, nullptr, nullptr));
    EXPECT_EQ(LastError(), Platform::kErrorInvalidHandle);
    EXPECT_FALSE(DeviceIo().GetOverlappedResult(bogus, &block, nullptr, false));
    EXPECT_EQ(LastError(), Platform::kErrorInvalidHandle);
    EXPECT_FALSE(DeviceIo().CancelIoEx(bogus, nullptr));
    EXPECT_EQ(LastError(), Platform::kErrorInvalidHandle);
    EXPECT_FALSE(DeviceIo().Close(bogus));
    EXPECT_EQ(LastError(), Platform::kErrorInvalidHandle);

    DeviceId id = PlugLoopbackDevice();
    ScopedDevice device(Open(DisplayInterfacePath(id), true));
    ASSERT_TRUE(device);
    EXPECT_FALSE(DeviceIo().CancelIoEx(device.get(), nullptr));
    EXPECT_EQ(LastError(), Platform::kErrorNotFound);
    EXPECT_FALSE(DeviceIo().CancelIoEx(device.get(), &block));
    EXPECT_EQ(LastError(), Platform::kErrorNotFound);
    // An overlapped handle needs a block.
    EXPECT_FALSE(DeviceIo().Write(device.get(), &byte, 1, nullptr, nullptr));
    EXPECT_EQ(LastError(), Platform::kErrorInvalidParameter);
}

TEST_F(SimDeviceIo, HidPathReadsInputReportsAndRefusesOtherRequests) {
    VirtualHidDevice desc;
    desc.vendorId = 0x4F56;
    desc.productId = 0x0D01;
    desc.reportDescriptor = PanelReportDescriptor(8, 0);
    DeviceId id = PlugDevice(desc);
    ScopedDevice sync(Open(HidInterfacePath(id), false));
    ASSERT_TRUE(sync);
    // No display interface: the display path of another device's kind is
    // not there.
    EXPECT_TRUE(DisplayInterfacePath(id).empty());

    uint8_t report[2] = {};
    uint32_t n = 99;
    EXPECT_FALSE(DeviceIo().Write(sync.get(), report, 1, &n, nullptr));
    EXPECT_EQ(LastError(), Platform::kErrorInvalidFunction);
    EXPECT_FALSE(DeviceIo().IoControl(sync.get(), kPeek, nullptr, 0, report, 1, &n, nullptr));
    EXPECT_EQ(LastError(), Platform::kErrorInvalidFunction);

    // A synchronous read of a report that is waiting completes at once.
    ASSERT_TRUE(SetButtons(id, {2, 8}, true));
    ASSERT_TRUE(DeviceIo().Read(sync.get(), report, 2, &n, nullptr));
    EXPECT_EQ(n, 2u);  // the report id byte (none: 0) first
    EXPECT_EQ(report[1], 0x82);

    // An overlapped one waits for the next report.
    ScopedDevice overlapped(Open(HidInterfacePath(id), true));
    PortTest::Event event(true);
    Overlapped block;
    block.event = event.get();
    EXPECT_FALSE(DeviceIo().Read(overlapped.get(), report, 2, nullptr, &block));
    EXPECT_EQ(LastError(), Platform::kErrorIoPending);
    EXPECT_FALSE(DeviceIo().HasCompleted(&block));
    ASSERT_TRUE(SetButtons(id, {8}, false));
    EXPECT_TRUE(DeviceIo().HasCompleted(&block));
    EXPECT_EQ(event.Wait(0), Platform::kWaitObject0);
    ASSERT_TRUE(DeviceIo().GetOverlappedResult(overlapped.get(), &block, &n, false));
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(report[1], 0x02);
}

TEST_F(SimDeviceIo, ModelEndsPendingRequestsWithItsResult) {
    auto model = std::make_shared<HeldDevice>();
    DeviceId id = PlugDevice(model);
    ScopedDevice device(Open(DisplayInterfacePath(id), true));
    ASSERT_TRUE(device);

    PortTest::Event readEvent(true), controlEvent(true);
    Overlapped readBlock, controlBlock;
    readBlock.event = readEvent.get();
    controlBlock.event = controlEvent.get();
    uint8_t buffer[4] = {};
    uint8_t out[2] = {};
    const uint8_t in[3] = {1, 2, 3};
    EXPECT_FALSE(DeviceIo().Read(device.get(), buffer, 4, nullptr, &readBlock));
    EXPECT_EQ(LastError(), Platform::kErrorIoPending);
    EXPECT_FALSE(
        DeviceIo().IoControl(device.get(), 0x222004, in, 3, out, 2, nullptr, &controlBlock));
    EXPECT_EQ(LastError(), Platform::kErrorIoPending);
    ASSERT_EQ(model->held.size(), 2u);
    EXPECT_EQ(model->held[0].op, DisplayRequest::Op::Read);
    EXPECT_EQ(model->held[0].outputBytes, 4u);
    EXPECT_EQ(model->held[1].code, 0x222004u);
    EXPECT_EQ(model->held[1].input, std::vector<uint8_t>({1, 2, 3}));
    EXPECT_EQ(BusUsage().pendingReads, 2);

    uint32_t n = 0;
    EXPECT_FALSE(DeviceIo().GetOverlappedResult(device.get(), &readBlock, &n, false));
    EXPECT_EQ(LastError(), Platform::kErrorIoIncomplete);

    // Output is cut to the room the request gave.
    EXPECT_TRUE(End(id, model->held[1].id, RequestResult::Output({7, 8, 9})));
    ASSERT_TRUE(DeviceIo().GetOverlappedResult(device.get(), &controlBlock, &n, false));
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 8);
    EXPECT_TRUE(End(id, model->held[0].id, RequestResult::Fail(31)));
    EXPECT_FALSE(DeviceIo().GetOverlappedResult(device.get(), &readBlock, &n, false));
    EXPECT_EQ(LastError(), 31u);
    // Ended once only.
    EXPECT_FALSE(End(id, model->held[0].id, RequestResult::Output({1})));
    EXPECT_TRUE(model->ended.empty());
}

TEST_F(SimDeviceIo, CancelIoTakesTheCallersRequestsCancelIoExAnyOrOne) {
    auto model = std::make_shared<HeldDevice>();
    DeviceId id = PlugDevice(model);
    ScopedDevice device(Open(DisplayInterfacePath(id), true));
    PortTest::Event mineEvent(true), otherEvent(true), secondEvent(true);
    Overlapped mine, other, second;
    mine.event = mineEvent.get();
    other.event = otherEvent.get();
    second.event = secondEvent.get();
    uint8_t a = 0, b = 0, c = 0;
    ASSERT_FALSE(DeviceIo().Read(device.get(), &a, 1, nullptr, &mine));
    PortTest::PortThread thread([&] {
        DeviceIo().Read(device.get(), &b, 1, nullptr, &other);
        DeviceIo().Read(device.get(), &c, 1, nullptr, &second);
        return 0u;
    });
    thread.Join();
    ASSERT_EQ(BusUsage().pendingReads, 3);

    // CancelIo on this thread leaves the other thread's requests running.
    EXPECT_TRUE(DeviceIo().CancelIo(device.get()));
    EXPECT_TRUE(DeviceIo().HasCompleted(&mine));
    EXPECT_FALSE(DeviceIo().HasCompleted(&other));
    EXPECT_FALSE(DeviceIo().GetOverlappedResult(device.get(), &mine, nullptr, false));
    EXPECT_EQ(LastError(), Platform::kErrorOperationAborted);

    // CancelIoEx with a block: that request only, whoever issued it.
    EXPECT_TRUE(DeviceIo().CancelIoEx(device.get(), &other));
    EXPECT_FALSE(DeviceIo().HasCompleted(&second));
    EXPECT_FALSE(DeviceIo().GetOverlappedResult(device.get(), &other, nullptr, true));
    EXPECT_EQ(LastError(), Platform::kErrorOperationAborted);
    // Without: every one left.
    EXPECT_TRUE(DeviceIo().CancelIoEx(device.get(), nullptr));
    EXPECT_TRUE(DeviceIo().HasCompleted(&second));
    EXPECT_EQ(model->ended.size(), 3u);
    EXPECT_FALSE(DeviceIo().CancelIoEx(device.get(), nullptr));
    EXPECT_EQ(LastError(), Platform::kErrorNotFound);
}

TEST_F(SimDeviceIo, UnplugEndsPendingRequestsAndRefusesNewOnes) {
    DeviceId id = PlugLoopbackDevice();
    ScopedDevice device(Open(DisplayInterfacePath(id), true));
    PortTest::Event event(true);
    Overlapped block;
    block.event = event.get();
    uint8_t buffer[4] = {};
    ASSERT_FALSE(DeviceIo().Read(device.get(), buffer, 4, nullptr, &block));
    ASSERT_TRUE(UnplugDevice(id));
    EXPECT_EQ(event.Wait(0), Platform::kWaitObject0);
    EXPECT_FALSE(DeviceIo().GetOverlappedResult(device.get(), &block, nullptr, false));
    EXPECT_EQ(LastError(), Platform::kErrorDeviceNotConnected);
    EXPECT_FALSE(DeviceIo().Write(device.get(), buffer, 1, nullptr, &block));
    EXPECT_EQ(LastError(), Platform::kErrorDeviceNotConnected);
    EXPECT_EQ(Open(DisplayInterfacePath(id), true), nullptr);
    EXPECT_EQ(LastError(), Platform::kErrorFileNotFound);
    EXPECT_FALSE(LoopbackPush(id, {1}));
}

TEST_F(SimDeviceIo, CloseEndsRequestsAndWritesNothingAfter) {
    DeviceId id = PlugLoopbackDevice();
    Handle device = Open(DisplayInterfacePath(id), true);
    PortTest::Event event(true);
    Overlapped block;
    block.event = event.get();
    uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_FALSE(DeviceIo().Read(device, buffer, 4, nullptr, &block));
    ASSERT_TRUE(DeviceIo().Close(device));
    EXPECT_EQ(event.Wait(0), Platform::kWaitObject0);
    EXPECT_EQ(BusUsage().openHandles, 0);
    EXPECT_TRUE(LoopbackPush(id, {1, 2}));
    EXPECT_EQ(buffer[0], 0xEE);
}

TEST_F(SimDeviceIo, SynchronousRequestLeftPendingWaitsUntilItEnds) {
    DeviceId id = PlugLoopbackDevice();
    ScopedDevice device(Open(DisplayInterfacePath(id), false));
    PortTest::PortThread peer([&] {
        Sync().Sleep(250);
        LoopbackPush(id, {5, 6, 7});
        return 0u;
    });
    uint8_t buffer[2] = {};
    uint32_t n = 0;
    uint64_t start = Now();
    ASSERT_TRUE(DeviceIo().Read(device.get(), buffer, 2, &n, nullptr));
    EXPECT_EQ(Now() - start, 250u);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(buffer[0], 5);
    EXPECT_EQ(buffer[1], 6);
    // The rest stays queued for the next read.
    ASSERT_TRUE(DeviceIo().Read(device.get(), buffer, 2, &n, nullptr));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(buffer[0], 7);

    // One that another thread cancels ends with the cancellation.
    PortTest::PortThread canceller([&] {
        Sync().Sleep(100);
        DeviceIo().CancelIoEx(device.get(), nullptr);
        return 0u;
    });
    EXPECT_FALSE(DeviceIo().Read(device.get(), buffer, 2, &n, nullptr));
    EXPECT_EQ(LastError(), Platform::kErrorOperationAborted);
    EXPECT_EQ(BusUsage().pendingReads, 0);
}

TEST_F(SimDeviceIo, LoopbackBehavesAsAPipe) {
    DeviceId id = PlugLoopbackDevice();
    // Not a HID device: the HID class does not list it.
    EXPECT_TRUE(HidInterfacePath(id).empty());
    ScopedDevice device(Open(DisplayInterfacePath(id), true));
    Overlapped block;
    PortTest::Event event(true);
    block.event = event.get();

    const uint8_t bytes[3] = {0xA, 0xB, 0xC};
    uint32_t n = 0;
    ASSERT_TRUE(DeviceIo().Write(device.get(), bytes, 3, &n, &block));
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(LoopbackTake(id), std::vector<uint8_t>({0xA, 0xB, 0xC}));
    EXPECT_TRUE(LoopbackTake(id).empty());

    struct Peek {
        uint32_t words[4];
    } peek{};
    ASSERT_TRUE(LoopbackPush(id, {1, 2, 3, 4, 5}));
    ASSERT_TRUE(DeviceIo().IoControl(device.get(), kPeek, nullptr, 0, &peek, 16, &n, &block));
    EXPECT_EQ(n, 16u);
    EXPECT_EQ(peek.words[0], 3u);
    EXPECT_EQ(peek.words[1], 5u);
    EXPECT_EQ(peek.words[2], 0u);
    EXPECT_EQ(peek.words[3], 0u);
    EXPECT_FALSE(DeviceIo().IoControl(device.get(), 0x00110008, nullptr, 0, &peek, 16, &n, &block));
    EXPECT_EQ(LastError(), Platform::kErrorInvalidFunction);

    // Reads take what waits, at most what they ask for.
    uint8_t buffer[8] = {};
    ASSERT_TRUE(DeviceIo().Read(device.get(), buffer, 3, &n, &block));
    EXPECT_EQ(n, 3u);
    ASSERT_TRUE(DeviceIo().Read(device.get(), buffer, 8, &n, &block));
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(buffer[1], 5);

    // Pending reads take a later push oldest first; the rest stays queued.
    Overlapped second;
    PortTest::Event secondEvent(true);
    second.event = secondEvent.get();
    uint8_t first[2] = {}, next[2] = {};
    ASSERT_FALSE(DeviceIo().Read(device.get(), first, 2, nullptr, &block));
    ASSERT_FALSE(DeviceIo().Read(device.get(), next, 2, nullptr, &second));
    ASSERT_TRUE(LoopbackPush(id, {9, 8, 7, 6, 5}));
    ASSERT_TRUE(DeviceIo().GetOverlappedResult(device.get(), &block, &n, false));
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(first[0], 9);
    ASSERT_TRUE(DeviceIo().GetOverlappedResult(device.get(), &second, &n, false));
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(next[0], 7);
    ASSERT_TRUE(DeviceIo().IoControl(device.get(), kPeek, nullptr, 0, &peek, 16, &n, &block));
    EXPECT_EQ(peek.words[1], 1u);
}

}  // namespace
}  // namespace Orv::Sim
