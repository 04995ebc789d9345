// The folders the plugin reads its users' files from.
#pragma once

#include <string>

namespace Orv::UTILITY {

// The maker's profile folder: the public Documents folder and
// "\Trimwise Profiles"; empty when the known folder cannot be found.
std::wstring GetProfileFolder();

}  // namespace Orv::UTILITY
