// The world behind the XPLM functions: dataref storage, command effects, the
// aircraft's dynamics and the flight-loop scheduler.  One instance per
// process, used from the simulator's thread only, as X-Plane's own SDK.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "sim/xplane/world.h"
#include "sim/xplane/world_tables.h"

namespace Orv::XSim {

inline bool IsArrayType(DataType type) {
    return type == DataType::IntArray || type == DataType::FloatArray || type == DataType::Bytes;
}

struct DataRef {
    std::string name;
    DataType type = DataType::Int;
    std::vector<double> values;  // one element for scalars, kept in the type's range
    std::vector<double> start;   // the values Reset restores
    bool IsArray() const { return IsArrayType(type); }
};

struct Command {
    std::string name;
    const CommandDef* def = nullptr;
    int element = -1;  // resolved element (engine index for rows of eight)
    DataRef* ref = nullptr;
    DataRef* ref2 = nullptr;
    int holdCount = 0;
};

// Rounds a number to what a dataref of this type can hold.
double StoredValue(DataType type, double value);

class World {
public:
    static World& Get();

    void Reset();

    // Handles are the addresses of live objects; anything else reads as null.
    DataRef* FindData(const std::string& name) const;
    Command* FindCommand(const std::string& name) const;
    DataRef* LiveData(const void* handle) const;
    Command* LiveCommand(const void* handle) const;
    bool CreateData(const std::string& name, DataType type, int size);
    std::vector<std::string> DataNames() const;

    // Stores values from element offset on (clipped to the array) and applies
    // the world's reaction to the change.  Returns the number stored.
    int Store(DataRef* ref, int offset, const std::vector<double>& values);

    void CommandBegin(Command* command);
    void CommandEnd(Command* command);

    void RunFrame(float dt);
    int FrameCount() const { return frameCount_; }

    void RegisterLoop(XPLMFlightLoop_f callback, float interval, void* refcon);
    void UnregisterLoop(XPLMFlightLoop_f callback, void* refcon);
    int LoopCount() const;

    Observer* observer = nullptr;
    std::string aircraftFile;
    std::string aircraftPath;

private:
    World();
    void Apply(Command& command, bool begin);
    void StepDynamics(double dt);
    double Get(DataRef* ref, int element = 0) const;
    void Set(DataRef* ref, double value, int element = 0);
    DataRef* Builtin(const char* name) const;

    std::deque<std::unique_ptr<DataRef>> dataRefs_;  // never freed: handles stay unique
    std::deque<std::unique_ptr<Command>> commands_;
    std::map<std::string, DataRef*> dataByName_;
    std::map<std::string, Command*> commandByName_;
    std::unordered_set<const void*> liveData_;
    std::unordered_set<const void*> liveCommands_;
    size_t builtinCount_ = 0;

    DataRef* gearHandle_ = nullptr;
    DataRef* gearRatio_ = nullptr;
    DataRef* engines_ = nullptr;
    bool gearMoving_ = false;

    struct Loop {
        XPLMFlightLoop_f callback = nullptr;  // null once unregistered
        void* refcon = nullptr;
        float interval = 0;
        double sinceCall = 0;
        int framesSinceCall = 0;
    };
    std::vector<Loop> loops_;
    int frameCount_ = 0;
    int runDepth_ = 0;
};

}  // namespace Orv::XSim
