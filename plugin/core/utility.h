// Free functions that several subsystems share.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace Orv::UTILITY {

// Called for each present interface of a class: the class (as given), the
// interface path and the physical-device-object name of its device (both
// lower case), the context and the filter (as given).  0 ends the
// enumeration.
using EnumDeviceInterfaceProc = int32_t (*)(const Platform::Guid* interfaceClass,
                                            const std::wstring& path,
                                            const std::wstring& physicalDeviceObjectName,
                                            void* context, const wchar_t* filter);

// Calls proc for every present interface of the class, in the order the
// system lists them.  0 (with a level-1 line) when the list cannot be had
// or a member's path cannot be read; 1 otherwise.
int32_t EnumDeviceInterface(const Platform::Guid* interfaceClass, EnumDeviceInterfaceProc proc,
                            void* context, const wchar_t* filter);

// Signals the hand-over event that asks the service program to stop
// (pause true) or start again (pause false) the maker's display service.
// Does nothing when the event cannot be opened.
void PauseResumeGlassLinkService(bool pause);

// A copy with A to Z mapped to a to z (the C locale's mapping).
std::wstring ConvertStringToLower(const std::wstring& text);
std::string ConvertStringToLower(const std::string& text);

// The digit texts of the seven-segment displays and the MFD, formats 0 to
// 7; any other format gives an empty text.  Character 0x7F stands for a
// digit position left dark.
std::string ConvertIntValueToString(int32_t value, int32_t format);
// A float dataref's value as the displays take it: truncated toward zero,
// NaN as 0 and a value beyond the 32-bit range as its nearest end (a plain
// conversion of such a float has no defined result).
int32_t TruncateToInt(float value);

// The maker's profile folder: the public Documents folder and
// "\Trimwise Profiles"; empty when the known folder cannot be found.
std::wstring GetProfileFolder();

// Sends one key event per "+"-separated key name of keys (virtual-key names
// without "VK_", in any case, blanks ignored), all down or all up, in order.
void SimulateInput(const std::string& keys, bool pressed);

}  // namespace Orv::UTILITY
