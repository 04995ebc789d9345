// The simulated X-Plane: a world model of datarefs and commands behind the
// XPLM functions of sdk/xplm.h, and the host's side of it (frames, aircraft,
// observers of what the plugin does).
//
// Portable C++: built into the host program on Linux, and into a stand-in
// XPLM_64.dll on Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sdk/xplm.h"

namespace Orv::XSim {

// What the plugin did, as the event log reports it.
class Observer {
public:
    virtual ~Observer() = default;
    enum class CommandOp { Once, Begin, End };
    // name is empty for a null command handle.
    virtual void OnCommand(CommandOp op, const std::string& name, bool nullHandle) = 0;
    // A dataref write through XPLMSetData*: for scalars offset is -1 and
    // values has one element; for arrays the written elements from offset,
    // clipped to the array.  Calls that store nothing (a null or unknown
    // handle, a setter of another type, nothing left after clipping) are not
    // reported; neither are the world's own changes nor the host's.
    virtual void OnWrite(const std::string& name, const std::vector<double>& values,
                         int offset) = 0;
    virtual void OnKeyStroke(int key) = 0;
    virtual void OnJoystickButton(int button, int state) = 0;
    virtual void OnSpeak(const std::string& text) = 0;
};

enum class DataType { Int, Float, Double, IntArray, FloatArray, Bytes };

// Resets the world to its start values: every dataref and command the
// plugin binds, no flight-loop callbacks, no aircraft path, frame counter 0.
void Reset();

void SetObserver(Observer* observer);  // null: nobody listens

// Runs one frame of dt seconds: the world's dynamics (the gear moving, ...)
// step by dt, then every registered flight-loop callback that is due is
// called, in registration order, with the interval rules of the SDK
// (negative: every n-th frame; positive: seconds; 0: not called) and its
// return value sets its next interval.
void RunFrame(float dt);
int FrameCount();
// Number of registered flight-loop callbacks.
int FlightLoopCount();

// The user's aircraft (index 0): file name and full path, as
// XPLMGetNthAircraftModel reports them.  Other indices report empty texts.
void SetUserAircraft(const std::string& fileName, const std::string& path);

// Host access to datarefs.  SetDataFromText takes "NAME VALUE",
// "NAME[i] VALUE" or "NAME v1,v2,..." in the scenario syntax: a list sets
// an array from element 0 on (a single number sets element 0) and leaves
// the rest.  It reports false with a message for an unknown name, a bad
// number (integer datarefs take whole numbers only), an index out of range
// or too many values, and then changes nothing.  Setting the gear handle
// starts the gear moving; setting the deploy ratios stops it.
bool SetDataFromText(const std::string& assignment, std::string* error);
// Creates a dataref that the world does not know (scenario extension):
// size elements (0 allowed) for arrays, ignored for scalars; all zero.
// False for an empty or known name or a size outside 0..1048576.
bool CreateDataRef(const std::string& name, DataType type, int size);
// Reads a dataref as numbers (one for scalars); false when unknown.
bool GetDataValues(const std::string& name, std::vector<double>* values);
bool HasCommand(const std::string& name);
bool HasDataRef(const std::string& name);
// The type and element count (1 for scalars) of a dataref; false when unknown.
bool GetDataType(const std::string& name, DataType* type, int* size);
// Every dataref name the world knows, sorted (for dashboards).
std::vector<std::string> DataRefNames();

// The plugin loaded into the simulator, for the host: X-Plane calls its
// exports, and the world calls them for RunFrame's callbacks on the
// calling thread.
}  // namespace Orv::XSim
