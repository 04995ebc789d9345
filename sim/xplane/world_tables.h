// The simulated aircraft as data: every dataref with its type, size and start
// value, and every command with the effect it has on those datarefs.
#pragma once

#include <vector>

#include "sim/xplane/world.h"

namespace Orv::XSim {

struct DataDef {
    const char* name;
    DataType type;
    int size;                   // element count; 1 for scalars
    std::vector<double> start;  // the first elements; the rest start at 0
};

// What a command does. "ref" and "ref2" name datarefs of the data table;
// "element" is the array element (-1 for scalars, replaced by the engine or
// generator index for the rows of eight).
enum class Effect {
    SetValue,          // ref (and ref2 if given) = value
    StepClamp,         // ref += step, kept within [lo, hi]
    StepWrap,          // ref += step, wrapped into [lo, hi)
    StepEngines,       // ref[0 .. engines-1] += step, kept within [lo, hi]
    Toggle,            // ref = ref ? 0 : value
    Swap,              // exchange ref and ref2
    ComFine,           // 25 kHz channel step of the standby frequency ref, direction value
    ComCoarse,         // 1 MHz step within 118..136 MHz
    NavFine,           // 50 kHz channel step
    NavCoarse,         // 1 MHz step within 108..117 MHz
    TransponderDigit,  // digit of weight step moves by value, 0..7 with wrap
    AdfDigit,          // digit of weight step moves by value, 0..9 with wrap
    GearHandle,        // gear handle = value; the gear then travels
    Starter,           // engine "element" cranks while the command is held
    FlightDirector,    // flight director mode moves by value within 0..2
    AltitudeArm,       // altitude hold armed on/off
    Autothrottle,      // auto-throttle on (value 1) or off (0)
};

struct CommandDef {
    const char* name;  // "%d" stands for 1..8 in rows of count 8
    int count;         // 1 or 8
    Effect effect;
    const char* ref;
    const char* ref2;
    int element = -1;
    double value = 0;
    double step = 0;
    double lo = 0;
    double hi = 0;
};

const std::vector<DataDef>& DataTable();
const std::vector<CommandDef>& CommandTable();

// Number of gears whose deploy ratios move with the handle.
constexpr int kMovingGears = 3;
// Seconds the gear takes from fully up to fully down.
constexpr double kGearTravelSeconds = 3.0;

}  // namespace Orv::XSim
