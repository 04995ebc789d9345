// In-process trace sessions and the trace provider port on them.
//
// A session stands for an event-tracing session of the system: it enables
// the providers registered with its GUID and receives what they write.  The
// enable callback runs on the thread that starts or stops the session, or
// inside EventRegister; this stands for "a thread of the tracing system's
// choosing" and keeps virtual time deterministic.
//
// Sessions deliver lines one at a time (sinks never run concurrently).  A
// sink must not block in a platform wait.
#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "platform/trace_provider.h"

namespace Orv::Sim {
namespace {

using Platform::Guid;
using Platform::TraceEnableCallback;
using Platform::TraceRegistration;

struct Registration {
    Guid provider;
    TraceEnableCallback callback;
    void* context;
};

struct SessionState {
    Guid provider;
    TraceSession::Sink sink;
    bool started = false;
    uint8_t level = 0;
    uint64_t matchAny = 0;
};

struct TraceHub {
    std::recursive_mutex mu;
    std::map<TraceRegistration, Registration> registrations;
    TraceRegistration nextRegistration = 1;
    std::map<const TraceSession*, SessionState> sessions;

    SessionState* Listening(const Guid& provider) {
        for (auto& [owner, state] : sessions)
            if (state.started && state.provider == provider)
                return &state;
        return nullptr;
    }

    // Calls the enable callback of every registration of the provider.
    void Notify(const Guid& provider, uint32_t control, uint8_t level, uint64_t matchAny) {
        std::vector<Registration> targets;
        for (const auto& [handle, r] : registrations)
            if (r.provider == provider && r.callback)
                targets.push_back(r);
        for (const Registration& r : targets)
            r.callback(&r.provider, control, level, matchAny, 0, nullptr, r.context);
    }
};

TraceHub& Hub() {
    static TraceHub* hub = new TraceHub;
    return *hub;
}

// The session's own filter: a line passes at a level up to the session's
// (level 0 on either side passes everything) and with a keyword that shares
// a bit with the session's mask (keyword 0 always passes).
bool Passes(const SessionState& s, uint8_t level, uint64_t keyword) {
    bool levelOk = s.level == 0 || level == 0 || level <= s.level;
    bool keywordOk = keyword == 0 || (keyword & s.matchAny) != 0;
    return levelOk && keywordOk;
}

std::string GuidText(const Guid& g) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1,
                  g.data2, g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4],
                  g.data4[5], g.data4[6], g.data4[7]);
    return buf;
}

class SimTraceProvider final : public Platform::ITraceProvider {
public:
    uint32_t EventRegister(const Guid& provider, TraceEnableCallback callback, void* context,
                           TraceRegistration* registration) override {
        if (!registration)
            return Platform::kErrorInvalidParameter;
        TraceHub& hub = Hub();
        std::lock_guard lk(hub.mu);
        TraceRegistration handle = hub.nextRegistration++;
        hub.registrations[handle] = Registration{provider, callback, context};
        *registration = handle;
        if (SessionState* s = hub.Listening(provider); s && callback)
            callback(&provider, Platform::kTraceControlEnable, s->level, s->matchAny, 0, nullptr,
                     context);
        return Platform::kErrorSuccess;
    }

    uint32_t EventWriteString(TraceRegistration registration, uint8_t level, uint64_t keyword,
                              const wchar_t* text) override {
        TraceHub& hub = Hub();
        std::lock_guard lk(hub.mu);
        auto it = hub.registrations.find(registration);
        if (it == hub.registrations.end())
            return Platform::kErrorInvalidHandle;
        SessionState* s = hub.Listening(it->second.provider);
        if (!s || !Passes(*s, level, keyword) || !s->sink)
            return Platform::kErrorSuccess;
        TraceSession::Sink sink = s->sink;  // the sink may stop its session
        sink(TraceRecord{level, keyword, ThreadOrdinal(), text ? text : L""});
        return Platform::kErrorSuccess;
    }

    uint32_t EventUnregister(TraceRegistration registration) override {
        TraceHub& hub = Hub();
        std::lock_guard lk(hub.mu);
        return hub.registrations.erase(registration) ? Platform::kErrorSuccess
                                                     : Platform::kErrorInvalidHandle;
    }
};

}  // namespace

TraceSession::TraceSession(const Platform::Guid& provider, Sink sink) : provider_(provider) {
    TraceHub& hub = Hub();
    std::lock_guard lk(hub.mu);
    hub.sessions[this] = SessionState{provider, std::move(sink)};
}

TraceSession::~TraceSession() {
    Stop();
    TraceHub& hub = Hub();
    std::lock_guard lk(hub.mu);
    hub.sessions.erase(this);
}

void TraceSession::Start(uint8_t level, uint64_t matchAnyKeyword) {
    TraceHub& hub = Hub();
    std::lock_guard lk(hub.mu);
    SessionState* other = hub.Listening(provider_);
    if (other && other != &hub.sessions[this]) {
        std::fprintf(stderr,
                     "Orv::Sim::TraceSession: another session already listens for provider %s; "
                     "this one is not started\n",
                     GuidText(provider_).c_str());
        return;
    }
    SessionState& s = hub.sessions[this];
    s.started = true;
    s.level = level;
    s.matchAny = matchAnyKeyword;
    started_ = true;
    hub.Notify(provider_, Platform::kTraceControlEnable, level, matchAnyKeyword);
}

void TraceSession::Stop() {
    TraceHub& hub = Hub();
    std::lock_guard lk(hub.mu);
    if (!started_)
        return;
    SessionState& s = hub.sessions[this];
    s.started = false;
    s.level = 0;
    s.matchAny = 0;
    started_ = false;
    hub.Notify(provider_, Platform::kTraceControlDisable, 0, 0);
}

bool TraceSession::Started() const {
    std::lock_guard lk(Hub().mu);
    return started_;
}

}  // namespace Orv::Sim

namespace Orv::Platform {

ITraceProvider& TraceProvider() {
    static ITraceProvider* provider = new Sim::SimTraceProvider;
    return *provider;
}

}  // namespace Orv::Platform
