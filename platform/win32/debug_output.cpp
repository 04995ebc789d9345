// The debug-output port on OutputDebugStringW.
#include "platform/debug_output.h"

#include "platform/win32/win32.h"

namespace Orv::Platform {

namespace {

class Win32DebugOutput final : public IDebugOutput {
public:
    void OutputDebugString(const wchar_t* text) override {
        if (text != nullptr)
            ::OutputDebugStringW(text);
    }
};

}  // namespace

IDebugOutput& DebugOutput() {
    static Win32DebugOutput instance;
    return instance;
}

}  // namespace Orv::Platform
