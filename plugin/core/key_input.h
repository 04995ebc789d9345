// Simulated keyboard input by virtual-key names.
#pragma once

#include <string>

namespace Orv::UTILITY {

// Sends one key event per "+"-separated key name of keys (virtual-key names
// without "VK_", in any case, blanks ignored), all down or all up, in order.
void SimulateInput(const std::string& keys, bool pressed);

}  // namespace Orv::UTILITY
