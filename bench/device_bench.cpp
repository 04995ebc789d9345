// The device framework's cost per frame: NotifyPanels with six attached,
// idle panels (a read in flight on each, no report arriving) on the virtual
// device bus; and a whole simulator frame of the started plugin with the
// four HID panels attached and idle.  Both count the heap allocations of a
// steady frame (with a replaced operator new) and the feature reports sent:
// there must be none of either.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>

#include "bench/allocation_counter.h"
#include "common/device_ids.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "plugin/core/dll_entry.h"
#include "plugin/core/plugin.h"
#include "plugin/core/trace.h"
#include "plugin/devices/avionex.h"
#include "plugin/devices/glasslink.h"
#include "sim/devices/device_kinds.h"
#include "sim/devices/glasslink_stub.h"
#include "sim/xplane/world.h"

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

void BM_NotifyPanelsSixIdlePanels(benchmark::State& state) {
    using namespace Orv;
    Sim::Reset(Sim::TimeMode::Virtual);
    Sim::ResetDevices();
    const uint16_t products[] = {PRODUCT_ID_TOGGLE, PRODUCT_ID_TUNER,   PRODUCT_ID_MODE,
                                 PRODUCT_ID_WAP,    PRODUCT_ID_Z7HOTAS, PRODUCT_ID_GDP};
    DeviceKinds kinds;
    for (uint16_t product : products) {
        kinds.panels.push_back({product, L"The idle panel is attached: %s", &MakeIdlePanel});
        Sim::VirtualHidDevice device;
        device.vendorId = VENDOR_ID_PANELS;
        device.productId = product;
        device.reportDescriptor = Sim::PanelReportDescriptor(20, 2);
        Sim::PlugDevice(device);
    }
    auto manager = std::make_unique<CAvionex>(std::move(kinds));
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
    Sim::ResetDevices();
}
BENCHMARK(BM_NotifyPanelsSixIdlePanels);

// The annunciator's programming: a dozen conditions on lenses, so that the
// frame evaluates them all.
constexpr const char* kProgramming = R"(<?xml version="1.0"?>
<Wap>
  <WapProgramming Id="BENCH">
    <Lense><Id>GearUp</Id><Colour>Green</Colour><Assignment>0</Assignment></Lense>
    <Lense><Id>GearDown</Id><Colour>Green</Colour><Assignment>1</Assignment></Lense>
    <Lense><Id>GearUnsafe</Id><Colour>Red</Colour><Assignment>2</Assignment></Lense>
    <Lense><Id>EngineFire</Id><Colour>Red</Colour><Assignment>3</Assignment></Lense>
    <Lense><Id>OilPressure</Id><Colour>Amber</Colour><Assignment>4</Assignment></Lense>
    <Lense><Id>EngineOilTemp</Id><Colour>Amber</Colour><Assignment>5</Assignment></Lense>
    <Lense><Id>FuelLow</Id><Colour>Amber</Colour><Assignment>6</Assignment></Lense>
    <Lense><Id>LeftFuelLow</Id><Colour>Amber</Colour><Assignment>7</Assignment></Lense>
    <Lense><Id>BeaconLight</Id><Colour>Green</Colour><Assignment>8</Assignment></Lense>
    <Lense><Id>ParkingBrakes</Id><Colour>Red</Colour><Assignment>9</Assignment></Lense>
    <Lense><Id>NAV1</Id><Colour>Green</Colour><Assignment>10</Assignment></Lense>
    <Lense><Id>MasterCaution</Id><Colour>Amber</Colour><Assignment>22</Assignment></Lense>
    <Lense><Id>MasterWarning</Id><Colour>Red</Colour><Assignment>23</Assignment></Lense>
  </WapProgramming>
</Wap>
)";

// The joystick's display interface, counting the requests that reach it.
class CountingJoystick : public Orv::SimDevices::GlassLinkStubDevice {
public:
    using GlassLinkStubDevice::GlassLinkStubDevice;
    Orv::Sim::RequestResult OnDisplayRequest(const Orv::Sim::DisplayRequest& request,
                                             Orv::Sim::PendingRequests& pending) override {
        requests.fetch_add(1);
        return GlassLinkStubDevice::OnDisplayRequest(request, pending);
    }
    static inline std::atomic<long> requests{0};
};

// One simulator frame of the started, enabled plugin with the toggle,
// tuner, mode and annunciator panels attached, nothing changing: the
// world's step, the flight loop and the four panels' frames.  With
// joystick, the joystick too, on its first page (COM1 and NAV1), whose
// three lines do not change.
void RunSteadyFrames(benchmark::State& state, bool joystick) {
    using namespace Orv;
    Sim::Reset(Sim::TimeMode::Virtual);
    Sim::ResetDevices();
    XSim::Reset();
    std::filesystem::path documents =
        std::filesystem::temp_directory_path() / "orv_bench_documents";
    std::filesystem::create_directories(documents / "Trimwise Profiles");
    std::ofstream(documents / "Trimwise Profiles" / "WapProgramming.xml") << kProgramming;
    Sim::SetPublicDocumentsFolder(documents.wstring());

    for (const char* name : {"toggle", "tuner", "mode", "wap"}) {
        const SimDevices::DeviceKind* kind = SimDevices::FindDeviceKind(name);
        Sim::VirtualHidDevice device = kind->describe();
        device.serial = L"BENCH";
        Sim::PlugDevice(kind->make(device));
    }
    // The joystick's pages, in the plugin's data folder (beside the folder
    // of the program, which holds the plugin's code here).
    std::filesystem::path pages;
    if (joystick) {
        std::wstring folder;
        CGlassLink::GetConfigureFilePath(folder);
        for (wchar_t& c : folder)
            if (c == L'\\')
                c = L'/';
        pages = std::filesystem::path(folder) / "XValduraAvionex.xml";
        std::filesystem::create_directories(pages.parent_path());
        std::ofstream(pages) << "<GaugeList><Z7Hotas><ComNav radio1=\"true\"/><Xpndr/>"
                                "</Z7Hotas></GaugeList>";
        Sim::VirtualHidDevice device = SimDevices::FindDeviceKind("z7hotas")->describe();
        Sim::PlugDevice(std::make_shared<CountingJoystick>(device));
    }
    std::atomic<long> reports{0};
    Sim::SetFeatureObserver(
        [&reports](Sim::DeviceId, const std::vector<uint8_t>&) { reports.fetch_add(1); });

    DllEntry(DLL_REASON_PROCESS_ATTACH);
    char name[256], signature[256], description[256];
    XPluginStart(name, signature, description);
    XPluginEnable();
    Sim::Settle();
    // The first frames send what the panels show; from then on nothing
    // changes (the mode panel's LEDs are steady: no mode is armed).
    for (int i = 0; i < 3; ++i)
        XSim::RunFrame(0.02f);
    long sentAtStart = reports.load();
    long requestsAtStart = CountingJoystick::requests.load();

    long before = g_allocations.load();
    for (auto _ : state)
        XSim::RunFrame(0.02f);
    long allocations = g_allocations.load() - before;
    long sent = reports.load() - sentAtStart;
    long requests = CountingJoystick::requests.load() - requestsAtStart;
    double iterations = static_cast<double>(state.iterations());
    state.counters["allocations_per_frame"] = benchmark::Counter(double(allocations) / iterations);
    state.counters["reports_per_frame"] = benchmark::Counter(double(sent) / iterations);
    if (joystick)
        state.counters["mfd_requests_per_frame"] =
            benchmark::Counter(double(requests) / iterations);
    if (sentAtStart == 0)
        state.SkipWithError("the panels sent nothing at start");
    else if (joystick && requestsAtStart < 4)
        state.SkipWithError(
            "the joystick's MFD was not sent its shift indicator and three lines at start");
    else if (requests != 0)
        state.SkipWithError("a steady frame sent a request to the MFD");
    else if (allocations != 0)
        state.SkipWithError("a steady frame allocated");
    else if (sent != 0)
        state.SkipWithError("a steady frame sent a feature report");

    XPluginDisable();
    XPluginStop();
    DllEntry(DLL_REASON_PROCESS_DETACH);
    Sim::SetFeatureObserver(nullptr);
    Sim::ResetDevices();
    std::filesystem::remove_all(documents);
    if (!pages.empty())
        std::filesystem::remove(pages);
}

void BM_FrameFourIdlePanels(benchmark::State& state) {
    RunSteadyFrames(state, false);
}
BENCHMARK(BM_FrameFourIdlePanels);

void BM_FrameFourIdlePanelsAndJoystickOnAPage(benchmark::State& state) {
    RunSteadyFrames(state, true);
}
BENCHMARK(BM_FrameFourIdlePanelsAndJoystickOnAPage);

}  // namespace
