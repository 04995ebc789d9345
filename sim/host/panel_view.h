// --view: what a feature report makes a panel show, as one line of text.
// The host keeps the last line per device and prints the lines that a
// frame changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Orv::Host {

// The panel of that product id after it received the report: gear lamps,
// radio digits, autopilot rows and LEDs, lit lenses.  A report the panel
// would not understand is shown as its bytes.
std::string DescribeFeatureReport(uint16_t productId, const std::vector<uint8_t>& report);

// The bytes in lower-case hexadecimal, two digits each, as the event log
// writes a feature report.
std::string HexBytes(const std::vector<uint8_t>& bytes);

}  // namespace Orv::Host
