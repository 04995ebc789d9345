// The joystick's MFD device against the sim's virtual MFD, in virtual time:
// the words a text becomes, the line caches, the request queue that is never
// waited for (pending requests reclaimed, cancelled at Uninitialize, ended
// by an unplug), failed requests retried, and the data folder.
#include "plugin/glasslink/glasslink_z7hotas.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/module.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "sim/devices/device_kinds.h"
#include "sim/devices/z7hotas.h"
#include "tests/unit/trace_fixture.h"

namespace Orv {
namespace {

using Bytes = std::vector<uint8_t>;

class Z7HotasMfdTest : public Test::TraceFixture {
protected:
    void SetUp() override {
        TraceFixture::SetUp();
        Sim::ResetDevices();
        const SimDevices::DeviceKind& kind = *SimDevices::FindDeviceKind("z7hotas");
        id = Sim::PlugDevice(kind.make(kind.describe()));
        mfd = std::make_shared<CGlassLinkZ7Hotas>(Sim::DisplayInterfacePath(id));
    }
    void TearDown() override {
        mfd.reset();
        Sim::ResetDevices();
        TraceFixture::TearDown();
    }

    // Runs fn on the virtual MFD.
    template <typename F>
    void Model(F fn) {
        ASSERT_TRUE(Sim::WithModel(id, [&](Sim::VirtualDevice& model, Sim::PendingRequests& p) {
            fn(dynamic_cast<SimDevices::Z7HotasDevice&>(model), p);
        }));
    }
    size_t Requests() {
        size_t n = 0;
        Model([&](SimDevices::Z7HotasDevice& m, Sim::PendingRequests&) { n = m.Requests(); });
        return n;
    }
    Bytes LastInput() {
        Bytes bytes;
        Model([&](SimDevices::Z7HotasDevice& m, Sim::PendingRequests&) { bytes = m.LastInput(); });
        return bytes;
    }
    std::string Line(int line) {
        std::string text;
        Model([&](SimDevices::Z7HotasDevice& m, Sim::PendingRequests&) {
            text = m.Lines()[static_cast<size_t>(line)];
        });
        return text;
    }
    size_t Held() {
        size_t n = 0;
        Model([&](SimDevices::Z7HotasDevice& m, Sim::PendingRequests&) { n = m.HeldRequests(); });
        return n;
    }
    void FrameEnded() {
        Model([](SimDevices::Z7HotasDevice& m, Sim::PendingRequests& p) { m.FrameEnded(p); });
    }

    Sim::DeviceId id = 0;
    std::shared_ptr<CGlassLinkZ7Hotas> mfd;
};

TEST_F(Z7HotasMfdTest, InitializeSetsTheShiftIndicator) {
    ASSERT_TRUE(mfd->Initialize());
    EXPECT_EQ(Requests(), 1u);
    EXPECT_EQ(LastInput(), (Bytes{1, 0, 0, 0}));
    uint32_t shift = 0;
    Model([&](SimDevices::Z7HotasDevice& m, Sim::PendingRequests&) { shift = m.Shift(); });
    EXPECT_EQ(shift, 1u);
}

TEST_F(Z7HotasMfdTest, TextBecomesTheLinesClearWordThenOneWordPerPair) {
    ASSERT_TRUE(mfd->Initialize());
    const std::string fifteen = "ABCDEFGHIJKLMNO";
    const std::string sixteen = "ABCDEFGHIJKLMNOP";
    struct Case {
        std::string text;
        uint8_t line;
        Bytes head;  // the first bytes sent
        size_t words;
        Bytes tail;  // the last word
    };
    const Case cases[] = {
        {"", 0, {0xD9, 0, 0, 0}, 1, {0xD9, 0, 0, 0}},
        {"AB", 0, {0xD9, 0, 0, 0, 0xD1, 0, 'B', 'A'}, 2, {0xD1, 0, 'B', 'A'}},
        {"A", 1, {0xDA, 0, 0, 0}, 2, {0xD2, 0, 0, 'A'}},
        {fifteen, 2, {0xDC, 0, 0, 0, 0xD4, 0, 'B', 'A'}, 9, {0xD4, 0, 0, 'O'}},
        {sixteen, 2, {0xDC, 0, 0, 0}, 9, {0xD4, 0, 'P', 'O'}},
        // Bytes above 0x7E (the editing marks) pass unchanged.
        {"\xFC"
         "1",
         1,
         {0xDA, 0, 0, 0, 0xD2, 0, '1', 0xFC},
         2,
         {0xD2, 0, '1', 0xFC}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        mfd->SetString(c.text, c.line);
        Bytes sent = LastInput();
        ASSERT_EQ(sent.size(), 4 * c.words);
        EXPECT_EQ(Bytes(sent.begin(), sent.begin() + c.head.size()), c.head);
        EXPECT_EQ(Bytes(sent.end() - 4, sent.end()), c.tail);
        EXPECT_EQ(Line(c.line), c.text);  // as the MFD shows it
    }
}

TEST_F(Z7HotasMfdTest, AnUnchangedLineSendsNothingAndOtherLineNumbersDoNothing) {
    ASSERT_TRUE(mfd->Initialize());
    size_t before = Requests();
    mfd->SetString("COM1 118.05", 0);
    mfd->SetString("COM1 118.05", 0);
    EXPECT_EQ(Requests(), before + 1);
    // Each line has its own cache.
    mfd->SetString("COM1 118.05", 1);
    EXPECT_EQ(Requests(), before + 2);
    mfd->SetString("COM1 118.10", 0);
    EXPECT_EQ(Requests(), before + 3);
    EXPECT_EQ(Line(0), "COM1 118.10");
    for (uint8_t line : {uint8_t{3}, uint8_t{255}})
        mfd->SetString("X", line);
    EXPECT_EQ(Requests(), before + 3);
}

TEST_F(Z7HotasMfdTest, AFailedRequestKeepsTheOldCacheSoTheNextCallSendsAgain) {
    ASSERT_TRUE(mfd->Initialize());
    mfd->SetString("OLD", 1);
    Sim::SetDeviceFault(id, Sim::DeviceFault::IoControl, 31);
    EXPECT_EQ(mfd->IoSet(IOCTL_Z7HOTAS_SET_STRING, "\xD9\0\0\0", 4), 0);
    mfd->SetString("NEW", 1);
    EXPECT_EQ(Line(1), "OLD");
    EXPECT_EQ(mfd->QueuedRequests(), 0u);
    Sim::SetDeviceFault(id, Sim::DeviceFault::IoControl, 0);
    size_t before = Requests();
    mfd->SetString("NEW", 1);
    EXPECT_EQ(Requests(), before + 1);
    EXPECT_EQ(Line(1), "NEW");
    // And back: the cache holds NEW now, so OLD is sent.
    mfd->SetString("OLD", 1);
    EXPECT_EQ(Requests(), before + 2);
}

TEST_F(Z7HotasMfdTest, PendingRequestsAreReclaimedByALaterIoSetAndCancelledAtUninitialize) {
    Sim::SetDeviceFault(id, Sim::DeviceFault::Pending, 1);
    ASSERT_TRUE(mfd->Initialize());  // the shift request stays pending
    EXPECT_EQ(mfd->QueuedRequests(), 1u);
    mfd->SetString("ONE", 0);  // accepted while pending: cached
    EXPECT_EQ(mfd->QueuedRequests(), 2u);
    mfd->SetString("ONE", 0);
    EXPECT_EQ(Requests(), 2u);
    EXPECT_EQ(Line(0), "");  // nothing shown before the device completes it

    FrameEnded();  // both complete
    EXPECT_EQ(Line(0), "ONE");
    EXPECT_EQ(mfd->QueuedRequests(), 2u);  // nobody waited or looked
    mfd->SetString("TWO", 0);              // reclaims both, queues its own
    EXPECT_EQ(mfd->QueuedRequests(), 1u);
    EXPECT_EQ(Sim::BusUsage().pendingReads, 1);

    mfd->Uninitialize();
    EXPECT_EQ(mfd->QueuedRequests(), 0u);
    EXPECT_EQ(Held(), 0u);
    EXPECT_EQ(Sim::BusUsage().pendingReads, 0);
    FrameEnded();
    EXPECT_EQ(Line(0), "ONE");  // the cancelled request changed nothing

    // After Uninitialize nothing is issued and the object stays usable.
    size_t before = Requests();
    mfd->SetString("THREE", 0);
    mfd->SetShiftIndicator();
    EXPECT_EQ(mfd->IoSet(IOCTL_Z7HOTAS_SET_SHIFT_INDICATOR, "\1\0\0\0", 4), 0);
    EXPECT_EQ(Requests(), before);
    mfd->Uninitialize();
}

TEST_F(Z7HotasMfdTest, AnUnplugEndsThePendingRequestsAndLaterRequestsFail) {
    Sim::SetDeviceFault(id, Sim::DeviceFault::Pending, 5);
    ASSERT_TRUE(mfd->Initialize());
    mfd->SetString("HDG 270", 2);
    EXPECT_EQ(mfd->QueuedRequests(), 2u);
    ASSERT_TRUE(Sim::UnplugDevice(id));
    EXPECT_EQ(Sim::BusUsage().pendingReads, 0);
    mfd->SetString("HDG 271", 2);  // fails: reclaims the ended ones, queues nothing
    EXPECT_EQ(mfd->QueuedRequests(), 0u);
    mfd->Uninitialize();
    mfd.reset();
    EXPECT_EQ(Sim::BusUsage().openHandles, 0);
}

TEST_F(Z7HotasMfdTest, TheObjectGoesWithItsHandleAndItsRequests) {
    Sim::SetDeviceFault(id, Sim::DeviceFault::Pending, 5);
    ASSERT_TRUE(mfd->Initialize());
    // Initialize again: the old handle's requests end, one handle is held.
    ASSERT_TRUE(mfd->Initialize());
    EXPECT_EQ(Sim::BusUsage().openHandles, 1);
    EXPECT_EQ(mfd->QueuedRequests(), 1u);
    std::shared_ptr<CGlassLink> base = mfd;
    mfd.reset();
    base.reset();  // through the base, without Uninitialize
    EXPECT_EQ(Sim::BusUsage().openHandles, 0);
    EXPECT_EQ(Sim::BusUsage().pendingReads, 0);
    EXPECT_EQ(Held(), 0u);
}

TEST_F(Z7HotasMfdTest, TracesEveryOperationAndTheOpenFailure) {
    Attach(3, TRACE_KEYWORD_GLASSLINK);
    Sim::SetDeviceFault(id, Sim::DeviceFault::Open, 5);
    EXPECT_FALSE(mfd->Initialize());
    EXPECT_EQ(Requests(), 0u);
    std::vector<std::wstring> texts = TextsAfterAttach();
    const std::wstring failure = L"    Failed in creating the overlapped device " +
                                 Sim::DisplayInterfacePath(id) + L" due to 5";
    EXPECT_EQ(texts, (std::vector<std::wstring>{L">>Orv::CGlassLinkZ7Hotas::Initialize", failure,
                                                L"<<Orv::CGlassLinkZ7Hotas::Initialize"}));

    Sim::SetDeviceFault(id, Sim::DeviceFault::Open, 0);
    ASSERT_TRUE(mfd->Initialize());
    Clear();
    mfd->SetString("A", 0);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{
                           L">>Orv::CGlassLinkZ7Hotas::SetString",
                           L"    >>Orv::CGlassLinkZ7Hotas::IoSet",
                           L"        >>Orv::CGlassLinkZ7Hotas::CleanupCompletedIo",
                           L"        <<Orv::CGlassLinkZ7Hotas::CleanupCompletedIo",
                           L"    <<Orv::CGlassLinkZ7Hotas::IoSet",
                           L"<<Orv::CGlassLinkZ7Hotas::SetString",
                       }));
}

TEST(GlassLinkBase, DoesNothingAndFindsTheDataFolderBesideTheModuleFolder) {
    CGlassLink base(L"\\\\?\\some#path");
    EXPECT_TRUE(base.Initialize());
    base.Uninitialize();
    EXPECT_EQ(base.GetDevicePath(), L"\\\\?\\some#path");

    // The module is this test program: .../tests/unit/orv_unit_tests.
    std::wstring module;
    ASSERT_EQ(Platform::Module().GetModuleFileName(
                  reinterpret_cast<const void*>(&CGlassLink::GetConfigureFilePath), &module),
              0u);
    std::wstring folder = L"stale";
    EXPECT_TRUE(CGlassLink::GetConfigureFilePath(folder));
    std::wstring expected = module.substr(0, module.rfind(L'/'));
    expected = expected.substr(0, expected.rfind(L'/')) + L"\\data\\";
    EXPECT_EQ(folder, expected);
}

}  // namespace
}  // namespace Orv
