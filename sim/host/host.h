// The host of one run: what X-Plane does with its plugin (load it, call its
// entry points, run frames, send messages), over the simulated X-Plane and
// the simulation platform, with everything that happens in the event log.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"
#include "sdk/xplm.h"
#include "sim/host/event_log.h"
#include "sim/host/options.h"
#include "sim/host/sandbox.h"
#include "sim/xplane/world.h"

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

    const Sandbox& Box() const { return sandbox_; }

    // The entry points, each logged after it ran.
    void Start();
    void Enable();
    void Disable();
    void Stop();
    void Message(int sender, int message, intptr_t param);
    // Whether XPluginStart ran and returned 1, and XPluginStop has not run.
    bool Running() const { return running_; }
    bool Started() const { return startedOnce_; }

    void Frames(uint64_t count);
    void Advance(uint32_t ms);
    bool SetData(const std::string& assignment, std::string* error);
    bool Aircraft(const std::string& relativePath, std::string* error);
    bool WriteFile(const std::string& relativePath, const std::vector<std::string>& lines,
                   std::string* error);
    // Creates (on) or closes (off) the two hand-over events, as the
    // service program does.
    void ServiceEvents(bool on);

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
    bool startedOnce_ = false;
    bool finished_ = false;
    Platform::Handle pauseEvent_ = nullptr;
    Platform::Handle resumeEvent_ = nullptr;
};

}  // namespace Orv::Host
