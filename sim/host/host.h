// The host of one run: what X-Plane does with its plugin (load it, call its
// entry points, run frames, send messages), over the simulated X-Plane and
// the simulation platform, with everything that happens in the event log.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sim/sim_devices.h"
#include "platform/types.h"
#include "sdk/xplm.h"
#include "sim/host/event_log.h"
#include "sim/host/options.h"
#include "sim/host/sandbox.h"
#include "sim/xplane/world.h"

namespace Orv::SimDevices {
class Z7HotasDevice;
}

namespace Orv::Sim {
class TraceSession;
}

namespace Orv::Host {

class Host : public XSim::Observer {
public:
    explicit Host(const Options& options);
    ~Host() override;
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Resets the simulation, stages the sandbox, starts the trace session
    // and loads the plugin.  False with a message on failure.
    bool Setup(std::string* error);
    // Stops the plugin if it started and has not stopped, unloads it, ends
    // the trace session and flushes the log.
    void Finish();

    // The entry points, each logged after it ran.
    void Start();
    void Enable();
    void Disable();
    void Stop();
    void Message(int sender, int message, intptr_t param);
    // Whether XPluginStart ran and returned 1, and XPluginStop has not run.
    bool Running() const { return running_; }

    void Frames(uint64_t count);
    void Advance(uint32_t ms);
    bool SetData(const std::string& assignment, std::string* error);
    bool Aircraft(const std::string& relativePath, std::string* error);
    bool WriteFile(const std::string& relativePath, const std::vector<std::string>& lines,
                   std::string* error);
    // Creates (on) or closes (off) the two hand-over events, as the
    // service program does.
    void ServiceEvents(bool on);

    // Virtual devices.  Plug: KIND [ID] [serial=S] [vid=HEX] [pid=HEX]
    // [descriptor=HEX] (words after the kind); the others take a device ID.
    bool Plug(const std::vector<std::string>& words, std::string* error);
    bool Unplug(const std::string& id, std::string* error);
    bool Buttons(const std::string& id, const std::vector<uint16_t>& usages, bool down,
                 std::string* error);
    bool Report(const std::string& id, const std::vector<uint8_t>& bytes, std::string* error);
    bool Fault(const std::string& id, const std::string& what, const std::string& arg,
               std::string* error);
    // One device of every supported kind.
    void PlugEveryKind();

    // XSim::Observer
    void OnCommand(CommandOp op, const std::string& name, bool nullHandle) override;
    void OnWrite(const std::string& name, const std::vector<double>& values, int offset) override;
    void OnKeyStroke(int key) override;
    void OnJoystickButton(int button, int state) override;
    void OnSpeak(const std::string& text) override;

private:
    struct Exports {
        int (*start)(char*, char*, char*) = nullptr;
        void (*stop)() = nullptr;
        int (*enable)() = nullptr;
        void (*disable)() = nullptr;
        void (*receive)(XPLMPluginID, int, void*) = nullptr;
    };

    // --service: the display service and orvservice -install on the
    // simulated service manager.
    bool InstallService(std::string* error);
    bool LoadPlugin(std::string* error);
    void UnloadPlugin();
    void Log(const Line& line) { log_.Write(line); }

    Options options_;
    EventLog log_;
    Sandbox sandbox_;
    std::unique_ptr<Sim::TraceSession> trace_;
    void* module_ = nullptr;
    Exports exports_;
    uint64_t frame_ = 0;
    bool running_ = false;
    bool finished_ = false;
    struct Plugged {
        Sim::DeviceId device = 0;
        std::string kind;
        std::string path;  // lower case, as the plugin sees it
        bool present = true;
    };
    bool FindDevice(const std::string& id, Plugged** device, std::string* error);
    std::map<std::string, Plugged> devices_;
    std::map<std::string, int> kindCounts_;
    int plugCount_ = 0;  // devices plugged so far; the default serial is OV + this
    // Read by the feature observer, on whichever thread sends the report.
    struct Named {
        std::string id;
        uint16_t productId = 0;
        std::string shown;  // --view: what the device shows now
    };
    std::mutex deviceNamesMutex_;
    std::map<Sim::DeviceId, Named> deviceNames_;
    // --view: the devices whose display changed since the last frame line,
    // in the order they changed.
    std::vector<Sim::DeviceId> viewChanged_;
    int viewLoops_ = 0;  // the flight loops the last frame line showed
    void PrintView();
    // The joystick's MFD: its events (and --view), and its frame ends.
    void WatchMfd(SimDevices::Z7HotasDevice& mfd, const std::string& id);
    void EndMfdFrame();
    Platform::Handle pauseEvent_ = nullptr;
    Platform::Handle resumeEvent_ = nullptr;
};

}  // namespace Orv::Host
