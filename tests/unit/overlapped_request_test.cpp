// COverlappedRequest on the sim device bus's loopback device, in virtual
// time: requests that complete at once, stay pending, time out, are
// cancelled by the owner or by the thread's CancelIo, end with an unplug,
// and are cancelled and collected by the destructor; and the two ways the
// display devices use it (a queue reclaimed by HasCompleted, a write then a
// read with a time-out).
#include "plugin/devices/overlapped_request.h"

#include <gtest/gtest.h>

#include <list>
#include <vector>

#include "platform/device_io.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "platform/sync.h"

namespace Orv {
namespace {

using Status = COverlappedRequest::Status;
constexpr uint32_t kPeek = 0x0011400Cu;

class OverlappedRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        Sim::Reset(Sim::TimeMode::Virtual);
        id = Sim::PlugLoopbackDevice();
        device.reset(Platform::DeviceIo().Open(Sim::DisplayInterfacePath(id).c_str(), true));
        ASSERT_TRUE(device);
    }
    void TearDown() override {
        device.reset();
        Sim::Reset(Sim::TimeMode::Virtual);
    }

    // Bytes the peer has sent that no read took yet.
    uint32_t Waiting() {
        uint32_t peek[4] = {};
        uint32_t n = 0;
        Platform::Overlapped block;
        Platform::DeviceIo().IoControl(device.get(), kPeek, nullptr, 0, peek, 16, &n, &block);
        return peek[1];
    }

    Sim::DeviceId id = 0;
    Platform::ScopedDevice device;
};

TEST_F(OverlappedRequestTest, CompletesAtOnceOrFailsAtOnce) {
    COverlappedRequest request;
    ASSERT_TRUE(request.Valid());
    const uint8_t bytes[3] = {1, 2, 3};
    EXPECT_EQ(request.StartWrite(device.get(), bytes, 3), Status::Done);
    EXPECT_EQ(request.Transferred(), 3u);
    EXPECT_FALSE(request.InFlight());
    EXPECT_TRUE(request.HasCompleted());
    EXPECT_EQ(Sim::LoopbackTake(id), std::vector<uint8_t>({1, 2, 3}));

    uint32_t peek[4] = {};
    EXPECT_EQ(request.StartIoControl(device.get(), kPeek, nullptr, 0, peek, 16), Status::Done);
    EXPECT_EQ(request.Transferred(), 16u);
    EXPECT_EQ(peek[0], 3u);

    EXPECT_EQ(request.StartIoControl(device.get(), 0x1234, nullptr, 0, peek, 16), Status::Failed);
    EXPECT_EQ(request.Error(), Platform::kErrorInvalidFunction);
    EXPECT_FALSE(request.InFlight());
    // Its status stays until the next start.
    EXPECT_EQ(request.Poll(), Status::Failed);
}

TEST_F(OverlappedRequestTest, PendingReadIsPolledUntilThePeerSends) {
    COverlappedRequest request;
    uint8_t buffer[4] = {};
    ASSERT_EQ(request.StartRead(device.get(), buffer, 4), Status::Pending);
    EXPECT_TRUE(request.InFlight());
    EXPECT_FALSE(request.HasCompleted());
    EXPECT_EQ(request.Poll(), Status::Pending);
    // A second request on the same block while one runs is refused; the
    // running one goes on.
    EXPECT_EQ(request.StartRead(device.get(), buffer, 4), Status::Failed);
    EXPECT_EQ(request.Error(), Platform::kErrorInvalidParameter);
    EXPECT_TRUE(request.InFlight());

    ASSERT_TRUE(Sim::LoopbackPush(id, {7, 8}));
    EXPECT_TRUE(request.HasCompleted());
    EXPECT_TRUE(request.InFlight());  // ended, not collected yet
    EXPECT_EQ(request.Poll(), Status::Done);
    EXPECT_EQ(request.Transferred(), 2u);
    EXPECT_EQ(buffer[0], 7);
    EXPECT_FALSE(request.InFlight());
    // Collected: the status stays, the refused start forgotten.
    EXPECT_EQ(request.Poll(), Status::Done);
    EXPECT_EQ(request.Error(), 0u);
}

TEST_F(OverlappedRequestTest, WaitTimesOutOnTheClockThenSeesTheEnd) {
    COverlappedRequest request(COverlappedRequest::Reset::Auto);
    uint8_t buffer[4] = {};
    ASSERT_EQ(request.StartRead(device.get(), buffer, 4), Status::Pending);
    uint64_t start = Sim::Now();
    EXPECT_EQ(request.Wait(500), Status::Pending);
    EXPECT_EQ(Sim::Now() - start, 500u);

    ASSERT_TRUE(Sim::LoopbackPush(id, {9}));
    start = Sim::Now();
    EXPECT_EQ(request.Wait(500), Status::Done);
    EXPECT_EQ(Sim::Now(), start);
    EXPECT_EQ(buffer[0], 9);
}

TEST_F(OverlappedRequestTest, ThreadCancelIoOnTimeOutThenCollect) {
    // The gauge display's exchange: a write, then a read waited for 500 ms,
    // and the thread's I/O cancelled when it times out.
    COverlappedRequest write, read;
    const uint8_t command[2] = {0x10, 0x01};
    uint8_t reply[8] = {};
    ASSERT_EQ(write.StartWrite(device.get(), command, 2), Status::Done);
    ASSERT_EQ(read.StartRead(device.get(), reply, 8), Status::Pending);
    ASSERT_EQ(read.Wait(500), Status::Pending);
    EXPECT_TRUE(Platform::DeviceIo().CancelIo(device.get()));
    EXPECT_EQ(read.Collect(), Status::Failed);
    EXPECT_EQ(read.Error(), Platform::kErrorOperationAborted);
    EXPECT_FALSE(read.InFlight());
    // A late reply is not written into the buffer.
    ASSERT_TRUE(Sim::LoopbackPush(id, {0xAA}));
    EXPECT_EQ(reply[0], 0);
    EXPECT_EQ(Waiting(), 1u);
}

TEST_F(OverlappedRequestTest, CancelEndsOnlyItsOwnRequest) {
    COverlappedRequest first, second;
    uint8_t a[1] = {}, b[1] = {};
    ASSERT_EQ(first.StartRead(device.get(), a, 1), Status::Pending);
    ASSERT_EQ(second.StartRead(device.get(), b, 1), Status::Pending);
    first.Cancel();
    EXPECT_FALSE(first.InFlight());
    EXPECT_EQ(first.Error(), Platform::kErrorOperationAborted);
    EXPECT_TRUE(second.InFlight());
    EXPECT_FALSE(second.HasCompleted());
    first.Cancel();  // nothing in flight: nothing happens
    EXPECT_EQ(first.Error(), Platform::kErrorOperationAborted);

    // A request that has ended is only collected by Cancel: its result stays.
    ASSERT_TRUE(Sim::LoopbackPush(id, {5}));
    second.Cancel();
    EXPECT_EQ(second.Poll(), Status::Done);
    EXPECT_EQ(b[0], 5);
}

TEST_F(OverlappedRequestTest, UnplugEndsTheRequestWithDeviceNotConnected) {
    COverlappedRequest request;
    uint8_t buffer[1] = {};
    ASSERT_EQ(request.StartRead(device.get(), buffer, 1), Status::Pending);
    ASSERT_TRUE(Sim::UnplugDevice(id));
    EXPECT_TRUE(request.HasCompleted());
    EXPECT_EQ(request.Wait(500), Status::Failed);
    EXPECT_EQ(request.Error(), Platform::kErrorDeviceNotConnected);
    EXPECT_EQ(request.StartRead(device.get(), buffer, 1), Status::Failed);
    EXPECT_EQ(request.Error(), Platform::kErrorDeviceNotConnected);
}

TEST_F(OverlappedRequestTest, DestructorCancelsAndCollects) {
    uint8_t buffer[4] = {};
    {
        COverlappedRequest request;
        ASSERT_EQ(request.StartRead(device.get(), buffer, 4), Status::Pending);
        EXPECT_EQ(Sim::BusUsage().pendingReads, 1);
    }
    EXPECT_EQ(Sim::BusUsage().pendingReads, 0);
    // The bytes stay with the device instead of going into the old buffer.
    ASSERT_TRUE(Sim::LoopbackPush(id, {1, 2}));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(Waiting(), 2u);
}

TEST_F(OverlappedRequestTest, QueueReclaimedByHasCompletedAndDrainedAtTheEnd) {
    // The MFD's queue: requests it never waits for, reclaimed when they
    // have completed, the rest cancelled and collected at the end.
    struct Entry {
        uint8_t buffer[2] = {};
        COverlappedRequest request;
    };
    std::list<Entry> queue;
    for (int i = 0; i < 3; ++i) {
        Entry& entry = queue.emplace_back();
        ASSERT_EQ(entry.request.StartRead(device.get(), entry.buffer, 2), Status::Pending);
    }
    ASSERT_TRUE(Sim::LoopbackPush(id, {1, 2, 3}));  // the two oldest complete
    size_t reclaimed = std::erase_if(queue, [](Entry& e) { return e.request.HasCompleted(); });
    EXPECT_EQ(reclaimed, 2u);
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(Sim::BusUsage().pendingReads, 1);
    queue.clear();
    EXPECT_EQ(Sim::BusUsage().pendingReads, 0);
    ASSERT_TRUE(Sim::LoopbackPush(id, {4}));
    EXPECT_EQ(Waiting(), 1u);
}

TEST_F(OverlappedRequestTest, ClosedHandleEndsTheRequestWithoutWritingIntoIt) {
    uint8_t buffer[1] = {};
    COverlappedRequest request;
    ASSERT_EQ(request.StartRead(device.get(), buffer, 1), Status::Pending);
    device.reset();
    EXPECT_TRUE(request.HasCompleted());
    request.Cancel();
    EXPECT_FALSE(request.InFlight());
    EXPECT_EQ(request.StartRead(nullptr, buffer, 1), Status::Failed);
}

}  // namespace
}  // namespace Orv
