// Helpers shared by the Windows test programs (run under Wine).
#pragma once

#include <string>

#include "platform/win32/win32.h"

namespace Orv::Win32Test {

// Whether an event of that name exists, that is, somebody holds it open.
inline bool EventExists(const wchar_t* name) {
    HANDLE event = ::OpenEventW(EVENT_ALL_ACCESS, FALSE, name);
    if (event == nullptr)
        return false;
    ::CloseHandle(event);
    return true;
}

// Runs program with the arguments and waits up to timeoutMs for its end:
// true with its exit code.  False when it could not be started, or did not
// end in time (it is terminated then).
inline bool RunToEnd(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs,
                     DWORD* exitCode) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    bool ended = ::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
                 ::GetExitCodeProcess(process.hProcess, exitCode);
    if (!ended)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hProcess);
    return ended;
}

}  // namespace Orv::Win32Test
