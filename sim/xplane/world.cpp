// The XPLM functions that the simulated X-Plane exports to its plugin, and
// the host's functions of world.h.  Both live in this one file so that a
// host linking the world always links the exports its plugin needs.
#include "sim/xplane/world.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "sim/xplane/world_model.h"

namespace Orv::XSim {

namespace {

World& W() {
    return World::Get();
}

DataRef* Typed(XPLMDataRef handle, DataType type) {
    DataRef* ref = W().LiveData(handle);
    return ref && ref->type == type ? ref : nullptr;
}

void ReportCommand(Observer::CommandOp op, XPLMCommandRef handle) {
    if (!W().observer)
        return;
    Command* command = W().LiveCommand(handle);
    W().observer->OnCommand(op, command ? command->name : std::string(), handle == nullptr);
}

// A plugin write: stored, reacted to and reported with what was stored.
void PluginWrite(DataRef* ref, int offset, std::vector<double> values) {
    int stored = W().Store(ref, std::max(offset, 0), values);
    if (stored <= 0)
        return;
    values.resize(size_t(stored));
    if (W().observer)
        W().observer->OnWrite(ref->name, values, ref->IsArray() ? offset : -1);
}

template <typename T>
int GetArray(XPLMDataRef handle, DataType type, T* out, int offset, int max) {
    DataRef* ref = Typed(handle, type);
    if (!ref)
        return 0;
    int size = int(ref->values.size());
    if (!out)
        return size;
    if (offset < 0 || offset >= size || max <= 0)
        return 0;
    int count = std::min(max, size - offset);
    for (int i = 0; i < count; ++i)
        out[i] = T(ref->values[size_t(offset + i)]);
    return count;
}

template <typename T>
void SetArray(XPLMDataRef handle, DataType type, const T* in, int offset, int count) {
    DataRef* ref = Typed(handle, type);
    if (!ref || !in || count <= 0 || offset < 0 || offset >= int(ref->values.size()))
        return;
    count = std::min(count, int(ref->values.size()) - offset);
    PluginWrite(ref, offset, std::vector<double>(in, in + count));
}

void CopyText(char* out, const std::string& text, size_t capacity) {
    if (!out)
        return;
    size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool ParseNumber(const std::string& token, DataType type, double* value) {
    std::string text = token;
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    if (text.empty() || text[0] == '+')
        return false;
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return false;
    switch (type) {
        case DataType::Int:
        case DataType::IntArray:
            if (v != std::trunc(v) || v < INT_MIN || v > INT_MAX)
                return false;
            break;
        case DataType::Float:
        case DataType::FloatArray:
            if (std::fabs(v) > FLT_MAX)
                return false;
            break;
        case DataType::Bytes:
            if (v != std::trunc(v) || v < 0 || v > 255)
                return false;
            break;
        case DataType::Double:
            break;
    }
    *value = v;
    return true;
}

const char* TypeWords(DataType type) {
    switch (type) {
        case DataType::Int:
        case DataType::IntArray:
            return "whole numbers";
        case DataType::Bytes:
            return "whole numbers 0 to 255";
        case DataType::Float:
        case DataType::FloatArray:
            return "single-precision numbers";
        case DataType::Double:
            break;
    }
    return "numbers";
}

}  // namespace

void Reset() {
    W().Reset();
}

void SetObserver(Observer* observer) {
    W().observer = observer;
}

void RunFrame(float dt) {
    W().RunFrame(dt);
}

int FrameCount() {
    return W().FrameCount();
}

int FlightLoopCount() {
    return W().LoopCount();
}

void SetUserAircraft(const std::string& fileName, const std::string& path) {
    W().aircraftFile = fileName;
    W().aircraftPath = path;
}

bool SetDataFromText(const std::string& assignment, std::string* error) {
    auto fail = [error](const std::string& message) {
        if (error)
            *error = message;
        return false;
    };
    std::string text = Trim(assignment);
    size_t blank = text.find_first_of(" \t");
    std::string target = text.substr(0, blank);
    std::string rest = blank == std::string::npos ? std::string() : Trim(text.substr(blank));
    if (target.empty())
        return fail("missing dataref name");

    std::string name = target;
    long long index = -1;
    size_t bracket = target.find('[');
    if (bracket != std::string::npos) {
        name = target.substr(0, bracket);
        std::string digits = target.substr(bracket + 1);
        bool closed = !digits.empty() && digits.back() == ']';
        if (closed)
            digits.pop_back();
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (!closed || digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
            return fail("bad element index in '" + target + "'");
    }
    DataRef* ref = W().FindData(name);
    if (!ref)
        return fail("unknown dataref '" + name + "'");
    if (rest.empty())
        return fail("missing value for '" + target + "'");

    std::vector<double> values;
    size_t from = 0;
    while (true) {
        size_t comma = rest.find(',', from);
        std::string token = Trim(rest.substr(from, comma - from));
        double v = 0;
        if (!ParseNumber(token, ref->type, &v))
            return fail("bad value '" + token + "' for '" + name + "': it takes " +
                        TypeWords(ref->type));
        values.push_back(v);
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }

    long long size = (long long)ref->values.size();
    if (bracket != std::string::npos) {
        if (!ref->IsArray())
            return fail("'" + name + "' is not an array");
        if (index < 0 || index >= size)
            return fail("index " + std::to_string(index) + " out of range for '" + name + "' (" +
                        std::to_string(size) + " elements)");
        if (values.size() != 1)
            return fail("'" + target + "' takes one value");
    } else if (!ref->IsArray() && values.size() != 1) {
        return fail("'" + name + "' takes one value, not " + std::to_string(values.size()));
    } else if ((long long)values.size() > size) {
        return fail("too many values for '" + name + "': " + std::to_string(values.size()) +
                    " given, " + std::to_string(size) + " elements");
    }
    W().Store(ref, int(std::max(index, 0LL)), values);
    return true;
}

bool CreateDataRef(const std::string& name, DataType type, int size) {
    return W().CreateData(name, type, size);
}

bool GetDataValues(const std::string& name, std::vector<double>* values) {
    DataRef* ref = W().FindData(name);
    if (!ref)
        return false;
    if (values)
        *values = ref->values;
    return true;
}

bool HasCommand(const std::string& name) {
    return W().FindCommand(name) != nullptr;
}

bool HasDataRef(const std::string& name) {
    return W().FindData(name) != nullptr;
}

bool GetDataType(const std::string& name, DataType* type, int* size) {
    DataRef* ref = W().FindData(name);
    if (!ref)
        return false;
    if (type)
        *type = ref->type;
    if (size)
        *size = int(ref->values.size());
    return true;
}

std::vector<std::string> DataRefNames() {
    return W().DataNames();
}

}  // namespace Orv::XSim

using namespace Orv::XSim;

extern "C" {

ORV_XPLM_API void XPLMRegisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, float inInterval,
                                                 void* inRefcon) {
    W().RegisterLoop(inFlightLoop, inInterval, inRefcon);
}

ORV_XPLM_API void XPLMUnregisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, void* inRefcon) {
    W().UnregisterLoop(inFlightLoop, inRefcon);
}

ORV_XPLM_API XPLMDataRef XPLMFindDataRef(const char* inDataRefName) {
    return inDataRefName ? W().FindData(inDataRefName) : nullptr;
}

ORV_XPLM_API XPLMDataTypeID XPLMGetDataRefTypes(XPLMDataRef inDataRef) {
    DataRef* ref = W().LiveData(inDataRef);
    if (!ref)
        return xplmType_Unknown;
    switch (ref->type) {
        case DataType::Int:
            return xplmType_Int;
        case DataType::Float:
            return xplmType_Float;
        case DataType::Double:
            return xplmType_Double;
        case DataType::IntArray:
            return xplmType_IntArray;
        case DataType::FloatArray:
            return xplmType_FloatArray;
        case DataType::Bytes:
            return xplmType_Data;
    }
    return xplmType_Unknown;
}

ORV_XPLM_API int XPLMGetDatai(XPLMDataRef inDataRef) {
    DataRef* ref = Typed(inDataRef, DataType::Int);
    return ref ? int(ref->values[0]) : 0;
}

ORV_XPLM_API void XPLMSetDatai(XPLMDataRef inDataRef, int inValue) {
    if (DataRef* ref = Typed(inDataRef, DataType::Int))
        PluginWrite(ref, -1, {double(inValue)});
}

ORV_XPLM_API float XPLMGetDataf(XPLMDataRef inDataRef) {
    DataRef* ref = Typed(inDataRef, DataType::Float);
    return ref ? float(ref->values[0]) : 0.0f;
}

ORV_XPLM_API void XPLMSetDataf(XPLMDataRef inDataRef, float inValue) {
    if (DataRef* ref = Typed(inDataRef, DataType::Float))
        PluginWrite(ref, -1, {double(inValue)});
}

ORV_XPLM_API double XPLMGetDatad(XPLMDataRef inDataRef) {
    DataRef* ref = Typed(inDataRef, DataType::Double);
    return ref ? ref->values[0] : 0.0;
}

ORV_XPLM_API void XPLMSetDatad(XPLMDataRef inDataRef, double inValue) {
    if (DataRef* ref = Typed(inDataRef, DataType::Double))
        PluginWrite(ref, -1, {inValue});
}

ORV_XPLM_API int XPLMGetDatavi(XPLMDataRef inDataRef, int* outValues, int inOffset, int inMax) {
    return GetArray(inDataRef, DataType::IntArray, outValues, inOffset, inMax);
}

ORV_XPLM_API void XPLMSetDatavi(XPLMDataRef inDataRef, int* inValues, int inoffset, int inCount) {
    SetArray(inDataRef, DataType::IntArray, inValues, inoffset, inCount);
}

ORV_XPLM_API int XPLMGetDatavf(XPLMDataRef inDataRef, float* outValues, int inOffset, int inMax) {
    return GetArray(inDataRef, DataType::FloatArray, outValues, inOffset, inMax);
}

ORV_XPLM_API void XPLMSetDatavf(XPLMDataRef inDataRef, float* inValues, int inoffset, int inCount) {
    SetArray(inDataRef, DataType::FloatArray, inValues, inoffset, inCount);
}

ORV_XPLM_API XPLMCommandRef XPLMFindCommand(const char* inName) {
    return inName ? W().FindCommand(inName) : nullptr;
}

ORV_XPLM_API void XPLMCommandBegin(XPLMCommandRef inCommand) {
    ReportCommand(Observer::CommandOp::Begin, inCommand);
    if (Command* command = W().LiveCommand(inCommand))
        W().CommandBegin(command);
}

ORV_XPLM_API void XPLMCommandEnd(XPLMCommandRef inCommand) {
    ReportCommand(Observer::CommandOp::End, inCommand);
    if (Command* command = W().LiveCommand(inCommand))
        W().CommandEnd(command);
}

ORV_XPLM_API void XPLMCommandOnce(XPLMCommandRef inCommand) {
    ReportCommand(Observer::CommandOp::Once, inCommand);
    if (Command* command = W().LiveCommand(inCommand)) {
        W().CommandBegin(command);
        W().CommandEnd(command);
    }
}

ORV_XPLM_API void XPLMCommandKeyStroke(XPLMCommandKeyID inKey) {
    if (W().observer)
        W().observer->OnKeyStroke(inKey);
}

ORV_XPLM_API void XPLMCommandButtonPress(XPLMCommandButtonID inButton) {
    if (W().observer)
        W().observer->OnJoystickButton(inButton, 1);
}

ORV_XPLM_API void XPLMCommandButtonRelease(XPLMCommandButtonID inButton) {
    if (W().observer)
        W().observer->OnJoystickButton(inButton, 0);
}

ORV_XPLM_API void XPLMSpeakString(const char* inString) {
    if (W().observer)
        W().observer->OnSpeak(inString ? inString : "");
}

ORV_XPLM_API void XPLMGetNthAircraftModel(int inIndex, char* outFileName, char* outPath) {
    bool user = inIndex == XPLM_USER_AIRCRAFT;
    CopyText(outFileName, user ? W().aircraftFile : std::string(), 256);
    CopyText(outPath, user ? W().aircraftPath : std::string(), 512);
}

}  // extern "C"
