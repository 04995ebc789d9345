// The device framework's cost per frame: NotifyPanels with six attached,
// idle panels (a read in flight on each, no report arriving) on the virtual
// device bus, and the heap allocations such a steady frame makes (counted
// with a replaced operator new; there must be none).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "common/device_ids.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "plugin/devices/avionex.h"

// The replaced operators pair malloc with free; GCC cannot see that through
// inlining.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// A panel with twenty registered buttons and an empty frame of its own, so
// that what is measured is the framework's work.
class IdlePanel : public Orv::CPanel {
public:
    using CPanel::CPanel;
    void OnInitialize() override {
        for (uint16_t usage = 1; usage <= 20; ++usage)
            buttonStates[usage] = 0;
    }
};

std::unique_ptr<Orv::CPanel> MakeIdlePanel(const std::wstring& path, const std::wstring&,
                                           Orv::CAvionex*) {
    return std::make_unique<IdlePanel>(path);
}

std::vector<uint8_t> Descriptor() {
    return {0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x14,
            0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x14, 0x81, 0x02, 0x75, 0x01,
            0x95, 0x04, 0x81, 0x03, 0x06, 0x00, 0xFF, 0x09, 0x01, 0x15, 0x00, 0x26,
            0xFF, 0x00, 0x75, 0x08, 0x95, 0x01, 0xB1, 0x02, 0xC0};
}

void BM_NotifyPanelsSixIdlePanels(benchmark::State& state) {
    using namespace Orv;
    Sim::Reset(Sim::TimeMode::Virtual);
    Sim::ResetDevices();
    const uint16_t products[] = {PRODUCT_ID_TOGGLE, PRODUCT_ID_TUNER,   PRODUCT_ID_MODE,
                                 PRODUCT_ID_WAP,    PRODUCT_ID_Z7HOTAS, PRODUCT_ID_GDP};
    for (uint16_t product : products) {
        CAvionex::SetPanelFactory(product, &MakeIdlePanel);
        Sim::VirtualHidDevice device;
        device.vendorId = VENDOR_ID_PANELS;
        device.productId = product;
        device.reportDescriptor = Descriptor();
        Sim::PlugDevice(device);
    }
    auto manager = std::make_unique<CAvionex>();
    if (manager->Initialize() != 0 || manager->PanelCount() != 6) {
        state.SkipWithError("the six panels did not attach");
        return;
    }
    manager->NotifyPanels();  // the reads are in flight from here on

    long before = g_allocations.load();
    for (auto _ : state)
        manager->NotifyPanels();
    long allocations = g_allocations.load() - before;
    state.counters["allocations_per_frame"] = benchmark::Counter(
        static_cast<double>(allocations) / static_cast<double>(state.iterations()));
    if (allocations != 0)
        state.SkipWithError("a steady frame allocated");

    manager->Uninitialize();
    manager.reset();
    for (uint16_t product : products)
        CAvionex::SetPanelFactory(product, nullptr);
    Sim::ResetDevices();
}
BENCHMARK(BM_NotifyPanelsSixIdlePanels);

}  // namespace
