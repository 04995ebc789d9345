#include "sim/xplane/world_model.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

namespace Orv::XSim {

namespace {

constexpr const char* kGearHandle = "sim/cockpit2/controls/gear_handle_down";
constexpr const char* kGearRatio = "sim/flightmodel2/gear/deploy_ratio";
constexpr const char* kEngines = "sim/aircraft/engine/acf_num_engines";
constexpr const char* kStarterRunning = "sim/flightmodel2/engines/starter_is_running";
constexpr const char* kFlightDirector = "sim/cockpit2/autopilot/flight_director_mode";
constexpr const char* kAutopilotOn = "sim/cockpit2/autopilot/autopilot_on";
constexpr const char* kAltArmed = "sim/cockpit2/autopilot/altitude_hold_armed";
constexpr const char* kAltStatus = "sim/cockpit2/autopilot/altitude_hold_status";
constexpr const char* kAutothrottle = "sim/cockpit2/autopilot/autothrottle_enabled";
constexpr const char* kSpeedStatus = "sim/cockpit2/autopilot/speed_status";

constexpr int kKeyBoth = 3;
constexpr int kKeyStart = 4;

// Standby frequencies are in 10 kHz units: 11802 is 118.02 MHz.  The fine
// knobs step through the channels of the current MHz and wrap inside it; the
// coarse knobs step the MHz and wrap inside the band.
//
// COM channels are 25 kHz apart and show truncated to 10 kHz: .00 .02 .05
// .07 .10 ... .97 (channel c shows floor(2.5 c)).  A value off that grid
// counts as the channel just above it (118.03 is taken as 118.05), the
// last hundredths (.98, .99) as channel .97.
int ComFine(int value, int direction) {
    int mhz = value / 100;
    int hundredths = value % 100;
    int channel = std::min((2 * hundredths + 4) / 5, 39);
    channel = (channel + direction + 40) % 40;
    return mhz * 100 + channel * 5 / 2;
}

// NAV channels are 50 kHz apart: .00 .05 ... .95; off-grid values count as
// the channel just above (110.52 is taken as 110.55, .96 to .99 as .95).
int NavFine(int value, int direction) {
    int mhz = value / 100;
    int hundredths = value % 100;
    int channel = std::min((hundredths + 4) / 5, 19);
    channel = (channel + direction + 20) % 20;
    return mhz * 100 + channel * 5;
}

int CoarseStep(int value, int direction, int lowMhz, int highMhz) {
    int mhz = std::clamp(value / 100, lowMhz, highMhz) + direction;
    if (mhz > highMhz)
        mhz = lowMhz;
    if (mhz < lowMhz)
        mhz = highMhz;
    return mhz * 100 + value % 100;
}

// Moves one decimal digit (of the given weight) by direction, wrapping within
// 0..base-1 without carrying into its neighbours.  A digit above the range
// (a transponder digit 8 or 9) counts as the highest one.
int DigitStep(int value, int weight, int direction, int base) {
    value = std::max(value, 0);
    int digit = value / weight % 10;
    int current = std::min(digit, base - 1);
    int next = (current + direction % base + base) % base;
    return value + (next - digit) * weight;
}

}  // namespace

double StoredValue(DataType type, double value) {
    if (!std::isfinite(value))
        value = 0;
    switch (type) {
        case DataType::Int:
        case DataType::IntArray:
            return std::trunc(std::clamp(value, double(INT_MIN), double(INT_MAX)));
        case DataType::Float:
        case DataType::FloatArray:
            return double(float(std::clamp(value, double(-FLT_MAX), double(FLT_MAX))));
        case DataType::Bytes:
            return std::trunc(std::clamp(value, 0.0, 255.0));
        case DataType::Double:
            break;
    }
    return value;
}

World& World::Get() {
    static World world;
    return world;
}

World::World() {
    for (const DataDef& def : DataTable()) {
        auto ref = std::make_unique<DataRef>();
        ref->name = def.name;
        ref->type = def.type;
        ref->start.assign(size_t(std::max(def.size, 1)), 0.0);
        for (size_t i = 0; i < def.start.size() && i < ref->start.size(); ++i)
            ref->start[i] = StoredValue(def.type, def.start[i]);
        ref->values = ref->start;
        dataByName_[ref->name] = ref.get();
        liveData_.insert(ref.get());
        dataRefs_.push_back(std::move(ref));
    }
    builtinCount_ = dataRefs_.size();
    for (const CommandDef& def : CommandTable()) {
        for (int k = 1; k <= def.count; ++k) {
            auto command = std::make_unique<Command>();
            command->name = def.name;
            if (def.count > 1) {
                size_t at = command->name.find("%d");
                if (at != std::string::npos)
                    command->name.replace(at, 2, std::to_string(k));
            }
            command->def = &def;
            command->element = def.count > 1 ? def.element + k - 1 : def.element;
            command->ref = def.ref ? Builtin(def.ref) : nullptr;
            command->ref2 = def.ref2 ? Builtin(def.ref2) : nullptr;
            commandByName_[command->name] = command.get();
            liveCommands_.insert(command.get());
            commands_.push_back(std::move(command));
        }
    }
    gearHandle_ = Builtin(kGearHandle);
    gearRatio_ = Builtin(kGearRatio);
    engines_ = Builtin(kEngines);
}

DataRef* World::Builtin(const char* name) const {
    return FindData(name);
}

void World::Reset() {
    for (size_t i = 0; i < dataRefs_.size(); ++i) {
        DataRef* ref = dataRefs_[i].get();
        if (i < builtinCount_) {
            ref->values = ref->start;
        } else if (liveData_.erase(ref) > 0) {
            dataByName_.erase(ref->name);
        }
    }
    for (auto& command : commands_)
        command->holdCount = 0;
    gearMoving_ = false;
    loops_.clear();
    frameCount_ = 0;
    aircraftFile.clear();
    aircraftPath.clear();
}

DataRef* World::FindData(const std::string& name) const {
    auto it = dataByName_.find(name);
    return it == dataByName_.end() ? nullptr : it->second;
}

Command* World::FindCommand(const std::string& name) const {
    auto it = commandByName_.find(name);
    return it == commandByName_.end() ? nullptr : it->second;
}

DataRef* World::LiveData(const void* handle) const {
    if (!handle || liveData_.count(handle) == 0)
        return nullptr;
    return static_cast<DataRef*>(const_cast<void*>(handle));
}

Command* World::LiveCommand(const void* handle) const {
    if (!handle || liveCommands_.count(handle) == 0)
        return nullptr;
    return static_cast<Command*>(const_cast<void*>(handle));
}

bool World::CreateData(const std::string& name, DataType type, int size) {
    bool array = IsArrayType(type);
    if (name.empty() || FindData(name) || FindCommand(name))
        return false;
    if (array && (size < 0 || size > 1 << 20))
        return false;
    auto ref = std::make_unique<DataRef>();
    ref->name = name;
    ref->type = type;
    ref->start.assign(array ? size_t(size) : 1, 0.0);
    ref->values = ref->start;
    dataByName_[name] = ref.get();
    liveData_.insert(ref.get());
    dataRefs_.push_back(std::move(ref));
    return true;
}

std::vector<std::string> World::DataNames() const {
    std::vector<std::string> names;
    for (const auto& entry : dataByName_)
        names.push_back(entry.first);
    return names;
}

int World::Store(DataRef* ref, int offset, const std::vector<double>& values) {
    int size = int(ref->values.size());
    if (offset < 0 || offset >= size)
        return 0;
    int count = std::min(int(values.size()), size - offset);
    for (int i = 0; i < count; ++i)
        ref->values[offset + i] = StoredValue(ref->type, values[i]);
    if (count > 0) {
        // The gear follows its handle; whoever sets the ratios themselves
        // stops the motion, so that the values set stay as set.
        if (ref == gearHandle_)
            gearMoving_ = true;
        if (ref == gearRatio_)
            gearMoving_ = false;
    }
    return count;
}

double World::Get(DataRef* ref, int element) const {
    if (!ref || element < 0 || element >= int(ref->values.size()))
        return 0;
    return ref->values[element];
}

void World::Set(DataRef* ref, double value, int element) {
    if (!ref || element < 0 || element >= int(ref->values.size()))
        return;
    ref->values[element] = StoredValue(ref->type, value);
}

void World::CommandBegin(Command* command) {
    if (command->holdCount++ == 0)
        Apply(*command, true);
}

void World::CommandEnd(Command* command) {
    if (command->holdCount == 0)
        return;
    if (--command->holdCount == 0)
        Apply(*command, false);
}

void World::Apply(Command& command, bool begin) {
    const CommandDef& def = *command.def;
    DataRef* ref = command.ref;
    int element = std::max(command.element, 0);
    if (def.effect == Effect::Starter) {
        // The key sits in its start position while the command is held and
        // springs back to both magnetos when it is released.
        Set(ref, begin ? kKeyStart : kKeyBoth, element);
        Set(Builtin(kStarterRunning), begin ? 1 : 0, element);
        return;
    }
    if (!begin)
        return;
    switch (def.effect) {
        case Effect::SetValue:
            Set(ref, def.value, element);
            Set(command.ref2, def.value, element);
            break;
        case Effect::StepClamp:
            Set(ref, std::clamp(Get(ref, element) + def.step, def.lo, def.hi), element);
            break;
        case Effect::StepWrap: {
            double range = def.hi - def.lo;
            double v = std::fmod(Get(ref, element) + def.step - def.lo, range);
            if (v < 0)
                v += range;
            Set(ref, def.lo + v, element);
            break;
        }
        case Effect::StepEngines: {
            int engines = std::clamp(int(Get(engines_)), 0, ref ? int(ref->values.size()) : 0);
            for (int i = 0; i < engines; ++i)
                Set(ref, std::clamp(Get(ref, i) + def.step, def.lo, def.hi), i);
            break;
        }
        case Effect::Toggle:
            Set(ref, Get(ref, element) != 0 ? 0 : def.value, element);
            break;
        case Effect::Swap: {
            double a = Get(ref, element);
            Set(ref, Get(command.ref2, element), element);
            Set(command.ref2, a, element);
            break;
        }
        case Effect::ComFine:
            Set(ref, ComFine(int(Get(ref)), int(def.value)));
            break;
        case Effect::ComCoarse:
            Set(ref, CoarseStep(int(Get(ref)), int(def.value), 118, 136));
            break;
        case Effect::NavFine:
            Set(ref, NavFine(int(Get(ref)), int(def.value)));
            break;
        case Effect::NavCoarse:
            Set(ref, CoarseStep(int(Get(ref)), int(def.value), 108, 117));
            break;
        case Effect::TransponderDigit:
            Set(ref, DigitStep(int(Get(ref)) % 10000, int(def.step), int(def.value), 8));
            break;
        case Effect::AdfDigit:
            Set(ref, DigitStep(int(Get(ref)), int(def.step), int(def.value), 10));
            break;
        case Effect::GearHandle:
            if (Get(gearHandle_) != def.value) {
                Set(gearHandle_, def.value);
                gearMoving_ = true;
            }
            break;
        case Effect::FlightDirector: {
            int mode = std::clamp(int(Get(Builtin(kFlightDirector))) + int(def.value), 0, 2);
            Set(Builtin(kFlightDirector), mode);
            Set(Builtin(kAutopilotOn), mode == 2 ? 1 : 0);
            break;
        }
        case Effect::AltitudeArm: {
            // Arming also re-arms a captured hold (for a new target); only
            // an armed altitude is disarmed.
            bool on = Get(Builtin(kAltArmed)) != 0;
            Set(Builtin(kAltArmed), on ? 0 : 1);
            Set(Builtin(kAltStatus), on ? 0 : 1);
            break;
        }
        case Effect::Autothrottle:
            Set(Builtin(kAutothrottle), def.value);
            Set(Builtin(kSpeedStatus), def.value != 0 ? 2 : 0);
            break;
        case Effect::Starter:
            break;
    }
}

void World::StepDynamics(double dt) {
    if (gearMoving_ && gearRatio_) {
        double target = Get(gearHandle_) != 0 ? 1.0 : 0.0;
        double step = dt / kGearTravelSeconds;
        bool moving = false;
        int gears = std::min(kMovingGears, int(gearRatio_->values.size()));
        for (int i = 0; i < gears; ++i) {
            double v = Get(gearRatio_, i);
            v = v < target ? std::min(v + step, target) : std::max(v - step, target);
            Set(gearRatio_, v, i);
            if (Get(gearRatio_, i) != target)
                moving = true;
        }
        gearMoving_ = moving;
    }
}

void World::RunFrame(float dt) {
    if (!(dt > 0))
        dt = 0;  // also catches NaN
    ++frameCount_;
    StepDynamics(dt);
    ++runDepth_;
    // Callbacks registered during this frame wait for the next one.
    size_t due = loops_.size();
    for (size_t i = 0; i < due && i < loops_.size(); ++i) {
        Loop& loop = loops_[i];
        if (!loop.callback)
            continue;
        loop.sinceCall += dt;
        ++loop.framesSinceCall;
        bool call = false;
        if (loop.interval < 0)
            call = loop.framesSinceCall >= std::max(1, int(-loop.interval));
        else if (loop.interval > 0)
            call = loop.sinceCall + 1e-6 >= loop.interval;
        if (!call)
            continue;
        XPLMFlightLoop_f callback = loop.callback;
        void* refcon = loop.refcon;
        float since = float(loop.sinceCall);
        loop.sinceCall = 0;
        loop.framesSinceCall = 0;
        float next = callback(since, dt, frameCount_, refcon);
        // The vector may have grown and the entry may be gone by now.
        if (i < loops_.size() && loops_[i].callback == callback && loops_[i].refcon == refcon)
            loops_[i].interval = next;
    }
    if (--runDepth_ == 0)
        std::erase_if(loops_, [](const Loop& loop) { return loop.callback == nullptr; });
}

void World::RegisterLoop(XPLMFlightLoop_f callback, float interval, void* refcon) {
    if (!callback)
        return;
    for (Loop& loop : loops_) {
        if (loop.callback == callback && loop.refcon == refcon) {
            loop.interval = interval;
            loop.sinceCall = 0;
            loop.framesSinceCall = 0;
            return;
        }
    }
    loops_.push_back(Loop{callback, refcon, interval, 0, 0});
}

void World::UnregisterLoop(XPLMFlightLoop_f callback, void* refcon) {
    for (Loop& loop : loops_) {
        if (loop.callback == callback && loop.refcon == refcon)
            loop.callback = nullptr;
    }
    if (runDepth_ == 0)
        std::erase_if(loops_, [](const Loop& loop) { return loop.callback == nullptr; });
}

int World::LoopCount() const {
    return int(std::count_if(loops_.begin(), loops_.end(),
                             [](const Loop& loop) { return loop.callback != nullptr; }));
}

}  // namespace Orv::XSim
