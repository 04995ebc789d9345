// The debugger output stream (OutputDebugString): text for an attached
// debugger or a system-wide debug-output viewer.
#pragma once

namespace Orv::Platform {

class IDebugOutput {
public:
    virtual ~IDebugOutput() = default;
    // Writes the text as it is (lines end with their own line feed).
    virtual void OutputDebugString(const wchar_t* text) = 0;
};

IDebugOutput& DebugOutput();

}  // namespace Orv::Platform
