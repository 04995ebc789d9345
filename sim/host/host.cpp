#include "sim/host/host.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/handover_events.h"
#include "platform/keyboard.h"
#include "platform/module.h"
#include "platform/named_events.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_services.h"
#include "platform/sync.h"
#include "plugin/core/trace.h"
#include "service/orv_service.h"
#include "sim/devices/device_kinds.h"
#include "sim/devices/z7hotas.h"
#include "sim/host/device_faults.h"
#include "sim/host/options.h"
#include "sim/host/panel_view.h"

namespace fs = std::filesystem;

namespace Orv::Host {

namespace {

// X-Plane hands its plugins buffers of 256 bytes.
constexpr size_t kIdentityBuffer = 256;

// Virtual time the service program gets at the end of a --service run.
constexpr uint32_t kServiceDrainMs = 5000;

std::string BufferText(const char* buffer) {
    return std::string(buffer, strnlen(buffer, kIdentityBuffer));
}

const char* OpName(XSim::Observer::CommandOp op) {
    switch (op) {
        case XSim::Observer::CommandOp::Once:
            return "once";
        case XSim::Observer::CommandOp::Begin:
            return "begin";
        case XSim::Observer::CommandOp::End:
            return "end";
    }
    return "?";
}

}  // namespace

Host::Host(const Options& options) : options_(options) {}

Host::~Host() {
    Finish();
}

bool Host::Setup(std::string* error) {
    if (!options_.log.empty() && !log_.Open(options_.log, error))
        return false;

    Sim::Reset(options_.realtime ? Sim::TimeMode::Real : Sim::TimeMode::Virtual);
    Sim::ResetDevices();
    Sim::SetFeatureObserver([this](Sim::DeviceId id, const std::vector<uint8_t>& bytes) {
        std::string device = std::to_string(id);
        {
            std::lock_guard lock(deviceNamesMutex_);
            auto name = deviceNames_.find(id);
            if (name != deviceNames_.end()) {
                Named& named = name->second;
                device = named.id;
                if (options_.view) {
                    std::string shown = DescribeFeatureReport(named.productId, bytes);
                    if (shown != named.shown) {
                        named.shown = shown;
                        std::erase(viewChanged_, id);
                        viewChanged_.push_back(id);
                    }
                }
            }
        }
        Log(log_.Begin("feature").Str("device", device).Str("bytes", HexBytes(bytes)));
    });
    XSim::Reset();
    XSim::SetObserver(this);
    Sim::SetNamedEventObserver([this](const std::wstring& name, bool opened) {
        Log(log_.Begin("signal").Str("name", Sim::ToUtf8(name)).Bool("opened", opened));
    });
    Sim::SetInputObserver([this](const std::vector<Platform::KeyEvent>& events) {
        std::string keys = "[";
        for (size_t i = 0; i < events.size(); ++i) {
            if (i != 0)
                keys.push_back(',');
            keys.append("{\"scan\":");
            Json::AppendUnsigned(&keys, events[i].scanCode);
            keys.append(",\"up\":");
            keys.append((events[i].flags & Platform::kKeyEventKeyUp) != 0 ? "true" : "false");
            keys.push_back('}');
        }
        keys.push_back(']');
        Log(log_.Begin("input").Raw("keys", keys));
    });

    if (!sandbox_.Create(options_.root, error))
        return false;
    if (!sandbox_.Stage(options_.plugin, options_.data, !options_.dataGiven, options_.profile,
                        error))
        return false;
    Sim::SetPublicDocumentsFolder(Sim::FromUtf8(sandbox_.PublicDocuments()));
    if (!options_.out.empty()) {
        std::error_code ec;
        fs::create_directories(options_.out, ec);
        if (ec) {
            *error = "cannot create " + options_.out + ": " + ec.message();
            return false;
        }
    }

    // The provider registers while the module loads; the session must be
    // listening by then so that the provider is enabled inside its
    // registration.
    if (options_.trace) {
        trace_ = std::make_unique<Sim::TraceSession>(
            kTraceProviderGuid, [this](const Sim::TraceRecord& record) {
                Log(log_.Begin("trace")
                        .Uint("level", record.level)
                        .Uint("keyword", record.keyword)
                        .Uint("thread", record.thread)
                        .Str("text", sandbox_.Scrub(Sim::ToUtf8(record.text))));
            });
        trace_->Start(options_.traceLevel, options_.traceMask);
    }
    if (options_.service && !InstallService(error))
        return false;
    return LoadPlugin(error);
}

bool Host::InstallService(std::string* error) {
    // The maker's display service: running, and a few polls stop-pending
    // after a stop, as a real service takes a while to let go.
    Sim::ScriptedService display;
    display.stopPendingPolls = 2;
    Sim::InstallScriptedService(Service::kDisplayServiceName, display);
    Sim::SetServiceObserver([this](const std::wstring& name, uint32_t state) {
        Log(log_.Begin("service")
                .Str("name", Sim::ToUtf8(name))
                .Str("state", Sim::ServiceStateName(state)));
    });
    // The service program installs itself under this program's path, so
    // the manager runs it here, in-process, when it starts the service.
    std::wstring path;
    if (Platform::Module().GetModuleFileName(nullptr, &path) != 0) {
        *error = "--service: cannot find the path of this program";
        return false;
    }
    Sim::RegisterServiceProgram(path, Service::RunProgramAsProcess);
    const wchar_t* argv[] = {L"orvservice.exe", L"-install", nullptr};
    if (Service::RunProgram(2, argv) != 0) {
        *error = "--service: orvservice -install failed";
        return false;
    }
    Sim::Settle();
    // In real time the service's worker comes up on its own schedule: let
    // it create the hand-over events (up to 2 s) before the plugin loads, as
    // a service started with the system is up long before X-Plane.
    for (int i = 0; i < 200 && !Sim::NamedEventExists(kResumeEventName); ++i)
        Sim::Advance(10);
    return true;
}

bool Host::LoadPlugin(std::string* error) {
    module_ = dlopen(sandbox_.PluginPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr) {
        const char* why = dlerror();
        *error = "cannot load the plugin " + options_.plugin + ": " +
                 sandbox_.Scrub(why != nullptr ? why : "unknown error");
        return false;
    }
    auto find = [&](const char* name, auto* slot) {
        void* symbol = dlsym(module_, name);
        if (symbol == nullptr) {
            *error = std::string("the plugin does not export ") + name;
            return false;
        }
        *slot = reinterpret_cast<std::remove_pointer_t<decltype(slot)>>(symbol);
        return true;
    };
    if (!find("XPluginStart", &exports_.start) || !find("XPluginStop", &exports_.stop) ||
        !find("XPluginEnable", &exports_.enable) || !find("XPluginDisable", &exports_.disable) ||
        !find("XPluginReceiveMessage", &exports_.receive)) {
        UnloadPlugin();
        return false;
    }
    Sim::Settle();
    return true;
}

void Host::UnloadPlugin() {
    if (module_ == nullptr)
        return;
    dlclose(module_);
    module_ = nullptr;
    exports_ = Exports{};
    Sim::Settle();
}

void Host::Finish() {
    if (finished_)
        return;
    finished_ = true;
    if (running_)
        Stop();
    UnloadPlugin();
    // The service program serves the plugin's last request (the resume at
    // its stop) after the display service has finished stopping: give it
    // the virtual time for that before the run ends.
    if (options_.service && !options_.realtime)
        Sim::Advance(kServiceDrainMs);
    if (trace_) {
        trace_->Stop();
        trace_.reset();
    }
    ServiceEvents(false);
    XSim::SetObserver(nullptr);
    Sim::SetFeatureObserver(nullptr);
    Sim::SetNamedEventObserver(nullptr);
    Sim::SetInputObserver(nullptr);
    Sim::SetServiceObserver(nullptr);
    log_.Close();
}

void Host::Start() {
    if (module_ == nullptr)
        return;
    char name[kIdentityBuffer] = {};
    char signature[kIdentityBuffer] = {};
    char description[kIdentityBuffer] = {};
    int result = exports_.start(name, signature, description);
    Sim::Settle();
    // A plugin that overruns its buffers cannot be caught here, but one
    // that forgets the terminator must not make the host read past them.
    name[kIdentityBuffer - 1] = signature[kIdentityBuffer - 1] = description[kIdentityBuffer - 1] =
        0;
    Log(log_.Begin("start")
            .Str("name", BufferText(name))
            .Str("signature", BufferText(signature))
            .Str("description", BufferText(description))
            .Int("result", result));
    running_ = result == 1;
    // X-Plane enables a plugin that started, and drops one that did not.
    if (running_)
        Enable();
}

void Host::Enable() {
    if (module_ == nullptr)
        return;
    exports_.enable();
    Sim::Settle();
    Log(log_.Begin("enable"));
}

void Host::Disable() {
    if (module_ == nullptr)
        return;
    exports_.disable();
    Sim::Settle();
    Log(log_.Begin("disable"));
}

void Host::Stop() {
    if (module_ == nullptr)
        return;
    exports_.stop();
    Sim::Settle();
    running_ = false;
    Log(log_.Begin("stop"));
}

void Host::Message(int sender, int message, intptr_t param) {
    if (module_ == nullptr)
        return;
    exports_.receive(sender, message, reinterpret_cast<void*>(param));
    Sim::Settle();
}

void Host::Frames(uint64_t count) {
    for (uint64_t i = 0; i < count; ++i) {
        ++frame_;
        log_.SetFrame(frame_);
        Sim::Advance(options_.frameMs);
        XSim::RunFrame(static_cast<float>(options_.frameMs) / 1000.0f);
        Sim::Settle();
        EndMfdFrame();
        if (options_.view)
            PrintView();
    }
}

void Host::WatchMfd(SimDevices::Z7HotasDevice& mfd, const std::string& id) {
    // Called under the bus lock, from whichever thread issued the request.
    auto show = [this, id, &mfd] {
        if (!options_.view)
            return;
        std::lock_guard lock(deviceNamesMutex_);
        for (auto& [handle, named] : deviceNames_) {
            if (named.id != id)
                continue;
            std::string shown = DescribeMfd(mfd.Lines(), mfd.Shift());
            if (shown != named.shown) {
                named.shown = shown;
                std::erase(viewChanged_, handle);
                viewChanged_.push_back(handle);
            }
        }
    };
    SimDevices::Z7HotasDevice::Observer observer;
    observer.line = [this, id, show](int line, const std::string& text) {
        Log(log_.Begin("mfd").Str("device", id).Int("line", line).ByteStr("text", text));
        show();
    };
    observer.shift = [this, id, show](uint32_t value) {
        Log(log_.Begin("mfd-shift").Str("device", id).Uint("value", value));
        show();
    };
    mfd.SetObserver(std::move(observer));
}

void Host::EndMfdFrame() {
    for (const auto& [id, plugged] : devices_) {
        if (!plugged.present)
            continue;
        Sim::WithModel(plugged.device,
                       [](Sim::VirtualDevice& model, Sim::PendingRequests& pending) {
                           if (auto* mfd = dynamic_cast<SimDevices::Z7HotasDevice*>(&model))
                               mfd->FrameEnded(pending);
                       });
    }
}

void Host::PrintView() {
    std::FILE* out = options_.log == "-" ? stderr : stdout;
    std::lock_guard lock(deviceNamesMutex_);
    // A frame in which nothing that the view shows changed prints nothing.
    int loops = XSim::FlightLoopCount();
    if (viewChanged_.empty() && loops == viewLoops_)
        return;
    viewLoops_ = loops;
    std::fprintf(out, "frame %llu  t=%llu ms  flight loops %d\n",
                 static_cast<unsigned long long>(frame_),
                 static_cast<unsigned long long>(Sim::Now()), loops);
    for (Sim::DeviceId id : viewChanged_) {
        const Named& named = deviceNames_[id];
        std::fprintf(out, "  %-12s %s\n", named.id.c_str(), named.shown.c_str());
    }
    viewChanged_.clear();
}

void Host::Advance(uint32_t ms) {
    Sim::Advance(ms);
    Sim::Settle();
}

bool Host::SetData(const std::string& assignment, std::string* error) {
    return XSim::SetDataFromText(assignment, error);
}

bool Host::Aircraft(const std::string& relativePath, std::string* error) {
    std::string path;
    if (!sandbox_.Resolve(relativePath, &path, error))
        return false;
    XSim::SetUserAircraft(fs::path(path).filename().string(), path);
    Message(XPLM_PLUGIN_XPLANE, XPLM_MSG_PLANE_LOADED, static_cast<intptr_t>(XPLM_USER_AIRCRAFT));
    return true;
}

bool Host::WriteFile(const std::string& relativePath, const std::vector<std::string>& lines,
                     std::string* error) {
    std::string path;
    if (!sandbox_.Resolve(relativePath, &path, error))
        return false;
    std::error_code ec;
    fs::path parent = fs::path(path).parent_path();
    fs::create_directories(parent, ec);
    if (ec) {
        *error = "cannot create the folder " + relativePath + ": " + ec.message();
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const auto& line : lines)
        file << line << '\n';
    file.close();
    if (!file) {
        *error = "cannot write " + relativePath;
        return false;
    }
    return true;
}

void Host::ServiceEvents(bool on) {
    if (on) {
        // Auto-reset events, not signalled: the service waits on them.
        if (pauseEvent_ == nullptr)
            pauseEvent_ = Platform::NamedEvents().CreateEvent(false, false, kPauseEventName);
        if (resumeEvent_ == nullptr)
            resumeEvent_ = Platform::NamedEvents().CreateEvent(false, false, kResumeEventName);
        return;
    }
    if (pauseEvent_ != nullptr)
        Platform::Sync().CloseHandle(pauseEvent_);
    if (resumeEvent_ != nullptr)
        Platform::Sync().CloseHandle(resumeEvent_);
    pauseEvent_ = resumeEvent_ = nullptr;
}

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes) {
    if (text.size() % 2 != 0)
        return false;
    bytes->clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        uint64_t value = 0;
        if (!ParseHex(text.substr(i, 2), &value))
            return false;
        bytes->push_back(static_cast<uint8_t>(value));
    }
    return true;
}

}  // namespace

bool Host::Plug(const std::vector<std::string>& words, std::string* error) {
    if (words.empty()) {
        *error = "plug takes a kind";
        return false;
    }
    const SimDevices::DeviceKind* kind = SimDevices::FindDeviceKind(words[0]);
    if (kind == nullptr) {
        *error = "unknown device kind '" + words[0] + "'";
        return false;
    }
    Sim::VirtualHidDevice device = kind->describe();
    std::string id;
    std::string serial;
    bool serialGiven = false;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        size_t eq = word.find('=');
        if (eq == std::string::npos) {
            if (!id.empty()) {
                *error = "plug: a second device ID '" + word + "'";
                return false;
            }
            id = word;
            continue;
        }
        std::string key = word.substr(0, eq);
        std::string value = word.substr(eq + 1);
        uint64_t number = 0;
        if (key == "serial") {
            serial = value;
            serialGiven = true;
        } else if (key == "vid" || key == "pid") {
            if (!ParseHex(value, &number) || number > 0xFFFF) {
                *error = "plug: bad " + key + " '" + value + "'";
                return false;
            }
            (key == "vid" ? device.vendorId : device.productId) = static_cast<uint16_t>(number);
        } else if (key == "descriptor") {
            if (!ParseHexBytes(value, &device.reportDescriptor)) {
                *error = "plug: bad descriptor '" + value + "'";
                return false;
            }
        } else {
            *error = "plug: unknown option '" + key + "'";
            return false;
        }
    }
    int n = ++kindCounts_[kind->name];
    if (id.empty())
        id = std::string(kind->name) + "-" + std::to_string(n);
    if (devices_.count(id) != 0 && devices_[id].present) {
        *error = "plug: device " + id + " is plugged already";
        return false;
    }
    // Devices are numbered in plug order, re-plugged ones too, so that no
    // two devices get the same serial.
    ++plugCount_;
    if (!serialGiven) {
        char text[16];
        std::snprintf(text, sizeof text, "OV%06d", plugCount_);
        serial = text;
    }
    device.serial = Sim::FromUtf8(serial);
    std::shared_ptr<Sim::VirtualDevice> model = kind->make(device);
    if (auto* mfd = dynamic_cast<SimDevices::Z7HotasDevice*>(model.get()))
        WatchMfd(*mfd, id);
    Sim::DeviceId handle = Sim::PlugDevice(std::move(model));
    Plugged plugged{handle, kind->name, Lower(Sim::ToUtf8(Sim::HidInterfacePath(handle))), true};
    devices_[id] = plugged;
    {
        std::lock_guard lock(deviceNamesMutex_);
        deviceNames_[handle] = Named{id, device.productId, {}};
    }
    Log(log_.Begin("attach").Str("device", id).Str("kind", kind->name).Str("path", plugged.path));
    Sim::Settle();
    return true;
}

bool Host::FindDevice(const std::string& id, Plugged** device, std::string* error) {
    auto it = devices_.find(id);
    if (it == devices_.end() || !it->second.present) {
        *error = "no plugged device '" + id + "'";
        return false;
    }
    *device = &it->second;
    return true;
}

bool Host::Unplug(const std::string& id, std::string* error) {
    Plugged* device = nullptr;
    if (!FindDevice(id, &device, error))
        return false;
    device->present = false;
    Log(log_.Begin("detach").Str("device", id).Str("kind", device->kind).Str("path", device->path));
    Sim::UnplugDevice(device->device);
    Sim::Settle();
    return true;
}

bool Host::Buttons(const std::string& id, const std::vector<uint16_t>& usages, bool down,
                   std::string* error) {
    Plugged* device = nullptr;
    if (!FindDevice(id, &device, error))
        return false;
    if (!Sim::SetButtons(device->device, usages, down)) {
        *error = "device " + id + " sends no buttons";
        return false;
    }
    Sim::Settle();
    return true;
}

bool Host::Report(const std::string& id, const std::vector<uint8_t>& bytes, std::string* error) {
    Plugged* device = nullptr;
    if (!FindDevice(id, &device, error))
        return false;
    Sim::SendInputReport(device->device, bytes);
    Sim::Settle();
    return true;
}

bool Host::Fault(const std::string& id, const std::string& what, const std::string& arg,
                 std::string* error) {
    Plugged* device = nullptr;
    if (!FindDevice(id, &device, error))
        return false;
    const FaultName* fault = FindFault(what);
    if (fault == nullptr || !fault->available) {
        *error = "fault " + what + ": not yet available";
        return false;
    }
    uint64_t value = fault->value;
    if (fault->takesNumber && !arg.empty())
        ParseUnsigned(arg, 0xFFFFFFFFull, &value);
    Sim::SetDeviceFault(device->device, fault->fault, static_cast<uint32_t>(value));
    return true;
}

void Host::PlugEveryKind() {
    std::string error;
    for (const std::string& kind : SimDevices::SupportedKindNames())
        Plug({kind}, &error);
}

void Host::OnCommand(CommandOp op, const std::string& name, bool nullHandle) {
    Line line = log_.Begin("command");
    line.Str("op", OpName(op));
    if (nullHandle)
        line.Null("name");
    else
        line.Str("name", name);
    Log(line);
}

void Host::OnWrite(const std::string& name, const std::vector<double>& values, int offset) {
    Line line = log_.Begin("write");
    line.Str("name", name);
    if (offset < 0 && values.size() == 1) {
        line.Num("value", values[0]);
    } else {
        line.Numbers("value", values);
        line.Int("offset", offset < 0 ? 0 : offset);
    }
    Log(line);
}

void Host::OnKeyStroke(int key) {
    Log(log_.Begin("key").Int("value", key));
}

void Host::OnJoystickButton(int button, int state) {
    Log(log_.Begin("joy").Int("value", button).Int("state", state));
}

void Host::OnSpeak(const std::string& text) {
    Log(log_.Begin("speak").Str("text", text));
}

}  // namespace Orv::Host
