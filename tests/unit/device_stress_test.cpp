// The device manager under load in real time: one thread plugs, unplugs and
// presses devices as fast as it can while X-Plane's thread runs frames at
// full speed and a render thread uses a display device.  Built and run
// under ThreadSanitizer by the tsan preset.  Afterwards nothing is left:
// no panel object, no display object, no handle, no read, no thread.
//
// orv_device_stress [--gtest...]; ORV_STRESS_CYCLES sets the number of
// plug/unplug cycles (default in the build: ORV_STRESS_DEFAULT_CYCLES).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "platform/sync.h"
#include "plugin/devices/avionex.h"
#include "tests/unit/device_test_support.h"

namespace Orv::Test {
namespace {

std::atomic<int> g_panelsAlive{0};
std::atomic<int> g_displaysAlive{0};
std::atomic<long> g_buttons{0};
std::atomic<long> g_notifies{0};

class StressPanel : public CPanel {
public:
    explicit StressPanel(const std::wstring& path) : CPanel(path) { ++g_panelsAlive; }
    ~StressPanel() override { --g_panelsAlive; }
    void OnInitialize() override {
        for (uint16_t usage = 1; usage <= 20; ++usage)
            buttonStates[usage] = 0;
    }
    void OnNotify() override { ++g_notifies; }
    void OnButton(uint16_t, int32_t) override { ++g_buttons; }
};

// A display device whose operation may run on another thread after its
// removal: it must then see that it is closed.
class StressDisplay : public CGlassLink {
public:
    explicit StressDisplay(const std::wstring& path) : CGlassLink(path) { ++g_displaysAlive; }
    ~StressDisplay() override { --g_displaysAlive; }
    bool Initialize() override {
        open_ = true;
        return true;
    }
    void Uninitialize() override { open_ = false; }
    bool Use() const { return open_.load() && !GetDevicePath().empty(); }

private:
    std::atomic<bool> open_{false};
};

std::unique_ptr<CPanel> MakePanel(const std::wstring& path, const std::wstring&, CAvionex*) {
    return std::make_unique<StressPanel>(path);
}
std::shared_ptr<CGlassLink> MakeDisplay(const std::wstring& path) {
    return std::make_shared<StressDisplay>(path);
}

struct RenderContext {
    CAvionex* manager;
    std::atomic<bool>* stop;
    std::vector<std::wstring> keys;
    long uses = 0;
};

uint32_t RenderThread(void* parameter) {
    auto* context = static_cast<RenderContext*>(parameter);
    while (!context->stop->load()) {
        for (const std::wstring& key : context->keys) {
            std::shared_ptr<CGlassLink> device = context->manager->GetGlassLink(key);
            if (device != nullptr && static_cast<StressDisplay*>(device.get())->Use())
                ++context->uses;
        }
        Platform::Sync().Sleep(0);
    }
    return 0;
}

int Cycles() {
    if (const char* text = std::getenv("ORV_STRESS_CYCLES"))
        return std::atoi(text);
    return ORV_STRESS_DEFAULT_CYCLES;
}

TEST(DeviceStress, ArrivalsAndRemovalsWhileFramesRun) {
    Sim::Reset(Sim::TimeMode::Real);
    Sim::ResetDevices();
    auto manager = std::make_unique<CAvionex>(
        TestKinds({PRODUCT_ID_TOGGLE, PRODUCT_ID_TUNER}, &MakePanel, &MakeDisplay));
    std::vector<Sim::DeviceId> fixed;
    for (int i = 0; i < 3; ++i)
        fixed.push_back(Sim::PlugDevice(PanelDevice(PRODUCT_ID_TOGGLE)));
    // Joysticks that come and go with a display interface; their display
    // devices are keyed by the physical-device-object name.
    std::atomic<bool> stop{false};
    RenderContext render{manager.get(), &stop, {}, 0};
    const int kJoysticks = 4;
    std::vector<Sim::VirtualHidDevice> joysticks;
    for (int i = 0; i < kJoysticks; ++i) {
        Sim::VirtualHidDevice j = PanelDevice(PRODUCT_ID_Z7HOTAS);
        j.hasDisplayInterface = true;
        j.displayClass = GUID_Z7HOTAS_GLASSLINK_INTERFACE;
        joysticks.push_back(j);
    }
    // One joystick stays; the others come and go.  Ids are given in plug
    // order, so the plugger's joysticks are known in advance.
    Sim::DeviceId fixedJoystick = Sim::PlugDevice(joysticks[0]);
    fixed.push_back(fixedJoystick);
    Sim::Settle();
    const int cycles = Cycles();
    auto keyOf = [](Sim::DeviceId id) {
        wchar_t buf[32];
        std::swprintf(buf, 32, L"\\device\\%08x", 0x60 + id);
        return std::wstring(buf);
    };
    render.keys.push_back(keyOf(fixedJoystick));
    for (int i = 0; i < cycles; i += 5)
        render.keys.push_back(keyOf(fixedJoystick + 1 + i));
    ASSERT_EQ(UTILITY::ConvertStringToLower(Sim::PhysicalDeviceObjectName(fixedJoystick)),
              render.keys[0]);
    ASSERT_EQ(manager->Initialize(), 0u);
    uint32_t renderId = 0;
    Platform::Handle renderThread =
        Platform::Sync().CreateThread(&RenderThread, &render, &renderId);
    ASSERT_NE(renderThread, nullptr);

    std::atomic<bool> plugging{true};
    std::thread plugger([&] {
        std::mt19937 random(4);
        std::vector<Sim::DeviceId> present;
        for (int i = 0; i < cycles; ++i) {
            Sim::VirtualHidDevice device = (i % 5 == 0)   ? joysticks[i % kJoysticks]
                                           : (i % 2 == 0) ? PanelDevice(PRODUCT_ID_TOGGLE)
                                                          : PanelDevice(PRODUCT_ID_TUNER, 24);
            present.push_back(Sim::PlugDevice(device));
            for (Sim::DeviceId id : fixed)
                Sim::SetButtons(id, {static_cast<uint16_t>(1 + random() % 20)}, random() % 2 == 0);
            if (!present.empty())
                Sim::SetButtons(present[random() % present.size()], {3}, true);
            if (present.size() > 6 || random() % 3 == 0) {
                size_t k = random() % present.size();
                Sim::UnplugDevice(present[k]);
                present.erase(present.begin() + static_cast<long>(k));
            }
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        for (Sim::DeviceId id : present)
            Sim::UnplugDevice(id);
        plugging = false;
    });

    long frames = 0;
    auto slowest = std::chrono::steady_clock::duration::zero();
    while (plugging.load()) {
        auto begin = std::chrono::steady_clock::now();
        manager->NotifyPanels();
        slowest = std::max(slowest, std::chrono::steady_clock::now() - begin);
        ++frames;
    }
    plugger.join();

    // The last notices: only the fixed devices stay.
    for (int i = 0; i < 2000 && (manager->PanelCount() != 4 || manager->DisplayDeviceCount() != 1);
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(manager->PanelCount(), 4u);
    EXPECT_EQ(manager->DisplayDeviceCount(), 1u);

    stop = true;
    EXPECT_EQ(Platform::Sync().WaitForSingleObject(renderThread, 10000), Platform::kWaitObject0);
    Platform::Sync().CloseHandle(renderThread);
    manager->Uninitialize();

    EXPECT_GT(frames, 0);
    EXPECT_GT(g_notifies.load(), 0);
    EXPECT_GT(render.uses, 0);
    // A frame never waits for a lock: none takes long, even under a sanitizer.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count(), 1000);
    EXPECT_EQ(g_panelsAlive.load(), 0);
    EXPECT_EQ(g_displaysAlive.load(), 0);
    Sim::DeviceBusUsage usage = Sim::BusUsage();
    EXPECT_EQ(usage.openHandles, 0);
    EXPECT_EQ(usage.preparsedData, 0);
    EXPECT_EQ(usage.interfaceLists, 0);
    EXPECT_EQ(usage.pendingReads, 0);
    EXPECT_EQ(Sim::LiveThreadCount(), 0);
    std::printf("%d cycles, %ld frames, %ld button changes, %ld display uses\n", cycles, frames,
                g_buttons.load(), render.uses);

    manager.reset();
    Sim::ResetDevices();
}

}  // namespace
}  // namespace Orv::Test
